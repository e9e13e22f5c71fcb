// SPDX-License-Identifier: MIT
// A hash of a file's bytes: equal hashes are taken for identical files (a 128-bit hash
// makes a chance match out of reach), which is what tells a copy from a design that only
// has the same stitches.
#pragma once

#include "platform/DesignFile.h"

#include <string>

namespace orlika {

/// XXH3's 128-bit hash of every byte of the file from its start, as 32 hexadecimal digits.
/// Leaves the file at its end; a failed read throws InOutError.
std::string contentHash(DesignFile& file);

} // namespace orlika
