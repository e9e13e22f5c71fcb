// SPDX-License-Identifier: MIT
// Records every canvas call and every request to the host of whole catalog runs over
// folders, in all six layouts, with and without a selection, on a screen page and on the
// printer, and on a screen whose next page is drawn ahead; prints one fingerprint a run. Two builds whose lines are the same drew the
// same pages: the check for changes to the page engine that must not change a pixel.
//
//   orlika-canvas-records [--dump DIR] FOLDER[:tree] ...
//
// With --dump, each run's record is also written to DIR, to compare line by line.
#include "catalog/Catalog.h"
#include "collection/CollectionFiles.h"
#include "collection/TreeWalk.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/RecordingPrinter.h"
#include "tests/support/ScriptedHost.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace orlika;
using namespace orlika::test;

// The host's requests go into the record of the canvas being drawn, where they fall
// between its calls.
class RecordingHost : public ScriptedHost {
public:
    std::vector<std::string>* record = nullptr;

    void setStatus(const std::string& text, StatusTone tone) override
    {
        note("Status " + std::to_string(int(tone)) + " \"" + text + "\"");
    }
    void setPhase(const std::string& text) override { note("Phase \"" + text + "\""); }
    void setRunControls(const RunControls& now) override
    {
        ScriptedHost::setRunControls(now);
        note("Controls " + std::to_string(now.cancel) + std::to_string(now.next) + std::to_string(now.prev));
    }
    MessageAnswer messageBox(const MessageRequest& request) override
    {
        note("Box \"" + request.caption + "\" \"" + request.text + "\"");
        return MessageAnswer::Ok;
    }
    void showError(const std::string& message) override { note("Error \"" + message + "\""); }
    std::string askPageTitle() override { return "Records"; }

private:
    void note(const std::string& line)
    {
        if (record)
            record->push_back("Host " + line);
    }
};

// Draws the page ahead at once on a canvas of its own; showing it appends that page's
// calls to the window's record, and a page kept for Prev is the record since its white.
class RecordedAhead final : public PageAhead {
public:
    RecordedAhead(FileSystem& files, std::vector<std::string>& window) : m_files(files), m_window(window) {}

    void start(PageJob job) override
    {
        m_page.clear();
        m_prepared = preparePage(std::move(job), m_page, m_files, m_stop);
    }
    bool ready() const override { return true; }
    const PreparedPage* prepared() const override { return m_prepared ? &*m_prepared : nullptr; }
    void show(int keepAs) override
    {
        keepPageOnDisplay(keepAs);
        m_window.push_back("Shown ahead");
        m_window.insert(m_window.end(), m_page.log.begin(), m_page.log.end());
        m_prepared.reset();
    }
    void drop() override { m_prepared.reset(); }
    void keepPageOnDisplay(int key) override
    {
        const auto white = std::find_if(m_window.rbegin(), m_window.rend(),
                                        [](const std::string& line) { return line.rfind("Rectangle", 0) == 0; });
        m_kept[key] = std::vector<std::string>(white == m_window.rend() ? m_window.begin() : white.base() - 1,
                                               m_window.end());
    }
    bool showKeptPage(int key) override
    {
        const auto kept = m_kept.find(key);
        if (kept == m_kept.end())
            return false;
        m_window.push_back("Shown again");
        m_window.insert(m_window.end(), kept->second.begin(), kept->second.end());
        return true;
    }
    void forgetKeptPages() override { m_kept.clear(); }

private:
    FileSystem& m_files;
    std::vector<std::string>& m_window;
    RecordingCanvas m_page;
    std::optional<PreparedPage> m_prepared;
    std::atomic<bool> m_stop{false};
    std::map<int, std::vector<std::string>> m_kept;
};

std::uint64_t fingerprint(const std::vector<std::string>& lines)
{
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const std::string& line : lines) {
        for (const char c : line)
            hash = (hash ^ std::uint8_t(c)) * 1099511628211ull;
        hash = (hash ^ '\n') * 1099511628211ull;
    }
    return hash;
}

