// SPDX-License-Identifier: MIT
// Finding designs in a real tree through a real index in a temporary cache folder: a tree
// with subfolders, a zip archive, case twins, a folder named like a design and entries that
// cannot be read; each filter returns exactly the designs expected. Duplicates: one design
// written in several formats and copied under other names makes one group, and nothing
// else groups. The query's words and sizes; a given run in group order with its notes.
#include "catalog/Catalog.h"
#include "catalog/DesignPaths.h"
#include "collection/CollectionFiles.h"
#include "collection/Find.h"
#include "decoders/PecThreads.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedHost.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>

#include <sys/stat.h>

namespace orlika::test {
namespace {

using Paths = std::set<std::string>;
using Bytes = std::vector<std::uint8_t>;

/// A design of `width` x `height` tenths of a millimetre: rows sewn back and forth in
/// stitches of at most 10 mm, with `changes` colour changes spread over them. Its stitch
/// count is about rows x (width / 100 + 1). It starts with a stitch back to its start, so
/// that its stitches span the whole box in every format (a DST's first record only moves).
gen::Design block(int width, int height, int rows, int changes, std::vector<int> threads = {1, 2, 3, 4, 5, 6})
{
    gen::Design design;
    design.threads = std::move(threads);
    design.stitch(10, 0);
    design.stitch(0, 0);
    int changed = 0;
    for (int row = 1; row <= rows; ++row) {
        design.runTo(row % 2 ? width : 0, height * row / rows, 100);
        if (changed < changes && row % (rows / (changes + 1)) == 0 && row < rows)
            design.colorChange(++changed);
    }
    return design;
}

class FindTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::unique_ptr<DesignIndex> index;

    std::string tree() const { return temp.folder() + "tree/"; }
    fs::path at(const std::string& relative) const { return temp.path() / "tree" / relative; }

    void SetUp() override { index = std::make_unique<DesignIndex>(temp.folder() + "cache/orlika/index.sqlite"); }

    /// The tree of the filter tests, with each design's size, stitches and colours:
    ///   small.dst          50 x 40 mm, ~110 stitches, 0 changes
    ///   Small.DST          200 x 150 mm, ~5000 stitches, 5 changes (small.dst's case twin)
    ///   shop/medium.pes    120 x 170 mm, ~1000 stitches, 2 changes, threads 20, 21, 22
    ///   shop/deep/wide.exp 240 x 100 mm, ~1000 stitches, 1 change
    ///   shop/folder.dst/x.exp  60 x 60 mm, ~70 stitches (in a folder named like a design)
    ///   shop/box.zip: in/rose.pes 50 x 40 mm, 2 changes, threads 1, 2, 3;
    ///                 big.dst 250 x 250 mm, ~260 stitches; odd.dst of an unknown method
    ///   shop/bad.pes       not a design; notes.txt
    ///   dangling.dst, shop/pipe.pes, shop/loop (a link to the tree): no designs
    void makeFilterTree()
    {
        writeBytes(at("small.dst"), gen::writeDst(block(500, 400, 20, 0)));
        writeBytes(at("Small.DST"), gen::writeDst(block(2000, 1500, 240, 5)));
        writeBytes(at("shop/medium.pes"), gen::writePes(block(1200, 1700, 80, 2, {20, 21, 22})));
        writeBytes(at("shop/deep/wide.exp"), gen::writeExp(block(2400, 1000, 40, 1)));
        writeBytes(at("shop/folder.dst/x.exp"), gen::writeExp(block(600, 600, 10, 0)));
        writeZip(at("shop/box.zip"), {{"in/rose.pes", gen::writePes(block(500, 400, 20, 2, {1, 2, 3}))},
                                      {"big.dst", gen::writeDst(block(2500, 2500, 10, 0))},
                                      {"odd.dst", gen::writeDst(block(300, 300, 5, 0)), true}});
        markUnknownMethod(at("shop/box.zip"), "odd.dst");
        writeBytes(at("shop/bad.pes"), {'n', 'o', ' ', 'p', 'e', 's'});
        writeBytes(at("notes.txt"), {'x'});
        // Entries that cannot be opened as designs are not designs of the tree: a dangling
        // link, a pipe, and a link back up to the tree, which is not followed.
        fs::create_symlink(at("gone.dst"), at("dangling.dst"));
        ASSERT_EQ(::mkfifo(at("shop/pipe.pes").c_str(), 0600), 0);
        fs::create_directory_symlink(at(""), at("shop/loop"));
        const auto counts = index->refresh(tree());
        ASSERT_EQ(counts.designs, 9);
    }

