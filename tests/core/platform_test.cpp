// SPDX-License-Identifier: MIT
#include "cell/CellContext.h"
#include "platform/FileSystem.h"
#include "platform/MemoryFile.h"
#include "platform/Rounding.h"
#include "platform/SortedNameList.h"
#include "tests/support/CatalogFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orlika::test {
namespace {

TEST(Wildcards, MatchLikeWindowsWithoutRegardToCase)
{
    EXPECT_TRUE(wildcardMatch("*.DST", "a.dst"));
    EXPECT_TRUE(wildcardMatch("*.dst", "B.DsT"));
    EXPECT_TRUE(wildcardMatch("*.PC?", "x.pcq"));
    EXPECT_FALSE(wildcardMatch("*.PC?", "x.pcsx"));
    EXPECT_FALSE(wildcardMatch("*.DST", "a.dst.bak"));
    EXPECT_TRUE(wildcardMatch("*.DST", "my.design.dst"));
    EXPECT_TRUE(wildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(wildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_FALSE(wildcardMatch("?.dst", "ab.dst"));
    // A long name against many stars stays quick (no exponential backtracking).
    EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(Paths, FolderNameAndExtension)
{
    EXPECT_EQ(folderPart("/home/u/designs/rose.dst"), "/home/u/designs/");
    EXPECT_EQ(namePart("/home/u/designs/rose.dst"), "rose.dst");
    EXPECT_EQ(namePart("a:b.dst"), "a:b.dst");  // ':' is part of a Linux name
    EXPECT_EQ(extensionPart("/x/rose.Dst"), ".Dst");
    EXPECT_EQ(extensionPart("/x.folder/rose"), "");
    EXPECT_EQ(extensionPart("/x/archive.tar.gz"), ".gz");
    EXPECT_EQ(upperCase("abc.pEs"), "ABC.PES");
}

TEST(SortedNames, SortWithoutCaseButKeepNamesThatDifferOnlyInCase)
{
    SortedNameList list;
    EXPECT_TRUE(list.add("b.dst"));
    EXPECT_TRUE(list.add("A.DST"));
    EXPECT_TRUE(list.add("c.pes"));
    EXPECT_TRUE(list.add("B.DST"));   // another file on Linux
    EXPECT_FALSE(list.add("b.dst"));  // the same file again
    // Case twins stand together in byte order, whatever order they came in.
    EXPECT_EQ(list.names(), (std::vector<std::string>{"A.DST", "B.DST", "b.dst", "c.pes"}));
    EXPECT_EQ(list.indexOf("b.dst"), 2);
    EXPECT_EQ(list.indexOf("C.PES"), -1);
    EXPECT_EQ(list.indexOfPreferringExact("C.PES"), 3);
    EXPECT_EQ(list.indexOfPreferringExact("b.dst"), 2);
    EXPECT_EQ(list.indexOfPreferringExact("B.dSt"), 1);
    EXPECT_EQ(list.indexOfPreferringExact("d.pes"), -1);
    EXPECT_FALSE(list.remove("a.dst"));
    EXPECT_TRUE(list.remove("A.DST"));
    EXPECT_EQ(list.count(), 3);

    // A new collation re-sorts; equal names stay apart.
    list.setComparer([](const std::string& a, const std::string& b) { return b.compare(a); });
    EXPECT_EQ(list.names(), (std::vector<std::string>{"c.pes", "b.dst", "B.DST"}));
    list.setComparer([](const std::string&, const std::string&) { return 0; });
    EXPECT_EQ(list.names(), (std::vector<std::string>{"B.DST", "b.dst", "c.pes"}));
}

TEST(SortedNames, ManyAddedAtOnceStandWhereEachAddedAloneWould)
{
    const std::vector<std::string> present = {"m.dst", "B.DST", "sub/a.pes"};
    const std::vector<std::string> more = {"b.dst", "z.exp", "m.dst", "A.dst", "a.DST", "z.exp", "sub/A.pes", "c.pes"};
    SortedNameList oneByOne, together;
    for (const auto& name : present) {
        oneByOne.add(name);
        together.add(name);
    }
    int added = 0;
    for (const auto& name : more)
        added += oneByOne.add(name) ? 1 : 0;
    EXPECT_EQ(together.addAll(more), added);
    EXPECT_EQ(added, 6);  // m.dst was there, z.exp comes twice
    EXPECT_EQ(together.names(), oneByOne.names());
    EXPECT_EQ(together.addAll({}), 0);
    EXPECT_EQ(together.addAll(present), 0);
    EXPECT_EQ(together.names(), oneByOne.names());
}

// What roundPixel gave when it called the C library for every coordinate.
int libmRoundPixel(double value)
{
    constexpr double limit = 1 << 30;
    if (std::isnan(value))
        return 0;
    return int(std::nearbyint(std::clamp(value, -limit, limit)));
}

TEST(Rounding, HalvesGoToEvenAndHugeValuesAreClamped)
{
    EXPECT_EQ(roundPixel(71.5), 72);
    EXPECT_EQ(roundPixel(72.5), 72);
    EXPECT_EQ(roundPixel(-2.5), -2);
    EXPECT_EQ(roundPixel(-3.5), -4);
    EXPECT_EQ(roundPixel(-0.5), 0);
    EXPECT_EQ(roundPixel(2.4999), 2);
    EXPECT_EQ(roundPixel(1e20), 1 << 30);
    EXPECT_EQ(roundPixel(-1e20), -(1 << 30));
    EXPECT_EQ(roundPixel(std::nan("")), 0);
    EXPECT_EQ(roundPixel(-std::nan("")), 0);
    EXPECT_EQ(roundPixel(INFINITY), 1 << 30);
    EXPECT_EQ(roundPixel(-INFINITY), -(1 << 30));
}

// The same integer as the C library's rounding for every value a reader can hand over:
// floats of every exponent, doubles from the PCD arithmetic, halves and their neighbours.
TEST(Rounding, AgreesWithTheLibraryRoundingForEveryKindOfValue)
{
    long long mismatches = 0;
    const auto check = [&](double value) {
        if (roundPixel(value) != libmRoundPixel(value) && ++mismatches <= 10)
            ADD_FAILURE() << "roundPixel(" << std::hexfloat << value << ") = " << roundPixel(value) << ", not "
                          << libmRoundPixel(value);
    };
    // The readers' positions are floats and take the single-precision overload.
    const auto checkSingle = [&](float value) {
        if (roundPixel(value) != libmRoundPixel(value) && ++mismatches <= 10)
            ADD_FAILURE() << "roundPixel(" << std::hexfloat << value << "f) = " << roundPixel(value) << ", not "
                          << libmRoundPixel(value);
    };
    // Halves and the values just beside them, in double and in single precision, up to
    // where floats have no fraction left and beyond the clamp.
    // Every n near the origin, then growing steps out to the int range's end.
    for (long long n = -(1LL << 32); n <= (1LL << 32); n += std::llabs(n) < (1 << 20) ? 1 : 1 + std::llabs(n) / 256) {
        const double half = double(n) + 0.5;
        check(half);
        check(std::nextafter(half, -INFINITY));
        check(std::nextafter(half, INFINITY));
        const float single = float(half);
        checkSingle(single);
        checkSingle(std::nextafter(single, -INFINITY));
        checkSingle(std::nextafter(single, INFINITY));
    }
    for (double n : {0x1p30, 0x1p31, 0x1p32, 0x1p52, 0x1p53}) {
        for (double offset : {-1.5, -1.0, -0.5, 0.0, 0.5, 1.0, 1.5}) {
            check(n + offset);
            check(-n + offset);
            check(std::nextafter(n + offset, 0.0));
            check(std::nextafter(-n + offset, 0.0));
        }
    }
    // Every 1021st float bit pattern: all exponents, both signs, subnormals, infinities
    // and NaNs.
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 1021) {
        float single;
        const auto pattern = std::uint32_t(bits);
        std::memcpy(&single, &pattern, sizeof single);
        checkSingle(single);
        check(single);
    }
    // Doubles of every exponent: the top 16 bits in turn, with seeded mantissas.
    std::uint64_t seed = 0x9E3779B97F4A7C15u;
    for (std::uint64_t top = 0; top <= 0xFFFFu; ++top) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        const std::uint64_t pattern = (top << 48) | (seed >> 16);
        double value;
        std::memcpy(&value, &pattern, sizeof value);
        check(value);
    }
    for (double special : {0.0, -0.0, DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, DBL_MAX, -DBL_MAX, double(FLT_MAX), 1e300})
        check(special);
    for (float special : {0x1p30f, -0x1p30f, std::nextafter(0x1p30f, INFINITY), std::nextafter(-0x1p30f, -INFINITY),
                          FLT_MAX, -FLT_MAX, FLT_MIN, FLT_TRUE_MIN, INFINITY, -INFINITY, NAN, -NAN})
        checkSingle(special);
    EXPECT_EQ(mismatches, 0);
}

// A float moved by a whole step in single precision lands where the double sum rounded to
// single does: on every float sampled across all exponents, with the steps the readers
// take and the largest a float holds, where odd steps end on halves between floats.
TEST(Rounding, StepsAddedInSinglePrecisionMatchTheDoubleSum)
{
    std::vector<int> steps;
    for (int step = -300; step <= 300; ++step)
        steps.push_back(step);
    for (int step : {2047, -2048, (1 << 23) - 1, 1 << 23, (1 << 23) + 1, (1 << 24) - 1, 1 << 24}) {
        steps.push_back(step);
        steps.push_back(-step);
    }
    long long mismatches = 0;
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 65521) {
        float position;
        const auto pattern = std::uint32_t(bits);
        std::memcpy(&position, &pattern, sizeof position);
        if (std::isnan(position))
            continue;
        for (int step : steps) {
            const float single = addStep(position, step);
            const float viaDouble = toSingle(double(position) + step);
            if (std::memcmp(&single, &viaDouble, sizeof single) != 0 && ++mismatches <= 10)
                ADD_FAILURE() << std::hexfloat << position << " + " << step << " gives " << single << ", not "
                              << viaDouble;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(MemoryFiles, ShortReadsSeeksAndTheEnd)
{
    MemoryFile file(std::vector<std::uint8_t>{1, 2, 3, 4, 5});
    std::array<std::uint8_t, 3> buffer{};
    EXPECT_EQ(file.read(buffer), 3u);
    EXPECT_EQ(file.read(buffer), 2u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(file.read(buffer), 0u);
    file.seek(100);
    EXPECT_EQ(file.read(buffer), 0u);
    EXPECT_THROW(file.seek(-1), InOutError);
}

TEST(PosixFiles, ReadsOfEverySizeAndSeeksGiveWhatAMemoryFileGives)
{
    // Blocks served from the read window must be the file's bytes wherever the reads and
    // seeks fall: across a window's edge, back before it, past the end, larger than it.
    const auto path = std::filesystem::temp_directory_path() / "orlika-read-window.bin";
    std::vector<std::uint8_t> bytes(200'003);
    std::uint32_t seed = 7;
    for (auto& byte : bytes)
        byte = std::uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    PosixFileSystem files;
    const auto file = files.openRead(path.string());
    ASSERT_NE(file, nullptr);
    MemoryFile reference(bytes);
    struct Step {
        std::int64_t seekTo;  // -1: read on from where the last read ended
        std::size_t count;
    };
    const Step steps[] = {{-1, 4096}, {-1, 4096}, {65'530, 12},   {-1, 1},       {10, 3},     {-1, 100'000},
                          {-1, 4096}, {199'990, 4096}, {-1, 4096}, {250'000, 8}, {131'071, 2}, {0, 65'536}, {-1, 1}};
    for (const Step& step : steps) {
        if (step.seekTo >= 0) {
            file->seek(step.seekTo);
            reference.seek(step.seekTo);
        }
        std::vector<std::uint8_t> got(step.count), expected(step.count);
        const std::size_t gotCount = file->read(got);
        ASSERT_EQ(gotCount, reference.read(expected)) << "at " << reference.position();
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + std::ptrdiff_t(gotCount), expected.begin()))
            << "at " << reference.position();
        EXPECT_EQ(file->position(), reference.position());
    }
    std::filesystem::remove(path);
}

TEST(PosixFolders, SearchFindsEveryKindOfEntryInAnyCase)
{
    const auto folder = std::filesystem::temp_directory_path() / "orlika-platform-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "OLD.DST");
    for (const char* name : {"a.dst", "B.DST", ".hidden.dst", "c.pes"})
        std::ofstream(folder / name) << "x";
    PosixFileSystem files;
    auto names = files.findEntries(folder.string() + "/*.DST");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.dst", "B.DST", "OLD.DST", "a.dst"}));
    EXPECT_EQ(files.openRead(folder.string() + "/OLD.DST"), nullptr);  // a folder is not a design
    auto file = files.openRead(folder.string() + "/a.dst");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 1);
    EXPECT_EQ(files.openRead(folder.string() + "/missing.dst"), nullptr);
    EXPECT_TRUE(files.findEntries("/no/such/folder/*.dst").empty());
    std::filesystem::remove_all(folder);
}

TEST(PosixFolders, ASearchForSeveralMasksReadsTheFolderOnceAndFindsWhatEachWould)
{
    const auto folder = std::filesystem::temp_directory_path() / "orlika-platform-masks";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "OLD.PES");
    for (const char* name : {"a.dst", "B.DST", ".hidden.exp", "c.pes", "d.pcs", "e.PCQ", "notes.txt", "dst", "x.dst.bak"})
        std::ofstream(folder / name) << "x";
    PosixFileSystem files;
    const std::string at = folder.string() + "/";
    const std::vector<std::string> masks = {"*.DST", "*.PES", "*.PC?", "*.exp", "*.D?T"};
    std::vector<std::string> each;
    for (const std::string& mask : masks)
        for (std::string& name : files.findEntries(at + mask))
            each.push_back(std::move(name));
    std::sort(each.begin(), each.end());
    each.erase(std::unique(each.begin(), each.end()), each.end());
    std::vector<std::string> once = files.findEntriesMatchingAny(at, masks);
    std::sort(once.begin(), once.end());
    EXPECT_EQ(once, each);
    // A name that two masks match is found once.
    EXPECT_EQ(once, (std::vector<std::string>{".hidden.exp", "B.DST", "OLD.PES", "a.dst", "c.pes", "d.pcs", "e.PCQ"}));
    EXPECT_TRUE(files.findEntriesMatchingAny(at, {}).empty());
    EXPECT_TRUE(files.findEntriesMatchingAny("/no/such/folder/", masks).empty());
    std::filesystem::remove_all(folder);
}

TEST(PosixFolders, EntriesThatAreNoDesignFileAreNotOpenedAndNeverBlock)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "orlika-entry-kinds";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "good.dst") << "x";
    fs::create_symlink(folder / "good.dst", folder / "link.dst");
    fs::create_symlink(folder / "gone.dst", folder / "dangling.exp");
    fs::create_symlink(folder / "loop2.dst", folder / "loop1.dst");
    fs::create_symlink(folder / "loop1.dst", folder / "loop2.dst");
    fs::create_symlink("/dev/zero", folder / "endless.pes");
    ASSERT_EQ(::mkfifo((folder / "pipe.dst").c_str(), 0600), 0);  // opening it for reading would wait for a writer

