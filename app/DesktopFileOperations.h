// SPDX-License-Identifier: MIT
// The file operations of the desktop program: those of a collection, and the desktop's
// trash (the freedesktop trash that file managers show and restore from).
#pragma once

#include "collection/CollectionFiles.h"

namespace orlika {

class DesktopFileOperations : public CollectionFileOperations {
public:
    bool hasTrash() override { return true; }
    TrashOutcome moveToTrash(const std::string& path) override;
};

} // namespace orlika
