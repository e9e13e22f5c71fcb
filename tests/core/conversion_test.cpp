// SPDX-License-Identifier: MIT
// Converting designs for machines: every file written must read back as the design meant,
// and nothing that does not is left on disk.
#include "decoders/Registry.h"
#include "encoders/Conversion.h"
#include "encoders/Proof.h"
#include "encoders/ThreadMatch.h"
#include "platform/MemoryFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/DstWriter.h"

#include "tests/support/NeedlePaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orlika {
namespace {

using test::ListedNeedles;
using test::change;
using test::jump;
using test::stitch;
using test::trim;

namespace fs = std::filesystem;
using test::TempFolder;

/// Writes the path with the encoder (cut to its limits), reads the bytes back with the
/// format's reader and tells the first difference, or "" when there is none.
std::string writeAndProve(const Encoder& encoder, const std::vector<Needle>& path, std::vector<std::uint8_t>* bytes = nullptr)
{
    ListedNeedles forSummary(path);
    SplitNeedles splitForSummary(forSummary, encoder.limits);
    const NeedleSummary summary = summarize(splitForSummary, Black);
    std::vector<BlockThread> threads(summary.blockColors.size());
    const WriteOptions options{"made", DstTrims::ThreeJumps};
    VectorSink sink;
    ListedNeedles forWriting(path);
    SplitNeedles splitForWriting(forWriting, encoder.limits);
    encoder.write({summary, threads, options}, splitForWriting, sink);
    if (bytes)
        *bytes = sink.bytes();

    const std::string name = "made." + std::string(encoder.extension);
    MemoryFile file(sink.bytes());
    DesignNeedles written(*readerOfName(name), file, name);
    ListedNeedles meant(path);
    SplitNeedles splitMeant(meant, encoder.limits);
    std::vector<Color> colors;
    for (const BlockThread& thread : threads)
        colors.push_back(thread.color);
    const ProofRules rules{encoder.keepsTrims, false, encoder.travelReadsAsStitch};
    return firstDifference(splitMeant, written, colors, written.firstColor(), rules).value_or("");
}


/// What machines find hard: a 30 mm stitch, a 150 mm move, a trim, a stop, two colour
/// changes in a row, stitches in every direction.
std::vector<Needle> awkwardPath()
{
    std::vector<Needle> path{stitch(0, 0), stitch(300, 0), stitch(300, 45), jump(1800, -20), stitch(1790, -10)};
    path.push_back({Needle::Kind::Trim, 1790, -10, 0});
    path.push_back(jump(-400, 600));
    for (int i = 0; i < 40; ++i)
        path.push_back(stitch(-400 + (i % 7) * 13 - 40, 600 - i * 11));
    path.push_back(change());
    path.push_back(change());
    path.push_back(stitch(-300, 200));
    path.push_back(change());  // a stop: a change to the same thread
    path.push_back(stitch(-310, 180));
    return path;
}

TEST(Conversion, WritersKeepEveryStitchMoveAndColourChange)
{
    for (const Encoder& encoder : encoders()) {
        SCOPED_TRACE(encoder.name);
        EXPECT_EQ(writeAndProve(encoder, awkwardPath()), "");

        std::vector<Needle> manyColours;
        for (int i = 0; i < 300; ++i) {
            manyColours.push_back(stitch(i % 50, i / 50));
            manyColours.push_back(change());
        }
        manyColours.push_back(stitch(0, 0));
        EXPECT_EQ(writeAndProve(encoder, manyColours), "");
    }
}

TEST(Conversion, ProofFindsAMovedStitchALostJumpAndAMissingColourChange)
{
    const std::vector<Needle> path{stitch(10, 10), jump(200, 0), stitch(210, 5), change(), stitch(0, 0)};
    const auto differs = [&](std::vector<Needle> written) {
        ListedNeedles meant(path), got(std::move(written));
        const std::vector<Color> colors(2, Black);
        return firstDifference(meant, got, colors, Black, {}).has_value();
    };
    EXPECT_FALSE(differs(path));
    // Jumps in several pieces and a stitch that does not move are the same design.
    EXPECT_FALSE(differs({stitch(10, 10), stitch(10, 10), jump(100, 0), jump(200, 0), stitch(210, 5), change(), stitch(0, 0)}));
    EXPECT_TRUE(differs({stitch(10, 10), jump(200, 0), stitch(211, 5), change(), stitch(0, 0)}));
    EXPECT_TRUE(differs({stitch(10, 10), stitch(200, 0), stitch(210, 5), change(), stitch(0, 0)}));
    EXPECT_TRUE(differs({stitch(10, 10), jump(200, 0), stitch(210, 5), stitch(0, 0)}));
    EXPECT_TRUE(differs({stitch(10, 10), jump(200, 0), stitch(210, 5), change(), change(), stitch(0, 0)}));
}

TEST(Conversion, LongStitchesAreCutIntoEqualStitchesEndingOnTheSamePoint)
{
    ListedNeedles path({stitch(0, 0), stitch(300, -100), jump(301, -100)});
    SplitNeedles split(path, {121, 121});
    std::vector<Needle> out;
    for (Needle needle; split.next(needle);)
        out.push_back(needle);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[1].x, 100);
    EXPECT_EQ(out[1].y, -33);
    EXPECT_EQ(out[2].x, 200);
    EXPECT_EQ(out[2].y, -67);
    EXPECT_EQ(out[3].x, 300);
    EXPECT_EQ(out[3].y, -100);
    EXPECT_EQ(out[3].kind, Needle::Kind::Stitch);
    EXPECT_EQ(out[4].kind, Needle::Kind::Jump);
}

