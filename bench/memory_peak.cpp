// SPDX-License-Identifier: MIT
// Peak memory of decoding a 2,000,000-stitch DST from disk, above the program's baseline,
// then of a HUS design too long to keep its records (expanded again to draw) and of one
// just short enough (its records kept from the sizing pass). The designs are written by a
// child process so that making them does not count.
#include "bench/support/CountingCanvas.h"
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/HusWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace orlika;

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

using Writer = std::vector<std::uint8_t> (*)(const gen::Design&);

std::vector<std::uint8_t> writeDst(const gen::Design& design)
{
    return gen::writeDst(design);
}

std::vector<std::uint8_t> writeHus(const gen::Design& design)
{
    return gen::writeHus(design);
}

bool writeDesign(const std::string& path, int stitches, Writer write = &writeDst)
{
    const pid_t child = fork();
    if (child == 0) {
        const auto bytes = write(gen::makeSpiral(stitches, 20));
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        _exit(out ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

long long decode(Catalog& catalog, bench::CountingCanvas& canvas, PosixFileSystem& files, const std::string& path)
{
    catalog.state().CellNo = 1;
    catalog.decodeFile(canvas, path, files.openRead(path));
    return canvas.lines;
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path();
    const std::string small = (folder / "orlika-memory-small.dst").string();
    const std::string large = (folder / "orlika-memory-2m.dst").string();
    if (!writeDesign(small, 1000) || !writeDesign(large, 2000000)) {
        std::fprintf(stderr, "memory_peak: cannot write the designs\n");
        return 1;
    }
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    bench::CountingCanvas canvas;
    catalog.setMainCanvas(&canvas);
    catalog.prepareScreenPage(canvas, 1000, 600);

    decode(catalog, canvas, files, small);  // touches every code path once
    const long baseline = peakKilobytes();
    const long long before = canvas.lines;
    decode(catalog, canvas, files, large);
    const long peak = peakKilobytes();
    std::printf("decoded %lld stitches of %s (%lld bytes)\n", canvas.lines - before, large.c_str(),
                (long long)std::filesystem::file_size(large));
    std::printf("peak memory: baseline %ld KiB, after %ld KiB, growth %ld KiB\n", baseline, peak, peak - baseline);
    std::filesystem::remove(small);
    std::filesystem::remove(large);
    bool flat = peak - baseline <= 2048;

    // 980,000 stitches and the colour changes: more records than a decoder keeps, then 500,000.
    for (const int stitches : {980000, 500000}) {
        const std::string hus = (folder / "orlika-memory.hus").string();
        if (!writeDesign(hus, stitches, &writeHus)) {
            std::fprintf(stderr, "memory_peak: cannot write the HUS design\n");
            return 1;
        }
        const long before = peakKilobytes();
        const long long linesBefore = canvas.lines;
        decode(catalog, canvas, files, hus);
        const long after = peakKilobytes();
        std::printf("decoded %lld stitches of %s (%lld bytes): growth %ld KiB\n", canvas.lines - linesBefore,
                    hus.c_str(), (long long)std::filesystem::file_size(hus), after - before);
        std::filesystem::remove(hus);
        flat = flat && after - before <= 2048;
    }
    return flat ? 0 : 1;
}
