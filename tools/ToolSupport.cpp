// SPDX-License-Identifier: MIT
#include "tools/ToolSupport.h"

#include "catalog/PageLayout.h"

#include <string>

namespace orlika::tools {

bool applyLayout(CatalogState& s, const std::string& name)
{
    const std::optional<PageLayout> layout = pageLayoutNamed(name);
    if (!layout)
        return false;
    orlika::applyLayout(s, *layout);
    return true;
}

QString layoutNames()
{
    QString names;
    for (std::size_t k = 0; k < kPageLayouts.size(); ++k) {
        if (k > 0)
            names += k + 1 == kPageLayouts.size() ? QStringLiteral(" or ") : QStringLiteral(", ");
        const std::string_view key = kPageLayouts[k].key;
        names += QString::fromLatin1(key.data(), qsizetype(key.size()));
    }
    return names;
}

} // namespace orlika::tools
