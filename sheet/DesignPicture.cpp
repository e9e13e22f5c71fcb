// SPDX-License-Identifier: MIT
#include "sheet/DesignPicture.h"

#include "decoders/DesignTrace.h"
#include "decoders/Registry.h"
#include "platform/FileSystem.h"
#include "render/PainterCanvas.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

namespace orlika {

namespace {

// Builds the blocks and the extent from the design's movements as a pen follows them.
class PictureBuilder {
public:
    /// Builds from the movements that `pen`, the pen of the design's trace, follows.
    PictureBuilder(const Design& design, const PenTrace& pen, DesignPicture& picture)
        : m_design(design), m_trace(pen), m_picture(picture), m_mm(millimetresPerUnit(design.unit))
    {
        m_picture.figures = StitchFigures(design.unit);
        startBlock();
    }

    void follow(PenTrace::Effect effect)
    {
        m_picture.figures.take(effect, m_trace);
        switch (effect) {
        case PenTrace::Effect::Color:
            // A change before the block's first stitch only sets the block's pen: some
            // formats set the first colour with a change before the first stitch.
            if (m_picture.blocks.back().stitches == 0)
                describe(m_picture.blocks.back(), m_picture.blocks.size() - 1, true);
            else
                startBlock();
            break;
        case PenTrace::Effect::Move:
            m_runOpen = false;
            break;
        case PenTrace::Effect::Line:
            addStitch();
            break;
        case PenTrace::Effect::Nothing:
        case PenTrace::Effect::End:
            break;
        }
    }

    /// Drops a last block without stitches (a colour change just before the end) and
    /// sets the extent; false when no stitch was sewn.
    bool finish()
    {
        while (m_picture.blocks.size() > 1 && m_picture.blocks.back().stitches == 0)
            m_picture.blocks.pop_back();
        const StitchFigures& figures = m_picture.figures;
        if (!figures.hasStitches())
            return false;
        m_picture.extent =
            QRectF(QPointF(figures.leftMm(), figures.topMm()), QPointF(figures.rightMm(), figures.bottomMm()));
        return true;
    }

private:
    void startBlock()
    {
        m_picture.blocks.emplace_back();
        describe(m_picture.blocks.back(), m_picture.blocks.size() - 1, m_picture.blocks.size() > 1);
        m_runOpen = false;
    }

    // The block's thread is the design's thread of its place in the sequence; where the
    // format gives none, or a table of colours that the changes pick from rather than a
    // list of threads (a colour without name or code, other than the pen's), the pen's
    // colour without a name.
    void describe(ColorBlock& block, std::size_t index, bool penSet) const
    {
        const Color pen = m_trace.color();
        block = ColorBlock{};
        block.color = pen;
        if (index >= m_design.threads.size())
            return;
        const Thread& thread = m_design.threads[index];
        block.threadName = thread.name;
        block.threadCode = thread.code;
        const bool named = !thread.name.empty() || !thread.code.empty();
        if (named || !penSet)
            block.color = thread.color & 0x00FFFFFF;
    }

    void addStitch()
    {
        ColorBlock& block = m_picture.blocks.back();
        const QPointF to(m_trace.x() * m_mm, m_trace.y() * m_mm);
        if (!m_runOpen) {
            block.runs.emplace_back();
            block.runs.back() << QPointF(m_trace.fromX() * m_mm, m_trace.fromY() * m_mm);
            m_runOpen = true;
        }
        block.runs.back() << to;
        ++block.stitches;
    }

    const Design& m_design;
    const PenTrace& m_trace;
    DesignPicture& m_picture;
    double m_mm;
    bool m_runOpen = false;
};

// The picture of a design as its trace goes: the header's boxes are told even where the
// stitches then fail.
struct PictureTracer : DesignTracer {
    PictureTracer(const Design& design, DesignPicture& picture, PictureReading& reading)
        : design(design), picture(picture), reading(reading)
    {
    }
    void accepted()
    {
        for (const DesignMessage& message : design.messages)
            reading.warnings.push_back(message.text);
    }
    void measured(const PenTrace& pen)
    {
        picture.cutShort = design.cutShort;
        builder.emplace(design, pen, picture);
        sewing.emplace(design.unit);
    }
    void step(const Movement& movement, PenTrace::Effect effect, const PenTrace& pen)
    {
        builder->follow(effect);
        sewing->take(movement, effect, pen);
    }
    /// The sewing's figures, and each block's thread where the blocks are the tally's.
    void finishSewing()
    {
        picture.sewing = sewing->counts();
        const std::vector<double> blockMm = sewing->blockMm();
        if (blockMm.size() == picture.blocks.size())
            for (std::size_t i = 0; i < blockMm.size(); ++i)
                picture.blocks[i].threadMetres = threadMetresFor(blockMm[i]);
    }

