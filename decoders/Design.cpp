// SPDX-License-Identifier: MIT
#include "decoders/Design.h"

#include "decoders/DesignTrace.h"
#include "decoders/Extents.h"

namespace orlika {

std::string groupedCount(std::int64_t count)
{
    // The magnitude as unsigned: the most negative count has none as a signed number.
    const std::uint64_t magnitude = count < 0 ? 0 - std::uint64_t(count) : std::uint64_t(count);
    std::string digits = std::to_string(magnitude);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return count < 0 ? "-" + digits : digits;
}

const PenColorTable& penColors()
{
    static const PenColorTable table{
        rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),     rgb(128, 128, 0),   rgb(0, 0, 128),
        rgb(128, 0, 128),   rgb(0, 128, 128), rgb(128, 128, 128), rgb(192, 192, 192), rgb(255, 0, 0),
        rgb(0, 255, 0),     rgb(0, 0, 255),   rgb(255, 0, 255),   rgb(0, 255, 255),   rgb(255, 255, 0),
        rgb(128, 128, 128), rgb(192, 192, 192), rgb(255, 255, 255)};
    return table;
}

void describeExtents(Design& design, const Extents& extents, std::int64_t stitches, std::int64_t colorChanges)
{
    const Extents& e = extents;
    design.bounds = {e.minX, e.maxX, e.minY, e.maxY};
    design.frame = {e.width(), e.height(), -double(e.minX), -double(e.minY)};
    design.remarks = {stitches, colorChanges, e.width(), e.height()};
}

void listNumberedThreads(Design& design, const std::vector<Thread>& threads, std::string_view nameless)
{
    for (std::size_t i = 0; i < threads.size(); ++i)
        design.cellList.push_back(std::to_string(i + 1) + ". " +
                                  (threads[i].name.empty() ? std::string(nameless) : threads[i].name));
}

std::span<const Movement> DesignDecoder::next()
{
    m_batch.clear();
    if (m_ended)
        return {};
    // What was decoded before a failure is handed out; the failure ends the stream.
    try {
        decodeMore(m_batch);
    } catch (const InOutError& error) {
        m_error = error.what();
    } catch (const ConversionError& error) {
        m_error = error.what();
    }
    m_ended = m_error.has_value() || m_batch.empty();
    return m_batch.view();
}

DesignValue collectDesign(const Decoding& decoding, DesignFile& file, const std::string& path)
{
    // A design its header took stays accepted, whatever stops it after.
    struct Collector : DesignTracer {
        DesignValue& value;
        explicit Collector(DesignValue& value) : value(value) {}
        void accepted() { value.accepted = true; }
        void step(const Movement& movement, PenTrace::Effect, const PenTrace&) { value.movements.push_back(movement); }
    };
    DesignValue value;
    try {
        Collector collector(value);
        if (const TraceEnd end = traceDesign(decoding, file, path, value.design, Trailer::Read, collector);
            end.kind == TraceEnd::Kind::Broken)
            value.error = end.problem;
    } catch (const InOutError& error) {
        value.error = error.what();
    } catch (const ConversionError& error) {
        value.error = error.what();
    }
    return value;
}

} // namespace orlika
