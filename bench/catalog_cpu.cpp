// SPDX-License-Identifier: MIT
// A printed catalog of a large folder, as `orlika-catalog` makes it:
//   orlika-bench-catalog [CATALOG_TOOL [DESIGNS]]
// writes DESIGNS (5,000) generated designs into a folder under the temporary folder
// (spirals of 1,000 to 6,000 stitches and 1 to 8 colours, and stars, as DST, PES and EXP
// in turn), then makes its 30-thumbnail catalog as PDF and as PNG pages three times each
// and reports the median process time (all threads) and wall time, the peak resident
// memory and the size of what was written. The PDF is made both ways in turn, its lines
// written by ORLIKA and by Qt's PDF engine alone (ORLIKA_PDF_LINES=qt, as before), and
// the PNG pages by ORLIKA's encoder and by Qt's writer (ORLIKA_PNG_PAGES=qt, as before),
// so the two share the machine's load alike.
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <string_view>
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
    double wallSeconds = 0;
    long peakKiB = 0;
};

// This process's environment, with `oldWay` ("NAME=value") set when not null.
std::vector<char*> environment(const char* oldWay)
{
    std::vector<char*> variables;
    const std::string_view name = oldWay ? std::string_view(oldWay).substr(0, std::string_view(oldWay).find('=') + 1) : "";
    for (char** variable = environ; *variable; ++variable)
        if (name.empty() || std::strncmp(*variable, name.data(), name.size()) != 0)
            variables.push_back(*variable);
    if (oldWay)
        variables.push_back(const_cast<char*>(oldWay));
    variables.push_back(nullptr);
    return variables;
}

bool runTool(const std::string& tool, const std::vector<std::string>& arguments, const char* oldWay, Run& run)
{
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp = environment(oldWay);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int status = 0;
    rusage usage{};
    const auto start = std::chrono::steady_clock::now();
    const bool started = posix_spawn(&child, tool.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

// The runs of one way of making the catalog.
struct Way {
    const char* extension;
    const char* oldWay;  // the setting that makes the catalog as before; null for today's way
    const char* name;
    std::vector<Run> runs;
    std::uintmax_t size = 0;

    double median(double Run::*field) const
    {
        std::vector<double> values;
        for (const Run& run : runs)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
    long peakKiB() const
    {
        long peak = 0;
        for (const Run& run : runs)
            peak = std::max(peak, run.peakKiB);
        return peak;
    }
};

bool runOnce(const std::string& tool, const fs::path& designs, Way& way)
{
    const fs::path out = fs::temp_directory_path() / "orlika-bench-catalog-out";
    fs::remove_all(out);
    fs::create_directories(out);
    Run run;
    if (!runTool(tool, {designs.string() + "/", "--layout", "thumb30", "-o", (out / "catalog").string() + way.extension},
                 way.oldWay, run)) {
        std::fprintf(stderr, "catalog_cpu: %s failed\n", tool.c_str());
        return false;
    }
    way.runs.push_back(run);
    way.size = bytesIn(out);
    fs::remove_all(out);
    return true;
}

void report(const Way& way, int designCount, int runs)
{
    std::printf("%s, %d designs, thumb30, %s: %.2f s process time, %.2f s wall time (medians of %d), "
                "peak %ld KiB, %.1f MB written\n",
                way.extension + 1, designCount, way.name, way.median(&Run::seconds), way.median(&Run::wallSeconds), runs,
                way.peakKiB(), double(way.size) / 1e6);
}

/// The runs of two ways, alternating, and how they compare.
bool compare(const std::string& tool, const fs::path& designs, int designCount, Way& before, Way& after)
{
    constexpr int kRuns = 3;
    for (int i = 0; i < kRuns; ++i)
        if (!runOnce(tool, designs, before) || !runOnce(tool, designs, after))
            return false;
    report(before, designCount, kRuns);
    report(after, designCount, kRuns);
    std::printf("%s: %.1f times less process time, %.1f times less wall time, %.2f times the size\n",
                after.extension + 1, before.median(&Run::seconds) / after.median(&Run::seconds),
                before.median(&Run::wallSeconds) / after.median(&Run::wallSeconds),
                double(after.size) / double(before.size));
    return true;
}

/// The PDF both ways, then the PNG pages both ways.
bool measure(const std::string& tool, const fs::path& designs, int designCount)
{
    Way pdfBefore{".pdf", "ORLIKA_PDF_LINES=qt", "lines by Qt's PDF engine (before)", {}};
    Way pdfAfter{".pdf", nullptr, "lines by ORLIKA", {}};
    Way pngBefore{".png", "ORLIKA_PNG_PAGES=qt", "pages by Qt's PNG writer (before)", {}};
    Way pngAfter{".png", nullptr, "pages by ORLIKA's encoder", {}};
    return compare(tool, designs, designCount, pdfBefore, pdfAfter) &&
           compare(tool, designs, designCount, pngBefore, pngAfter);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string tool = argc > 1 ? argv[1] : ORLIKA_CATALOG;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5000;
    const fs::path designs = fs::temp_directory_path() / ("orlika-bench-catalog-" + std::to_string(count));
    const std::int64_t stitches = writeFolder(designs, count);
    std::printf("%s: %d designs, %.1f M stitches\n", designs.c_str(), count, double(stitches) / 1e6);
    return measure(tool, designs, count) ? 0 : 1;
}
