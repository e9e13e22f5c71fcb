// SPDX-License-Identifier: MIT
// Converting designs for a machine, the proof included (decode, write to a temporary file,
// read back, compare, rename):
//   1. a 20,000-stitch design to every format written: the median CPU and wall time a
//      design and the stitches a CPU second through the whole conversion;
//   2. a folder of 5,000 generated designs (DST, PES, EXP, 120 to 11,500 stitches) to the
//      target format on two threads: the median wall time of the runs;
//   3. a 2,000,000-stitch DST (an 80 x 80 mm fill) to the target format in a fresh
//      process: how much the peak resident memory grew during the conversion.
// One JSON line each. usage: orlika-bench-convert [FORMAT [RUNS [FOLDER]]]
//   (PES where it is written, else DST; 5; $TMPDIR/orlika-bench-convert)
#include "encoders/Conversion.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace orlika;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

/// The process's peak resident memory: VmHWM, which starts again at exec (the rusage
/// figure keeps the peak of the process that made the design before it).
long peakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

ConversionOutcome convert(const std::string& design, const std::string& folder, const Encoder& encoder)
{
    PosixFileSystem files;
    ConversionTarget target;
    target.encoder = &encoder;
    return convertDesign(design, files, folder, target);
}

void oneDesignToEveryFormat(const fs::path& folder, int runs)
{
    const fs::path design = folder / "spiral-20000.dst";
    writeFile(design, gen::writeDst(gen::makeSpiral(20000, 6)));
    const fs::path out = folder / "one";
    fs::create_directories(out);
    for (const Encoder& encoder : encoders()) {
        std::vector<double> times, cpuTimes;
        std::int64_t stitches = 0;
        for (int run = 0; run < runs * 20; ++run) {
            fs::remove(out / convertedName(design.filename().string(), encoder));
            const auto start = Clock::now();
            const double cpuStart = threadCpuMilliseconds();
            const ConversionOutcome outcome = convert(design.string(), out.string(), encoder);
            cpuTimes.push_back(threadCpuMilliseconds() - cpuStart);
            times.push_back(millisecondsSince(start));
            if (!outcome.written) {
                std::fprintf(stderr, "%s: %s\n", std::string(encoder.name).c_str(), outcome.problem.c_str());
                std::exit(1);
            }
            stitches = outcome.stitches;
        }
        const double cpuMs = median(cpuTimes);
        std::printf("{\"bench\":\"convert_one\",\"format\":\"%s\",\"version\":%d,\"stitches\":%lld,"
                    "\"median_cpu_ms\":%.3f,\"median_wall_ms\":%.3f,\"m_stitches_per_cpu_s\":%.1f}\n",
                    std::string(encoder.extension).c_str(), encoder.version, static_cast<long long>(stitches), cpuMs,
                    median(times), double(stitches) / cpuMs / 1000.0);
    }
}

std::vector<fs::path> makeCollection(const fs::path& folder)
{
    const fs::path designs = folder / "collection";
    std::vector<fs::path> paths;
    const bool made = fs::exists(designs / "done");
    fs::create_directories(designs);
    std::vector<std::vector<std::vector<std::uint8_t>>> pool;
    if (!made)
        for (int i = 0; i < 16; ++i)
            for (const gen::Design& design : {gen::makeStar(120 + 40 * i), gen::makeFilledCircle(120 + 30 * i),
                                              gen::makeSpiral(1000 + 700 * i, 2 + i % 6)})
                pool.push_back({gen::writeDst(design), gen::writePes(design), gen::writeExp(design)});
    const char* const extensions[] = {".dst", ".pes", ".exp"};
    for (int i = 0; i < 5000; ++i) {
        const fs::path path = designs / ("design-" + std::to_string(i) + extensions[i % 3]);
        if (!made)
            writeFile(path, pool[std::size_t(i) % pool.size()][std::size_t(i % 3)]);
        paths.push_back(path);
    }
    std::ofstream(designs / "done") << "5000\n";
    return paths;
}

