// SPDX-License-Identifier: MIT
// A design as the decoders read it, apart from any drawing: its figures in the format's
// own units, its threads, the texts its cell lists, the messages its file raises, and its
// movements in file order, which the consumer pulls from the decoder a batch at a time so
// that a design of millions of stitches never has to be held whole. How a design is placed
// in a page cell and how its cell's texts are laid out is the cell layer's (cell/CellRules.h).
#pragma once

#include "platform/ByteCursor.h"
#include "platform/Color.h"
#include "platform/DesignFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

/// A header number that is not an integer, as the runtime's string conversion reports it.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What the readers used to leave behind, under the names the catalog state gives them:
/// the text position and the Tajima header's extents and counts.
struct DesignFigures {
    float PosX = 0;
    float PosY = 0;
    float MinX = 0;
    float MaxX = 0;
    float MinY = 0;
    float MaxY = 0;
    std::int32_t StitchCount = 0;
    std::int32_t MinusX = 0;
    std::int32_t PlusX = 0;
    std::int32_t MinusY = 0;
    std::int32_t PlusY = 0;
    std::int32_t ColorChangeCount = 0;

    bool operator==(const DesignFigures&) const = default;
};

/// What a movement does.
enum class Step : std::uint8_t {
    Move,         // the pen goes to the point without sewing: a first point, a point after a pen lift
    Stitch,       // a stitch from the current point to this one
    Jump,         // a jump stitch: the machine travels to the point without sewing
    Trim,         // the thread is cut where the pen stands; the point does not change
    ColorChange,  // the next thread: `color` is its pen colour, or kPenKept
    End,          // the design ends here; nothing follows
};

/// The colour of a colour change that leaves the pen as it is.
constexpr Color kPenKept = 0xFF000000;

/// One movement in the design's units: a step from the current point, or where the
/// format's placement takes positions, the point itself.
struct Movement {
    float x = 0;
    float y = 0;
    Color color = 0;
    Step kind = Step::Stitch;
};

/// The pen colours that DST, KSM and EXP step through at colour changes.
using PenColorTable = std::array<Color, 18>;
const PenColorTable& penColors();

/// The units of a format's coordinates, for the sizes its remarks give.
enum class DesignUnit { TenthMillimetre, SixthMillimetre };

/// Millimetres in one unit.
constexpr double millimetresPerUnit(DesignUnit unit)
{
    return unit == DesignUnit::TenthMillimetre ? 0.1 : 1.0 / 6;
}

/// How a format's movements are read: what its file says of them, apart from any cell.
struct MovementForm {
    /// Every movement is a point placed on its own, rounded to a pixel and kept; else the
    /// movements are steps summed in single precision from the start point.
    bool positions = false;
    /// The format's y grows upward; a page's grows downward.
    bool yUp = true;
    /// The pen starts in the design's start colour; else it starts black.
    bool startsInColor = false;
};

/// A count with thousands separated by commas: "12,345".
std::string groupedCount(std::int64_t count);

/// A thread of the design, in stitching order.
struct Thread {
    Color color = Black;   // as the pen draws it
    std::string name;      // "" where the file gives none
    std::string code;      // the catalogue code, "" where the file gives none
    std::string brand{};   // the thread's maker, "" where the file gives none
};

/// What the remarks of a design's cell count and measure.
struct RemarkFigures {
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;  // as the format's remark counts them
    double width = 0;               // in the design's units
    double height = 0;
};

/// Where a design's points lie, in its units with y as the format has it: as its format
/// measures them, or a header's word where the format takes that.
struct Bounds {
    double minX = 0;
    double maxX = 0;
    double minY = 0;
    double maxY = 0;
    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }
};

/// The numbers a placement rule places a design by, in its units.
struct Frame {
    double width = 0;   // the extents the scale divides
    double height = 0;
    /// Steps: the start point's distance from the design's left edge and from its lowest
    /// point on the page. Positions: what is subtracted from every x and y.
    double left = 0;
    double low = 0;
};

/// A box a design's file raises: its text and caption, with an OK button.
struct DesignMessage {
    std::string text;
    std::string caption;
};

/// Why a decoder refused its file, in the words its cell writes. How that cell looks is
/// the format's cell rule's.
struct Rejection {
    std::string cellText;
};

