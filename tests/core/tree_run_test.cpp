// SPDX-License-Identifier: MIT
// Runs over a folder tree with zip archives in it, on real folders and real archives: the
// order of the list, the name lines, the folders the caption names, what a click selects,
// and the file commands acting on exactly the designs shown.
#include "catalog/Catalog.h"
#include "catalog/DesignPaths.h"
#include "collection/CollectionFiles.h"
#include "collection/TreeWalk.h"
#include "fileops/FileOps.h"
#include "tests/support/PageClicks.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedHost.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <optional>

namespace orlika::test {
namespace {

using Names = std::vector<std::string>;

std::vector<std::uint8_t> dst(int radius)
{
    return gen::writeDst(gen::makeStar(radius));
}

// Standard layout on the 1000 x 600 page: a point in the picture half of cell k, and the
// height of the name lines of the two rows.
int cellX(int k)
{
    return 72 + (k % 3) * 286 + 100;
}
int cellY(int k)
{
    return (k < 3 ? 204 : 444) - 50;
}
bool isNameLine(const std::string& line)
{
    return line.rfind("TextOut ", 0) == 0 &&
           (line.find(" 72 \"") != std::string::npos || line.find(" 312 \"") != std::string::npos);
}
std::string textOf(const std::string& line)
{
    const auto quote = line.find('"');
    return line.substr(quote + 1, line.size() - quote - 2);
}

class TreeRunTest : public ::testing::Test {
protected:
    TempFolder temp;
    ScriptedHost host;
    ArchiveShelf shelf;
    CollectionFileSystem files{shelf};
    TreeCollector collector{shelf};
    RecordingCanvas canvas;
    RecordingCanvas clicks;
    Catalog catalog{host, files};
    CatalogState& s = catalog.state();

    TreeRunTest()
    {
        catalog.setMainCanvas(&canvas);
        catalog.setCollector(&collector);
    }

    std::string root() const { return temp.folder() + "tree/"; }
    fs::path at(const std::string& relative) const { return temp.path() / "tree" / relative; }

    /// A shop's designs: files at three depths, case twins, an archive with a design in a
    /// folder of its own and a text beside them, a folder without designs.
    void makeShopTree()
    {
        writeBytes(at("b.dst"), dst(150));
        writeBytes(at("A.pes"), gen::writePes(gen::makeFilledCircle(120)));
        writeBytes(at("notes.txt"), {'h', 'i'});
        writeBytes(at("shop1/c.dst"), dst(160));
        writeBytes(at("shop1/Rose.DST"), dst(170));
        writeBytes(at("shop1/rose.dst"), dst(180));
        writeBytes(at("shop1/sub/d.exp"), gen::writeExp(gen::makeStar(190)));
        writeZip(at("shop1/roses.zip"), {{"r2.dst", dst(200)},
                                         {"inner/r1.pes", gen::writePes(gen::makeStar(210))},
                                         {"readme.txt", {'x'}}});
        writeBytes(at("shop2/e.dst"), dst(220));
        fs::create_directories(at("empty"));
    }

    /// "Open at Beginning" of the tree's b.dst under all supported formats, on screen.
    void openTree(bool subfolders)
    {
        s.IncludeSubfolders = subfolders;
        s.OpenDialog1.FileName = root() + "b.dst";
        s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
        catalog.GetFileTypes();
        s.OpenFileName = s.OpenDialog1.FileName;
        s.FromBeginning = true;
        s.UseDialogList = false;
        catalog.View(canvas, false);
        catalog.runToEnd([&] { host.answerWait(); });
    }