void collectionOnTwoThreads(const fs::path& folder, const Encoder& encoder, int runs)
{
    const std::vector<fs::path> designs = makeCollection(folder);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const fs::path out = folder / "converted";
        fs::remove_all(out);
        fs::create_directories(out);
        std::atomic<std::size_t> next{0};
        std::atomic<int> written{0};
        const auto work = [&] {
            for (std::size_t i = next++; i < designs.size(); i = next++)
                written += convert(designs[i].string(), out.string(), encoder).written;
        };
        const auto start = Clock::now();
        std::thread other(work);
        work();
        other.join();
        times.push_back(millisecondsSince(start) / 1000.0);
        if (written != int(designs.size())) {
            std::fprintf(stderr, "only %d of %zu written\n", written.load(), designs.size());
            std::exit(1);
        }
    }
    std::printf("{\"bench\":\"convert_collection\",\"format\":\"%s\",\"designs\":%zu,\"threads\":2,\"median_s\":%.3f}\n",
                std::string(encoder.extension).c_str(), designs.size(), median(times));
}

/// Run in a fresh process, so that making the design does not raise the peak.
int memoryOfOneConversion(const std::string& design, const std::string& folder, const Encoder& encoder)
{
    const long before = peakKilobytes();
    const ConversionOutcome outcome = convert(design, folder, encoder);
    const long after = peakKilobytes();
    if (!outcome.written) {
        std::fprintf(stderr, "%s\n", outcome.problem.c_str());
        return 1;
    }
    std::printf("{\"bench\":\"convert_memory\",\"format\":\"%s\",\"stitches\":%lld,\"peak_before_kb\":%ld,"
                "\"peak_after_kb\":%ld,\"growth_kb\":%ld}\n",
                std::string(encoder.extension).c_str(), static_cast<long long>(outcome.stitches), before, after,
                after - before);
    return 0;
}

/// Rows of short stitches back and forth over an 80 x 80 mm square, again and again, in
/// `colors` threads: a large design any format's header can measure.
gen::Design denseFill(int stitches, int colors)
{
    gen::Design design;
    const int perColor = stitches / colors;
    for (int i = 0; i < stitches; ++i) {
        if (i > 0 && i % perColor == 0)
            design.colorChange(i / perColor);
        const int row = (i / 200) % 400;
        const int column = i % 200;
        design.stitch(2 * (row % 2 == 0 ? column : 199 - column), 2 * row);
    }
    return design;
}

void memoryOfALargeDesign(const fs::path& folder, const Encoder& encoder, const char* self)
{
    const fs::path design = folder / "fill-2000000.dst";
    if (!fs::exists(design))
        writeFile(design, gen::writeDst(denseFill(2'000'000, 8)));
    const fs::path out = folder / "large";
    fs::create_directories(out);
    for (const auto& entry : fs::directory_iterator(out))
        fs::remove(entry.path());
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const std::string format(encoder.extension), version = std::to_string(encoder.version);
        execl(self, self, "--memory", design.c_str(), out.c_str(), format.c_str(), version.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::string(argv[1]) == "--memory") {
        const Encoder* encoder = encoderFor(argv[4], std::atoi(argv[5]));
        return encoder ? memoryOfOneConversion(argv[2], argv[3], *encoder) : 2;
    }
    const Encoder* target = argc > 1 ? encoderFor(argv[1]) : encoderFor("PES");
    if (!target)
        target = encoderFor("DST");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const char* tmp = std::getenv("TMPDIR");
    const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::path(tmp ? tmp : "/tmp") / "orlika-bench-convert";
    fs::create_directories(folder);
    oneDesignToEveryFormat(folder, runs);
    collectionOnTwoThreads(folder, *target, runs);
    memoryOfALargeDesign(folder, *target, "/proc/self/exe");
    return 0;
}
