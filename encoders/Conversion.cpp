// SPDX-License-Identifier: MIT
#include "encoders/Conversion.h"

#include "decoders/JefThreads.h"
#include "decoders/PecThreads.h"
#include "encoders/Proof.h"
#include "encoders/ThreadMatch.h"
#include "platform/FileOperations.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlika {

namespace {

/// A design's path as it is written: read from its file, turned when asked, ended at its
/// last stitch, cut to the target's records. Each pass over the path reads the file again from its start.
class PlannedPath {
public:
    PlannedPath(const Reader& reader, DesignFile& file, const std::string& path, const ConversionTarget& target)
        : m_read(reader, file, path), m_turned(m_read),
          m_ended(target.turn ? static_cast<NeedleStream&>(m_turned) : m_read), m_split(m_ended, target.encoder->limits)
    {
    }
    NeedleStream& needles() { return m_split; }
    const DesignNeedles& read() const { return m_read; }

private:
    DesignNeedles m_read;
    TurnedNeedles m_turned;
    EndedAtLastStitch m_ended;
    SplitNeedles m_split;
};

std::string millimetres(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string result = text;
    if (result.size() > 2 && result.ends_with(".0"))
        result.resize(result.size() - 2);
    return result;
}

std::string hexColor(Color color)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", redOf(color), greenOf(color), blueOf(color));
    return text;
}

/// Why the stitches do not fit the hoop, or nothing when they do.
std::optional<std::string> hoopProblem(const NeedleSummary& summary, const ConversionTarget& target, bool& fitsTurned)
{
    if (target.hoopWidthMm <= 0 || target.hoopHeightMm <= 0)
        return std::nullopt;
    const double width = summary.stitchBox.width() / 10.0;
    const double height = summary.stitchBox.height() / 10.0;
    const double overWidth = width - target.hoopWidthMm;
    const double overHeight = height - target.hoopHeightMm;
    if (overWidth <= 0 && overHeight <= 0)
        return std::nullopt;
    fitsTurned = height <= target.hoopWidthMm && width <= target.hoopHeightMm;
    std::string text = "larger than the " + std::to_string(target.hoopWidthMm) + " x " +
                       std::to_string(target.hoopHeightMm) + " mm hoop by ";
    if (overWidth > 0)
        text += millimetres(overWidth) + " mm in width";
    if (overWidth > 0 && overHeight > 0)
        text += " and ";
    if (overHeight > 0)
        text += millimetres(overHeight) + " mm in height";
    if (fitsTurned)
        text += "; it fits turned by 90 degrees";
    return text;
}

/// The thread of each colour block as the source names it.
std::vector<BlockThread> sourceThreads(const Design& design, const NeedleSummary& summary)
{
    std::vector<BlockThread> threads;
    threads.reserve(summary.blockColors.size());
    for (std::size_t i = 0; i < summary.blockColors.size(); ++i) {
        BlockThread thread;
        thread.color = summary.blockColors[i] & 0x00FFFFFF;
        if (i < design.threads.size()) {
            thread.name = design.threads[i].name;
            thread.code = design.threads[i].code;
            thread.brand = design.threads[i].brand;
        }
        threads.push_back(std::move(thread));
    }
    return threads;
}

struct ChartEntry {
    int index;
    Color color;
    std::string_view name;
    std::string_view code;
};

struct Chart {
    std::vector<ChartEntry> entries;
    std::vector<Lab> labs;  // of the entries' colours
};

Chart makeChart(ThreadKeeping keeping)
{
    Chart chart;
    if (keeping == ThreadKeeping::BrotherChart) {
        // Index 65 is the chart's "Undefined", not a thread.
        for (int index = 1; index < kPecThreadCount; ++index)
            chart.entries.push_back({index, threadChart().color(index) & 0x00FFFFFF, threadChart().name(index), {}});
    } else if (keeping == ThreadKeeping::JanomeChart) {
        for (std::uint32_t index = 1; index <= jef::kChartSize; ++index) {
            const jef::ChartThread& thread = jef::chartThread(index);
            if (!thread.code.empty())
                chart.entries.push_back({int(index), thread.color, thread.name, thread.code});
        }
    }
    for (const ChartEntry& entry : chart.entries)
        chart.labs.push_back(labOf(entry.color));
    return chart;
}