    /// The name lines written, page by page (a page ends where the page is painted white).
    std::vector<Names> pagesDrawn() const
    {
        std::vector<Names> pages(1);
        for (const std::string& line : canvas.log) {
            if (line.rfind("Rectangle", 0) == 0 && !pages.back().empty())
                pages.emplace_back();
            if (isNameLine(line))
                pages.back().push_back(textOf(line));
        }
        return pages;
    }
    /// The name lines written in red on a canvas.
    static Names redNames(const RecordingCanvas& on)
    {
        Names red;
        bool isRed = false;
        for (const std::string& line : on.log) {
            if (line.rfind("FontColor", 0) == 0)
                isRed = line == "FontColor 0x0000FF";
            else if (isRed && isNameLine(line))
                red.push_back(textOf(line));
        }
        return red;
    }
    void click(int k) { toggleSelectionAt(catalog, clicks, cellX(k), cellY(k)); }
};

// Draws the page ahead at once, with files and archives of its own as the window's thread
// has them; showing it appends its calls to the window's canvas, where a drawn page would
// have put them.
class AheadOnFilesOfItsOwn final : public PageAhead {
public:
    explicit AheadOnFilesOfItsOwn(RecordingCanvas& window) : m_window(window) {}

    int shown = 0;

    void start(PageJob job) override
    {
        m_page.clear();
        m_prepared = preparePage(std::move(job), m_page, m_files, m_stop);
    }
    bool ready() const override { return true; }
    const PreparedPage* prepared() const override { return m_prepared ? &*m_prepared : nullptr; }
    void show(int) override
    {
        ++shown;
        m_window.log.insert(m_window.log.end(), m_page.log.begin(), m_page.log.end());
        m_window.texts.insert(m_window.texts.end(), m_page.texts.begin(), m_page.texts.end());
    }
    void drop() override { m_prepared.reset(); }
    void keepPageOnDisplay(int) override {}
    bool showKeptPage(int) override { return false; }
    void forgetKeptPages() override {}

private:
    RecordingCanvas& m_window;
    RecordingCanvas m_page;
    ArchiveShelf m_shelf;
    CollectionFileSystem m_files{m_shelf};
    std::optional<PreparedPage> m_prepared;
    std::atomic<bool> m_stop{false};
};

TEST_F(TreeRunTest, ATreeIsListedByFolderThenNameAndEachCellNamesItsDesign)
{
    makeShopTree();
    host.onWait.push_back([&] {
        EXPECT_EQ(host.captions.back(), " Picture 6 of 9 in the top folder, shop1/, shop1/roses.zip");
        catalog.SBButtonClick();
    });
    host.onWait.push_back([&] {
        EXPECT_EQ(host.captions.back(), " Picture 9 of 9 in shop1/roses.zip, shop1/sub/, shop2/");
        catalog.SBButtonClick();
    });
    openTree(true);
    EXPECT_EQ(s.FileList.names(),
              (Names{"A.pes", "b.dst", "shop1/c.dst", "shop1/Rose.DST", "shop1/rose.dst",
                     "shop1/roses.zip//inner/r1.pes", "shop1/roses.zip//r2.dst", "shop1/sub/d.exp", "shop2/e.dst"}));
    EXPECT_EQ(pagesDrawn(), (std::vector<Names>{{"A.pes", "b.dst", "c.dst", "Rose.DST", "rose.dst", "roses.zip: r1.pes"},
                                                {"roses.zip: r2.dst", "d.exp", "e.dst"}}));
    EXPECT_EQ(host.captions.back(), " FINISHED; this page in shop1/roses.zip, shop1/sub/, shop2/");
    EXPECT_TRUE(catalog.failedDesigns().empty());
    EXPECT_EQ(catalog.designsShown(), 9);
    EXPECT_TRUE(host.errors.empty());
    // The page header names the folder of the run; the cells and the caption the rest.
    EXPECT_NE(std::find(canvas.texts.begin(), canvas.texts.end(), "File Folder: " + root()), canvas.texts.end());
}

TEST_F(TreeRunTest, WithoutSubfoldersTheFolderAloneIsShownAsBefore)
{
    makeShopTree();
    openTree(false);
    EXPECT_EQ(s.FileList.names(), (Names{"A.pes", "b.dst"}));
    EXPECT_EQ(pagesDrawn(), (std::vector<Names>{{"A.pes", "b.dst"}}));
    EXPECT_EQ(host.captions.back(), " FINISHED");
    // Without a collector a run over subfolders shows the folder alone too.
    catalog.setCollector(nullptr);
    canvas.clear();
    openTree(true);
    EXPECT_EQ(s.FileList.names(), (Names{"A.pes", "b.dst"}));
    EXPECT_EQ(host.captions.back(), " FINISHED");
}

TEST_F(TreeRunTest, UnderOneFormatTheTreeListsThatFormatOnlyAlsoInsideArchives)
{
    makeShopTree();
    s.IncludeSubfolders = true;
    s.OpenDialog1.FileName = root() + "b.dst";
    s.OpenDialog1.FilterIndex = FilterIndex{1};  // a format's own filter: the chosen file's
    catalog.GetFileTypes();
    s.OpenFileName = s.OpenDialog1.FileName;
    s.FromBeginning = false;  // starts at b.dst, the first design of this list
    s.UseDialogList = false;
    catalog.View(canvas, false);
    catalog.runToEnd([&] { host.answerWait(); });
    EXPECT_EQ(s.FileList.names(), (Names{"b.dst", "shop1/c.dst", "shop1/Rose.DST", "shop1/rose.dst",
                                         "shop1/roses.zip//r2.dst", "shop2/e.dst"}));
    EXPECT_EQ(s.StartIndex, 0);
}

TEST_F(TreeRunTest, ClicksSelectTheDesignShownAndItsNameIsRedWhereverItIsDrawn)
{
    makeShopTree();
    host.onWait.push_back([&] {
        click(0);  // A.pes
        click(4);  // shop1/rose.dst, not its case twin before it
        click(5);  // the design inside the archive
        EXPECT_EQ(s.SelectedList.names(), (Names{"A.pes", "shop1/rose.dst", "shop1/roses.zip//inner/r1.pes"}));
        EXPECT_EQ(redNames(clicks), (Names{"A.pes", "rose.dst", "roses.zip: r1.pes"}));
        catalog.SBButtonClick();
    });
    host.onWait.push_back([&] { catalog.SBPrevClick(); });
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    openTree(true);
    // Page 1 drawn again after Prev shows the three names in red, and no other.
    EXPECT_EQ(redNames(canvas), (Names{"A.pes", "rose.dst", "roses.zip: r1.pes"}));
    EXPECT_EQ(s.SelectedFolder, root());
    // A click on a page of another tree's design of the same name does not select it.
    click(2);  // e.dst, page 2
    EXPECT_TRUE(s.SelectedList.contains("shop2/e.dst"));
    EXPECT_FALSE(s.SelectedList.contains("e.dst"));
}

TEST_F(TreeRunTest, DisplaySelectedShowsTheSelectedDesignsOfTheTreeByTheirNames)
{
    makeShopTree();
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    openTree(true);
    click(0);  // page 2: roses.zip: r2.dst
    click(2);  // e.dst
    // As the Selected menu's Display does it.
    s.UseSelectedList = true;
    s.FileList.clear();
    for (const auto& name : s.SelectedList.names())
        s.FileList.add(name);
    s.OpenFileName = s.SelectedFolder;
    canvas.clear();
    catalog.View(canvas, false);
    catalog.runToEnd([&] { host.answerWait(); });
    s.UseSelectedList = false;
    EXPECT_EQ(pagesDrawn(), (std::vector<Names>{{"roses.zip: r2.dst", "e.dst"}}));
    EXPECT_EQ(redNames(canvas), (Names{"roses.zip: r2.dst", "e.dst"}));
}

class TreeFileOpsTest : public TreeRunTest {
protected:
    CollectionFileOperations operations;
    FileOps fileOps{s, host, operations};
};

TEST_F(TreeFileOpsTest, CopyTakesEachSelectedDesignOutUnderItsOwnNameAlsoFromAnArchive)
{
    makeShopTree();
    const auto before = snapshot(at(""));
    host.onWait.push_back([&] {
        click(3);  // shop1/Rose.DST
        click(5);  // shop1/roses.zip//inner/r1.pes
        catalog.SBButtonClick();
    });
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    openTree(true);
    click(0);  // page 2: shop1/roses.zip//r2.dst
    const fs::path destination = temp.path() / "out";
    fs::create_directories(destination);
    host.destinations.push_back({destination.string(), true});
    fileOps.MoveAllSelectedFiles1Click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(s.SelectedList.empty());
    const auto copied = snapshot(destination);
    ASSERT_EQ(copied.size(), 3u);
    EXPECT_EQ(copied.at("Rose.DST"), readBytes(at("shop1/Rose.DST")));
    EXPECT_EQ(copied.at("r1.pes"), gen::writePes(gen::makeStar(210)));
    EXPECT_EQ(copied.at("r2.dst"), dst(200));
    // The tree and its archive are as they were; no temporary file stayed anywhere.
    EXPECT_EQ(snapshot(at("")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(destination), fs::directory_iterator()), 3);
}

TEST_F(TreeFileOpsTest, MoveAndDeleteOfADesignInAnArchiveAreRefusedAndTheArchiveStaysAsItIs)
{
    makeShopTree();
    const auto archive = readBytes(at("shop1/roses.zip"));
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    host.onWait.push_back([&] { catalog.SBButtonClick(); });
    openTree(true);
    click(0);  // roses.zip: r2.dst
    click(1);  // shop1/sub/d.exp
    const fs::path destination = temp.path() / "moved";
    fs::create_directories(destination);
    host.destinations.push_back({destination.string(), false});
    fileOps.MoveAllSelectedFiles1Click();
    ASSERT_GE(host.messages.size(), 1u);
    EXPECT_EQ(host.messages.front().caption, "ORLIKA Copy/Move");
    EXPECT_NE(host.messages.front().text.find("Cannot move roses.zip: r2.dst."), std::string::npos);
    EXPECT_NE(host.messages.front().text.find("inside a zip archive"), std::string::npos);
    EXPECT_NE(host.messages.front().text.find("Nothing in the archive was changed"), std::string::npos);
    EXPECT_EQ(snapshot(destination).size(), 1u);
    EXPECT_TRUE(fs::exists(destination / "d.exp"));
    EXPECT_FALSE(fs::exists(at("shop1/sub/d.exp")));
    EXPECT_EQ(readBytes(at("shop1/roses.zip")), archive);
    EXPECT_TRUE(s.SelectedList.empty());  // the last move, d.exp's, succeeded

    host.messages.clear();
    click(0);  // roses.zip: r2.dst
    click(2);  // shop2/e.dst
    host.answers.push_back(MessageAnswer::Yes);
    fileOps.DeleteSelected1Click();
    ASSERT_GE(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].caption, "ORLIKA DELETE");
    EXPECT_NE(host.messages[1].text.find("Cannot delete roses.zip: r2.dst."), std::string::npos);
    EXPECT_FALSE(fs::exists(at("shop2/e.dst")));
    EXPECT_EQ(readBytes(at("shop1/roses.zip")), archive);
    EXPECT_TRUE(s.SelectedList.empty());
}

TEST(ArchiveEntryFile, ReadsAnEntryInPiecesAndAfterSeeksBackwardsAsItsBytes)
{
    TempFolder temp;
    std::vector<std::uint8_t> bytes(100'000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t((i * 7919) >> 5);
    writeZip(temp.path() / "a.zip", {{"deflated.bin", bytes}, {"stored.bin", bytes, true}});
    ArchiveShelf shelf;
    CollectionFileSystem files(shelf);
    for (const char* name : {"deflated.bin", "stored.bin"}) {
        SCOPED_TRACE(name);
        auto file = files.openRead(archiveEntryPath(temp.folder() + "a.zip", name));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->size(), std::int64_t(bytes.size()));
        std::vector<std::uint8_t> read;
        std::vector<std::uint8_t> piece(777);
        while (const std::size_t got = file->read(piece))
            read.insert(read.end(), piece.begin(), piece.begin() + std::ptrdiff_t(got));
        EXPECT_EQ(read, bytes);
        // Backwards, forwards, and past the end.
        for (const std::int64_t at : {std::int64_t(50'000), std::int64_t(10), std::int64_t(99'990), std::int64_t(3)}) {
            file->seek(at);
            std::vector<std::uint8_t> some(20);
            const std::size_t got = file->read(some);
            ASSERT_EQ(got, std::min<std::size_t>(20, bytes.size() - std::size_t(at)));
            EXPECT_TRUE(std::equal(some.begin(), some.begin() + std::ptrdiff_t(got), bytes.begin() + at));
            EXPECT_EQ(file->position(), at + std::int64_t(got));
        }
        file->seek(200'000);
        EXPECT_EQ(file->read(piece), 0u);
        EXPECT_THROW(file->seek(-1), InOutError);
    }
    EXPECT_EQ(files.openRead(archiveEntryPath(temp.folder() + "a.zip", "missing.bin")), nullptr);
    EXPECT_EQ(files.whyNotOpened(archiveEntryPath(temp.folder() + "a.zip", "missing.bin")), OpenFailure::Gone);
    EXPECT_EQ(files.openRead(archiveEntryPath(temp.folder() + "gone.zip", "stored.bin")), nullptr);
}

TEST(ArchiveEntryFile, APathWithDoubledSlashesThroughAFolderIsAPlainFile)
{
    TempFolder temp;
    writeBytes(temp.path() / "old.zip" / "rose.dst", dst(100));
    ArchiveShelf shelf;
    CollectionFileSystem files(shelf);
    // A folder named like an archive: the doubled slash is the system's single one.
    const auto file = files.openRead(temp.folder() + "old.zip//rose.dst");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), std::int64_t(dst(100).size()));
}

