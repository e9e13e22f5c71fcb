// SPDX-License-Identifier: MIT
// Every reader on damaged copies of the bundled samples and of the real files: each
// truncation at a spread of lengths and a few hundred seeded byte flips, in every layout.
// A damaged file may be drawn oddly or rejected, but must keep the invariants the fuzz
// targets check (fuzz/Invariants.h).
#include "catalog/Catalog.h"
#include "decoders/Registry.h"
#include "fuzz/Invariants.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> designsIn(const std::string& folder)
{
    std::vector<fs::path> paths;
    if (!fs::is_directory(folder))
        return paths;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && readerOfName(entry.path().filename().string()))
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Reads the bytes under the fuzz targets' invariants, in every layout; returns what broke.
std::vector<std::string> decodeEverywhere(const std::string& name, const Bytes& bytes)
{
    std::vector<std::string> faults;
    try {
        for (const fuzz::Violation& violation : fuzz::checkReader(*readerOfName(name), name, bytes))
            faults.push_back(fuzz::describe(violation));
    } catch (const std::exception& error) {
        faults.push_back(std::string("exception: ") + error.what());
    }
    return faults;
}

// Under the sanitizers every decode is several times slower; there a fraction of the
// spread cuts and flips keeps the run within CI's time (the fuzz targets flip far more),
// and the default build runs them all.
#if defined(__SANITIZE_ADDRESS__)
#define ORLIKA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORLIKA_UNDER_ASAN 1
#endif
#endif
#if defined(ORLIKA_UNDER_ASAN)
constexpr int kSpreadCuts = 8;
constexpr int kFlipTrials = 16;
#else
constexpr int kSpreadCuts = 40;
constexpr int kFlipTrials = 150;
#endif

void damageAndDecode(const fs::path& path)
{
    const Bytes original = readAll(path);
    const std::string name = path.filename().string();
    // Truncations: the first 64 lengths one by one, then a spread through the file.
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < std::min<std::size_t>(64, original.size()); ++n)
        lengths.push_back(n);
    for (int i = 1; i <= kSpreadCuts; ++i)
        lengths.push_back(original.size() * std::size_t(i) / (kSpreadCuts + 1));
    for (const std::size_t length : lengths) {
        const Bytes cut(original.begin(), original.begin() + std::ptrdiff_t(length));
        const auto faults = decodeEverywhere(name, cut);
        ASSERT_TRUE(faults.empty()) << name << " cut to " << length << ": " << faults.front();
    }
    // Seeded flips: mostly in the header area, where a wrong byte does the most harm.
    std::mt19937 random(std::uint32_t(original.size()));
    for (int trial = 0; trial < kFlipTrials && !original.empty(); ++trial) {
        Bytes damaged = original;
        const int flips = 1 + int(random() % 8);
        for (int f = 0; f < flips; ++f) {
            const std::size_t span = trial % 2 ? damaged.size() : std::min<std::size_t>(damaged.size(), 600);
            damaged[random() % span] = std::uint8_t(random());
        }
        const auto faults = decodeEverywhere(name, damaged);
        ASSERT_TRUE(faults.empty()) << name << " flip trial " << trial << ": " << faults.front();
    }
}

TEST(HostileInput, DamagedBundledSamplesGiveCleanCells)
{
    const auto samples = designsIn(ORLIKA_SAMPLES);
    ASSERT_FALSE(samples.empty());
    for (const auto& path : samples)
        damageAndDecode(path);
}

TEST(HostileInput, DamagedRealFilesGiveCleanCells)
{
    const auto samples = designsIn(ORLIKA_REAL_SAMPLES);
    if (samples.empty())
        GTEST_SKIP() << "no real design files at " << ORLIKA_REAL_SAMPLES;
    for (const auto& path : samples)
        damageAndDecode(path);
}

// Whole files: the project's samples all draw, in colour where the format has colours;
// files written by other programs draw too, or are rejected with the reader's message or
// error cell where they are a variant the reader does not know.
TEST(SampleFiles, BundledAndRealDesignsDrawOrAreRejectedWithTheirMessage)
{
    auto paths = designsIn(ORLIKA_SAMPLES);
    const std::size_t bundled = paths.size();
    ASSERT_GE(bundled, 12u);
    const auto real = designsIn(ORLIKA_REAL_SAMPLES);
    paths.insert(paths.end(), real.begin(), real.end());
    bool wrappedNote = false;
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const fs::path& path = paths[k];
        const std::string name = path.filename().string();
        const std::string extension = upperCase(path.extension().string());
        SCOPED_TRACE(path.string());
        ScriptedHost host;
        PosixFileSystem files;
        Catalog catalog(host, files);
        RecordingCanvas canvas;
        catalog.setMainCanvas(&canvas);
        catalog.prepareScreenPage(canvas, 1000, 600);
        ASSERT_NO_THROW(catalog.decodeFile(canvas, path.string(), files.openRead(path.string())));
        ASSERT_GE(canvas.texts.size(), 2u);
        if (!host.messages.empty() || canvas.texts[1] == "Bad File Format (Not KSM Format)") {
            EXPECT_GE(k, bundled);
            // Every PES version is read (these samples hold "#PES0040" to "#PES0111").
            EXPECT_NE(extension, ".PES");
            if (!host.messages.empty()) {
                EXPECT_EQ(host.messages.front().text, upperCase(name) + " Has an Unknown File Format");
            }
            continue;
        }
        EXPECT_EQ(canvas.texts[0], name);
        EXPECT_EQ(canvas.texts[1].rfind("Stitches: ", 0), 0u);
        EXPECT_EQ(canvas.texts[1].find('-'), std::string::npos);  // no size from unset extents
        const std::size_t lines = canvas.linesStarting("LineTo").size();
        EXPECT_GT(lines, k < bundled ? 100u : 0u);
        const bool threeLines = extension == ".SEW" || extension == ".JEF" || extension == ".VP3" || extension == ".XXX";
        const bool threads = extension == ".PES" || extension == ".PEC" || threeLines;
        if (k < bundled && (threads || extension.rfind(".PC", 0) == 0)) {
            const auto pens = canvas.linesStarting("PenColor");
            EXPECT_GE(std::set<std::string>(pens.begin(), pens.end()).size(), 3u);  // two colours and black
        }
        if (extension == ".PES" || extension == ".PEC") {
            // Moves count as stitches too, in 16 bits; the first move is the start point's.
            const std::size_t drawn = lines + canvas.linesStarting("MoveTo").size() - 1;
            EXPECT_NE(canvas.texts[1].find("Stitches: " + std::to_string(drawn % 65536) + ","), std::string::npos);
        }
        if (threads) {
            // The thread list follows the two or three remark lines.
            const std::size_t list = threeLines ? 4 : 3;
            ASSERT_GT(canvas.texts.size(), list);
            EXPECT_EQ(canvas.texts[list].rfind("1. ", 0), 0u);
        }
        wrappedNote = wrappedNote || (extension == ".PCD" && canvas.texts.size() >= 5);
    }
    EXPECT_TRUE(wrappedNote) << "a bundled sample carries a note that wraps";
}

} // namespace
} // namespace orlika::test
