// SPDX-License-Identifier: MIT
// The printed file listing on real temporary folders and a recording printer.
#include "listing/FileListing.h"
#include "platform/NameFit.h"
#include "tests/support/RecordingPrinter.h"
#include "tests/support/ScriptedHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;

// A recording printer whose canvas log also marks where each new page begins.
class PagedRecordingPrinter : public RecordingPrinter {
public:
    void newPage() override
    {
        RecordingPrinter::newPage();
        page.log.push_back("NewPage");
    }
};

// One page of the recorded listing: its texts with their positions.
struct Line {
    int x;
    int y;
    std::string text;
};

class ListingTest : public ::testing::Test {
protected:
    fs::path folder;
    ScriptedHost host;
    PosixFileSystem fileSystem;
    Catalog catalog{host, fileSystem};
    CatalogState& s = catalog.state();
    PagedRecordingPrinter printer;
    FileListing listing{catalog, fileSystem};

    // A small page: 100 dpi, 800 x 600 pixels. With the recording canvas's 10-pixel
    // text the line step is 12 and a column holds (530 - 70) / 12 + 1 = 39 names.
    static constexpr int kPerColumn = 39;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orlika-listing-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        printer.resolution = 100;
        printer.width = 800;
        printer.height = 600;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string folderPath() const { return folder.string() + "/"; }
    void touch(const std::string& name) { std::ofstream(folder / name) << "x"; }
    /// n000.dst, n001.dst, ...
    void makeNames(int count, const char* extension = ".dst")
    {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "n%03d%s", i, extension);
            touch(name);
        }
    }
    void list(const std::string& chosen, FilterIndex filter)
    {
        host.listingFiles.push_back({folderPath() + chosen, filter});
        listing.mnfileListClick(printer);
    }
    /// The texts of each printed page, in the order written.
    std::vector<std::vector<Line>> pages() const
    {
        std::vector<std::vector<Line>> result(1);
        for (const auto& entry : printer.page.log) {
            if (entry == "NewPage") {
                result.emplace_back();
                continue;
            }
            int x = 0, y = 0, used = 0;
            if (std::sscanf(entry.c_str(), "TextOut %d %d %n", &x, &y, &used) == 2 && used > 0) {
                std::string text = entry.substr(std::size_t(used));
                result.back().push_back({x, y, text.substr(1, text.size() - 2)});
            }
        }
        return result;
    }
    static std::vector<std::string> textsOf(const std::vector<Line>& page)
    {
        std::vector<std::string> out;
        for (const auto& line : page)
            out.push_back(line.text);
        return out;
    }
};

TEST_F(ListingTest, NamesThatExactlyFillTheFirstPageGiveASecondPageWithHeadingDateAndFooter)
{
    makeNames(3 * kPerColumn);
    touch("other.pes");
    list("n000.dst", FilterIndex{5});

    EXPECT_EQ(printer.steps, (std::vector<std::string>{"BeginDoc", "NewPage", "EndDoc"}));
    const auto printed = pages();
    ASSERT_EQ(printed.size(), 2u);
    const std::string heading = "Listing of All .DST Embroidery Design Files in Folder - " + folderPath();
    const std::string date = host.dateTimeText();
    const int headerX = 800 / 2 - int(heading.size()) * 6 / 2;
    const int dateX = 800 - 70 - int(date.size()) * 6;

    // Page 1: the heading two lines above the first name, no date on top.
    const auto& first = printed[0];
    ASSERT_EQ(first.size(), 1u + 3 * kPerColumn + 2);
    EXPECT_EQ(first[0].text, heading);
    EXPECT_EQ(first[0].x, headerX);
    EXPECT_EQ(first[0].y, 70 - 24);
    // Down the first column, then the next: columns start at 70, then 40 + 240 and 40 + 480.
    const int columnX[] = {70, 280, 520};
    for (int i = 0; i < 3 * kPerColumn; ++i) {
        const Line& line = first[std::size_t(1 + i)];
        char name[16];
        std::snprintf(name, sizeof name, "n%03d.dst", i);
        EXPECT_EQ(line.text, name);
        EXPECT_EQ(line.x, columnX[i / kPerColumn]);
        EXPECT_EQ(line.y, 70 + 12 * (i % kPerColumn));
    }
    // The footer: the page number centred and the date on the right, 1.5 lines below.
    const Line& number = first[first.size() - 2];
    const Line& footDate = first.back();
    EXPECT_EQ(number.text, "Page 1");
    EXPECT_EQ(number.x, 400 - 18);
    EXPECT_EQ(number.y, 530 + 18);
    EXPECT_EQ(footDate.text, date);
    EXPECT_EQ(footDate.x, dateX);
    EXPECT_EQ(footDate.y, 548);

    // Page 2: heading, the date a line above it, and its own footer; no names.
    const auto& second = printed[1];
    ASSERT_EQ(textsOf(second), (std::vector<std::string>{heading, date, "Page 2", date}));
    EXPECT_EQ(second[0].x, headerX);
    EXPECT_EQ(second[0].y, 46);
    EXPECT_EQ(second[1].x, dateX);
    EXPECT_EQ(second[1].y, 34);
    EXPECT_EQ(second[2].y, 548);

    // One name fewer fits on a single page.
    fs::remove(folder / "n116.dst");
    printer.steps.clear();
    printer.page.clear();
    list("n000.dst", FilterIndex{5});
    EXPECT_EQ(printer.steps, (std::vector<std::string>{"BeginDoc", "EndDoc"}));
    EXPECT_EQ(pages().size(), 1u);
}