TEST(Conversion, ColourDifferenceFollowsThePublishedCiede2000Values)
{
    // Pairs and differences from the published CIEDE2000 test data.
    struct Pair {
        Lab one, other;
        double difference;
    };
    const Pair pairs[] = {
        {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
        {{50, -1.3802, -84.2814}, {50, 0, -82.7485}, 1.0000},
        {{50, 2.5, 0}, {50, 0, -2.5}, 4.3065},
        {{50, 2.5, 0}, {56, -27, -3}, 31.9030},
        {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
        {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    };
    for (const Pair& pair : pairs)
        EXPECT_NEAR(ciede2000(pair.one, pair.other), pair.difference, 1e-4);
    const Color chart[] = {rgb(255, 0, 0), rgb(0, 0, 255), rgb(250, 250, 250)};
    EXPECT_EQ(nearestThread(rgb(20, 30, 200), chart).index, 1u);
    EXPECT_EQ(nearestThread(White, chart).index, 2u);
}

std::vector<fs::path> designsIn(const fs::path& folder)
{
    std::vector<fs::path> designs;
    if (!fs::is_directory(folder))
        return designs;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && readerOfName(entry.path().filename().string()))
            designs.push_back(entry.path());
    std::sort(designs.begin(), designs.end());
    return designs;
}

/// Whether the design's reader takes it (some real files are of variants it refuses).
bool readerTakes(const fs::path& design)
{
    PosixFileSystem files;
    const auto file = files.openRead(design.string());
    try {
        DesignNeedles needles(*readerOfName(design.filename().string()), *file, design.string());
        return true;
    } catch (const ConversionFailure&) {
        return false;
    }
}

/// Converts every design of the folder its reader takes to every format; returns how
/// many were written.
int convertAll(const std::vector<fs::path>& designs)
{
    int written = 0;
    for (const Encoder& encoder : encoders()) {
        TempFolder out;
        PosixFileSystem files;
        ConversionTarget target;
        target.encoder = &encoder;
        for (const fs::path& design : designs) {
            if (!readerTakes(design))
                continue;
            SCOPED_TRACE(design.filename().string() + " to " + std::string(encoder.name));
            // Samples of one name in several formats each get a folder.
            const fs::path folder = out.path() / design.filename();
            fs::create_directory(folder);
            const ConversionOutcome outcome = convertDesign(design.string(), files, folder.string(), target);
            EXPECT_TRUE(outcome.written) << outcome.problem;
            written += outcome.written;
        }
        std::size_t left = 0;
        for (const auto& entry : fs::recursive_directory_iterator(out.path()))
            left += entry.path().filename().string().starts_with(".");
        EXPECT_EQ(left, 0u) << "temporary files left behind";
    }
    return written;
}

TEST(Conversion, EveryBundledSampleConvertsToEveryFormatAndReadsBackTheSame)
{
    const std::vector<fs::path> samples = designsIn(ORLIKA_SAMPLES);
    ASSERT_GE(samples.size(), 25u);
    EXPECT_EQ(convertAll(samples), int(samples.size() * encoders().size()));
}

TEST(Conversion, RealSamplesConvertAndReadBackTheSame)
{
    const std::vector<fs::path> samples = designsIn(ORLIKA_REAL_SAMPLES);
    if (samples.empty())
        GTEST_SKIP() << "no real samples at " << ORLIKA_REAL_SAMPLES;
    const auto taken = std::count_if(samples.begin(), samples.end(), readerTakes);
    EXPECT_GE(taken, 30);
    EXPECT_EQ(convertAll(samples), int(taken * std::ssize(encoders())));
}

TEST(Conversion, ADesignLargerThanTheHoopIsNotWrittenAndSaysWhetherTurningFits)
{
    TempFolder out;
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = encoderFor("DST");
    // star.dst is about 80 x 76 mm.
    target.hoopWidthMm = 60;
    target.hoopHeightMm = 100;
    const std::string star = std::string(ORLIKA_SAMPLES) + "/star.dst";
    ConversionOutcome outcome = convertDesign(star, files, out.folder(), target);
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.problem.find("larger than the 60 x 100 mm hoop by"), std::string::npos) << outcome.problem;
    EXPECT_FALSE(fs::exists(out.path() / "star.dst"));

    const std::string words = std::string(ORLIKA_SAMPLES) + "/sewing-words.dst";
    target.hoopWidthMm = 40;
    target.hoopHeightMm = 400;
    outcome = convertDesign(words, files, out.folder(), target);
    ASSERT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.fitsTurned) << outcome.problem;
    EXPECT_NE(outcome.problem.find("it fits turned by 90 degrees"), std::string::npos);
    target.turn = true;
    outcome = convertDesign(words, files, out.folder(), target);
    EXPECT_TRUE(outcome.written) << outcome.problem;
}

