// SPDX-License-Identifier: MIT
#include "tools/ToolSupport.h"

#include <string>

namespace orlika::tools {

bool applyLayout(CatalogState& s, const std::string& name)
{
    struct Layout {
        const char* name;
        std::uint16_t columns, rows;
        bool thumbnails, noRemarks;
    };
    static constexpr Layout kLayouts[] = {
        {"standard", 3, 2, false, false}, {"noremarks", 3, 2, false, true}, {"thumb12", 4, 3, true, false},
        {"thumb20", 5, 4, true, false},   {"thumb30", 6, 5, true, false},   {"enlarged", 1, 1, false, false},
    };
    for (const auto& layout : kLayouts) {
        if (name == layout.name) {
            s.PageColumns = layout.columns;
            s.PageRows = layout.rows;
            s.Thumbnails = layout.thumbnails;
            s.NoRemarks = layout.noRemarks;
            return true;
        }
    }
    return false;
}

QString layoutNames()
{
    return QStringLiteral("standard, noremarks, thumb12, thumb20, thumb30 or enlarged");
}

} // namespace orlika::tools
