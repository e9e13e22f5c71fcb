// SPDX-License-Identifier: MIT
// The design as a value: what the stream of movements hands out around its batches and a
// failed read, and the pen trace that reads a design without a page cell.
#include "decoders/Design.h"
#include "decoders/DesignTrace.h"
#include "decoders/SewingTally.h"
#include "decoders/PenTrace.h"
#include "decoders/Registry.h"
#include "tests/support/DecodedDesigns.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/TestBytes.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/PesWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orlika::test {
namespace {

DesignValue collected(const std::string& name, DesignFile& file)
{
    return collectDesign(readerOfName(name)->decoding, file, "/designs/" + name);
}

std::int64_t countOf(const DesignValue& value, Step kind)
{
    return std::count_if(value.movements.begin(), value.movements.end(),
                         [kind](const Movement& m) { return m.kind == kind; });
}

TEST(DesignStream, ManyBatchesHandOutEveryMovementOnce)
{
    // 5,000 stitches span several batches of the stream and several blocks of the file.
    const gen::Design spiral = gen::makeSpiral(5000, 3);
    for (const std::string name : {"spiral.dst", "spiral.pes"}) {
        MemoryFile file(name.ends_with(".dst") ? gen::writeDst(spiral) : gen::writePes(spiral));
        const DesignValue value = collected(name, file);
        ASSERT_TRUE(value.accepted) << name;
        EXPECT_FALSE(value.error) << name;
        EXPECT_GT(value.movements.size(), 4 * MovementBatch::kCapacity) << name;
        // The spiral's stitches and jumps, every one handed out once.
        const auto placed = std::count_if(spiral.steps.begin(), spiral.steps.end(), [](const gen::Step& step) {
            return step.kind != gen::Step::Kind::ColorChange;
        });
        EXPECT_EQ(countOf(value, Step::Stitch) + countOf(value, Step::Move) + countOf(value, Step::Jump), placed)
            << name;
        EXPECT_EQ(countOf(value, Step::ColorChange), 2 + name.ends_with(".dst")) << name;  // DST's end changes pen
        EXPECT_EQ(value.movements.back().kind, Step::End) << name;
    }
}

TEST(DesignStream, ABatchWriterStopsAtTheCapacityAndTheBatchLearnsItsCountWhenItGoes)
{
    MovementBatch batch;
    batch.push(Step::Move, 1, 2);
    {
        MovementBatch::Writer out(batch);
        for (std::size_t i = 0; i < MovementBatch::kCapacity + 5; ++i)
            out.push(Step::Stitch, float(i), 0);
        EXPECT_EQ(batch.size(), 1u);  // not yet: the count is the writer's
    }
    ASSERT_EQ(batch.size(), MovementBatch::kCapacity);
    EXPECT_EQ(batch.view()[0].kind, Step::Move);
    EXPECT_EQ(batch.view()[1].x, 0.0f);
    EXPECT_EQ(batch.view().back().x, float(MovementBatch::kCapacity - 2));
}

TEST(DesignStream, AFailedReadKeepsWhatWasDecodedBeforeIt)
{
    const Bytes bytes = gen::writeDst(gen::makeSpiral(5000, 1));
    MemoryFile whole(bytes);
    const DesignValue all = collected("s.dst", whole);
    // The sizing pass reads the file whole; it fails halfway through the movements: the
    // stream stops there with the system's words, and every movement before the failure
    // is the whole file's.
    FailingFile failing(bytes, std::int64_t(bytes.size() / 2), true);
    const DesignValue cut = collected("s.dst", failing);
    ASSERT_TRUE(cut.error);
    EXPECT_EQ(*cut.error, "Read error: Input/output error");
    ASSERT_GT(cut.movements.size(), 1000u);
    ASSERT_LT(cut.movements.size(), all.movements.size());
    for (std::size_t i = 0; i < cut.movements.size(); ++i) {
        EXPECT_EQ(cut.movements[i].x, all.movements[i].x) << i;
        EXPECT_EQ(cut.movements[i].kind, all.movements[i].kind) << i;
    }
}

TEST(DesignStream, AHeaderNumberThatIsNotANumberIsTheDesignsError)
{
    MemoryFile file(Bytes{'S', 'T', ':', 'x', 0x0D, 0x1A});
    const DesignValue value = collected("bad.dst", file);
    EXPECT_EQ(value.error, "'x' is not a valid integer value");
    EXPECT_TRUE(value.movements.empty());
}

// The steps a trace took, in order, and the movements it was handed.
struct StepLog : DesignTracer {
    std::vector<std::string> steps;
    std::size_t movements = 0;
    void accepted() { steps.push_back("accepted"); }
    void measured(const PenTrace&) { steps.push_back("measured"); }
    void step(const Movement&, PenTrace::Effect, const PenTrace&)
    {
        if (movements++ == 0)
            steps.push_back("movements");
    }
};

TraceEnd traced(const std::string& name, DesignFile& file, StepLog& log, Trailer trailer = Trailer::Skip,
                Design* into = nullptr)
{
    Design design;
    return traceDesign(readerOfName(name)->decoding, file, "/designs/" + name, into ? *into : design, trailer, log);
}

TEST(DesignTrace, StepsComeInOrderEndWhereTheFileDoesAndReadTheTrailerOnlyWhenAsked)
{
    const Bytes bytes = gen::writeDst(gen::makeSpiral(5000, 1));
    MemoryFile whole(bytes);
    StepLog read;
    EXPECT_TRUE(traced("s.dst", whole, read).read());
    EXPECT_EQ(read.steps, (std::vector<std::string>{"accepted", "measured", "movements"}));
    MemoryFile again(bytes);
    EXPECT_EQ(read.movements, collected("s.dst", again).movements.size());

    // Cut halfway through the movements: broken, with the system's words.
    FailingFile failing(bytes, std::int64_t(bytes.size() / 2), true);
    StepLog cut;
    const TraceEnd broken = traced("s.dst", failing, cut);
    EXPECT_EQ(broken.kind, TraceEnd::Kind::Broken);
    EXPECT_EQ(broken.problem, "Read error: Input/output error");
    EXPECT_LT(cut.movements, read.movements);

    // Not of its format: nothing after the header.
    MemoryFile other(Bytes(600, 0x55));
    StepLog rejected;
    EXPECT_EQ(traced("other.pes", other, rejected).kind, TraceEnd::Kind::Rejected);
    EXPECT_TRUE(rejected.steps.empty());

    // The note behind a PCD's stitches is read only when asked.
    const auto note = fileBytes(std::string(ORLIKA_SAMPLES) + "/circle-note.pcd");
    Design skipped, withTrailer;
    MemoryFile first(note), second(note);
    StepLog ignored;
    ASSERT_TRUE(traced("circle-note.pcd", first, ignored, Trailer::Skip, &skipped).read());
    ASSERT_TRUE(traced("circle-note.pcd", second, ignored, Trailer::Read, &withTrailer).read());
    EXPECT_TRUE(skipped.cellList.empty());
    EXPECT_FALSE(withTrailer.cellList.empty());
}

// A decoder whose every batch is `batch`, ending in the design's End: whatever it is asked
// after the End would be read past the design. It counts what it was asked.
class RepeatingDecoder final : public DesignDecoder {
public:
    explicit RepeatingDecoder(std::vector<Movement> batch) : m_batch(std::move(batch)) {}
    bool readHeader(Design&) override { return true; }
    void measure(Design& design) override { design.bounds = {0, 10, 0, 10}; }
    void readTrailer(Design& design) override { design.cellList.push_back("note"); }
    int batchesAsked = 0;

protected:
    void decodeMore(MovementBatch& batch) override
    {
        ++batchesAsked;
        for (const Movement& m : m_batch)
            batch.push(m.kind, m.x, m.y, m.color);
    }

private:
    std::vector<Movement> m_batch;
};

TEST(DesignReading, TheMovementsEndAtTheDesignsEndWithoutAskingTheDecoderForMore)
{
    RepeatingDecoder decoder({{1, 2, 0, Step::Move}, {3, 4, 0, Step::Stitch}, {0, 0, 0, Step::End}});
    Design design;
    DesignReading reading(decoder, MovementForm{}, design);
    ASSERT_TRUE(reading.accept());
    reading.measure();
    EXPECT_EQ(design.bounds.maxX, 10);
    EXPECT_EQ(reading.next().size(), 3u);
    EXPECT_TRUE(reading.next().empty());
    EXPECT_TRUE(reading.next().empty());
    EXPECT_EQ(decoder.batchesAsked, 1);
    EXPECT_TRUE(reading.end().read());
    reading.readTrailer();
    EXPECT_EQ(design.cellList, std::vector<std::string>{"note"});
}

TEST(DesignReading, AStepOutOfItsOrderIsRefused)
{
    const std::vector<Movement> stitches = {{1, 2, 0, Step::Stitch}};
    {
        RepeatingDecoder decoder(stitches);
        Design design;
        DesignReading reading(decoder, MovementForm{}, design);
        EXPECT_THROW(reading.measure(), std::logic_error) << "before the header";
        EXPECT_THROW(reading.next(), std::logic_error) << "before the header";
        ASSERT_TRUE(reading.accept());
        EXPECT_THROW(reading.accept(), std::logic_error) << "a second header";
        EXPECT_THROW(reading.next(), std::logic_error) << "before the sizing pass";
        EXPECT_THROW(reading.end(), std::logic_error) << "before the sizing pass";
        reading.measure();
        EXPECT_FALSE(reading.next().empty());
        EXPECT_THROW(reading.end(), std::logic_error) << "movements that go on";
        EXPECT_THROW(reading.readTrailer(), std::logic_error) << "movements that go on";
        EXPECT_EQ(decoder.batchesAsked, 1);
    }
    {
        // Movements left unread end the reading; its trailer follows.
        RepeatingDecoder decoder(stitches);
        Design design;
        DesignReading reading(decoder, MovementForm{}, design);
        ASSERT_TRUE(reading.accept());
        reading.measure();
        reading.leaveMovements();
        EXPECT_TRUE(reading.next().empty());
        EXPECT_TRUE(reading.end().read());
        reading.readTrailer();
        EXPECT_EQ(decoder.batchesAsked, 0);
        EXPECT_EQ(design.cellList.size(), 1u);
    }
}

TEST(DesignReading, MovementsCutShortByAnErrorHaveNoTrailer)
{
    const Bytes bytes = gen::writeDst(gen::makeSpiral(5000, 1));
    FailingFile failing(bytes, std::int64_t(bytes.size() / 2), true);
    Design design;
    DesignReading reading(readerOfName("s.dst")->decoding, failing, "/designs/s.dst", design);
    ASSERT_TRUE(reading.accept());
    reading.measure();
    std::size_t movements = 0;
    for (auto batch = reading.next(); !batch.empty(); batch = reading.next())
        movements += batch.size();
    EXPECT_GT(movements, 1000u);
    const TraceEnd end = reading.end();
    EXPECT_EQ(end.kind, TraceEnd::Kind::Broken);
    EXPECT_EQ(end.problem, "Read error: Input/output error");
    EXPECT_THROW(reading.readTrailer(), std::logic_error);
}

TEST(SewingTally, CountsWhatTheMachineDoesBetweenStitchesAndTheThreadOfEachBlock)
{
    // Steps in 0.1 mm: two stitches, a cut and a 20 mm jump, a stitch, a change and a stop
    // in a row, a stitch, a 5 mm jump, a stitch, and a change with nothing after it.
    const std::vector<Movement> movements = {
        {100, 0, 0, Step::Stitch},        {0, 100, 0, Step::Stitch},       {0, 0, 0, Step::Trim},
        {200, 0, 0, Step::Jump},          {30, 40, 0, Step::Stitch},       {0, 0, Red, Step::ColorChange},
        {0, 0, kPenKept, Step::ColorChange}, {0, 50, 0, Step::Stitch},     {50, 0, 0, Step::Jump},
        {0, 10, 0, Step::Stitch},         {0, 0, White, Step::ColorChange}, {0, 0, 0, Step::End},
    };
    const Design design;
    PenTrace pen(design, MovementForm{});
    SewingTally tally(design.unit);
    for (const Movement& movement : movements)
        tally.take(movement, pen.follow(movement), pen);

    const SewingCounts& counts = tally.counts();
    EXPECT_EQ(counts.stitches, 5);
    EXPECT_EQ(counts.cutsAndTravels, 2);  // the cut and the long jump; not the short one
    EXPECT_EQ(counts.stops, 2);           // not the change after the last stitch
    EXPECT_DOUBLE_EQ(counts.stitchedMm, 31.0);
    EXPECT_EQ(tally.blockMm(), (std::vector<double>{25.0, 6.0}));
    // 5 stitches at 600 a minute, 2 x 6 s and 2 x 30 s; at 300 a minute the stitches take twice as long.
    EXPECT_NEAR(counts.minutes(), 5.0 / 600 + 72.0 / 60, 1e-12);
    EXPECT_NEAR(counts.minutes(300), 5.0 / 300 + 72.0 / 60, 1e-12);
    EXPECT_NEAR(counts.threadMetres(), 0.0341, 1e-12);
    EXPECT_NEAR(counts.bobbinMetres(), 0.0341 / 3, 1e-12);
}

TEST(PenTrace, StepsAddUpWithTheirYTurnedToThePagesAndPointsStandAlone)
{
    Design design;
    design.startColor = 0x00123456;
    const Movement moves[] = {{3, 4, 0, Step::Move},        {1, 1, 0, Step::Stitch},
                              {0, 0, 0x02FF0000, Step::ColorChange}, {0, 0, kPenKept, Step::ColorChange},
                              {0, 0, 0, Step::Trim},        {2, -1, 0, Step::Jump},
                              {0, 0, 0, Step::End},         {9, 9, 0, Step::Stitch}};
    PenTrace steps(design, MovementForm{.yUp = true, .startsInColor = true});
    EXPECT_EQ(steps.color(), 0x00123456u);
    const PenTrace::Effect expected[] = {PenTrace::Effect::Move,    PenTrace::Effect::Line,
                                         PenTrace::Effect::Color,   PenTrace::Effect::Nothing,
                                         PenTrace::Effect::Nothing, PenTrace::Effect::Move,
                                         PenTrace::Effect::End,     PenTrace::Effect::Nothing};
    for (std::size_t i = 0; i < std::size(moves); ++i) {
        EXPECT_EQ(steps.follow(moves[i]), expected[i]) << i;
        if (i == 1) {
            // The line runs from (3, -4) to (4, -5): y grows downward on the page.
            EXPECT_EQ(steps.fromX(), 3);
            EXPECT_EQ(steps.fromY(), -4);
            EXPECT_EQ(steps.x(), 4);
            EXPECT_EQ(steps.y(), -5);
        }
    }
    EXPECT_EQ(steps.color(), 0x00FF0000u);  // the palette mark is not part of the colour
    EXPECT_EQ(steps.x(), 6);
    EXPECT_EQ(steps.y(), -4);

    // Positions are points of their own; a format whose pen starts black ignores startColor.
    PenTrace points(design, MovementForm{.positions = true, .yUp = false});
    EXPECT_EQ(points.color(), Black);
    points.follow({10, 20, 0, Step::Move});
    points.follow({30, 40, 0, Step::Stitch});
    EXPECT_EQ(points.fromX(), 10);
    EXPECT_EQ(points.x(), 30);
    EXPECT_EQ(points.y(), 40);
}

} // namespace
} // namespace orlika::test
