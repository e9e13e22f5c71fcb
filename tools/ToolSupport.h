// SPDX-License-Identifier: MIT
// Pieces the command-line tools share.
#pragma once

#include "catalog/CatalogState.h"
#include "tools/CommandLine.h"

#include <QString>

#include <string>

namespace orlika::tools {

/// Applies a layout by its key in kPageLayouts (standard, noremarks, thumb12, thumb20,
/// thumb30, enlarged); false for an unknown name.
bool applyLayout(CatalogState& state, const std::string& name);

/// The layout names, for help texts.
QString layoutNames();

} // namespace orlika::tools
