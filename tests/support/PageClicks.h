// SPDX-License-Identifier: MIT
// A right click on the page on display, answered as the main window answers it.
#pragma once

#include "catalog/Catalog.h"

#include <string>

namespace orlika::test {

/// The design under (x, y) changes its selection and its name is written again on `canvas`.
inline void toggleSelectionAt(Catalog& catalog, Canvas& canvas, int x, int y)
{
    const std::string entry = catalog.entryAt(x, y);
    if (entry.empty())
        return;
    catalog.setSelected({entry}, !catalog.state().SelectedList.contains(entry));
    catalog.showSelectionOf(canvas, {entry});
}

} // namespace orlika::test