TEST(Conversion, DesignsLyingOnOneSideOfTheirStartConvertToEveryFormat)
{
    // A reader whose box takes the start point into its minima only (EXP's) measures such
    // a design otherwise than its stitches or its whole path: neither is a fault.
    TempFolder in;
    for (const int side : {1, -1}) {
        gen::Design design;
        design.stitch(side * 10, side * 10);
        design.stitch(side * 40, side * 10);
        design.stitch(side * 40, side * 30);
        design.stitch(side * 10, side * 30);
        const fs::path path = in.path() / (side > 0 ? "right.dst" : "left.dst");
        const auto bytes = gen::writeDst(design);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const std::vector<fs::path> designs = designsIn(in.path());
    ASSERT_EQ(designs.size(), 2u);
    EXPECT_EQ(convertAll(designs), int(2 * encoders().size()));
    // The one the benchmark of the tools' start converts.
    const fs::path spiral = in.path() / "spiral.dst";
    const auto bytes = gen::writeDst(gen::makeSpiral(5, 1));
    std::ofstream(spiral, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_EQ(convertAll({spiral}), int(encoders().size()));
}

TEST(Conversion, NoFormatIsWrittenAColourChangeAfterTheLastStitch)
{
    // A DST's end record reads as a colour change: the star has two threads, not three,
    // and a machine must not stop at the end for a thread it never sews.
    for (const Encoder& encoder : encoders()) {
        SCOPED_TRACE(encoder.name);
        TempFolder out;
        PosixFileSystem files;
        ConversionTarget target;
        target.encoder = &encoder;
        const ConversionOutcome outcome =
            convertDesign(std::string(ORLIKA_SAMPLES) + "/star.dst", files, out.folder(), target);
        ASSERT_TRUE(outcome.written) << outcome.problem;
        EXPECT_EQ(outcome.colorChanges, 1);
        const auto file = files.openRead(outcome.destination);
        DesignNeedles written(*readerOfName(namePart(outcome.destination)), *file, "design." + std::string(encoder.extension));
        std::int64_t stitchesAfterLastChange = 0;
        for (Needle needle; written.next(needle);) {
            if (needle.kind == Needle::Kind::ColorChange)
                stitchesAfterLastChange = 0;
            stitchesAfterLastChange += needle.kind == Needle::Kind::Stitch;
        }
        // DST's own end record is a change again; every other format ends sewing.
        if (encoder.extension != "DST") {
            EXPECT_GT(stitchesAfterLastChange, 0);
        }
    }
}

TEST(Conversion, ANameHoldingAnotherFormatsExtensionStillConverts)
{
    TempFolder out;
    PosixFileSystem files;
    fs::copy_file(std::string(ORLIKA_SAMPLES) + "/star.dst", out.path() / "pesky.dst");
    ConversionTarget target;
    target.encoder = encoderFor("PEC");
    ASSERT_NE(target.encoder, nullptr);
    const ConversionOutcome outcome = convertDesign((out.path() / "pesky.dst").string(), files, out.folder(), target);
    EXPECT_TRUE(outcome.written) << outcome.problem;
}

TEST(Conversion, ADesignWhoseNameIsAsLongAsTheFileSystemTakesConverts)
{
    TempFolder out;
    PosixFileSystem files;
    const std::string name = std::string(251, 'r') + ".dst";  // 255 characters
    fs::copy_file(std::string(ORLIKA_SAMPLES) + "/star.dst", out.path() / name);
    ConversionTarget target;
    target.encoder = encoderFor("XXX");
    const ConversionOutcome outcome = convertDesign((out.path() / name).string(), files, out.folder(), target);
    EXPECT_TRUE(outcome.written) << outcome.problem;
    EXPECT_TRUE(fs::exists(out.path() / (std::string(251, 'r') + ".xxx")));
}

TEST(Conversion, AnExistingFileIsNeverReplacedUnlessAskedAndTheSourceNeverIs)
{
    TempFolder out;
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = encoderFor("exp");
    const std::vector<std::uint8_t> mine{1, 2, 3};
    test::writeBytes(out.path() / "star.exp", mine);
    const std::string star = std::string(ORLIKA_SAMPLES) + "/star.dst";
    ConversionOutcome outcome = convertDesign(star, files, out.folder(), target);
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.nameTaken);
    EXPECT_EQ(test::readBytes(out.path() / "star.exp"), mine);
    outcome = convertDesign(star, files, out.folder(), target, NameClash::Replace);
    EXPECT_TRUE(outcome.written) << outcome.problem;
    EXPECT_GT(fs::file_size(out.path() / "star.exp"), 3u);

    // Converting a design to its own format in its own folder would replace it.
    const std::vector<std::uint8_t> before = test::readBytes(out.path() / "star.exp");
    outcome = convertDesign((out.path() / "star.exp").string(), files, out.folder(), target, NameClash::Replace);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(test::readBytes(out.path() / "star.exp"), before);
}

/// The bytes of a bundled sample converted, against the file kept beside the tests: a
/// change in what a writer writes shows in review.
void expectGolden(const std::string& sample, const std::string& extension)
{
    TempFolder out;
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = encoderFor(extension);
    ASSERT_NE(target.encoder, nullptr) << extension;
    const ConversionOutcome outcome =
        convertDesign(std::string(ORLIKA_SAMPLES) + "/" + sample, files, out.folder(), target);
    ASSERT_TRUE(outcome.written) << outcome.problem;
    const fs::path golden = fs::path(ORLIKA_TEST_DATA) / "golden" / namePart(outcome.destination);
    EXPECT_EQ(test::readBytes(outcome.destination), test::readBytes(golden)) << golden;
}

TEST(Conversion, WrittenBytesStayAsReviewed)
{
    expectGolden("star.pes", "dst");
    expectGolden("star.pes", "exp");
}

TEST(Conversion, TheDstHeaderCountsAndMeasuresWhatIsWritten)
{
    // A 30 mm stitch is three records, a trim three jumps, and the first stitch is reached
    // by a jump of no length.
    std::vector<std::uint8_t> bytes;
    const std::vector<Needle> path{stitch(0, 0), stitch(300, -50), {Needle::Kind::Trim, 300, -50, 0}, jump(-20, 70),
                                   change(), stitch(-25, 75)};
    ASSERT_EQ(writeAndProve(*encoderFor("DST"), path, &bytes), "");
    ASSERT_GE(bytes.size(), 512u);
    const std::string header(bytes.begin(), bytes.begin() + 512);
    const auto field = [&](const std::string& tag) {
        const auto at = header.find(tag);
        return at == std::string::npos ? std::string("missing") : header.substr(at + 3, header.find('\r', at) - at - 3);
    };
    // Stitches: the first, three for the long one and the last (beside them the leading
    // jump, three jumps for the trim, three for the 32 mm jump and the change: 13 records).
    EXPECT_EQ(field("ST:"), "      5");
    EXPECT_EQ(field("CO:"), "  1");
    EXPECT_EQ(field("+X:"), "  300");
    EXPECT_EQ(field("-X:"), "   25");
    EXPECT_EQ(field("+Y:"), "   50");  // the page's -50 is the header's upward 50
    EXPECT_EQ(field("-Y:"), "   75");
    EXPECT_EQ(field("AX:"), "-   25");
    EXPECT_EQ(field("AY:"), "-   75");
    EXPECT_EQ(bytes.size(), 512u + 13 * 3 + 3);
}

TEST(Conversion, ADstHeaderNeverLiesAboutADesignItCannotMeasure)
{
    // 15 m from the start: more than the header's five digits of 0.1 mm.
    const std::vector<Needle> path{stitch(0, 0), jump(150'000, 0), stitch(150'010, 0)};
    try {
        writeAndProve(*encoderFor("DST"), path);
        FAIL() << "a DST was written for a design of 15 m";
    } catch (const ConversionFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find("farther"), std::string::npos) << failure.what();
    }
}