TEST_F(ListingTest, LandscapeGivesFourColumnsPortraitThree)
{
    makeNames(4 * kPerColumn - 1);
    const auto firstOfColumns = [this] {
        std::vector<int> xs;
        const auto printed = pages();
        for (const auto& line : printed.at(0))
            if (line.y == 70 && (xs.empty() || xs.back() != line.x))
                xs.push_back(line.x);
        return xs;
    };

    list("n000.dst", FilterIndex{5});
    EXPECT_EQ(firstOfColumns(), (std::vector<int>{70, 280, 520}));
    EXPECT_EQ(printer.pages, 2);

    printer.isPortrait = false;
    printer.page.clear();
    list("n000.dst", FilterIndex{5});
    // Four columns of (800 - 2 x 40) / 4 = 180 after the first at 0.7 inch.
    EXPECT_EQ(firstOfColumns(), (std::vector<int>{70, 220, 400, 580}));
    EXPECT_EQ(printer.pages, 1);

    const ListingGeometry portrait = listingGeometry(600, 600, 4800, 6600, true, 50);
    const ListingGeometry landscape = listingGeometry(600, 600, 6600, 4800, false, 50);
    EXPECT_EQ(portrait.columns, 3);
    EXPECT_EQ(landscape.columns, 4);
    EXPECT_EQ(portrait.left, 420);
    EXPECT_EQ(portrait.bottom, 6600 - 420);
    // The last column ends a twentieth of the page from its right edge.
    EXPECT_EQ(portrait.columnStart + 3 * portrait.columnWidth, 4800 - 240);
    EXPECT_EQ(landscape.columnStart + 4 * landscape.columnWidth, 6600 - 330);
}

TEST_F(ListingTest, AllFilesListsFoldersDotEntriesCaseTwinsAndNamesWithoutExtension)
{
    fs::create_directory(folder / "sub");
    touch("README");
    touch("notes.txt");
    touch("b.DST");
    touch("a.dst");
    touch("A.DST");  // another file than a.dst on Linux: both are listed
    list("notes.txt", FilterIndex::AllFiles);

    const auto printed = pages();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(textsOf(printed[0]),
              (std::vector<std::string>{"Listing of All Files in Folder - " + folderPath(), ".", "..", "A.DST", "a.dst",
                                        "b.DST", "notes.txt", "README", "sub", "Page 1", host.dateTimeText()}));
}

TEST_F(ListingTest, TheHeadingAndTheNamesFollowTheFilterIndex)
{
    for (const char* name : {"a.ksm", "b.exp", "c.pcs", "d.pcq", "e.pcd", "f.pes", "g.pec", "h.dst", "i.sew", "j.txt",
                             "k.pct"})
        touch(name);
    struct Case {
        FilterIndex filter;
        const char* chosen;
        std::string title;
        std::vector<std::string> names;
    };
    const std::string all = " Embroidery Design Files in Folder - ";
    const Case cases[] = {
        {FilterIndex{1}, "a.ksm", "Listing of All .KSM" + all, {"a.ksm"}},
        {FilterIndex{2}, "b.exp", "Listing of All .EXP" + all, {"b.exp"}},
        {FilterIndex{3}, "c.pcs", "Listing of All .PCS/.PCQ/.PCD" + all, {"c.pcs", "d.pcq", "e.pcd"}},
        {FilterIndex{4}, "g.pec", "Listing of All .PES/.PEC" + all, {"f.pes", "g.pec"}},
        {FilterIndex{5}, "h.dst", "Listing of All .DST" + all, {"h.dst"}},
        {FilterIndex{6}, "i.sew", "Listing of All .SEW" + all, {"i.sew"}},
        {FilterIndex::AllSupported, "h.dst", "Listing of All Supported Embroidery Design Files in Folder - ",
         {"a.ksm", "b.exp", "c.pcs", "d.pcq", "e.pcd", "f.pes", "g.pec", "h.dst", "i.sew"}},
        {FilterIndex::AllFiles, "j.txt", "Listing of All Files in Folder - ",
         {".", "..", "a.ksm", "b.exp", "c.pcs", "d.pcq", "e.pcd", "f.pes", "g.pec", "h.dst", "i.sew", "j.txt",
          "k.pct"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.filter));
        printer.page.clear();
        list(c.chosen, c.filter);
        auto texts = textsOf(pages().at(0));
        ASSERT_EQ(texts.size(), c.names.size() + 3);
        EXPECT_EQ(texts.front(), c.title + folderPath());
        EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end() - 2), c.names);
    }
    EXPECT_EQ(listingTitle(FilterIndex{5}, ".dSt"), "Listing of All .DST" + all);
}

