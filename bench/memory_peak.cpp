// SPDX-License-Identifier: MIT
// Peak memory of decoding a 2,000,000-stitch DST from disk, above the program's baseline.
// The design is written by a child process so that making it does not count.
#include "bench/support/CountingCanvas.h"
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "tools/designgen/DstWriter.h"

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

bool writeDesign(const std::string& path, int stitches)
{
    const pid_t child = fork();
    if (child == 0) {
        const auto bytes = gen::writeDst(gen::makeSpiral(stitches, 20));
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
    return peak - baseline <= 2048 ? 0 : 1;
}
