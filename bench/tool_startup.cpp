// SPDX-License-Identifier: MIT
// Start-up of the command-line tools and the thumbnailer: each run on a 5-stitch design (or
// the folder that holds it), where starting the process is nearly all of the time. The
// tools take turns, one run each a round, so that the machine's ups and downs fall on all
// of them alike. Prints one JSON line: each command's median process time (user + system
// time of the child) in milliseconds, beside the floors under them (startup_floor.cpp).
// Another build's tools, when given, run in turn with these, each right after its
// counterpart ("base_" figures). Exit status 1 when a tool failed or one of the first
// folder's took more than 12 ms.
//
//   orlika-bench-startup [RUNS] [TOOLS_FOLDER] [BASE_TOOLS_FOLDER]   (41 runs, this build's tools)
#include "tools/designgen/DstWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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

namespace fs = std::filesystem;

constexpr double kTargetMs = 12;

struct Command {
    std::string name;               // the key of its figure in the JSON line
    std::vector<std::string> args;  // the program first
    fs::path leftBehind;            // removed after each run, so that the next run writes it again
    bool target = true;             // held to the 12 ms
    std::vector<double> times;
};

// The user + system time of one run, or a negative number when it did not end with status 0.
double processMilliseconds(const std::vector<std::string>& command)
{
    std::vector<char*> args;
    for (const std::string& arg : command)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    // What the tools print would bury the figures.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int status = 0;
    rusage usage{};
    const bool spawned = posix_spawn(&child, args[0], &quiet, nullptr, args.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&quiet);
    if (!spawned || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each tool's commands on the design (and its folder), writing into `out`.
std::vector<Command> toolCommands(const fs::path& tools, const std::string& prefix, const fs::path& designs,
                                  const fs::path& out)
{
    const auto tool = [&](const char* name) { return (tools / name).string(); };
    const fs::path design = designs / "five.dst";
    const bool target = prefix.empty();
    return {
        {prefix + "info", {tool("orlika-info"), design}, {}, target, {}},
        {prefix + "export_png", {tool("orlika-export"), design, "-o", out / "five.png"}, out / "five.png", target, {}},
        {prefix + "export_svg", {tool("orlika-export"), design, "-o", out / "five.svg"}, out / "five.svg", target, {}},
        {prefix + "export_pdf", {tool("orlika-export"), design, "-o", out / "five.pdf"}, out / "five.pdf", target, {}},
        {prefix + "find", {tool("orlika-find"), designs}, {}, target, {}},
        {prefix + "convert", {tool("orlika-convert"), "--to", "PES", "-o", out, design}, out / "five.pes", target, {}},
        {prefix + "catalog_png", {tool("orlika-catalog"), designs, "-o", out / "page.png"}, out / "page-1.png", target, {}},
        {prefix + "catalog_pdf", {tool("orlika-catalog"), designs, "-o", out / "catalog.pdf"}, out / "catalog.pdf", target, {}},
        {prefix + "thumbnailer", {tool("orlika-thumbnailer"), "-s", "256", design, out / "thumb.png"}, out / "thumb.png",
         target, {}},
    };
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 41;
    const fs::path tools = argc > 2 ? fs::path(argv[2]) : fs::path(ORLIKA_TOOLS);
    const fs::path work = fs::temp_directory_path() / "orlika-bench-startup";
    const fs::path designs = work / "designs";
    const fs::path out = work / "out";
    fs::remove_all(work);
    fs::create_directories(designs);
    fs::create_directories(out);
    const fs::path design = designs / "five.dst";
    writeFile(design, orlika::gen::writeDst(orlika::gen::makeSpiral(5, 1)));
    // orlika-find keeps its index here, not in the user's cache; the first run fills it.
    setenv("XDG_CACHE_HOME", (work / "cache").c_str(), 1);

    // The floors: a process that does nothing; one that starts Qt's core library; one linked
    // with its GUI library that does nothing, starts fontconfig and the offscreen platform,
    // and measures the cell's font as orlika-info does.
    std::vector<Command> commands = {
        {"true", {"/bin/true"}, {}, false, {}},
        {"floor_core", {ORLIKA_FLOOR_CORE}, {}, false, {}},
        {"floor_gui_link", {ORLIKA_FLOOR_GUI, "link"}, {}, false, {}},
        {"floor_gui_app", {ORLIKA_FLOOR_GUI, "app"}, {}, false, {}},
        {"floor_gui_font", {ORLIKA_FLOOR_GUI, "font"}, {}, false, {}},
    };
    const std::vector<Command> ours = toolCommands(tools, "", designs, out);
    std::vector<Command> base =
        argc > 3 ? toolCommands(fs::path(argv[3]), "base_", designs, out) : std::vector<Command>{};
    // An older build may not have every tool yet (orlika-convert came later): its figure is
    // left out, and the others keep their turns.
    for (Command& command : base)
        if (!fs::exists(command.args.front())) {
            std::fprintf(stderr, "tool_startup: no %s, %s left out\n", command.args.front().c_str(), command.name.c_str());
            command.args.clear();
        }
    for (std::size_t i = 0; i < ours.size(); ++i) {
        commands.push_back(ours[i]);
        if (i < base.size() && !base[i].args.empty())
            commands.push_back(base[i]);
    }
    // Once each first: the index of orlika-find is made, and the files the tools read are cached.
    for (Command& command : commands) {
        if (processMilliseconds(command.args) < 0) {
            std::fprintf(stderr, "tool_startup: %s failed\n", command.args.front().c_str());
            return 1;
        }
        fs::remove(command.leftBehind);
    }
    for (int round = 0; round < runs; ++round) {
        for (Command& command : commands) {
            const double time = processMilliseconds(command.args);
            if (time < 0) {
                std::fprintf(stderr, "tool_startup: %s failed\n", command.args.front().c_str());
                return 1;
            }
            command.times.push_back(time);
            fs::remove(command.leftBehind);
        }
    }
    bool met = true;
    std::string line = "{\"stitches\":5,\"runs\":" + std::to_string(runs);
    for (const Command& command : commands) {
        const double ms = median(command.times);
        char figure[32];
        std::snprintf(figure, sizeof figure, "%.2f", ms);
        line += ",\"" + command.name + "_ms\":" + figure;
        met = met && (!command.target || ms <= kTargetMs);
    }
    std::printf("%s}\n", line.c_str());
    // The design stays for a look at one tool (strace, perf); the next run makes it again.
    fs::remove_all(out);
    return met ? 0 : 1;
}
