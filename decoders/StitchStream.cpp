// SPDX-License-Identifier: MIT
#include "decoders/StitchStream.h"

#include "catalog/Catalog.h"
#include "platform/Rounding.h"

#include <limits>
#include <string>

namespace orlika {

bool cellScale(const CatalogState& s, double factor, float& scale)
{
    // The differences stay in double: only the extents and the scale are single precision.
    const double width = double(s.MaxX) - s.MinX;
    const double height = double(s.MaxY) - s.MinY;
    const bool hasWidth = width > 0;
    const bool hasHeight = height > 0;
    if (!hasWidth && !hasHeight)
        return false;
    const float byWidth = hasWidth ? toSingle(s.CellWidth / width * factor) : 0.0f;
    const float byHeight = hasHeight ? toSingle(s.CellHeight / height * factor) : 0.0f;
    if (!hasHeight)
        scale = byWidth;
    else if (!hasWidth)
        scale = byHeight;
    else
        scale = byHeight < byWidth ? byHeight : byWidth;
    return true;
}

namespace {

std::string countText(std::int64_t count)
{
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    return std::to_string(count > limit ? limit : count);
}

} // namespace

void writeSizeRemarks(Catalog& catalog, Canvas& canvas, std::int64_t stitches, std::int64_t colorChanges)
{
    auto& s = catalog.state();
    if (!catalog.remarksShown())
        return;
    const CellPoint cell = catalog.cellAnchor();
    s.PosX = toSingle(cell.X);
    s.PosY = toSingle(cell.Y);
    const auto line = [&](const std::string& text) {
        catalog.writeText(canvas, s.PosX, s.PosY, text);
        s.PosY = toSingle(double(s.PosY) + s.LineHeight);
    };
    const double width = double(s.MaxX) - s.MinX;
    const double height = double(s.MaxY) - s.MinY;
    const std::string mm = catalog.millimetres(width) + " x " + catalog.millimetres(height) + " mm";
    const std::string in = "Size: " + catalog.inches(width) + " x " + catalog.inches(height) + " In.";
    if (s.CellsPerPage < 12) {
        line("Stitches: " + countText(stitches) + ", Size: " + mm);
        line(in);
    } else {
        line("Stitches: " + countText(stitches));
        line("Size: " + mm);
        line(in);
    }
    line("Color Changes: " + countText(colorChanges));
}

} // namespace orlika
