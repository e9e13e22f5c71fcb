// SPDX-License-Identifier: MIT
// Pages drawn ahead of Next: a run that takes them shows what a run without them shows,
// and one is dropped whenever what it read or the user's choices changed meanwhile.
#include "tests/support/CatalogFixture.h"
#include "tests/support/PageClicks.h"
#include "tools/designgen/DstWriter.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

namespace orlika::test {
namespace {

// Draws the page ahead at once, on a recording canvas of its own; showing it appends its
// calls to the window's canvas, where a drawn page would have put them.
class SynchronousAhead final : public PageAhead {
public:
    SynchronousAhead(MemoryFileSystem& files, RecordingCanvas& window) : m_files(files), m_window(window) {}

    int started = 0;
    int shown = 0;
    std::optional<PageJob> lastJob;
    std::function<void()> whileDrawn;  // what happens between the drawing and Next

    void start(PageJob job) override
    {
        ++started;
        lastJob = job;
        m_page.clear();
        m_prepared = preparePage(std::move(job), m_page, m_files, m_stop);
        if (whileDrawn)
            whileDrawn();
    }
    bool ready() const override { return true; }
    const PreparedPage* prepared() const override { return m_prepared ? &*m_prepared : nullptr; }
    void show(int keepAs) override
    {
        ++shown;
        keepPageOnDisplay(keepAs);
        m_window.log.insert(m_window.log.end(), m_page.log.begin(), m_page.log.end());
        m_window.texts.insert(m_window.texts.end(), m_page.texts.begin(), m_page.texts.end());
    }
    void drop() override { m_prepared.reset(); }
    // A page's picture is what the window's canvas logged since the page was painted white.
    void keepPageOnDisplay(int key) override
    {
        const auto white = std::find_if(m_window.log.rbegin(), m_window.log.rend(),
                                        [](const std::string& line) { return line.rfind("Rectangle", 0) == 0; });
        m_kept[key] = std::vector<std::string>(white.base() - 1, m_window.log.end());
    }
    bool showKeptPage(int key) override
    {
        const auto kept = m_kept.find(key);
        if (kept == m_kept.end())
            return false;
        ++shownAgain;
        m_window.log.insert(m_window.log.end(), kept->second.begin(), kept->second.end());
        for (const std::string& line : kept->second)
            if (line.rfind("TextOut", 0) == 0)
                m_window.texts.push_back(line.substr(line.find('"') + 1, line.size() - line.find('"') - 2));
        return true;
    }
    void forgetKeptPages() override { m_kept.clear(); }
    int shownAgain = 0;

private:
    MemoryFileSystem& m_files;
    RecordingCanvas& m_window;
    RecordingCanvas m_page;
    std::optional<PreparedPage> m_prepared;
    std::atomic<bool> m_stop{false};
    std::map<int, std::vector<std::string>> m_kept;
};

std::vector<std::uint8_t> designOf(int i)
{
    gen::Design design;
    design.stitch(10 * i, 10);
    design.stitch(20, 5 * i);
    return gen::writeDst(design);
}

std::string nameOf(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "d%02d.dst", i);
    return name;
}

class PageAheadTest : public CatalogFixture {
protected:
    SynchronousAhead ahead{files, canvas};

    void addDesigns(int count)
    {
        for (int i = 1; i <= count; ++i)
            files.add("/designs/" + nameOf(i), designOf(i));
    }
    // The status line a waiting page shows: what the user reads while deciding.
    std::vector<std::string> captionsWhileWaiting;
    void pressNext(int times)
    {
        for (int i = 0; i < times; ++i)
            host.onWait.push_back([this] {
                captionsWhileWaiting.push_back(host.captions.back());
                catalog.SBButtonClick();
            });
    }