    PosixFileSystem files;
    const std::string base = folder.string() + "/";
    EXPECT_NE(files.openRead(base + "good.dst"), nullptr);
    EXPECT_NE(files.openRead(base + "link.dst"), nullptr);  // a link to a design is that design
    for (const char* name : {"dangling.exp", "loop1.dst", "endless.pes", "pipe.dst"})
        EXPECT_EQ(files.openRead(base + name), nullptr) << name;
    // Why, as a run's end names it.
    EXPECT_EQ(files.whyNotOpened(base + "dangling.exp"), OpenFailure::Gone);
    EXPECT_EQ(files.whyNotOpened(base + "never.dst"), OpenFailure::Gone);
    EXPECT_EQ(files.whyNotOpened(base + "loop1.dst"), OpenFailure::Other);
    EXPECT_EQ(files.whyNotOpened(base + "endless.pes"), OpenFailure::NotAFile);
    EXPECT_EQ(files.whyNotOpened(base + "pipe.dst"), OpenFailure::NotAFile);
    EXPECT_EQ(files.whyNotOpened(folder.string()), OpenFailure::NotAFile);
    std::ofstream(folder / "locked.pcs") << "x";
    fs::permissions(folder / "locked.pcs", fs::perms::none);
    if (::geteuid() == 0)
        std::cout << "[ note     ] running as root, which opens any file: the no-permission case is not checked\n";
    else
        EXPECT_EQ(files.whyNotOpened(base + "locked.pcs"), OpenFailure::NoPermission);
    auto names = files.findEntries(base + "*.DST");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"good.dst", "link.dst", "loop1.dst", "loop2.dst", "pipe.dst"}));
    fs::remove_all(folder);
}


