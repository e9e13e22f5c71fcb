// SPDX-License-Identifier: MIT
// What the KSM and EXP/SEW readers share: fixed-size records streamed through one
// fixed buffer, extents that start at (0, 0) / (-32000, -32000), one scale for both
// axes, and the three- or four-line remark block that starts on the middle line.
#pragma once

#include "catalog/CatalogState.h"
#include "platform/DesignFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace orlika {

class Catalog;
class Canvas;

/// Streams whole records of RecordSize bytes through `buffer`, one block at a time,
/// until the file ends or `visit(records, firstBlock)` returns false. `records` holds
/// whole records only; a record split by a short read is joined with the next read,
/// and a partial record at the end of the file is dropped.
template <std::size_t RecordSize, typename Visit>
void forEachRecordBlock(DesignFile& file, std::span<std::uint8_t> buffer, Visit&& visit)
{
    static_assert(RecordSize > 0);
    std::size_t carried = 0;
    bool first = true;
    while (true) {
        const std::size_t got = file.read(buffer.subspan(carried));
        if (got == 0)
            return;
        const std::size_t available = carried + got;
        const std::size_t whole = available - available % RecordSize;
        if (whole > 0) {
            if (!visit(buffer.first(whole), first))
                return;
            first = false;
        }
        carried = available - whole;
        if (carried > 0)
            std::memmove(buffer.data(), buffer.data() + whole, carried);
    }
}

/// The start values of the extents: the origin counts toward the minima only.
inline void startExtents(CatalogState& s)
{
    s.MinX = s.MinY = 0.0f;
    s.MaxX = s.MaxY = -32000.0f;
}

/// A design whose records never moved the position leaves the maxima at their start
/// value; its extents become the origin itself, so its sizes read 0.0 and 0.00 instead
/// of the start-value difference (-3200.0 mm).
inline void settleExtents(CatalogState& s, bool moved)
{
    if (!moved) {
        s.MaxX = s.MinX = 0.0f;
        s.MaxY = s.MinY = 0.0f;
    }
}

/// One scale for both axes: the smaller of CellWidth / width x factor and
/// CellHeight / height x factor. A design that is flat in one direction (a single
/// straight run) takes the other direction's factor; one without width and height has
/// no scale, and false is returned (nothing is drawn for it).
bool cellScale(const CatalogState& s, double factor, float& scale);

/// The remark block of the KSM and EXP readers, from the middle line down: three lines
/// below 12 cells per page, four from 12 to 19, none from 20 on or without remarks.
/// Leaves PosY one line below the last line written.
void writeSizeRemarks(Catalog& catalog, Canvas& canvas, std::int64_t stitches, std::int64_t colorChanges);

} // namespace orlika