TEST(DesignPaths, NamesOfDesignsInTreesAndArchives)
{
    EXPECT_EQ(archiveEntryPath("shop/roses.zip", "in/rose.pes"), "shop/roses.zip//in/rose.pes");
    const auto entry = archiveEntryOf("/a//b/shop/roses.ZIP//in/rose.pes");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->archive, "/a//b/shop/roses.ZIP");
    EXPECT_EQ(entry->entry, "in/rose.pes");
    EXPECT_FALSE(archiveEntryOf("/a//b/rose.pes").has_value());  // "a" is no archive
    EXPECT_FALSE(archiveEntryOf("shop/roses.zip//").has_value());
    EXPECT_FALSE(archiveEntryOf("rose.pes").has_value());
    EXPECT_EQ(designFileName("shop/roses.zip//in/rose.pes"), "rose.pes");
    EXPECT_EQ(designDisplayName("shop/roses.zip//in/rose.pes"), "roses.zip: rose.pes");
    EXPECT_EQ(designDisplayPath("/t/shop/roses.zip//in/rose.pes"), "/t/shop/roses.zip: rose.pes");
    EXPECT_EQ(designFolder("shop/roses.zip//in/rose.pes"), "shop/roses.zip");
    for (const char* plain : {"rose.pes", "a b.dst", "x.zip"}) {
        EXPECT_EQ(designFileName(plain), plain);
        EXPECT_EQ(designDisplayName(plain), plain);
        EXPECT_EQ(designDisplayPath(plain), plain);
        EXPECT_EQ(designFolder(plain), "");
    }
    EXPECT_EQ(safeEntryName("in\\rose.pes"), "in/rose.pes");
    for (const char* unsafe : {"../rose.pes", "/etc/rose.pes", "a/../../rose.pes", "C:rose.pes", "a//b.pes", "./a.pes", ""})
        EXPECT_EQ(safeEntryName(unsafe), "") << unsafe;

    // The tree's order; two plain names compare as the collation alone does.
    const NameComparer order = folderThenNameOrder(foldedCompare);
    Names names = {"z.dst", "b/a.dst", "a.dst", "b/c/a.dst", "b.zip//x/y.dst", "b/b.dst", "b.zip//a.dst", "B.dst"};
    std::sort(names.begin(), names.end(), [&](const auto& a, const auto& b) { return order(a, b) < 0; });
    EXPECT_EQ(names, (Names{"a.dst", "B.dst", "z.dst", "b/a.dst", "b/b.dst", "b/c/a.dst", "b.zip//a.dst", "b.zip//x/y.dst"}));
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{{"a.dst", "B.dst"}, {"x", "X"}, {"b", "a"}})
        EXPECT_EQ(order(a, b), foldedCompare(a, b));

    // The sort key orders as the comparer does, paths of every kind and case mixed.
    Names mixed = {"z.dst",        "b/a.dst",      "a.dst",         "b/c/a.dst",    "b.zip//x/y.dst", "b/b.dst",
                   "b.zip//a.dst", "B.dst",        "ab/a.dst",      "a/b.dst",      "a.dst/x.exp",    "A/b.dst",
                   "a b/c.dst",    "a_b/c.dst",    "c.ZIP//in/a.pes", "c.zip//b.pes", "c.zip/d.pes",  "a/a/a/a.dst",
                   "Z.DST",        "b/A.dst",      "x//y.dst",      "/a.dst",       "a/.dst",         "[/a.dst"};
    Names byComparer = mixed, byKey = mixed;
    std::sort(byComparer.begin(), byComparer.end(), [&](const auto& a, const auto& b) {
        const int byOrder = order(a, b);
        return byOrder != 0 ? byOrder < 0 : a < b;
    });
    std::sort(byKey.begin(), byKey.end(), [](const auto& a, const auto& b) {
        const int byOrder = foldedOrderKey(a).compare(foldedOrderKey(b));
        return byOrder != 0 ? byOrder < 0 : a < b;
    });
    EXPECT_EQ(byKey, byComparer);
    EXPECT_EQ(byKey.front(), "/a.dst");  // no folder before its "/": a twin of a.dst, first by its bytes
}