TEST(RemarkNumbers, TheExactValueIsRoundedOnce)
{
    // Rounding first to six digits would land on a 5 and then round the wrong way.
    EXPECT_EQ(remarkNumber(1997.1953125 / 152.4, 2, '.'), "13.10");  // 13.104956
    EXPECT_EQ(remarkNumber(380.5853, 2, '.'), "380.59");
    EXPECT_EQ(remarkNumber(54964.518 * 0.1, 1, '.'), "5496.5");
    // Just below and just above a boundary, with one and two decimals.
    const double half1 = 5496.45, half2 = 380.585;  // both lie a little below in binary
    EXPECT_EQ(remarkNumber(half1, 1, '.'), "5496.4");
    EXPECT_EQ(remarkNumber(std::nextafter(half1, 1e9), 1, '.'), "5496.5");
    EXPECT_EQ(remarkNumber(5496.4499, 1, '.'), "5496.4");
    EXPECT_EQ(remarkNumber(5496.4501, 1, '.'), "5496.5");
    EXPECT_EQ(remarkNumber(half2, 2, '.'), "380.58");
    EXPECT_EQ(remarkNumber(std::nextafter(half2, 1e9), 2, '.'), "380.59");
    EXPECT_EQ(remarkNumber(0.04999, 1, '.'), "0.0");
    EXPECT_EQ(remarkNumber(0.05001, 1, '.'), "0.1");
    EXPECT_EQ(remarkNumber(2.004999, 2, '.'), "2.00");
    EXPECT_EQ(remarkNumber(2.005001, 2, '.'), "2.01");
    EXPECT_EQ(remarkNumber(-12.34501, 2, '.'), "-12.35");
}

