// SPDX-License-Identifier: MIT
// A printed catalog of a large folder, as `orlika-catalog` makes it:
//   orlika-bench-catalog [CATALOG_TOOL [DESIGNS]]
// writes DESIGNS (5,000) generated designs into a folder under the temporary folder
// (spirals of 1,000 to 6,000 stitches and 1 to 8 colours, and stars, as DST, PES and EXP
// in turn), then makes its 30-thumbnail catalog as PDF and as PNG
// pages three times each and reports the median process time, the peak resident memory
// and the size of what was written.
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using orlika::gen::Design;

double seconds(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Design designNumber(int i)
{
    static const int kStitches[] = {1000, 2000, 3000, 4000, 6000};
    if (i % 7 == 6)
        return orlika::gen::makeStar(300 + 20 * (i % 10));
    return orlika::gen::makeSpiral(kStitches[i % 5], 1 + i % 8);
}

std::int64_t writeFolder(const fs::path& folder, int count)
{
    fs::create_directories(folder);
    std::int64_t stitches = 0;
    for (int i = 0; i < count; ++i) {
        const Design design = designNumber(i);
        stitches += std::int64_t(design.steps.size());
        char stem[32];
        std::snprintf(stem, sizeof stem, "design%05d", i);
        std::vector<std::uint8_t> bytes;
        std::string name = stem;
        switch (i % 3) {
        case 0:
            bytes = orlika::gen::writeDst(design);
            name += ".dst";
            break;
        case 1:
            bytes = orlika::gen::writePes(design);
            name += ".pes";
            break;
        default:
            bytes = orlika::gen::writeExp(design);
            name += ".exp";
            break;
        }
        const fs::path path = folder / name;
        if (!fs::exists(path))
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    return stitches;
}

struct Run {
    double seconds = 0;
    long peakKiB = 0;
};

bool runTool(const std::string& tool, const std::vector<std::string>& arguments, Run& run)
{
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int status = 0;
    rusage usage{};
    const bool started = posix_spawn(&child, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    run.seconds = seconds(usage);
    run.peakKiB = usage.ru_maxrss;
    return true;
}

std::uintmax_t bytesIn(const fs::path& folder)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        total += entry.file_size();
    return total;
}

bool measure(const std::string& tool, const fs::path& designs, const char* extension, int designCount)
{
    constexpr int kRuns = 3;
    std::vector<Run> runs;
    std::uintmax_t size = 0;
    for (int i = 0; i < kRuns; ++i) {
        const fs::path out = fs::temp_directory_path() / "orlika-bench-catalog-out";
        fs::remove_all(out);
        fs::create_directories(out);
        Run run;
        if (!runTool(tool, {designs.string() + "/", "--layout", "thumb30", "-o", (out / "catalog").string() + extension},
                     run)) {
            std::fprintf(stderr, "catalog_cpu: %s failed\n", tool.c_str());
            return false;
        }
        runs.push_back(run);
        size = bytesIn(out);
        fs::remove_all(out);
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    long peak = 0;
    for (const Run& run : runs)
        peak = std::max(peak, run.peakKiB);
    std::printf("%s, %d designs, thumb30: %.2f s process time (median of %d), peak %ld KiB, %.1f MB written\n",
                extension + 1, designCount, runs[kRuns / 2].seconds, kRuns, peak, double(size) / 1e6);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string tool = argc > 1 ? argv[1] : ORLIKA_CATALOG;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5000;
    const fs::path designs = fs::temp_directory_path() / ("orlika-bench-catalog-" + std::to_string(count));
    const std::int64_t stitches = writeFolder(designs, count);
    std::printf("%s: %d designs, %.1f M stitches\n", designs.c_str(), count, double(stitches) / 1e6);
    const bool ok = measure(tool, designs, ".pdf", count) && measure(tool, designs, ".png", count);
    return ok ? 0 : 1;
}