/// The format's chart, made once.
const Chart& chartOf(ThreadKeeping keeping)
{
    static const Chart brother = makeChart(ThreadKeeping::BrotherChart);
    static const Chart janome = makeChart(ThreadKeeping::JanomeChart);
    static const Chart none;
    return keeping == ThreadKeeping::BrotherChart ? brother : keeping == ThreadKeeping::JanomeChart ? janome : none;
}

/// Each block's thread matched to the nearest of the format's chart; blocks far from it
/// are told when the source named its threads (a pen colour of a format without threads
/// says nothing of the thread meant).
void matchToChart(std::vector<BlockThread>& threads, ThreadKeeping keeping, bool sourceNamesThreads,
                  std::vector<std::string>& remarks)
{
    const Chart& chart = chartOf(keeping);
    if (chart.entries.empty())
        return;
    for (std::size_t block = 0; block < threads.size(); ++block) {
        BlockThread& thread = threads[block];
        const ThreadMatch match = nearestThread(thread.color, chart.labs);
        const ChartEntry& entry = chart.entries[match.index];
        if (sourceNamesThreads && match.difference > kFarColorDifference) {
            char difference[16];
            std::snprintf(difference, sizeof difference, "%.1f", match.difference);
            remarks.push_back("colour " + std::to_string(block + 1) + " (" + hexColor(thread.color) +
                              (thread.name.empty() ? "" : ", " + thread.name) + ") is far from its nearest thread, " +
                              std::string(entry.name) + " (colour difference " + difference + ")");
        }
        thread.chartIndex = entry.index;
        thread.chartColor = entry.color;
        // A pen colour of a format without threads says nothing of the thread meant:
        // where the file names none, the chart's thread is named.
        if (!sourceNamesThreads) {
            thread.color = entry.color;
            thread.name = entry.name;
            thread.code = entry.code;
        }
    }
}

/// The written design's box, as its reader gives it, is one of the path's boxes.
bool boxReadsBack(const Design& written, const NeedleSummary& summary)
{
    const double tenths = millimetresPerUnit(written.unit) * 10;
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1.0; };
    const double width = written.bounds.width() * tenths;
    const double height = written.bounds.height() * tenths;
    for (const NeedleBox* box : {&summary.pathBox, &summary.stitchBox})
        if (near(width, box->width()) && near(height, box->height()))
            return true;
    // EXP's reader starts its minima at the start point and its maxima below any point.
    if (summary.reachedBox.empty)
        return false;
    const NeedleBox& reached = summary.reachedBox;
    return near(width, reached.maxX - std::min(0, reached.minX)) && near(height, reached.maxY - std::min(0, reached.minY));
}

/// The process's file mode mask, read without changing it (umask(2) would, for every
/// thread, while it is read).
mode_t processUmask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[128];
        unsigned mask = 022;
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(status);
        return mode_t(mask);
    }
    return 022;
}

/// A new empty file beside the destination, removed when it goes unless it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& destination)
        // A name of its own rather than the design's with a suffix: a design's name near
        // the file system's longest would leave no room for the suffix.
        : m_path(destinationPath(folderPart(destination), ".orlika-convert-XXXXXX"))
    {
        m_descriptor = ::mkostemp(m_path.data(), O_CLOEXEC);
        if (m_descriptor < 0)
            throw ConversionFailure("cannot write in " + folderPart(destination) + ": " + std::strerror(errno));
        // mkostemp makes the file for its owner alone; a design written is a new file
        // like any other.
        ::fchmod(m_descriptor, 0666 & ~processUmask());
    }
    ~TemporaryFile()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        if (!m_renamed)
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }
    /// Hands the descriptor over to whoever writes the file.
    int release() { return std::exchange(m_descriptor, -1); }
    /// Gives the file its name; false (errno set) when it could not, and then with
    /// NameClash::Keep because the name is taken (EEXIST). A file that replaces another
    /// was made durable first, and so is its folder: a crash then leaves the old file or
    /// the new one, never an empty one.
    bool rename(const std::string& destination, NameClash clash)
    {
        const int result = clash == NameClash::Keep ? renameWithoutReplacing(m_path, destination)
                                                    : ::rename(m_path.c_str(), destination.c_str());
        m_renamed = result == 0;
        if (m_renamed && clash == NameClash::Replace)
            syncFolder(destination);
        return m_renamed;
    }

