// SPDX-License-Identifier: MIT
// The browse grid's list: what a folder lists, the name search and the orders.
#include "collection/BrowseList.h"
#include "collection/DesignIndex.h"
#include "collection/ZipArchive.h"
#include "collection/IndexedDesign.h"
#include "collection/TreeWalk.h"
#include "decoders/Registry.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace orlika::test {
namespace {

std::vector<std::string> namesOf(std::vector<BrowseEntry> entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const BrowseEntry& a, const BrowseEntry& b) { return a.path < b.path; });
    std::vector<std::string> names;
    for (const BrowseEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

BrowseEntry entry(std::string folder, std::string name, std::optional<BrowseFigures> figures = {},
                  std::int64_t modified = 0)
{
    BrowseEntry e;
    e.path = folder + name;
    e.folder = std::move(folder);
    e.name = std::move(name);
    e.figures = figures;
    e.modified = modified;
    return e;
}

std::vector<std::string> ordered(std::vector<BrowseEntry> entries, BrowseOrder order)
{
    std::sort(entries.begin(), entries.end(),
              [order](const BrowseEntry& a, const BrowseEntry& b) { return browsesBefore(a, b, order); });
    std::vector<std::string> paths;
    for (const BrowseEntry& e : entries)
        paths.push_back(e.path);
    return paths;
}

TEST(BrowseList, AFolderListsItsDesignsAloneOrWithItsSubfoldersAndArchives)
{
    TempFolder tree;
    const auto star = gen::writeDst(gen::makeStar(100));
    writeBytes(tree.path() / "rose.dst", star);
    writeBytes(tree.path() / "TULIP.DST", star);
    writeBytes(tree.path() / "notes.txt", {1, 2, 3});
    writeBytes(tree.path() / "shop" / "leaf.dst", star);
    writeZip(tree.path() / "shop" / "set.zip", {{"in/bud.dst", star}});

    ArchiveShelf archives;
    TreeCollector collector(archives);
    const auto flat = listDesigns(tree.folder(), false, designExtensions(), collector);
    EXPECT_EQ(namesOf(flat), (std::vector<std::string>{"TULIP.DST", "rose.dst"}));
    const auto rose = std::find_if(flat.begin(), flat.end(), [](const BrowseEntry& e) { return e.name == "rose.dst"; });
    ASSERT_NE(rose, flat.end());
    EXPECT_EQ(rose->path, tree.folder() + "rose.dst");
    EXPECT_EQ(rose->folder, tree.folder());
    EXPECT_EQ(rose->size, std::int64_t(star.size()));
    EXPECT_GT(rose->modified, 0);
    EXPECT_FALSE(rose->figures);

    const auto whole = listDesigns(tree.folder(), true, designExtensions(), collector);
    EXPECT_EQ(namesOf(whole),
              (std::vector<std::string>{"TULIP.DST", "rose.dst", "leaf.dst", "set.zip: bud.dst"}));
    const auto bud = std::find_if(whole.begin(), whole.end(), [](const BrowseEntry& e) { return e.size == 0; });
    ASSERT_NE(bud, whole.end());
    EXPECT_EQ(bud->path, tree.folder() + "shop/set.zip//in/bud.dst");
    EXPECT_EQ(bud->folder, tree.folder() + "shop/set.zip");
    EXPECT_GT(bud->modified, 0);  // the archive's
}

TEST(BrowseList, TypedTextIsFoundAnywhereInTheNameAndWildcardsMatchTheWholeName)
{
    EXPECT_TRUE(nameMatches("", "rose.dst"));
    EXPECT_TRUE(nameMatches("OS", "rose.dst"));
    EXPECT_FALSE(nameMatches("tulip", "rose.dst"));
    EXPECT_TRUE(nameMatches("r*.DST", "rose.dst"));
    EXPECT_FALSE(nameMatches("o*.dst", "rose.dst"));   // a pattern is the whole name
    EXPECT_TRUE(nameMatches("ros?.dst", "rose.dst"));
    EXPECT_FALSE(nameMatches("ros?.pes", "rose.dst"));
}

// The search field's words: a name, and Find's filters as key:value words among it.
TEST(BrowseList, TheSearchTakesFindsFiltersAmongTheNameAndAnswersThemFromTheFigures)
{
    const BrowseSearch search = readBrowseSearch("rose  fits:130x180 Stitches::5000 colours:2:4 format:.DST bud");
    EXPECT_EQ(search.name, "rose bud");
    EXPECT_EQ(search.filter.format, ".DST");
    EXPECT_EQ(search.filter.hoopWidthMm, 130);
    EXPECT_EQ(search.filter.hoopHeightMm, 180);
    EXPECT_FALSE(search.filter.minStitches);
    EXPECT_EQ(search.filter.maxStitches, 5000);
    EXPECT_EQ(search.filter.minColorChanges, 2);
    EXPECT_EQ(search.filter.maxColorChanges, 4);
    EXPECT_TRUE(search.problems.empty());

    // A word of another key is part of the name; a filter's value that does not read is
    // said, and filters nothing.
    const BrowseSearch odd = readBrowseSearch("a:b stitches:lots width:5x7in");
    EXPECT_EQ(odd.name, "a:b");
    EXPECT_EQ(odd.problems, (std::vector<std::string>{"stitches:lots is not a count or range",
                                                      "width:5x7in is not a length or range"}));
    EXPECT_FALSE(odd.filter.asksFigures());

    const BrowseEntry small = entry("/d/", "rose bud.dst", BrowseFigures{100, 170, 4000, 3, "Poppy Red 1147\n"});
    const BrowseEntry turned = entry("/d/", "rose bud 2.dst", BrowseFigures{175, 120, 4000, 3});
    const BrowseEntry large = entry("/d/", "rose bud 3.dst", BrowseFigures{140, 190, 4000, 3});
    const BrowseEntry unknown = entry("/d/", "rose bud 4.dst");
    const BrowseEntry other = entry("/d/", "rose bud.pes", BrowseFigures{100, 100, 4000, 3});
    EXPECT_TRUE(searchMatches(search, small));
    EXPECT_TRUE(searchMatches(search, turned));    // fits the hoop turned
    EXPECT_FALSE(searchMatches(search, large));
    EXPECT_FALSE(searchMatches(search, unknown));  // figures asked of a design without them
    EXPECT_FALSE(searchMatches(search, other));    // another format
    EXPECT_TRUE(searchMatches(readBrowseSearch("format:pes"), other));
    EXPECT_TRUE(searchMatches(readBrowseSearch("format:pes"), entry("/d/", "x.PES")));  // no figures asked
    EXPECT_FALSE(searchMatches(readBrowseSearch("stitches:4001:"), small));
    EXPECT_TRUE(searchMatches(readBrowseSearch("width:100 height:150:170"), small));
    EXPECT_TRUE(searchMatches(readBrowseSearch("thread:POPPY"), small));
    EXPECT_FALSE(searchMatches(readBrowseSearch("thread:poppy"), turned));
    EXPECT_FALSE(searchMatches(readBrowseSearch("tulip"), small));
    EXPECT_FALSE(searchMatches(readBrowseSearch("stitches:1:"), entry("/d/", "empty.dst", BrowseFigures{0, 0, 0, 0})));
}

TEST(BrowseList, OrdersPutDesignsWithoutFiguresLastAndTiesByFolderThenName)
{
    const std::vector<BrowseEntry> entries{
        entry("/b/", "apple.dst", BrowseFigures{50, 10, 3000, 2}, 30),
        entry("/a/", "Zebra.dst", BrowseFigures{10, 10, 9000, 1}, 10),
        entry("/a/", "mango.dst", std::nullopt, 20),
        entry("/a/", "apple.dst", BrowseFigures{20, 20, 3000, 5}, 40),
    };
    EXPECT_EQ(ordered(entries, BrowseOrder::Name),
              (std::vector<std::string>{"/a/apple.dst", "/b/apple.dst", "/a/mango.dst", "/a/Zebra.dst"}));
    EXPECT_EQ(ordered(entries, BrowseOrder::Folder),
              (std::vector<std::string>{"/a/apple.dst", "/a/mango.dst", "/a/Zebra.dst", "/b/apple.dst"}));
    EXPECT_EQ(ordered(entries, BrowseOrder::Modified),
              (std::vector<std::string>{"/a/Zebra.dst", "/a/mango.dst", "/b/apple.dst", "/a/apple.dst"}));
    // 100, 400 and 500 square millimetres.
    EXPECT_EQ(ordered(entries, BrowseOrder::Size),
              (std::vector<std::string>{"/a/Zebra.dst", "/a/apple.dst", "/b/apple.dst", "/a/mango.dst"}));
    EXPECT_EQ(ordered(entries, BrowseOrder::Stitches),
              (std::vector<std::string>{"/a/apple.dst", "/b/apple.dst", "/a/Zebra.dst", "/a/mango.dst"}));
    EXPECT_EQ(ordered(entries, BrowseOrder::ColorChanges),
              (std::vector<std::string>{"/a/Zebra.dst", "/b/apple.dst", "/a/apple.dst", "/a/mango.dst"}));
}

TEST(BrowseList, TheIndexGivesFiguresOnlyToTheFilesItStillDescribes)
{
    std::vector<BrowseEntry> entries{entry("/c/", "same.dst", {}, 100), entry("/c/", "changed.dst", {}, 200),
                                     entry("/c/", "new.dst", {}, 300), entry("/c/", "box.zip//in/a.dst", {}, 400)};
    const DesignIndex::Listed same{"/c/same.dst", 10, 100, true, 12.5, 7, 1234, 3, "Poppy Red 1147\nLeaf 1049\n"};
    DesignIndex::Listed changed = same;
    changed.designPath = "/c/changed.dst";
    changed.modified = 150;  // indexed before the file changed
    DesignIndex::Listed unread = same;
    unread.designPath = "/c/new.dst";
    unread.modified = 300;
    unread.read = false;
    DesignIndex::Listed inBox = same;
    inBox.designPath = "/c/box.zip//in/a.dst";
    inBox.modified = 400;
    inBox.stitches = 99;
    takeIndexFigures(entries, {same, changed, unread, inBox});
    ASSERT_TRUE(entries[0].figures);
    EXPECT_EQ(*entries[0].figures, (BrowseFigures{12.5, 7, 1234, 3, "Poppy Red 1147\nLeaf 1049\n"}));
    EXPECT_FALSE(entries[1].figures);
    EXPECT_FALSE(entries[2].figures);
    ASSERT_TRUE(entries[3].figures);
    EXPECT_EQ(entries[3].figures->stitches, 99);
}

// Over a tree the index has read, listing the index gives what listing the tree and taking
// the index's figures gives: the same entries, stamps and figures.
TEST(BrowseList, AnIndexedTreeListsFromTheIndexAsFromItsFiles)
{
    TempFolder tree;
    const auto star = gen::writeDst(gen::makeStar(100));
    writeBytes(tree.path() / "rose.dst", star);
    writeBytes(tree.path() / "shop" / "leaf.dst", gen::writeDst(gen::makeFilledCircle(60)));
    writeBytes(tree.path() / "shop" / "broken.pes", {'#', 'P', 'E', 'S', '0', '0', '0', '1', 1});
    // An entry that cannot be opened is not listed by either; the index keeps why.
    writeZip(tree.path() / "shop" / "set.zip",
             {{"in/bud.dst", star}, {"notes.txt", {1}}, {"locked.dst", star}, {"odd.dst", star}});
    markEncrypted(tree.path() / "shop" / "set.zip", "locked.dst");
    markUnknownMethod(tree.path() / "shop" / "set.zip", "odd.dst");
    DesignIndex index(tree.folder() + "index.sqlite");
    index.refresh(tree.folder());

    ArchiveShelf archives;
    TreeCollector collector(archives);
    std::vector<BrowseEntry> walked = listDesigns(tree.folder(), true, designExtensions(), collector);
    takeIndexFigures(walked, index.listUnder(tree.folder()));
    std::vector<BrowseEntry> indexed = entriesOfIndex(index.listUnder(tree.folder()));
    const auto byPath = [](const BrowseEntry& a, const BrowseEntry& b) { return a.path < b.path; };
    std::sort(walked.begin(), walked.end(), byPath);
    std::sort(indexed.begin(), indexed.end(), byPath);
    ASSERT_EQ(walked.size(), 4u);
    ASSERT_EQ(indexed.size(), walked.size());
    for (std::size_t i = 0; i < walked.size(); ++i) {
        const BrowseEntry& a = walked[i];
        const BrowseEntry& b = indexed[i];
        EXPECT_EQ(std::tie(a.path, a.name, a.folder, a.size, a.modified, a.figures),
                  std::tie(b.path, b.name, b.folder, b.size, b.modified, b.figures))
            << a.path;
    }
    EXPECT_EQ(std::count_if(indexed.begin(), indexed.end(), [](const BrowseEntry& e) { return e.figures; }), 3);
}

} // namespace
} // namespace orlika::test
