// SPDX-License-Identifier: MIT
// The invariants the fuzz targets check (fuzz/Invariants.h): they hold for the readers on
// the bundled samples, the kept fuzz corpus and every input that once broke a reader, and
// each fires on a reader with the fault it is there to catch.
#include "cell/CellContext.h"
#include "fuzz/Invariants.h"
#include "platform/FileSystem.h"
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;
using fuzz::Invariant;
using fuzz::Violation;

Bytes readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> filesIn(const fs::path& folder)
{
    std::vector<fs::path> paths;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename() != ".keep")
                paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string described(const std::vector<Violation>& violations)
{
    std::string text;
    for (std::size_t i = 0; i < violations.size() && i < 4; ++i)
        text += "\n  " + fuzz::describe(violations[i]);
    return text;
}

std::set<Invariant> firedIn(const std::vector<Violation>& violations)
{
    std::set<Invariant> fired;
    for (const Violation& violation : violations)
        fired.insert(violation.invariant);
    return fired;
}

struct Sample {
    std::string name;
    Bytes bytes;
    const Reader* reader;
    std::string extension;  // upper case: ".PES"
};

// Every bundled sample; one without a reader stays in, and fails.
std::vector<Sample> bundledSamples()
{
    std::vector<Sample> samples;
    for (const fs::path& path : filesIn(ORLIKA_SAMPLES)) {
        const std::string name = path.filename().string();
        samples.push_back({name, readAll(path), readerOfName(name), upperCase(path.extension().string())});
    }
    return samples;
}

TEST(Invariants, HoldForTheReadersOnEveryBundledSample)
{
    const auto samples = bundledSamples();
    ASSERT_GE(samples.size(), 12u);
    for (const Sample& sample : samples) {
        ASSERT_NE(sample.reader, nullptr) << sample.name;
        const auto violations = fuzz::checkReader(*sample.reader, sample.name, sample.bytes);
        EXPECT_TRUE(violations.empty()) << sample.name << described(violations);
    }
}

// Every finding is a test: the inputs that once broke a reader, named with their reader's
// extension, and the corpus the fuzzers keep, read as each target reads its inputs.
TEST(Invariants, HoldOnEveryInputThatOnceBrokeAReader)
{
    for (const fs::path& path : filesIn(fs::path(ORLIKA_TEST_DATA) / "crashers")) {
        const std::string name = path.filename().string();
        const Reader* reader = readerOfName(name);
        ASSERT_NE(reader, nullptr) << name << " names no reader";
        const auto violations = fuzz::checkReader(*reader, name, readAll(path));
        EXPECT_TRUE(violations.empty()) << path << described(violations);
    }
}

class KeptCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(KeptCorpus, HoldsTheInvariants)
{
    const auto targets = fuzzTargets();
    const auto target =
        std::find_if(targets.begin(), targets.end(), [](const FuzzTarget& t) { return t.name == GetParam(); });
    ASSERT_NE(target, targets.end());
    const std::string name = fuzz::fuzzFileName(*target);
    const auto files = filesIn(fs::path(ORLIKA_FUZZ_CORPUS) / target->name);
    ASSERT_FALSE(files.empty()) << "no kept corpus for " << target->name;
    for (const fs::path& path : files) {
        const auto violations = fuzz::checkReader(*readerOfName(name), name, readAll(path));
        EXPECT_TRUE(violations.empty()) << path << described(violations);
    }
}