private:
    std::string m_path;
    int m_descriptor = -1;
    bool m_renamed = false;
};

bool sameFile(const std::string& a, const std::string& b)
{
    return PosixFileOperations().sameFile(a, b);
}

void convertInto(ConversionOutcome& outcome, const Reader& reader, DesignFile& file, FileSystem& files,
                 const std::string& source, const ConversionTarget& target, NameClash clash)
{
    const Encoder& encoder = *target.encoder;
    // The design is read four times; a file changed meanwhile could give a header of one
    // version and the stitches of another.
    const std::optional<FileStamp> stampBefore = files.stampOf(source);
    NeedleSummary summary;
    std::vector<BlockThread> threads;
    {
        PlannedPath path(reader, file, source, target);
        if (!path.read().design().cutShort.empty())
            throw ConversionFailure(path.read().design().cutShort);
        summary = summarize(path.needles(), path.read().firstColor());
        if (path.read().error())
            throw ConversionFailure(*path.read().error());
        threads = sourceThreads(path.read().design(), summary);
        if (encoder.threads == ThreadKeeping::BrotherChart || encoder.threads == ThreadKeeping::JanomeChart)
            matchToChart(threads, encoder.threads, !path.read().design().threads.empty(), outcome.remarks);
    }
    outcome.stitches = summary.stitches;
    outcome.colorChanges = summary.colorChanges;
    if (summary.stitches == 0)
        throw ConversionFailure("the design has no stitches");
    if (const auto problem = hoopProblem(summary, target, outcome.fitsTurned))
        throw ConversionFailure(*problem);
    if (target.mostColorChanges > 0 && summary.colorChanges > target.mostColorChanges)
        throw ConversionFailure("has " + groupedCount(summary.colorChanges) + " colour changes; the machine takes " +
                                std::to_string(target.mostColorChanges));
    if (sameFile(source, outcome.destination))
        throw ConversionFailure("would replace the design itself");
    if (clash == NameClash::Keep && PosixFileOperations().exists(outcome.destination)) {
        outcome.nameTaken = true;
        throw ConversionFailure(outcome.destination + " exists already");
    }

    // Only a file that replaces another must reach the disk before its rename: a new
    // name lost in a crash loses no design (its source is untouched), and waiting for the
    // disk would cost more than the whole conversion.
    const bool replacing = clash == NameClash::Replace && PosixFileOperations().exists(outcome.destination);
    TemporaryFile temporary(outcome.destination);
    {
        WriteOptions options;
        options.label = namePart(source);
        if (const auto dot = options.label.rfind('.'); dot != std::string::npos)
            options.label.resize(dot);
        options.dstTrims = target.dstTrims;
        FileSink sink(temporary.release(), outcome.destination);
        PlannedPath path(reader, file, source, target);
        encoder.write({summary, threads, options}, path.needles(), sink);
        sink.finish(replacing);
    }

    // The file is read back under a plain name of its format: the PES reader takes any name
    // holding "PES" for a PES file, so "pesky.pec" would be refused for its name alone.
    const std::string proofName = "design." + std::string(encoder.extension);
    const Reader* writtenReader = readerOfName(proofName);
    PosixFileSystem disk;
    const std::unique_ptr<DesignFile> writtenFile = writtenReader ? disk.openRead(temporary.path()) : nullptr;
    if (!writtenFile)
        throw ConversionFailure("the written file cannot be read back");
    const std::optional<std::string> difference = [&]() -> std::optional<std::string> {
        try {
            DesignNeedles written(*writtenReader, *writtenFile, proofName);
            PlannedPath meant(reader, file, source, target);
            const bool charted =
                encoder.threads == ThreadKeeping::BrotherChart || encoder.threads == ThreadKeeping::JanomeChart;
            std::vector<Color> blockColors;
            for (const BlockThread& thread : threads)
                blockColors.push_back(charted ? thread.chartColor : thread.color);
            const ProofRules rules{encoder.keepsTrims, encoder.threads != ThreadKeeping::Nothing,
                                   encoder.travelReadsAsStitch};
            if (auto found = firstDifference(meant.needles(), written, blockColors, written.firstColor(), rules))
                return found;
            if (written.error())
                return "the file reads back with an error: " + *written.error();
            if (!boxReadsBack(written.design(), summary))
                return std::string("the size its header gives is not the design's");
            return std::nullopt;
        } catch (const std::exception& error) {
            return std::string("its reader refuses it: ") + error.what();
        }
    }();
    if (difference)
        throw ConversionFailure("not written: the file did not read back the same (" + *difference + ")");
    if (files.stampOf(source) != stampBefore)
        throw ConversionFailure("the design changed while it was converted; nothing was written");
    if (!temporary.rename(outcome.destination, clash)) {
        outcome.nameTaken = errno == EEXIST;
        throw ConversionFailure(outcome.nameTaken ? outcome.destination + " exists already"
                                                  : "cannot name the file " + outcome.destination + ": " +
                                                        std::strerror(errno));
    }
    outcome.written = true;
}

} // namespace