TEST(RemarkNumbers, SixSignificantDigitsAtMostThenScientific)
{
    EXPECT_EQ(remarkNumber(99999.95, 1, '.'), "99999.9");  // 99999.9499999... in binary
    EXPECT_EQ(remarkNumber(std::nextafter(99999.95, 1e9), 1, '.'), "100000.0");
    EXPECT_EQ(remarkNumber(123456.7, 1, '.'), "123457.0");
    EXPECT_EQ(remarkNumber(123456.7, 2, '.'), "123457.00");
    EXPECT_EQ(remarkNumber(12345.675, 2, '.'), "12345.70");
    EXPECT_EQ(remarkNumber(999999.4, 1, '.'), "999999.0");
    EXPECT_EQ(remarkNumber(999999.5, 1, '.'), "1.00000E+06");
    EXPECT_EQ(remarkNumber(12345678.0, 1, '.'), "1.23457E+07");
    EXPECT_EQ(remarkNumber(-12345678.0, 2, '.'), "-1.23457E+07");
}

TEST(RemarkNumbers, ZeroAndOneUnit)
{
    EXPECT_EQ(remarkNumber(0 * 0.1, 1, '.'), "0.0");
    EXPECT_EQ(remarkNumber(0 / 254.0, 2, '.'), "0.00");
    EXPECT_EQ(remarkNumber(-0.01, 1, '.'), "0.0");
    EXPECT_EQ(remarkNumber(1 * 0.1, 1, '.'), "0.1");
    EXPECT_EQ(remarkNumber(1 / 254.0, 2, '.'), "0.00");
    EXPECT_EQ(remarkNumber(1234 * 0.1, 1, '.'), "123.4");
    EXPECT_EQ(remarkNumber(1234 / 254.0, 2, '.'), "4.86");
    EXPECT_EQ(remarkNumber(1.0 / 6, 1, '.'), "0.2");  // one unit of the PCD family
    EXPECT_EQ(remarkNumber(1 / 152.4, 2, '.'), "0.01");
    EXPECT_EQ(remarkNumber(1234 / 254.0, 2, ','), "4,86");  // the user's decimal separator
}

} // namespace
} // namespace orlika::test