    const Design& design;
    DesignPicture& picture;
    PictureReading& reading;
    std::optional<PictureBuilder> builder;
    std::optional<SewingTally> sewing;
};

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string formatOfName(const std::string& name)
{
    std::string extension = upperCase(extensionPart(name));
    return extension.empty() ? extension : extension.substr(1);
}

} // namespace

PictureReading readDesignPicture(const std::string& path)
{
    PosixFileSystem files;
    return readDesignPicture(path, files);
}

PictureReading readDesignPicture(const std::string& path, FileSystem& files)
{
    PictureReading reading;
    const std::string name = namePart(path);
    const Reader* reader = readerOfName(name);
    if (!reader) {
        const std::string extension = extensionPart(name);
        reading.problem = extension.empty() ? "no reader takes a file without an extension"
                                            : "no reader takes " + extension + " files";
        return reading;
    }
    const std::unique_ptr<DesignFile> file = files.openRead(path);
    if (!file) {
        reading.problem = "cannot open the file: " + openFailureText(files.whyNotOpened(path));
        return reading;
    }
    DesignPicture picture;
    picture.path = path;
    picture.name = name;
    // The sheet names the folder in full, however the path was given.
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    picture.folder = folderPart(failed ? path : absolute.string());
    picture.format = formatOfName(name);
    try {
        Design design;
        PictureTracer tracer(design, picture, reading);
        const TraceEnd end = traceDesign(reader->decoding, *file, path, design, Trailer::Skip, tracer);
        if (end.kind == TraceEnd::Kind::Rejected) {
            reading.problem = design.rejection ? trimmed(design.rejection->cellText) : "not a design of this format";
            if (reading.problem.empty() && !design.messages.empty())
                reading.problem = design.messages.front().text;
            return reading;
        }
        if (end.kind == TraceEnd::Kind::Broken) {
            reading.problem = end.problem;
            return reading;
        }
        if (!tracer.builder->finish()) {
            reading.problem = "the design has no stitches";
            return reading;
        }
        tracer.finishSewing();
        // Boxes raised while reading on (after the header) are the design's too.
        for (std::size_t i = reading.warnings.size(); i < design.messages.size(); ++i)
            reading.warnings.push_back(design.messages[i].text);
    } catch (const std::exception& error) {
        reading.problem = error.what();
        return reading;
    }
    reading.picture = std::move(picture);
    return reading;
}

bool isLightOnWhite(Color color)
{
    return std::min({redOf(color), greenOf(color), blueOf(color)}) >= 200;
}

namespace {

void drawRuns(QPainter& painter, const ColorBlock& block, const QColor& color, double width)
{
    // Long runs in pieces of this many points; consecutive pieces share their joining point.
    constexpr qsizetype kPiece = 4096;
    QPen pen(color);
    pen.setWidthF(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    for (const QPolygonF& run : block.runs) {
        for (qsizetype start = 0; start + 1 < run.size(); start += kPiece - 1) {
            const qsizetype count = std::min(kPiece, run.size() - start);
            painter.drawPolyline(run.constData() + start, int(count));
        }
    }
}

} // namespace

void paintDesign(QPainter& painter, const DesignPicture& picture, double stitchWidthMm, Backdrop backdrop)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (const ColorBlock& block : picture.blocks) {
        if (backdrop == Backdrop::Paper && isLightOnWhite(block.color)) {
            // A grey edge, the thread's colour within it: the stitch keeps its width.
            drawRuns(painter, block, QColor(150, 150, 150), stitchWidthMm);
            drawRuns(painter, block, toQColor(block.color), stitchWidthMm * 0.6);
        } else {
            drawRuns(painter, block, toQColor(block.color), stitchWidthMm);
        }
    }
    painter.restore();
}

std::string threadText(const ColorBlock& block)
{
    if (block.threadName.empty() || block.threadCode.empty())
        return block.threadName + block.threadCode;
    return block.threadName + " " + block.threadCode;
}

std::string sizeInMillimetres(const DesignPicture& picture)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f x %.1f mm", picture.widthMm(), picture.heightMm());
    return text;
}

std::string sizeInInches(const DesignPicture& picture)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f x %.2f in", picture.widthMm() / 25.4, picture.heightMm() / 25.4);
    return text;
}

std::string sewingText(const SewingCounts& sewing, int stitchesPerMinute)
{
    // Whole minutes: the figures behind them are rules of thumb.
    const long minutes = std::max(1L, std::lround(sewing.minutes(stitchesPerMinute)));
    char text[128];
    std::snprintf(text, sizeof text, "about %ld min at %d stitches a minute; thread %.1f m, bobbin %.1f m", minutes,
                  stitchesPerMinute, sewing.threadMetres(), sewing.bobbinMetres());
    return text;
}

} // namespace orlika