    Paths find(const FindQuery& query)
    {
        Paths paths;
        for (const FoundDesign& found : findDesigns(*index, tree(), query))
            paths.insert(found.path);
        return paths;
    }
    Paths find(const std::function<void(DesignFilter&)>& set)
    {
        FindQuery query;
        set(query.filter);
        return find(query);
    }
};

const std::string kRose = archiveEntryPath("shop/box.zip", "in/rose.pes");
const std::string kBig = archiveEntryPath("shop/box.zip", "big.dst");
const std::string kOdd = archiveEntryPath("shop/box.zip", "odd.dst");

TEST_F(FindTest, EachFilterFindsExactlyItsDesigns)
{
    makeFilterTree();
    const Paths all = {"small.dst", "Small.DST", "shop/medium.pes", "shop/deep/wide.exp", "shop/folder.dst/x.exp",
                       kRose,       kBig,        kOdd,              "shop/bad.pes"};
    EXPECT_EQ(find(FindQuery{}), all);

    // Names: letters in any case, '*' and '?'; the designs that cannot be read have names too.
    EXPECT_EQ(find([](auto& f) { f.namePattern = "small*"; }), (Paths{"small.dst", "Small.DST"}));
    EXPECT_EQ(find([](auto& f) { f.namePattern = "*.PES"; }), (Paths{"shop/medium.pes", kRose, "shop/bad.pes"}));
    EXPECT_EQ(find([](auto& f) { f.namePattern = "?ose.pes"; }), Paths{kRose});
    EXPECT_EQ(find([](auto& f) { f.namePattern = "x*"; }), Paths{"shop/folder.dst/x.exp"});
    // Formats, by extension with or without its dot.
    EXPECT_EQ(find([](auto& f) { f.format = "dst"; }), (Paths{"small.dst", "Small.DST", kBig, kOdd}));
    EXPECT_EQ(find([](auto& f) { f.format = ".EXP"; }), (Paths{"shop/deep/wide.exp", "shop/folder.dst/x.exp"}));

    // Hoops, either way round; a side equal to the hoop's fits.
    const auto fits = [&](double w, double h) {
        return find([&](auto& f) {
            f.hoopWidthMm = w;
            f.hoopHeightMm = h;
        });
    };
    EXPECT_EQ(fits(130, 180), (Paths{"small.dst", "shop/medium.pes", "shop/folder.dst/x.exp", kRose}));
    EXPECT_EQ(fits(180, 130), fits(130, 180));
    EXPECT_EQ(fits(150, 240), (Paths{"small.dst", "Small.DST", "shop/medium.pes", "shop/deep/wide.exp",
                                     "shop/folder.dst/x.exp", kRose}));
    EXPECT_EQ(fits(240, 360), (Paths{"small.dst", "Small.DST", "shop/medium.pes", "shop/deep/wide.exp",
                                     "shop/folder.dst/x.exp", kRose}));
    EXPECT_EQ(fits(39.9, 100), Paths{});  // the smallest design is 50 x 40 mm

    // Widths and heights, each side open or closed.
    EXPECT_EQ(find([](auto& f) {
                  f.minWidthMm = 100;
                  f.maxWidthMm = 130;
              }),
              Paths{"shop/medium.pes"});
    EXPECT_EQ(find([](auto& f) { f.maxWidthMm = 101.6; }), (Paths{"small.dst", "shop/folder.dst/x.exp", kRose}));
    EXPECT_EQ(find([](auto& f) { f.minHeightMm = 160; }), (Paths{"shop/medium.pes", kBig}));
    EXPECT_EQ(find([](auto& f) {
                  f.minHeightMm = 150;
                  f.maxHeightMm = 150;
              }),
              Paths{"Small.DST"});

    // Stitches and colour changes.
    EXPECT_EQ(find([](auto& f) {
                  f.minStitches = 500;
                  f.maxStitches = 2000;
              }),
              (Paths{"shop/medium.pes", "shop/deep/wide.exp"}));
    EXPECT_EQ(find([](auto& f) { f.minStitches = 3000; }), Paths{"Small.DST"});
    EXPECT_EQ(find([](auto& f) { f.maxStitches = 150; }), (Paths{"small.dst", "shop/folder.dst/x.exp", kRose}));
    EXPECT_EQ(find([](auto& f) {
                  f.minColorChanges = 2;
                  f.maxColorChanges = 3;
              }),
              (Paths{"shop/medium.pes", kRose}));
    EXPECT_EQ(find([](auto& f) { f.minColorChanges = 5; }), Paths{"Small.DST"});
    // The changes between threads that sew: a DST's end record changes nothing.
    EXPECT_EQ(find([](auto& f) { f.maxColorChanges = 0; }), (Paths{"small.dst", "shop/folder.dst/x.exp", kBig}));

    // Threads: part of a name, letters in any case.
    const PecThreadTables& chart = threadChart();
    const std::string name = chart.name(21);
    for (int i : {1, 2, 3})
        ASSERT_EQ(chart.name(i).find(name), std::string::npos) << "thread 21 must be told from 1 to 3";
    for (int i : {20, 21, 22})
        ASSERT_EQ(chart.name(i).find(chart.name(2)), std::string::npos) << "thread 2 must be told from 20 to 22";
    std::string shouted = upperCase(name);
    EXPECT_EQ(find([&](auto& f) { f.thread = shouted; }), Paths{"shop/medium.pes"});
    EXPECT_EQ(find([&](auto& f) { f.thread = chart.name(2); }), Paths{kRose});

    // Filters together: every one must hold.
    EXPECT_EQ(find([](auto& f) {
                  f.format = "pes";
                  f.hoopWidthMm = 100;
                  f.hoopHeightMm = 100;
              }),
              Paths{kRose});
    // A design whose reader failed has no figures: no filter of figures finds it.
    EXPECT_EQ(find([](auto& f) {
                  f.namePattern = "*.pes";
                  f.maxStitches = 1'000'000;
              }),
              (Paths{"shop/medium.pes", kRose}));
}

TEST_F(FindTest, TheAnswerComesByFolderThenNameAndOnlyFromTheTreeAsked)
{
    makeFilterTree();
    std::vector<std::string> order;
    for (const FoundDesign& found : findDesigns(*index, tree(), FindQuery{}))
        order.push_back(found.path);
    EXPECT_EQ(order, (std::vector<std::string>{"Small.DST", "small.dst", "shop/bad.pes", "shop/medium.pes", kBig, kRose,
                                               kOdd, "shop/deep/wide.exp", "shop/folder.dst/x.exp"}));
    Paths shop;
    for (const FoundDesign& found : findDesigns(*index, tree() + "shop/deep/", FindQuery{}))
        shop.insert(found.path);
    EXPECT_EQ(shop, Paths{"wide.exp"});
}

/// The star with its steps changed by `change`, as a DST.
Bytes starDstWith(const std::function<void(gen::Design&)>& change)
{
    gen::Design star = gen::makeStar(150);
    change(star);
    return gen::writeDst(star);
}

/// The index of the first stitch at or after `from`.
std::size_t firstStitchAfter(const gen::Design& design, std::size_t from)
{
    while (design.steps[from].kind != gen::Step::Kind::Stitch)
        ++from;
    return from;
}

TEST_F(FindTest, DuplicatesAreIdenticalFilesOrTheSameStitchesAndOnlyByteCopiesAreSelected)
{
    // What a real collection holds beside a design: byte copies, the design in other
    // formats and with other threads, and altered or damaged copies of it.
    const gen::Design star = gen::makeStar(150);
    const Bytes starDst = gen::writeDst(star);
    writeBytes(at("star.dst"), starDst);
    writeBytes(at("b/star (2).dst"), starDst);
    writeBytes(at("a/star.pes"), gen::writePes(star));
    gen::Design otherThreads = star;
    otherThreads.threads = {7, 9};
    writeBytes(at("a/star-red.pes"), gen::writePes(otherThreads));
    writeBytes(at("b/Copy of star.exp"), gen::writeExp(star));
    writeZip(at("pack.zip"), {{"designs/star.pec", gen::writePec(star)}, {"star.dst", starDst}});
    // A trim as trimming machines read it: three jumps that go nowhere.
    Bytes trimmed = starDst;
    const std::size_t middle = 512 + (starDst.size() - 512) / 6 * 3;
    for (int i = 0; i < 3; ++i)
        trimmed.insert(trimmed.begin() + std::ptrdiff_t(middle), {0x00, 0x00, 0x83});
    writeBytes(at("trim.dst"), trimmed);
    Bytes cut = starDst;
    cut.resize(cut.size() - 3);  // the end record cut off
    writeBytes(at("a_star_no_end_record.dst"), cut);
    // Not the same stitches: each of these makes a design of its own.
    writeBytes(at("moved.dst"), starDstWith([](gen::Design& d) { d.steps[firstStitchAfter(d, 10)].x += 5; }));
    writeBytes(at("removed.dst"),
               starDstWith([](gen::Design& d) { d.steps.erase(d.steps.begin() + std::ptrdiff_t(firstStitchAfter(d, 10))); }));
    writeBytes(at("mirrored.dst"), starDstWith([](gen::Design& d) {
                   for (auto& step : d.steps)
                       step.x = -step.x;
               }));
    writeBytes(at("scaled.dst"), starDstWith([](gen::Design& d) {
                   for (auto& step : d.steps) {
                       step.x = step.x * 101 / 100;
                       step.y = step.y * 101 / 100;
                   }
               }));
    writeBytes(at("more-colours.dst"), starDstWith([](gen::Design& d) {
                   d.steps.insert(d.steps.begin() + std::ptrdiff_t(firstStitchAfter(d, 20)), {gen::Step::Kind::ColorChange, 0, 0, 3});
               }));
    writeBytes(at("fewer-colours.dst"), starDstWith([](gen::Design& d) {
                   std::erase_if(d.steps, [](const gen::Step& step) { return step.kind == gen::Step::Kind::ColorChange; });
               }));
    // Files that are no designs at all: two different texts named .dst, two empty files.
    const std::string textA(700, 'a'), textB = "ST:  12\nCO:   1\n" + std::string(700, '1');
    writeBytes(at("notes-a.dst"), Bytes(textA.begin(), textA.end()));
    writeBytes(at("notes-b.dst"), Bytes(textB.begin(), textB.end()));
    writeBytes(at("empty1.dst"), {});
    writeBytes(at("empty2.dst"), {});
    // Identical files only: the one kept has the shortest path, then is the oldest.
    const Bytes circle = gen::writeDst(gen::makeFilledCircle(150));
    writeBytes(at("new/circle.dst"), circle);
    writeBytes(at("old/circle.dst"), circle);
    writeBytes(at("backup/circle (copy).dst"), circle);
    fs::last_write_time(at("old/circle.dst"), fs::last_write_time(at("new/circle.dst")) - std::chrono::hours(24));
    index->refresh(tree());

    FindQuery query;
    query.duplicates = true;
    const auto found = findDesigns(*index, tree(), query);
    struct Seen {
        int group;
        std::string path;
        DuplicateKind kind;
        bool preselected;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    for (const FoundDesign& design : found)
        seen.push_back({design.group, design.path, design.kind, design.preselected});
    const auto same = DuplicateKind::SameStitches, identical = DuplicateKind::Identical;
    const std::vector<Seen> expected{
        // In each group the designs of the same bytes come together, the one kept first.
        {1, "a_star_no_end_record.dst", same, false},
        {1, "star.dst", identical, false},
        {1, "b/star (2).dst", identical, true},
        {1, archiveEntryPath("pack.zip", "star.dst"), identical, false},  // nothing in an archive changes
        {1, "trim.dst", same, false},
        {1, "a/star-red.pes", same, false},
        {1, "a/star.pes", same, false},
        {1, "b/Copy of star.exp", same, false},
        {1, archiveEntryPath("pack.zip", "designs/star.pec"), same, false},
        {2, "old/circle.dst", identical, false},
        {2, "new/circle.dst", identical, true},
        {2, "backup/circle (copy).dst", identical, true},
    };
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_TRUE(seen[i] == expected[i]) << i << ": group " << seen[i].group << " " << seen[i].path << " "
                                            << kindName(seen[i].kind) << (seen[i].preselected ? " preselected" : "");

    // What the cells say, and which copy each selected one is of.
    const FoundRun run = runOfFound(found);
    EXPECT_EQ(run.notes.at("old/circle.dst"), "Duplicates: group 2, identical files, kept");
    EXPECT_EQ(run.notes.at("new/circle.dst"), "Duplicates: group 2, identical files, copy of old/circle.dst");
    EXPECT_EQ(run.notes.at("star.dst"), "Duplicates: group 1, identical files, kept");
    EXPECT_EQ(run.notes.at("trim.dst"), "Duplicates: group 1, same stitches: DST, PES, EXP, PEC");
    EXPECT_EQ(groupHeading(found, 0), "same stitches: DST, PES, EXP, PEC");
    EXPECT_EQ(groupHeading(found, 9), "identical files");
    EXPECT_EQ(run.keptCopyOf, (std::map<std::string, std::string>{{"new/circle.dst", "old/circle.dst"},
                                                                  {"backup/circle (copy).dst", "old/circle.dst"},
                                                                  {"b/star (2).dst", "star.dst"}}));

    // Filters first, then groups: a group needs two members that both match.
    query.filter.format = "pes";
    const auto pes = findDesigns(*index, tree(), query);
    ASSERT_EQ(pes.size(), 2u);
    EXPECT_EQ(pes[0].kind, same);
    EXPECT_FALSE(pes[0].preselected || pes[1].preselected);
}

TEST(FindQuery, ReadsLengthsRangesAndHoopsAndSaysWhatItAsks)
{
    EXPECT_EQ(parseLength("130"), 130.0);
    EXPECT_EQ(parseLength(" 130 mm "), 130.0);
    EXPECT_DOUBLE_EQ(*parseLength("5in"), 127.0);
    EXPECT_DOUBLE_EQ(*parseLength("2\""), 50.8);
    EXPECT_DOUBLE_EQ(*parseLength("4", LengthUnit::Inch), 101.6);
    EXPECT_EQ(parseLength("4", LengthUnit::Inch).value(), parseLength("4in").value());
    for (const char* bad : {"", "mm", "-3", "1e", "12 cm", "abc", "1.5.2"})
        EXPECT_FALSE(parseLength(bad).has_value()) << bad;

    std::optional<double> low, high;
    EXPECT_TRUE(parseLengthRange("50:100", low, high));
    EXPECT_EQ(low, 50.0);
    EXPECT_EQ(high, 100.0);
    EXPECT_TRUE(parseLengthRange(":4in", low, high));
    EXPECT_FALSE(low.has_value());
    EXPECT_DOUBLE_EQ(*high, 101.6);
    EXPECT_TRUE(parseLengthRange("120:", low, high));
    EXPECT_EQ(low, 120.0);
    EXPECT_FALSE(high.has_value());
    EXPECT_TRUE(parseLengthRange("75", low, high));
    EXPECT_EQ(low, 75.0);
    EXPECT_EQ(high, 75.0);
    for (const char* bad : {":", "", "100:50", "a:b", "1:2:3"})
        EXPECT_FALSE(parseLengthRange(bad, low, high)) << bad;

    std::optional<std::int64_t> fewest, most;
    EXPECT_TRUE(parseCountRange("1000:5000", fewest, most));
    EXPECT_EQ(fewest, 1000);
    EXPECT_EQ(most, 5000);
    for (const char* bad : {"1.5:2", "-1:", "5:1", "x"})
        EXPECT_FALSE(parseCountRange(bad, fewest, most)) << bad;

    double w = 0, h = 0;
    EXPECT_TRUE(parseHoop("130x180", w, h));
    EXPECT_EQ(w, 130.0);
    EXPECT_EQ(h, 180.0);
    EXPECT_TRUE(parseHoop("5x7in", w, h));
    EXPECT_DOUBLE_EQ(w, 127.0);
    EXPECT_DOUBLE_EQ(h, 177.8);
    EXPECT_TRUE(parseHoop("130 X 180 mm", w, h));
    EXPECT_EQ(h, 180.0);
    for (const char* bad : {"130", "130x", "x180", "0x10", "axb"})
        EXPECT_FALSE(parseHoop(bad, w, h)) << bad;

    ASSERT_EQ(commonHoops().size(), 7u);
    EXPECT_EQ(commonHoops()[1].width, 130.0);
    EXPECT_EQ(commonHoops()[6].height, 360.0);

    FindQuery query;
    EXPECT_EQ(query.describe(), "all designs");
    query.filter.namePattern = "rose*";
    query.filter.format = ".pes";
    query.filter.hoopWidthMm = 130;
    query.filter.hoopHeightMm = 180;
    query.filter.minStitches = 1000;
    query.filter.maxColorChanges = 3;
    query.filter.minWidthMm = query.filter.maxWidthMm = 50;
    query.duplicates = true;
    EXPECT_EQ(query.describe(), "name rose*, format PES, fits 130 x 180 mm, width 50 mm, stitches at least 1000, "
                                "colour changes at most 3, duplicates");
}

TEST(GivenDesigns, ARunShowsThemInTheOrderGivenWithTheirNotesAndThenTheTreeOrderComesBack)
{
    TempFolder temp;
    const std::string root = temp.folder();
    for (const char* name : {"z.dst", "a.dst", "m/b.dst"})
        writeBytes(temp.path() / name, gen::writeDst(gen::makeStar(150)));
    ScriptedHost host;
    ArchiveShelf shelf;
    CollectionFileSystem files(shelf);
    RecordingCanvas canvas;
    Catalog catalog(host, files);
    catalog.setMainCanvas(&canvas);
    catalog.state().FileKind = FileKind::AllSupported;
    catalog.setGivenDesigns(root, {"z.dst", "m/b.dst", "a.dst"}, true,
                            {{"z.dst", "Duplicates: group 1"}, {"m/b.dst", "Duplicates: group 1"}});
    catalog.state().SelectedList.add("m/b.dst");
    catalog.View(canvas, false);
    catalog.runToEnd([&] { host.answerWait(); });
    EXPECT_EQ(catalog.state().FileList.names(), (std::vector<std::string>{"z.dst", "m/b.dst", "a.dst"}));
    EXPECT_EQ(catalog.designsShown(), 3);
    EXPECT_EQ(std::count(canvas.texts.begin(), canvas.texts.end(), "Duplicates: group 1"), 2);
    // The note stands right below the remarks of its design.
    const auto note = std::find(canvas.texts.begin(), canvas.texts.end(), "Duplicates: group 1");
    ASSERT_NE(note, canvas.texts.end());
    EXPECT_EQ(std::prev(note)->rfind("Color Changes: ", 0), 0u);
    // The selected design's name is red: b.dst, among the three.
    bool red = false;
    std::vector<std::string> redNames;
    for (const std::string& line : canvas.log) {
        if (line.rfind("FontColor", 0) == 0)
            red = line == "FontColor 0x0000FF";
        else if (red && line.rfind("TextOut", 0) == 0)
            redNames.push_back(line.substr(line.find('"')));
    }
    EXPECT_EQ(redNames, std::vector<std::string>{"\"b.dst\""});

    // The next run of the list in hand has the tree's order again, and no notes.
    canvas.clear();
    auto& s = catalog.state();
    s.UseSelectedList = true;
    catalog.View(canvas, false);
    catalog.runToEnd([&] { host.answerWait(); });
    s.UseSelectedList = false;
    EXPECT_EQ(s.FileList.names(), (std::vector<std::string>{"a.dst", "z.dst", "m/b.dst"}));
    EXPECT_EQ(std::count(canvas.texts.begin(), canvas.texts.end(), "Duplicates: group 1"), 0);
}

} // namespace
} // namespace orlika::test
