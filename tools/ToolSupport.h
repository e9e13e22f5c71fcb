// SPDX-License-Identifier: MIT
// Pieces the command-line tools share.
#pragma once

#include "catalog/CatalogState.h"

#include <optional>
#include <string>

namespace orlika::tools {

/// Applies a layout name (standard, noremarks, thumb12, thumb20, thumb30, enlarged);
/// false for an unknown name.
bool applyLayout(CatalogState& state, const std::string& name);

/// The layout names, for usage texts.
const char* layoutNames();

/// Text as a JSON string literal (quotes included); bytes that are not UTF-8 are kept
/// as the characters of the same code, so that no output is ever invalid JSON.
std::string jsonString(const std::string& text);

/// Makes Qt work without a display: the tools never open a window.
void useOffscreenPlatformUnlessSet();

/// With --help or --version among the arguments, writes the help text or "PROGRAM VERSION"
/// to standard output and returns true: the program then ends with success.
bool answerHelpOrVersion(int argc, char** argv, const char* program, const std::string& help);

} // namespace orlika::tools
