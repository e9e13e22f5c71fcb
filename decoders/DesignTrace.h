// SPDX-License-Identifier: MIT
// The one way a design is read to its end outside a page cell (the index, the pictures of
// exports and sheets, thumbnails, a design collected whole): its decoder over the file,
// its header, its sizing pass, and every movement as a pen follows it. What each reader makes of the
// movements is its own; the order of the steps and what ends them is here.
#pragma once

#include "decoders/PenTrace.h"

#include <optional>
#include <string>

namespace orlika {

/// How reading a design ended.
struct TraceEnd {
    enum class Kind { Read, Rejected, Broken };
    Kind kind = Kind::Read;
    /// Broken: why the movements stopped before the design's end.
    std::string problem{};

    bool read() const { return kind == Kind::Read; }
};

/// What the file holds behind the movements (a note's lines, figures the movements gave)
/// is read only where it is wanted: a picture draws without it.
enum class Trailer { Skip, Read };

/// What a reader of designs makes of one, step by step; a step it has no use for does
/// nothing. Readers derive from it and hide the steps they take.
struct DesignTracer {
    /// The header took the file: `design` holds what it read, its boxes among them.
    void accepted() {}
    /// The sizing pass is done and the pen stands at the start.
    void measured(const PenTrace& /*pen*/) {}
    /// The pen followed `movement`, to `effect`.
    void step(const Movement& /*movement*/, PenTrace::Effect /*effect*/, const PenTrace& /*pen*/) {}
};

/// Reads the design in `file` with `decoding` into `design`, telling `tracer` each step. A
/// file its header shows is not of the format is Rejected, the rejection's cell and boxes
/// in `design`; movements that stop on an error make it Broken. The file's read errors
/// and bad header numbers (InOutError, ConversionError) are thrown.
template <typename Tracer>
TraceEnd traceDesign(const Decoding& decoding, DesignFile& file, const std::string& path, Design& design,
                     Trailer trailer, Tracer& tracer)
{
    const auto decoder = decoding.open(file, path);
    if (!decoder->readHeader(design))
        return {TraceEnd::Kind::Rejected};
    tracer.accepted();
    decoder->measure(design);
    PenTrace pen(design, decoding.form);
    tracer.measured(pen);
    for (auto batch = decoder->next(); !batch.empty(); batch = decoder->next())
        for (const Movement& movement : batch)
            tracer.step(movement, pen.follow(movement), pen);
    if (const std::optional<std::string>& error = decoder->error())
        return {TraceEnd::Kind::Broken, *error};
    if (trailer == Trailer::Read)
        decoder->readTrailer(design);
    return {};
}

} // namespace orlika
