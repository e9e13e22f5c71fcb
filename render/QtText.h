// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace orlika {

/// The current date and time as the user's locale writes them: short date, long time.
std::string localDateTimeText();
/// The user's decimal separator.
char localDecimalSeparator();
/// A case-insensitive comparison of names in the user's locale collation.
std::function<int(const std::string&, const std::string&)> localNameComparer();

} // namespace orlika