struct RunSetup {
    std::string folder;
    bool tree = false;
    NamedPageLayout layout = kPageLayouts[0];
    bool selection = false;
    enum class Target { Screen, Printer, ScreenAhead };
    Target target = Target::Screen;

    std::string label() const
    {
        return folder + (tree ? ":tree" : "") + " " + std::string(layout.key) + (selection ? " selected" : " plain") +
               (target == Target::Printer ? " printer" : target == Target::Screen ? " screen" : " ahead");
    }
};

// One run to its end, Next at each page but the second, where Prev goes back once.
std::vector<std::string> recordRun(const RunSetup& setup)
{
    RecordingHost host;
    ArchiveShelf archives;
    CollectionFileSystem files(archives);
    TreeCollector collector(archives);
    Catalog catalog(host, files);
    RecordingCanvas screen;
    RecordingPrinter printer;
    catalog.setMainCanvas(&screen);
    catalog.setPrinter(&printer);
    catalog.setCollector(&collector);
    CatalogState& s = catalog.state();
    applyLayout(s, setup.layout.layout);
    const std::string folder = setup.folder + "/";
    if (setup.selection) {
        // Every other design, so that both colours of name line are drawn.
        const auto names = catalog.listDesignFiles(folder);
        for (std::size_t i = 0; i < names.size(); i += 2)
            s.SelectedList.add(names[i]);
        s.SelectedFolder = folder;
    }
    s.IncludeSubfolders = setup.tree;
    s.OpenDialog1.FileName = folder + "*";
    s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
    catalog.GetFileTypes();
    s.OpenFileName = s.OpenDialog1.FileName;
    s.FromBeginning = true;
    s.UseDialogList = s.UseSelectedList = false;
    const bool printing = setup.target == RunSetup::Target::Printer;
    RecordingCanvas& canvas = printing ? printer.page : screen;
    host.record = &canvas.log;
    RecordedAhead ahead(files, canvas.log);
    if (setup.target == RunSetup::Target::ScreenAhead)
        catalog.setPageAhead(&ahead);
    int waits = 0;
    catalog.View(canvas, printing);
    catalog.runToEnd([&] {
        canvas.log.push_back("Wait");
        if (++waits == 2 && catalog.prevShown())
            catalog.SBPrevClick();
        else
            catalog.SBButtonClick();
    });
    for (const std::string& step : printer.steps)
        canvas.log.push_back("Printer " + step);
    return std::move(canvas.log);
}

} // namespace

int main(int argc, char** argv)
{
    std::string dumpFolder;
    std::vector<std::pair<std::string, bool>> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--dump" && i + 1 < argc) {
            dumpFolder = argv[++i];
            std::filesystem::create_directories(dumpFolder);
        } else if (argument.ends_with(":tree")) {
            folders.emplace_back(argument.substr(0, argument.size() - 5), true);
        } else {
            folders.emplace_back(argument, false);
        }
    }
    if (folders.empty()) {
        std::fprintf(stderr, "usage: orlika-canvas-records [--dump DIR] FOLDER[:tree] ...\n");
        return 2;
    }
    int runNumber = 0;
    for (const auto& [folder, tree] : folders)
        for (const NamedPageLayout& layout : kPageLayouts)
            for (const bool selection : {false, true})
                for (const auto target :
                     {RunSetup::Target::Screen, RunSetup::Target::Printer, RunSetup::Target::ScreenAhead}) {
                    const RunSetup setup{folder, tree, layout, selection, target};
                    const std::vector<std::string> record = recordRun(setup);
                    std::printf("%016llx %8zu  %s\n", static_cast<unsigned long long>(fingerprint(record)),
                                record.size(), setup.label().c_str());
                    if (!dumpFolder.empty()) {
                        std::ofstream out(dumpFolder + "/run" + std::to_string(++runNumber) + ".txt");
                        out << setup.label() << '\n';
                        for (const std::string& line : record)
                            out << line << '\n';
                    }
                }
    return 0;
}
