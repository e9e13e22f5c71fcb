// SPDX-License-Identifier: MIT
// Process time of orlika-thumbnailer on a 20,000-stitch design at 256 pixels, the way a
// file manager runs it: one process per thumbnail. Reports the median of the runs' user +
// system time.
#include "tools/designgen/DstWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

double milliseconds(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string thumbnailer = argc > 1 ? argv[1] : ORLIKA_THUMBNAILER;
    const auto folder = std::filesystem::temp_directory_path();
    const std::string design = (folder / "orlika-thumb-20k.dst").string();
    const std::string output = (folder / "orlika-thumb-20k.png").string();
    {
        const auto bytes = orlika::gen::writeDst(orlika::gen::makeSpiral(20000, 8));
        std::ofstream(design, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      std::streamsize(bytes.size()));
    }
    constexpr int kRuns = 31;
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        char* args[] = {const_cast<char*>(thumbnailer.c_str()), const_cast<char*>("-s"), const_cast<char*>("256"),
                        const_cast<char*>(design.c_str()), const_cast<char*>(output.c_str()), nullptr};
        pid_t child = 0;
        int status = 0;
        rusage usage{};
        if (posix_spawn(&child, thumbnailer.c_str(), nullptr, nullptr, args, environ) != 0 ||
            wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "thumbnail_cpu: %s failed\n", thumbnailer.c_str());
            return 1;
        }
        times.push_back(milliseconds(usage));
    }
    std::sort(times.begin(), times.end());
    const double perRun = times[times.size() / 2];
    std::printf("orlika-thumbnailer, 20,000 stitches at 256 px: %.1f ms process time per thumbnail (median of %d runs)\n",
                perRun, kRuns);
    std::filesystem::remove(design);
    std::filesystem::remove(output);
    return perRun < 30 ? 0 : 1;
}