    // What a run shows and tells, to compare a run with pages drawn ahead with one without.
    struct Seen {
        std::vector<std::string> texts;
        std::vector<std::string> captions;  // while pages wait, and the last
        std::array<std::string, 31> namesOnDisplay;
        std::vector<std::string> boxes;
        int designsShown = 0;
        bool operator==(const Seen&) const = default;
    };
    Seen run(bool drawAhead)
    {
        canvas.clear();
        host.captions.clear();
        captionsWhileWaiting.clear();
        host.messages.clear();
        catalog.setPageAhead(drawAhead ? &ahead : nullptr);
        openFolder(nameOf(1));
        std::vector<std::string> captions = captionsWhileWaiting;
        captions.push_back(host.captions.back());
        Seen seen{canvas.texts, captions, catalog.pageOnDisplay().names, {}, catalog.designsShown()};
        for (const MessageRequest& box : host.messages)
            seen.boxes.push_back(box.text);
        return seen;
    }
};

TEST_F(PageAheadTest, PagesDrawnAheadShowAndTellWhatDrawnPagesDo)
{
    addDesigns(15);  // three pages of the standard layout, the last one short
    files.unreadable.push_back("/designs/" + nameOf(8));  // a skipped entry on page 2
    s.SelectedList.add(nameOf(9));
    pressNext(3);
    const Seen drawn = run(false);
    pressNext(3);
    const Seen drawnAhead = run(true);
    EXPECT_EQ(drawnAhead.texts, drawn.texts);
    EXPECT_EQ(drawnAhead.captions, drawn.captions);
    EXPECT_EQ(drawnAhead.namesOnDisplay, drawn.namesOnDisplay);
    EXPECT_EQ(drawnAhead.designsShown, drawn.designsShown);
    EXPECT_EQ(ahead.started, 2);
    EXPECT_EQ(ahead.shown, 2);
    EXPECT_EQ(drawn.captions.back(), " FINISHED; 1 could not be opened: 1 no permission");
}

TEST_F(PageAheadTest, PrevPutsBackAPageKeptAndTheRunGoesOnFromIt)
{
    addDesigns(15);
    const auto script = [this] {
        for (const bool next : {true, true, false, false, true, true, true})
            host.onWait.push_back([this, next] {
                captionsWhileWaiting.push_back(host.captions.back());
                next ? catalog.SBButtonClick() : catalog.SBPrevClick();
            });
    };
    script();
    const Seen drawn = run(false);
    script();
    const Seen drawnAhead = run(true);
    EXPECT_EQ(drawnAhead.texts, drawn.texts);
    EXPECT_EQ(drawnAhead.captions, drawn.captions);
    EXPECT_EQ(drawnAhead.designsShown, drawn.designsShown);
    // Pages 2 and 1 come back from what was kept; pages 2 and 3 after them are drawn ahead.
    EXPECT_EQ(ahead.shownAgain, 2);
    EXPECT_EQ(ahead.shown, 4);
}

TEST_F(PageAheadTest, AFileChangedOrGoneSinceThePageWasDrawnAheadIsReadAgain)
{
    addDesigns(12);
    ahead.whileDrawn = [this] {
        files.add("/designs/" + nameOf(8), designOf(80));  // written again
        files.files.erase("/designs/" + nameOf(10));       // deleted
    };
    pressNext(2);
    const Seen drawnAhead = run(true);
    EXPECT_EQ(ahead.shown, 0);
    ahead.whileDrawn = {};
    addDesigns(12);
    files.add("/designs/" + nameOf(8), designOf(80));
    files.files.erase("/designs/" + nameOf(10));
    pressNext(2);
    // The page is drawn as a page drawn after the change: the new design 8, no design 10.
    const Seen drawnAfter = run(false);
    EXPECT_EQ(drawnAhead.texts, drawnAfter.texts);
    EXPECT_EQ(drawnAhead.captions.back(), " FINISHED; 1 could not be opened: 1 gone");
}

TEST_F(PageAheadTest, APageWhoseDesignRaisesABoxIsDrawnWhenItsTurnComes)
{
    addDesigns(6);
    files.add("/designs/" + nameOf(7), std::vector<std::uint8_t>(512, ' '));  // fine
    files.add("/designs/z.pes", std::vector<std::uint8_t>(20, 'x'));          // unknown format: a box
    pressNext(2);
    const Seen drawn = run(false);
    pressNext(2);
    const Seen drawnAhead = run(true);
    EXPECT_EQ(ahead.shown, 0);
    EXPECT_EQ(drawnAhead, drawn);
    ASSERT_EQ(drawn.boxes.size(), 1u);
}

TEST_F(PageAheadTest, ARightClickOrCancelWhileAPageWaitsDropsThePageDrawnAhead)
{
    addDesigns(12);
    // A right click on the first cell selects it: the page after is drawn again with the
    // selection as it now is, and shown.
    host.onWait.push_back([this] {
        toggleSelectionAt(catalog, canvas, s.CellOrigin[0].X + 5, s.CellOrigin[0].Y - 5);
        catalog.SBButtonClick();
    });
    host.onWait.push_back([this] { catalog.SBButtonClick(); });
    run(true);
    EXPECT_EQ(ahead.started, 2);
    EXPECT_EQ(ahead.shown, 1);
    EXPECT_TRUE(s.SelectedList.contains(nameOf(1)));
    // Cancel ends the run on the page waiting; nothing drawn ahead is shown.
    ahead.started = ahead.shown = 0;
    host.onWait.push_back([this] { catalog.SBCancelClick(); });
    const Seen cancelled = run(true);
    EXPECT_EQ(ahead.started, 1);
    EXPECT_EQ(ahead.shown, 0);
    EXPECT_EQ(cancelled.captions.back(), " FINISHED");
}

TEST_F(PageAheadTest, OnlyASelectionThatChangesDropsThePageDrawnAheadAndNamesOffThePageAreNotWritten)
{
    addDesigns(12);
    host.onWait.push_back([this] {
        ASSERT_EQ(ahead.started, 1);
        host.selectedCount = -1;  // to see whether the count is told again
        catalog.setSelected({nameOf(1)}, false);  // not selected: nothing changes
        catalog.setSelected({""}, true);          // an empty cell's entry
        EXPECT_EQ(ahead.started, 1);
        EXPECT_EQ(host.selectedCount, -1);

        catalog.setSelected({nameOf(1), nameOf(9)}, true);
        EXPECT_EQ(ahead.started, 2);
        EXPECT_EQ(s.SelectedList.names(), (std::vector<std::string>{nameOf(1), nameOf(9)}));
        EXPECT_EQ(s.SelectedFolder, "/designs/");
        EXPECT_EQ(host.selectedCount, 2);

        RecordingCanvas written;
        EXPECT_FALSE(catalog.showSelectionOf(written, {nameOf(9)}));  // on the next page
        EXPECT_TRUE(written.log.empty());
        EXPECT_TRUE(catalog.showSelectionOf(written, {nameOf(9), nameOf(1)}));
        EXPECT_EQ(std::count(written.log.begin(), written.log.end(), "FontColor 0x0000FF"), 1);
        catalog.SBCancelClick();
    });
    run(true);
}

TEST_F(PageAheadTest, DesignsDeletedOrMovedWhileAPageWaitsShowSoThereAndOnEveryPageAfter)
{
    const auto script = [this] {
        addDesigns(14);
        s.SelectedFolder = "/designs/";
        s.SelectedList.add(nameOf(2));
        host.onWait.push_back([this] {
            // d02 on the page waiting is deleted, d08 on the page after it moved away.
            files.files.erase("/designs/" + nameOf(2));
            files.files.erase("/designs/" + nameOf(8));
            const std::size_t before = canvas.log.size();
            catalog.markGone("/designs/", {nameOf(2)}, Gone::Deleted);
            catalog.markGone("/designs/", {nameOf(8)}, Gone::Moved);
            // d02's name is written again black, struck through, "deleted" after it (six
            // pixels a letter here), and selects nothing.
            const std::vector<std::string> marked(canvas.log.begin() + std::ptrdiff_t(before), canvas.log.end());
            const std::vector<std::string> expected = {"FontColor 0x000000", "TextOut 358 72 \"d02.dst\"",
                                                       "PenColor 0x000000",  "PenWidth 1",
                                                       "MoveTo 358 78",      "LineTo 400 78",
                                                       "TextOut 406 72 \"deleted\""};
            EXPECT_EQ(marked, expected);
            EXPECT_TRUE(catalog.pageOnDisplay().names[1].empty());
            EXPECT_TRUE(s.SelectedList.empty());
            EXPECT_EQ(host.selectedCount, 0);
            toggleSelectionAt(catalog, canvas, s.CellOrigin[1].X + 5, s.CellOrigin[1].Y - 5);
            EXPECT_TRUE(s.SelectedList.empty());
            catalog.SBButtonClick();
        });
        host.onWait.push_back([this] {
            EXPECT_TRUE(catalog.pageOnDisplay().names[1].empty());  // d08's cell
            catalog.SBPrevClick();
        });
        host.onWait.push_back([this] { catalog.SBCancelClick(); });
    };
    script();
    const Seen drawn = run(false);
    script();
    const Seen drawnAhead = run(true);
    EXPECT_EQ(drawnAhead.texts, drawn.texts);
    EXPECT_EQ(drawnAhead.captions, drawn.captions);
    // Page 2 drawn ahead again after each design marked gone, and shown; page 1, kept
    // before d02 went, drawn again.
    EXPECT_EQ(ahead.started, 5);
    EXPECT_EQ(ahead.shown, 1);
    EXPECT_EQ(ahead.shownAgain, 0);
    // Page 2 and page 1 drawn again show the names of the designs gone, each with how it
    // went, and nothing of their pictures or figures.
    EXPECT_EQ(std::count(drawn.texts.begin(), drawn.texts.end(), "deleted"), 2);
    EXPECT_EQ(std::count(drawn.texts.begin(), drawn.texts.end(), "moved"), 1);
    EXPECT_EQ(std::count(drawn.texts.begin(), drawn.texts.end(), nameOf(8)), 1);
    EXPECT_EQ(std::count_if(drawn.texts.begin(), drawn.texts.end(),
                            [](const std::string& text) { return text.rfind("Stitches: ", 0) == 0; }),
              6 + 5 + 5);
    EXPECT_EQ(drawn.captions.back(), " FINISHED");
}

TEST_F(PageAheadTest, APageDrawnOnItsOwnReturnsItsCellsSkippedEntriesAndBoxesAndTellsTheHostNothing)
{
    addDesigns(12);
    files.unreadable.push_back("/designs/" + nameOf(8));
    files.failingReads["/designs/" + nameOf(10)] = 20;  // its reading breaks off: a box
    catalog.setPageAhead(&ahead);
    host.onWait.push_back([this] { catalog.SBCancelClick(); });
    openFolder(nameOf(1));
    ASSERT_TRUE(ahead.lastJob);
    const std::size_t captions = host.captions.size(), boxes = host.messages.size();

    RecordingCanvas page;
    const std::atomic<bool> goOn{false};
    const std::optional<PageResult> drawn = drawPage(*ahead.lastJob, page, files, goOn);
    ASSERT_TRUE(drawn);
    // Page 2: d07, d08 skipped, then d09 to d12.
    EXPECT_EQ(drawn->start, 6);
    EXPECT_EQ(drawn->designs, 5);
    EXPECT_EQ(drawn->names[0], nameOf(7));
    EXPECT_EQ(drawn->names[1], nameOf(9));
    EXPECT_EQ(drawn->names[4], nameOf(12));
    EXPECT_EQ(drawn->after.fileIndex, 12);
    EXPECT_EQ(drawn->records.skipped, (std::map<int, OpenFailure>{{7, OpenFailure::NoPermission}}));
    ASSERT_EQ(drawn->records.failed.count(9), 1u);
    // The box of d10 belongs to the moment its cell, the third, was drawn.
    ASSERT_EQ(drawn->boxes.size(), 1u);
    EXPECT_EQ(drawn->boxes[0].cell, 3);
    EXPECT_EQ(drawn->boxes[0].designPath, "/designs/" + nameOf(10));
    EXPECT_EQ(drawn->caption, " Picture 12 of 12 (1 skipped on this page)");
    EXPECT_EQ(host.captions.size(), captions);
    EXPECT_EQ(host.messages.size(), boxes);

    const std::atomic<bool> stop{true};
    EXPECT_FALSE(drawPage(*ahead.lastJob, page, files, stop));
}

} // namespace
} // namespace orlika::test