TEST(Conversion, AFolderConvertedIntoChangesByExactlyTheNewFiles)
{
    // Sources and earlier conversions share the folder: a run that converts some anew,
    // meets names taken and a design it cannot read adds the new files and touches
    // nothing else, the files it reads included.
    TempFolder folder;
    for (const char* sample : {"star.dst", "circle.jef", "orlika.pes", "star.vp3"})
        fs::copy_file(std::string(ORLIKA_SAMPLES) + "/" + sample, folder.path() / sample);
    test::writeBytes(folder.path() / "circle.xxx", {1, 2, 3});   // a name taken
    test::writeBytes(folder.path() / "broken.dst", {'L', 'A'});  // a design that cannot be read
    const auto before = test::snapshot(folder.path());
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = encoderFor("XXX");
    int written = 0;
    for (const char* source : {"star.dst", "circle.jef", "orlika.pes", "star.vp3", "broken.dst"})
        written += convertDesign((folder.path() / source).string(), files, folder.folder(), target).written;
    EXPECT_EQ(written, 2);  // star.xxx (star.vp3 then finds it taken) and orlika.xxx
    auto after = test::snapshot(folder.path());
    ASSERT_TRUE(after.contains("star.xxx"));
    ASSERT_TRUE(after.contains("orlika.xxx"));
    after.erase("star.xxx");
    after.erase("orlika.xxx");
    EXPECT_EQ(after, before);
}