TEST_F(ListingTest, ItLeavesTheStateOfAFreshOpenAndPrintsNothingWithoutFiles)
{
    makeNames(3);
    s.SelectedList.add("x.dst");
    s.UseSelectedList = true;
    s.UseDialogList = true;
    host.selectedCount = 1;
    list("n001.dst", FilterIndex{5});

    EXPECT_TRUE(s.FileList.empty());
    EXPECT_TRUE(s.SelectedList.empty());
    EXPECT_EQ(host.selectedCount, 0);
    EXPECT_EQ(s.OpenFileName, folderPath() + "n001.dst");
    EXPECT_EQ(s.FolderPath, folderPath());
    EXPECT_EQ(s.OpenFileExt, ".dst");
    EXPECT_TRUE(s.FromBeginning);
    EXPECT_FALSE(s.UseDialogList);
    EXPECT_FALSE(s.UseSelectedList);
    EXPECT_EQ(s.LineHeight, 12);
    EXPECT_FALSE(host.listingPrinting);
    EXPECT_FALSE(host.waiting);
    const auto shown = std::find(host.log.begin(), host.log.end(), "ListingPrinting");
    ASSERT_NE(shown, host.log.end());
    EXPECT_EQ(*(shown + 1), "Waiting");

    // No matching file: the caption says so and no document is begun.
    printer.steps.clear();
    host.log.clear();
    list("n001.pes", FilterIndex{4});
    EXPECT_TRUE(printer.steps.empty());
    EXPECT_EQ(host.captions.back(), " No Files Found");
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "ListingPrinting"), 0);

    // Cancelled: only the file list is emptied.
    s.FileList.add("left.dst");
    s.SelectedList.add("kept.dst");
    listing.mnfileListClick(printer);
    EXPECT_TRUE(s.FileList.empty());
    EXPECT_EQ(s.SelectedList.count(), 1);
    EXPECT_EQ(s.OpenFileName, folderPath() + "n001.pes");
    EXPECT_TRUE(printer.steps.empty());
}

TEST_F(ListingTest, NamesTooLongForTheirColumnAreShortenedVisiblyBeforeTheirExtension)
{
    const std::string longName = "a_very_long_design_name_that_does_not_fit_in_one_column.dst";
    touch(longName);
    touch("short.dst");
    list("short.dst", FilterIndex{5});
    const auto texts = textsOf(pages().at(0));
    ASSERT_EQ(texts.size(), 5u);
    // The first column runs from 70 to the second's start at 280, less a blank: 204 pixels.
    EXPECT_EQ(texts[1], longName.substr(0, 34 - 10) + "...umn.dst");
    EXPECT_EQ(texts[2], "short.dst");

    RecordingCanvas canvas;
    EXPECT_EQ(fitName(canvas, "abc.dst", 42), "abc.dst");
    // Too narrow to keep the stem's end beside some start: the start and the extension.
    EXPECT_EQ(fitName(canvas, "abcdef.dst", 42), "a...dst");
    EXPECT_EQ(fitName(canvas, "abcdefghij", 42), "a...hij");
    EXPECT_EQ(fitName(canvas, "abcdefghij.longextension", 60), "abcd...ion");
    // Names of one series stay apart.
    std::vector<std::string> series;
    for (const char* name : {"spring_flower_bouquet_v1.dst", "spring_flower_bouquet_v2.dst"})
        series.push_back(fitName(canvas, name, 90));
    EXPECT_EQ(series, (std::vector<std::string>{"sprin..._v1.dst", "sprin..._v2.dst"}));
    // UTF-8 names are cut between characters, never inside one: 10 bytes fit, and a
    // byte-wise cut would keep half of the second character.
    const std::string cut = fitName(canvas, "d\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.dst", 60);
    EXPECT_EQ(cut, "d\xC3\xA9...dst");
}

TEST(Wildcard, ATrailingDotStarMakesTheExtensionOptional)
{
    EXPECT_TRUE(wildcardMatch("*.*", "README"));
    EXPECT_TRUE(wildcardMatch("*.*", "."));
    EXPECT_TRUE(wildcardMatch("*.*", ".."));
    EXPECT_TRUE(wildcardMatch("*.*", "a.b.c"));
    EXPECT_TRUE(wildcardMatch("R*.*", "README"));
    EXPECT_FALSE(wildcardMatch("x*.*", "README"));
    EXPECT_FALSE(wildcardMatch("*.DST", "README"));
    EXPECT_FALSE(wildcardMatch("*.PC?", "a.PC"));
}

} // namespace
} // namespace orlika::test
