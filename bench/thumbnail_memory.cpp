// SPDX-License-Identifier: MIT
// Peak memory (maximum resident set) of orlika-thumbnailer at 256 pixels on a
// 2,000,000-stitch design of one colour against a 1,000-stitch one, one process per thumbnail as a file
// manager runs it. Prints the median of each over several runs; fails when the large
// design needs more than 4 MiB above the small one.
// usage: orlika-bench-thumbnail-memory [THUMBNAILER [FOLDER]]; with FOLDER the two designs
// are written there and kept, for measuring by hand.
#include "tools/designgen/DstWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRuns = 7;
constexpr long kAllowedGrowthKiB = 4096;

// Linux carries a process's peak across exec, and a spawned child starts from its
// parent's: the designs are made in a child of their own, so this program stays small.
bool writeDesign(const std::string& path, int stitches, int colors)
{
    const pid_t child = fork();
    if (child == 0) {
        const auto bytes = orlika::gen::writeDst(orlika::gen::makeSpiral(stitches, colors));
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        _exit(out ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/// Runs the thumbnailer once; its peak resident memory in KiB, or -1 when it failed.
long thumbnailPeakKiB(const std::string& thumbnailer, const std::string& design, const std::string& output)
{
    char* args[] = {const_cast<char*>(thumbnailer.c_str()), const_cast<char*>("-s"), const_cast<char*>("256"),
                    const_cast<char*>(design.c_str()), const_cast<char*>(output.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, thumbnailer.c_str(), nullptr, nullptr, args, environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

long medianPeakKiB(const std::string& thumbnailer, const std::string& design, const std::string& output)
{
    std::vector<long> peaks;
    for (int i = 0; i < kRuns; ++i) {
        const long peak = thumbnailPeakKiB(thumbnailer, design, output);
        if (peak < 0)
            return -1;
        peaks.push_back(peak);
    }
    std::sort(peaks.begin(), peaks.end());
    return peaks[peaks.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const std::string thumbnailer = argc > 1 ? argv[1] : ORLIKA_THUMBNAILER;
    const bool keep = argc > 2;
    const std::filesystem::path folder = keep ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
    const std::string small = (folder / "orlika-thumb-mem-1k.dst").string();
    const std::string large = (folder / "orlika-thumb-mem-2m.dst").string();
    const std::string output = (folder / "orlika-thumb-mem.png").string();
    if (!writeDesign(small, 1000, 8) || !writeDesign(large, 2000000, 1)) {
        std::fprintf(stderr, "thumbnail_memory: cannot write the designs\n");
        return 1;
    }
    const long smallPeak = medianPeakKiB(thumbnailer, small, output);
    const long largePeak = medianPeakKiB(thumbnailer, large, output);
    std::filesystem::remove(output);
    if (!keep) {
        std::filesystem::remove(small);
        std::filesystem::remove(large);
    }
    if (smallPeak < 0 || largePeak < 0) {
        std::fprintf(stderr, "thumbnail_memory: %s failed\n", thumbnailer.c_str());
        return 1;
    }
    std::printf("orlika-thumbnailer at 256 px, median peak resident memory of %d runs:\n", kRuns);
    std::printf("  1,000 stitches                    %6.1f MiB\n", smallPeak / 1024.0);
    std::printf("  2,000,000 stitches of one colour  %6.1f MiB (%+.1f MiB)\n", largePeak / 1024.0, (largePeak - smallPeak) / 1024.0);
    return largePeak - smallPeak <= kAllowedGrowthKiB ? 0 : 1;
}
