// SPDX-License-Identifier: MIT
// Every reader on damaged copies of the bundled samples and of the real files: each
// truncation at a spread of lengths and a few hundred seeded byte flips, in every layout.
// A damaged file may be drawn oddly or rejected, but must give a clean cell.
#include "catalog/Catalog.h"
#include "decoders/Registry.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "platform/NullCanvas.h"
#include "tests/support/CatalogFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Checks what a reader hands the canvas: finite, page-sized coordinates and no
// number texts such as "nan" or "inf".
class CheckingCanvas : public NullCanvas {
public:
    long long points = 0;
    std::vector<std::string> faults;

    void moveTo(int x, int y) override { point(x, y); }
    void lineTo(int x, int y) override { point(x, y); }
    void textOut(int x, int y, const std::string& text) override
    {
        point(x, y);
        for (const char* bad : {"nan", "NAN", "inf", "INF"})
            if (text.find(bad) != std::string::npos && text.find("Stitches") != std::string::npos)
                faults.push_back("number text: " + text);
    }

private:
    void point(int x, int y)
    {
        ++points;
        constexpr int limit = 1 << 30;
        if (std::abs(x) > limit || std::abs(y) > limit)
            faults.push_back("point out of range");
    }
};

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

// Decodes the bytes in every layout; returns the faults seen.
std::vector<std::string> decodeEverywhere(const std::string& name, const Bytes& bytes)
{
    static const Layout layouts[] = {Layout::Standard, Layout::NoRemarks, Layout::Thumb12,
                                     Layout::Thumb20,  Layout::Thumb30,   Layout::Enlarged};
    std::vector<std::string> faults;
    for (const Layout layout : layouts) {
        HeadlessHost host;
        PosixFileSystem files;
        Catalog catalog(host, files);
        CheckingCanvas canvas;
        catalog.setMainCanvas(&canvas);
        setLayout(catalog.state(), layout);
        catalog.prepareScreenPage(canvas, 1000, 600);
        try {
            catalog.decodeFile(canvas, "/damaged/" + name, std::make_unique<MemoryFile>(bytes));
        } catch (const ConversionError&) {
            // A DST header number that is not a number: reported, not a fault.
        } catch (const std::exception& error) {
            faults.push_back(std::string("exception: ") + error.what());
        }
        if (canvas.penColor() != Black)
            faults.push_back("pen left coloured");
        faults.insert(faults.end(), canvas.faults.begin(), canvas.faults.end());
    }
    return faults;
}

void damageAndDecode(const fs::path& path)
{
    const Bytes original = readAll(path);
    const std::string name = path.filename().string();
    // Truncations: the first 64 lengths one by one, then a spread through the file.
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < std::min<std::size_t>(64, original.size()); ++n)
        lengths.push_back(n);
    for (int i = 1; i <= 40; ++i)
        lengths.push_back(original.size() * std::size_t(i) / 41);
    for (const std::size_t length : lengths) {
        const Bytes cut(original.begin(), original.begin() + std::ptrdiff_t(length));
        const auto faults = decodeEverywhere(name, cut);
        ASSERT_TRUE(faults.empty()) << name << " cut to " << length << ": " << faults.front();
    }
    // Seeded flips: mostly in the header area, where a wrong byte does the most harm.
    std::mt19937 random(std::uint32_t(original.size()));
    for (int trial = 0; trial < 150 && !original.empty(); ++trial) {
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

TEST(HostileInput, CrashFilesOnceFoundStayClean)
{
    const std::string folder = std::string(ORLIKA_TEST_DATA) + "/crashers";
    for (const auto& path : designsIn(folder)) {
        const auto faults = decodeEverywhere(path.filename().string(), readAll(path));
        EXPECT_TRUE(faults.empty()) << path << ": " << faults.front();
    }
}

// Files written by other programs: readers may reject a variant they do not know (with
// their message), but never fail otherwise; DST files are all drawn.
TEST(RealFiles, EveryRealDesignDecodesCleanly)
{
    const auto samples = designsIn(ORLIKA_REAL_SAMPLES);
    if (samples.empty())
        GTEST_SKIP() << "no real design files at " << ORLIKA_REAL_SAMPLES;
    for (const auto& path : samples) {
        HeadlessHost host;
        PosixFileSystem files;
        Catalog catalog(host, files);
        CheckingCanvas canvas;
        catalog.setMainCanvas(&canvas);
        catalog.prepareScreenPage(canvas, 1000, 600);
        EXPECT_NO_THROW(catalog.decodeFile(canvas, path.string(), files.openRead(path.string()))) << path;
        EXPECT_TRUE(canvas.faults.empty()) << path;
        if (upperCase(path.extension().string()) == ".DST") {
            EXPECT_GT(canvas.points, 1000) << path;
        }
    }
}

} // namespace
} // namespace orlika::test