ConversionTarget targetOf(const MachineProfile& profile)
{
    ConversionTarget target;
    target.encoder = encoderFor(profile.extension, profile.version);
    target.hoopWidthMm = profile.hoopWidthMm;
    target.hoopHeightMm = profile.hoopHeightMm;
    target.mostColorChanges = profile.mostColorChanges;
    target.dstTrims = profile.dstTrims;
    return target;
}

std::string convertedName(const std::string& sourceName, const Encoder& encoder)
{
    const auto dot = sourceName.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? sourceName : sourceName.substr(0, dot);
    const std::string oldExtension = dot == std::string::npos ? std::string() : sourceName.substr(dot + 1);
    const bool lower = oldExtension.empty() ||
                       std::any_of(oldExtension.begin(), oldExtension.end(),
                                   [](char c) { return std::islower(static_cast<unsigned char>(c)); });
    std::string extension(encoder.extension);
    if (lower)
        for (char& c : extension)
            c = char(std::tolower(static_cast<unsigned char>(c)));
    return stem + "." + extension;
}

ConversionOutcome convertDesign(const std::string& source, FileSystem& files, const std::string& folder,
                                const ConversionTarget& target, NameClash clash)
{
    ConversionOutcome outcome;
    const std::string name = namePart(source);
    if (!target.encoder) {
        outcome.problem = "no writer for that format";
        return outcome;
    }
    outcome.destination = destinationPath(folder, convertedName(name, *target.encoder));
    const Reader* reader = readerOfName(name);
    if (!reader) {
        const std::string extension = extensionPart(name);
        outcome.problem = extension.empty() ? "no reader takes a file without an extension"
                                            : "no reader takes " + extension + " files";
        return outcome;
    }
    const std::unique_ptr<DesignFile> file = files.openRead(source);
    if (!file) {
        outcome.problem = "cannot open the file: " + openFailureText(files.whyNotOpened(source));
        return outcome;
    }
    try {
        convertInto(outcome, *reader, *file, files, source, target, clash);
    } catch (const std::exception& error) {
        outcome.problem = error.what();
    }
    return outcome;
}

} // namespace orlika