/// A design read from its file.
struct Design {
    DesignUnit unit = DesignUnit::TenthMillimetre;
    Bounds bounds;
    bool measured = true;              // the bounds come from the stitches; else the file's word, which may lie
    Frame frame;
    RemarkFigures remarks;
    std::vector<Thread> threads;
    Color startColor = Black;          // the pen before the first movement
    std::vector<std::string> cellList; // listed below the remarks: threads, or a note's lines
    /// Where the file ends before the design its header describes, the line its cell
    /// writes under the remarks ("File ends after 1,203 of 4,562 stitches"); else empty.
    std::string cutShort;
    std::vector<DesignMessage> messages;
    std::optional<Rejection> rejection;
};

struct Extents;

/// Puts what a sizing pass found into the design: its bounds, the frame with the extents'
/// lowest corner as the origin, and the remark figures.
void describeExtents(Design& design, const Extents& extents, std::int64_t stitches, std::int64_t colorChanges);

/// Lists the threads in the cell, "1. Yellow" a line; a thread without a name is listed
/// as `nameless`.
void listNumberedThreads(Design& design, const std::vector<Thread>& threads, std::string_view nameless = "Unknown");

/// Movements handed out together.
class MovementBatch {
public:
    static constexpr std::size_t kCapacity = 1024;

    void clear() { m_size = 0; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    /// Movements that still fit.
    std::size_t room() const { return kCapacity - m_size; }
    /// Appends a movement; a decoder keeps room for what it appends, and beyond the
    /// capacity nothing is written.
    void push(Step kind, float x, float y, Color color = 0)
    {
        if (m_size < kCapacity)
            m_movements[m_size++] = Movement{x, y, color, kind};
    }
    void pushColor(Color color) { push(Step::ColorChange, 0, 0, color); }
    std::span<const Movement> view() const { return std::span(m_movements).first(m_size); }

    /// Appends as push() does, with the count in a local the compiler can keep in a
    /// register: through the batch, every append would load and store it, one append
    /// waiting on the last. The batch learns the count when the writer goes.
    class Writer {
    public:
        explicit Writer(MovementBatch& batch) : m_batch(batch), m_size(batch.m_size) {}
        ~Writer() { m_batch.m_size = m_size; }
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

        void push(Step kind, float x, float y, Color color = 0)
        {
            if (m_size < kCapacity)
                m_batch.m_movements[m_size++] = Movement{x, y, color, kind};
        }
        void push(const Movement& movement) { push(movement.kind, movement.x, movement.y, movement.color); }

    private:
        MovementBatch& m_batch;
        std::size_t m_size;
    };

private:
    std::array<Movement, kCapacity> m_movements;
    std::size_t m_size = 0;
};

// A format's decoder over one open design file. The steps come in order: the header
// (which may reject the file), the sizing pass, the movements batch by batch, and then
// what the file holds behind them. A read that fails or a header number that is not a
// number is an error: thrown from the header and the sizing pass, and from the movements
// kept (what was read before it stays) and told by error().
class DesignDecoder {
public:
    virtual ~DesignDecoder() = default;

    /// Reads what comes before the stitches into the design; false when the file is not of
    /// the format, its rejection then saying why.
    virtual bool readHeader(Design& design) = 0;
    /// The sizing pass: the design's frame and its remarks' figures.
    virtual void measure(Design& design) = 0;
    /// The next movements in file order; empty once the design ended, its data ran out or
    /// an error stopped it.
    std::span<const Movement> next();
    /// Why the movements stopped early, when they did.
    const std::optional<std::string>& error() const { return m_error; }
    /// After the movements: what the file holds behind them (a note's lines, remark figures
    /// the movements gave).
    virtual void readTrailer(Design& /*design*/) {}

protected:
    /// Appends the next movements to the batch, at least one unless the design ended.
    virtual void decodeMore(MovementBatch& batch) = 0;

private:
    MovementBatch m_batch;
    std::optional<std::string> m_error;
    bool m_ended = false;
};

/// How a format is read: its decoder over an open file (the path's name decides what some
/// formats read), and how its movements are to be taken.
struct Decoding {
    std::unique_ptr<DesignDecoder> (*open)(DesignFile& file, const std::string& path);
    MovementForm form;
};

/// A design read whole into memory.
struct DesignValue {
    Design design;
    bool accepted = false;
    std::vector<Movement> movements;
    std::optional<std::string> error;
};

/// Reads a whole design with its decoding: header, sizing, movements and what follows them.
DesignValue collectDesign(const Decoding& decoding, DesignFile& file, const std::string& path);

} // namespace orlika