std::vector<std::string> fuzzTargetNames()
{
    std::vector<std::string> names;
    for (const FuzzTarget& target : fuzzTargets())
        names.push_back(target.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, KeptCorpus, ::testing::ValuesIn(fuzzTargetNames()),
                         [](const auto& info) { return info.param; });

// ---------------------------------------------------------------------------------------
// Readers with deliberate faults

// Forwards every call; the faults below override what they break.
class ForwardingCanvas : public Canvas {
public:
    explicit ForwardingCanvas(Canvas& inner) : m_inner(inner) {}
    void setPenColor(Color color) override { m_inner.setPenColor(color); }
    Color penColor() const override { return m_inner.penColor(); }
    void setPenWidth(int width) override { m_inner.setPenWidth(width); }
    void setBrush(BrushStyle style, Color color) override { m_inner.setBrush(style, color); }
    void setFont(const Font& font) override { m_inner.setFont(font); }
    void setFontColor(Color color) override { m_inner.setFontColor(color); }
    Color fontColor() const override { return m_inner.fontColor(); }
    void moveTo(int x, int y) override { m_inner.moveTo(x, y); }
    void lineTo(int x, int y) override { m_inner.lineTo(x, y); }
    void rectangle(int l, int t, int r, int b) override { m_inner.rectangle(l, t, r, b); }
    void textOut(int x, int y, const std::string& text) override { m_inner.textOut(x, y, text); }
    void labelOut(int x, int y, const std::string& text) override { m_inner.labelOut(x, y, text); }
    int textWidth(const std::string& text) override { return m_inner.textWidth(text); }
    int textHeight(const std::string& text) override { return m_inner.textHeight(text); }

protected:
    Canvas& m_inner;
};

// A start point three pixels off: every point lands three pixels to the right.
class ShiftedCanvas final : public ForwardingCanvas {
public:
    using ForwardingCanvas::ForwardingCanvas;
    void moveTo(int x, int y) override { m_inner.moveTo(x + 3, y); }
    void lineTo(int x, int y) override { m_inner.lineTo(x + 3, y); }
};

// A design drawn at half its scale, towards its first point: inside the rectangle, short
// of its edges.
class ShrunkCanvas final : public ForwardingCanvas {
public:
    using ForwardingCanvas::ForwardingCanvas;
    void moveTo(int x, int y) override { m_inner.moveTo(shrunk(x, m_x0), shrunk(y, m_y0)); }
    void lineTo(int x, int y) override { m_inner.lineTo(shrunk(x, m_x0), shrunk(y, m_y0)); }

private:
    int shrunk(int value, std::optional<int>& first)
    {
        if (!first)
            first = value;
        return *first + (value - *first) / 2;
    }
    std::optional<int> m_x0, m_y0;
};

// A drawing pass that loses its fifth line.
class LineLosingCanvas final : public ForwardingCanvas {
public:
    using ForwardingCanvas::ForwardingCanvas;
    void lineTo(int x, int y) override
    {
        if (++m_lines != 5)
            m_inner.lineTo(x, y);
    }

private:
    int m_lines = 0;
};

// A drawing pass that loses its second pen colour.
class ColorLosingCanvas final : public ForwardingCanvas {
public:
    using ForwardingCanvas::ForwardingCanvas;
    void setPenColor(Color color) override
    {
        if (++m_colors != 2)
            m_inner.setPenColor(color);
    }

private:
    int m_colors = 0;
};

// A name line that never turns the font black again after a selected name.
class FontKeepingCanvas final : public ForwardingCanvas {
public:
    using ForwardingCanvas::ForwardingCanvas;
    void setFontColor(Color color) override
    {
        if (color != Black)
            m_inner.setFontColor(color);
    }
};

// The reader drawing through the decorator, on the cell's canvas and as the main canvas.
template <typename Decorator>
fuzz::ReadRoutine through(const Reader& reader)
{
    return [read = fuzz::cellRoutine(reader)](CellContext& cell, DesignFile& file) {
        Decorator canvas(cell.canvas());
        CellServices services = cell.services();
        services.mainCanvas = &canvas;
        CellContext decorated(canvas, cell.cell(), cell.figures(), cell.designPath(), services);
        return read(decorated, file);
    };
}

// A file read as if every read delivered all it asked for (up to the end of the file):
// what a short read leaves unfilled reads as zeros, and the next read starts after it.
class WholeBlockFile final : public DesignFile {
public:
    explicit WholeBlockFile(DesignFile& file) : m_file(file) {}
    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const std::int64_t start = m_file.position();
        const std::size_t delivered = m_file.read(buffer);
        std::fill(buffer.begin() + std::ptrdiff_t(delivered), buffer.end(), std::uint8_t(0));
        const std::int64_t left = std::max<std::int64_t>(m_file.size() - start, 0);
        const auto claimed = std::size_t(std::min(left, std::int64_t(buffer.size())));
        m_file.seek(start + std::int64_t(claimed));
        return claimed;
    }
    void seek(std::int64_t position) override { m_file.seek(position); }
    std::int64_t position() const override { return m_file.position(); }
    std::int64_t size() const override { return m_file.size(); }

private:
    DesignFile& m_file;
};

std::set<Invariant> firedFor(const Sample& sample, const fuzz::ReadRoutine& read)
{
    return firedIn(fuzz::checkReader(*sample.reader, read, sample.name, sample.bytes));
}

TEST(Invariants, AReaderThatTakesShortReadsForWholeBlocksBreaksSameInPieces)
{
    for (const Sample& sample : bundledSamples()) {
        const auto wholeBlocks = [read = fuzz::cellRoutine(*sample.reader)](CellContext& cell, DesignFile& file) {
            WholeBlockFile blocks(file);
            return read(cell, blocks);
        };
        EXPECT_TRUE(firedFor(sample, wholeBlocks).contains(Invariant::SameInPieces)) << sample.name;
    }
}

TEST(Invariants, PointsOffTheirPlaceBreakInsideExtentsWhereTheExtentsAreMeasured)
{
    for (const Sample& sample : bundledSamples()) {
        const bool measured = sample.extension != ".DST";  // a DST header's extents may lie
        EXPECT_EQ(firedFor(sample, through<ShiftedCanvas>(*sample.reader)).contains(Invariant::InsideExtents), measured)
            << sample.name;
        // The samples' measured bounds are the box of their points, which must reach its edges.
        EXPECT_EQ(firedFor(sample, through<ShrunkCanvas>(*sample.reader)).contains(Invariant::InsideExtents), measured)
            << sample.name;
    }
}

TEST(Invariants, AStitchOrColourChangeLostInDrawingBreaksDrawnAsDecoded)
{
    for (const Sample& sample : bundledSamples()) {
        EXPECT_TRUE(firedFor(sample, through<LineLosingCanvas>(*sample.reader)).contains(Invariant::DrawnAsDecoded))
            << sample.name;
        EXPECT_TRUE(firedFor(sample, through<ColorLosingCanvas>(*sample.reader)).contains(Invariant::DrawnAsDecoded))
            << sample.name;
    }
}

TEST(Invariants, APenOrFontLeftColouredBreaksBlackAfterwards)
{
    for (const Sample& sample : bundledSamples()) {
        const auto leavingRed = [read = fuzz::cellRoutine(*sample.reader)](CellContext& cell, DesignFile& file) {
            const CellOutcome outcome = read(cell, file);
            cell.canvas().setPenColor(Red);
            return outcome;
        };
        EXPECT_TRUE(firedFor(sample, leavingRed).contains(Invariant::BlackAfterwards)) << sample.name;
        EXPECT_TRUE(firedFor(sample, through<FontKeepingCanvas>(*sample.reader)).contains(Invariant::BlackAfterwards))
            << sample.name;
    }
}

} // namespace
} // namespace orlika::test
