// SPDX-License-Identifier: MIT
// The index over a generated collection: a tree of DESIGNS designs in six formats, a tenth
// of them inside zip archives of ten, in folders of a hundred. Each run indexes the tree
// cold (a new database), then again from a new index object over the unchanged tree, then
// answers a few finds, each repeated; the medians over the runs are printed. The tree is
// kept between invocations (it is made again only when absent), so its files are in the
// page cache: "cold" is a cold index, not a cold disk.
//
// usage: orlika-bench-collection [DESIGNS [RUNS [FOLDER]]]   (50000, 3, $TMPDIR/orlika-bench-collection)
#include "collection/DesignIndex.h"
#include "collection/Find.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/KsmWriter.h"
#include "tools/designgen/PesWriter.h"
#include "tools/designgen/SewWriter.h"

#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <time.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using namespace orlika;

constexpr int kFormats = 6;
const char* const kExtensions[kFormats] = {".dst", ".pes", ".exp", ".pec", ".sew", ".ksm"};
constexpr int kPerFolder = 100;
constexpr int kPerArchive = 10;
constexpr int kFindRepeats = 11;

/// A pool of designs of 120 to 11,500 stitches (3,300 on average) and 14 to 137 mm wide,
/// each encoded in every format once; files take their bytes from it.
struct Pool {
    std::vector<std::vector<Bytes>> encoded;  // [design][format]

    Pool()
    {
        std::vector<gen::Design> designs;
        for (int i = 0; i < 16; ++i) {
            designs.push_back(gen::makeStar(120 + 40 * i));
            designs.push_back(gen::makeFilledCircle(120 + 30 * i));
            designs.push_back(gen::makeSpiral(1000 + 700 * i, 2 + i % 6));
        }
        for (const gen::Design& design : designs)
            encoded.push_back({gen::writeDst(design), gen::writePes(design), gen::writeExp(design),
                               gen::writePec(design), gen::writeSew(design), gen::writeKsm(design)});
    }
    const Bytes& bytes(int n) const { return encoded[std::size_t(n * 7 % int(encoded.size()))][std::size_t(n % kFormats)]; }
    static std::string name(int n) { return "design" + std::to_string(n) + kExtensions[n % kFormats]; }
};

void writeFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool writeArchive(const fs::path& path, const Pool& pool, int first)
{
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (int n = first; n < first + kPerArchive; ++n) {
        const Bytes& bytes = pool.bytes(n);
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        if (!source || zip_file_add(zip, Pool::name(n).c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

/// Folders shop0/theme0 ... of a hundred designs; in each, the last ten are one archive.
bool makeTree(const fs::path& tree, int designs)
{
    const Pool pool;
    for (int n = 0; n < designs; n += kPerFolder) {
        const int folder = n / kPerFolder;
        const fs::path at = tree / ("shop" + std::to_string(folder / 20)) / ("theme" + std::to_string(folder % 20));
        fs::create_directories(at);
        const int count = std::min(kPerFolder, designs - n);
        const int loose = count - count / kPerFolder * kPerArchive;  // a full folder keeps its last ten in an archive
        for (int k = 0; k < loose; ++k)
            writeFile(at / Pool::name(n + k), pool.bytes(n + k));
        if (loose < count && !writeArchive(at / ("pack" + std::to_string(folder) + ".zip"), pool, n + loose))
            return false;
    }
    return true;
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void removeIndex(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm", ".damaged"})
        fs::remove(path + suffix);
}

struct Find {
    const char* what;
    FindQuery query;
};

std::vector<Find> finds()
{
    std::vector<Find> list;
    FindQuery hoop;
    hoop.filter.hoopWidthMm = 130;
    hoop.filter.hoopHeightMm = 180;
    list.push_back({"fits 130 x 180 mm", hoop});
    FindQuery name;
    name.filter.namePattern = "design4?7.*";
    list.push_back({"name design4?7.*", name});
    FindQuery mixed;
    mixed.filter.format = "pes";
    mixed.filter.minStitches = 3000;
    mixed.filter.maxStitches = 5000;
    mixed.filter.maxWidthMm = 100;
    list.push_back({"format PES, 3000-5000 stitches, width <= 100 mm", mixed});
    FindQuery none;
    none.filter.namePattern = "rose*";
    list.push_back({"name rose* (no match)", none});
    FindQuery duplicates;
    duplicates.duplicates = true;
    duplicates.filter.namePattern = "design1*";
    list.push_back({"duplicates among design1*", duplicates});
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    const int designs = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path base = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "orlika-bench-collection";
    if (designs < kPerFolder || runs < 1) {
        std::fprintf(stderr, "usage: %s [DESIGNS (>= 100) [RUNS [FOLDER]]]\n", argv[0]);
        return 2;
    }
    const fs::path tree = base / ("tree-" + std::to_string(designs));
    const std::string folder = tree.string() + "/";
    const fs::path done = base / ("tree-" + std::to_string(designs) + ".made");
    if (!fs::exists(done)) {
        fs::remove_all(tree);
        const auto start = std::chrono::steady_clock::now();
        if (!makeTree(tree, designs)) {
            std::fprintf(stderr, "cannot make the tree under %s\n", tree.c_str());
            return 1;
        }
        writeFile(done, {});
        std::printf("made %s: %d designs in %.1f s\n", tree.c_str(), designs,
                    seconds(std::chrono::steady_clock::now() - start));
    }
    const std::string indexPath = (base / "cache" / "index.sqlite").string();
    const std::vector<Find> queries = finds();

    std::vector<double> coldRate, coldCpuRate, secondRun, secondCpu;
    std::vector<std::vector<double>> findTimes(queries.size()), findCpu(queries.size());
    std::vector<std::size_t> findCounts(queries.size());
    for (int run = 0; run < runs; ++run) {
        removeIndex(indexPath);
        int indexed = 0;
        {
            DesignIndex index(indexPath);
            const double cpu = cpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            indexed = index.refresh(folder).designs;
            const double wall = seconds(std::chrono::steady_clock::now() - start);
            coldRate.push_back(indexed / wall);
            coldCpuRate.push_back(indexed / (cpuSeconds() - cpu));
        }
        if (indexed != designs) {
            std::fprintf(stderr, "indexed %d designs, not %d\n", indexed, designs);
            return 1;
        }
        // A new program over the unchanged tree: open the index, walk the tree, read nothing.
        const double cpu = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        DesignIndex index(indexPath);
        const auto counts = index.refresh(folder);
        secondRun.push_back(seconds(std::chrono::steady_clock::now() - start));
        secondCpu.push_back(cpuSeconds() - cpu);
        if (counts.read != 0 || counts.designs != designs) {
            std::fprintf(stderr, "the second run read %d designs of %d\n", counts.read, counts.designs);
            return 1;
        }
        for (std::size_t q = 0; q < queries.size(); ++q)
            for (int k = 0; k < kFindRepeats; ++k) {
                const double cpuBegin = cpuSeconds();
                const auto begin = std::chrono::steady_clock::now();
                findCounts[q] = findDesigns(index, folder, queries[q].query).size();
                findTimes[q].push_back(seconds(std::chrono::steady_clock::now() - begin) * 1000);
                findCpu[q].push_back((cpuSeconds() - cpuBegin) * 1000);
            }
        const std::vector<double> thisRun(findTimes[0].end() - kFindRepeats, findTimes[0].end());
        std::printf("run %d: cold %.0f designs/s, second run %.2f s, find %s %.1f ms\n", run + 1, coldRate.back(),
                    secondRun.back(), queries[0].what, median(thisRun));
        std::fflush(stdout);
    }

    std::printf("\n%d designs (%d inside %d archives), medians of %d runs:\n", designs,
                designs / kPerFolder * kPerArchive, designs / kPerFolder, runs);
    std::printf("  cold index: %.0f designs/s wall clock (%.0f designs/s of CPU time)\n", median(coldRate),
                median(coldCpuRate));
    std::printf("  second run over the unchanged tree: %.2f s wall clock (%.2f s CPU)\n", median(secondRun),
                median(secondCpu));
    for (std::size_t q = 0; q < queries.size(); ++q)
        std::printf("  find %s: %.1f ms wall clock, %.1f ms CPU (%zu designs; median of %zu)\n", queries[q].what,
                    median(findTimes[q]), median(findCpu[q]), findCounts[q], findTimes[q].size());
    return 0;
}