TEST_F(TreeRunTest, PagesDrawnAheadShowTheTreesFoldersArchivesAndNotesAsDrawnPagesDo)
{
    makeShopTree();  // nine designs: two pages, the second naming other folders
    writeZip(at("broken.zip"), {{"../out.dst", dst(230)}});
    struct Seen {
        std::vector<std::string> texts;
        std::vector<std::string> captions;  // while the first page waits, and the last
        bool operator==(const Seen&) const = default;
    };
    const auto run = [&](PageAhead* ahead, const std::function<void()>& start) {
        canvas.clear();
        host.captions.clear();
        std::vector<std::string> captions;
        host.onWait.push_back([&] {
            captions.push_back(host.captions.back());
            catalog.SBButtonClick();
        });
        host.onWait.push_back([&] { catalog.SBButtonClick(); });  // the last page waits too
        catalog.setPageAhead(ahead);
        start();
        EXPECT_TRUE(host.onWait.empty());
        EXPECT_TRUE(host.errors.empty());
        captions.push_back(host.captions.back());
        return Seen{canvas.texts, captions};
    };
    AheadOnFilesOfItsOwn ahead(canvas);
    const auto tree = [&] { openTree(true); };
    const Seen drawn = run(nullptr, tree);
    const Seen drawnAhead = run(&ahead, tree);
    EXPECT_EQ(ahead.shown, 1);
    EXPECT_EQ(drawnAhead, drawn);
    for (const char* text : {"roses.zip: r1.pes", "broken.zip: entry 1", "e.dst"})
        EXPECT_NE(std::find(drawnAhead.texts.begin(), drawnAhead.texts.end(), text), drawnAhead.texts.end()) << text;

    // Designs given with notes, as Find Duplicates gives its groups: the notes of the
    // second page are written by the page drawn ahead too.
    const Names given = {"shop2/e.dst", "b.dst", "shop1/sub/d.exp", "A.pes", "shop1/c.dst", "shop1/rose.dst",
                         archiveEntryPath("shop1/roses.zip", "r2.dst"), "shop1/Rose.DST"};
    std::map<std::string, std::string> notes;
    for (std::size_t i = 0; i < given.size(); ++i)
        notes[given[i]] = "Duplicates: group " + std::to_string(i / 2 + 1);
    const auto givenRun = [&] {
        catalog.setGivenDesigns(root(), given, true, notes);
        catalog.View(canvas, false);
        catalog.runToEnd([&] { host.answerWait(); });
    };
    const Seen givenDrawn = run(nullptr, givenRun);
    const Seen givenAhead = run(&ahead, givenRun);
    EXPECT_EQ(ahead.shown, 2);
    EXPECT_EQ(givenAhead, givenDrawn);
    EXPECT_NE(std::find(givenAhead.texts.begin(), givenAhead.texts.end(), "Duplicates: group 4"), givenAhead.texts.end());
}

} // namespace
} // namespace orlika::test