/// A file system whose file changes (as another program could change it) once the
/// conversion has looked at it.
class ChangingFiles final : public PosixFileSystem {
public:
    std::optional<FileStamp> stampOf(const std::string& path) override
    {
        std::optional<FileStamp> stamp = PosixFileSystem::stampOf(path);
        if (stamp && m_looks++ > 0)
            ++stamp->changed;
        return stamp;
    }

private:
    int m_looks = 0;
};

TEST(Conversion, ADesignThatChangesWhileItIsConvertedIsNotWritten)
{
    TempFolder out;
    ChangingFiles files;
    ConversionTarget target;
    target.encoder = encoderFor("PEC");
    const ConversionOutcome outcome =
        convertDesign(std::string(ORLIKA_SAMPLES) + "/star.dst", files, out.folder(), target);
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.problem.find("changed while it was converted"), std::string::npos) << outcome.problem;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(Conversion, AFullDiskLeavesNothingBehind)
{
    TempFolder out;
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = encoderFor("DST");
    const std::string star = std::string(ORLIKA_SAMPLES) + "/star.dst";
    ConversionOutcome outcome;
    {
        test::FileSizeLimit limit(600);
        if (!limit.set())
            GTEST_SKIP() << "the file size limit could not be set";
        outcome = convertDesign(star, files, out.folder(), target);
    }
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.problem.find("cannot write"), std::string::npos) << outcome.problem;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

} // namespace
} // namespace orlika
