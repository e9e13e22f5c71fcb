// SPDX-License-Identifier: MIT
// The one way a design's decoder is driven: its header, its sizing pass, its movements
// batch by batch to their end, and what the file holds behind them. `DesignReading` takes
// those steps in their order for a reader that pulls (the page cell, the conversion's
// needles); `traceDesign` takes them all for a reader that is told each step (the index,
// the pictures of exports and sheets, thumbnails, a design collected whole). What each
// reader makes of the movements is its own; the order of the steps and what ends them is here.
#pragma once

#include "decoders/PenTrace.h"

#include <memory>
#include <optional>
#include <span>
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

/// A design's decoder taken through its steps in their one order: accept() reads the header
/// (which may reject the file), measure() the sizing pass, next() the movements a batch at a
/// time until they end, and readTrailer() what follows them. The movements end after the
/// design's End (nothing of the file is read past it), when the data runs out, or on an
/// error, which end() then tells. A step out of its order is the caller's fault and throws
/// std::logic_error. The file's read errors and bad header numbers in the header, the
/// sizing pass and the trailer (InOutError, ConversionError) are thrown.
class DesignReading {
public:
    /// Opens the decoding's decoder over `file` to read into `design`.
    DesignReading(const Decoding& decoding, DesignFile& file, const std::string& path, Design& design);
    /// Over a decoder already open on its file, whose movements take `form`.
    DesignReading(DesignDecoder& decoder, const MovementForm& form, Design& design);
    ~DesignReading();
    DesignReading(const DesignReading&) = delete;
    DesignReading& operator=(const DesignReading&) = delete;

    /// Reads the header; false when the file is not of the format, the design's rejection
    /// and boxes then saying why. Nothing follows a rejection.
    bool accept();
    /// The sizing pass: the design's bounds, frame and remarks. The pen it returns stands
    /// at the start.
    PenTrace measure();
    /// The next movements in file order; empty once they ended.
    std::span<const Movement> next()
    {
        if (m_stage != Stage::Moving)
            return movementsOutOfMoving();
        const std::span<const Movement> batch = m_decoder->next();
        if (batch.empty() || batch.back().kind == Step::End)
            m_stage = Stage::Ended;
        return batch;
    }
    /// Leaves the movements unread, for a reader that has no use for them.
    void leaveMovements();
    /// How the movements ended: Read, or Broken with why they stopped early.
    TraceEnd end() const;
    /// What the file holds behind the movements (a note's lines, figures the movements
    /// gave), after movements that ended Read or were left unread.
    void readTrailer();

private:
    enum class Stage { Opened, Accepted, Rejected, Moving, Ended };

    std::span<const Movement> movementsOutOfMoving() const;
    void require(Stage stage, const char* step) const;

    std::unique_ptr<DesignDecoder> m_opened;
    DesignDecoder* m_decoder;
    MovementForm m_form;
    Design& m_design;
    Stage m_stage = Stage::Opened;
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
    DesignReading reading(decoding, file, path, design);
    if (!reading.accept())
        return {TraceEnd::Kind::Rejected};
    tracer.accepted();
    PenTrace pen = reading.measure();
    tracer.measured(pen);
    for (auto batch = reading.next(); !batch.empty(); batch = reading.next())
        for (const Movement& movement : batch)
            tracer.step(movement, pen.follow(movement), pen);
    TraceEnd end = reading.end();
    if (end.read() && trailer == Trailer::Read)
        reading.readTrailer();
    return end;
}

} // namespace orlika
