// SPDX-License-Identifier: MIT
// Archives are untrusted input: too many entries, a compression bomb, names that lead out
// of the archive, a truncated archive, an archive inside an archive. Each gives an error
// cell, the run goes on with the designs that can be read, and copying what can be
// selected writes into the destination and nowhere else.
#include "catalog/Catalog.h"
#include "catalog/DesignPaths.h"
#include "collection/CollectionFiles.h"
#include "collection/DesignIndex.h"
#include "collection/TreeWalk.h"
#include "fileops/FileOps.h"
#include "tests/support/PageClicks.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedHost.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/DstWriter.h"

#include <map>

namespace orlika::test {
namespace {

using Names = std::vector<std::string>;

std::vector<std::uint8_t> dst(int radius)
{
    return gen::writeDst(gen::makeStar(radius));
}

class HostileArchiveTest : public ::testing::Test {
protected:
    TempFolder temp;
    ScriptedHost host;
    ArchiveShelf shelf;
    CollectionFileSystem files{shelf};
    TreeCollector collector{shelf};
    RecordingCanvas canvas;
    Catalog catalog{host, files};
    CatalogState& s = catalog.state();

    HostileArchiveTest()
    {
        catalog.setMainCanvas(&canvas);
        catalog.setCollector(&collector);
    }

    fs::path tree() const { return temp.path() / "tree"; }

    void makeHostileTree()
    {
        writeBytes(tree() / "ok.dst", dst(150));
        std::vector<ZipItem> many;
        for (int i = 0; i <= 10'000; ++i)
            many.push_back({"x" + std::to_string(i) + ".dst", {}, true});
        writeZip(tree() / "many.zip", many);
        // 20 MiB of zeros pack into a few kilobytes.
        writeZip(tree() / "bomb.zip", {{"bomb.dst", std::vector<std::uint8_t>(20 << 20, 0)}});
        writeZip(tree() / "evil.zip", {{"../../evil.dst", dst(160)},
                                       {"/tmp/abs.dst", dst(170)},
                                       {"..\\win.dst", dst(180)},
                                       {"good.dst", dst(190)}});
        writeZip(tree() / "whole.zip", {{"w.dst", dst(200)}, {"v.dst", dst(210)}});
        const auto whole = readBytes(tree() / "whole.zip");
        writeBytes(tree() / "truncated.zip", std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
        fs::remove(tree() / "whole.zip");
        writeZip(temp.path() / "inner.zip", {{"i.dst", dst(220)}});
        writeZip(tree() / "nested.zip", {{"inner.zip", readBytes(temp.path() / "inner.zip")}, {"n.dst", dst(230)}});
        fs::remove(temp.path() / "inner.zip");
        writeBytes(tree() / "notzip.zip", {'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'});
    }

    void openTree()
    {
        s.IncludeSubfolders = true;
        s.OpenDialog1.FileName = tree().string() + "/ok.dst";
        s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
        catalog.GetFileTypes();
        s.OpenFileName = s.OpenDialog1.FileName;
        s.FromBeginning = true;
        s.UseDialogList = false;
        catalog.View(canvas, false);
        catalog.runToEnd([&] { host.answerWait(); });
    }
};

TEST_F(HostileArchiveTest, EachBrokenArchiveOrEntryIsOneErrorCellAndTheRunGoesOn)
{
    makeHostileTree();
    const auto before = snapshot(temp.path());
    int waits = 0;
    host.onWait.push_back([&] {
        ++waits;
        catalog.SBButtonClick();
    });
    host.onWait.push_back([&] {
        ++waits;
        catalog.SBButtonClick();
    });
    openTree();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(s.FileList.names(),
              (Names{"bomb.zip", "many.zip", "notzip.zip", "ok.dst", "truncated.zip", "evil.zip//entry 1",
                     "evil.zip//entry 2", "evil.zip//entry 3", "evil.zip//good.dst", "nested.zip//inner.zip",
                     "nested.zip//n.dst"}));
    std::map<std::string, std::string> failed;
    for (const auto& design : catalog.failedDesigns())
        failed[design.name] = design.message;
    ASSERT_EQ(failed.size(), 8u);
    EXPECT_NE(failed["bomb.zip"].find("unpacks to more than 100 times its packed size"), std::string::npos)
        << failed["bomb.zip"];
    EXPECT_EQ(failed["many.zip"], "archive of 10001 entries, more than 10000: not opened");
    EXPECT_EQ(failed["notzip.zip"], "not a zip archive");
    EXPECT_EQ(failed["truncated.zip"], "the archive is cut short: the list of its entries at its end is missing");
    EXPECT_EQ(failed["evil.zip//entry 1"], "its name ../../evil.dst leads out of the archive: not read");
    EXPECT_EQ(failed["evil.zip//entry 2"], "its name /tmp/abs.dst leads out of the archive: not read");
    EXPECT_EQ(failed["evil.zip//entry 3"], "its name ../win.dst leads out of the archive: not read");
    EXPECT_EQ(failed["nested.zip//inner.zip"], kNestedArchive);
    EXPECT_EQ(catalog.designsShown(), 11);
    // Each error stands in its cell, under its archive's name, wrapped to the cell's width.
    for (const char* text : {"bomb.zip", "many.zip", "evil.zip: entry 1", "nested.zip: inner.zip", "evil.zip: good.dst",
                             "nested.zip: n.dst", "ok.dst", "its name ../../evil.dst leads out of the", "archive: not read"})
        EXPECT_NE(std::find(canvas.texts.begin(), canvas.texts.end(), text), canvas.texts.end()) << text;
    // Reading wrote nothing anywhere.
    EXPECT_EQ(snapshot(temp.path()), before);
}

TEST_F(HostileArchiveTest, OnlyTheDesignsThatCanBeReadCanBeSelectedAndTheirCopiesStayInTheDestination)
{
    makeHostileTree();
    host.onWait.push_back([&] {
        // Page 1: bomb.zip, many.zip, notzip.zip, ok.dst, truncated.zip, evil.zip: entry 1.
        for (int k = 0; k < 6; ++k)
            toggleSelectionAt(catalog, canvas, 72 + (k % 3) * 286 + 100, (k < 3 ? 204 : 444) - 50);
        EXPECT_EQ(s.SelectedList.names(), Names{"ok.dst"});
        catalog.SBButtonClick();
    });
    host.onWait.push_back([&] {
        // Page 2: entries 2 and 3, good.dst, inner.zip, n.dst.
        for (int k = 0; k < 5; ++k)
            toggleSelectionAt(catalog, canvas, 72 + (k % 3) * 286 + 100, (k < 3 ? 204 : 444) - 50);
        catalog.SBButtonClick();
    });
    openTree();
    EXPECT_EQ(s.SelectedList.names(), (Names{"evil.zip//good.dst", "nested.zip//n.dst", "ok.dst"}));

    const auto before = snapshot(temp.path());
    const fs::path destination = temp.path() / "out" / "here";
    fs::create_directories(destination);
    CollectionFileOperations operations;
    FileOps fileOps(s, host, operations);
    host.destinations.push_back({destination.string(), true});
    fileOps.MoveAllSelectedFiles1Click();
    EXPECT_TRUE(host.messages.empty());
    auto after = snapshot(temp.path());
    for (const char* name : {"ok.dst", "good.dst", "n.dst"}) {
        const std::string copy = "out/here/" + std::string(name);
        ASSERT_EQ(after.count(copy), 1u) << copy;
        after.erase(copy);
    }
    EXPECT_EQ(after, before);  // nothing else anywhere, in or out of the tree
}

TEST_F(HostileArchiveTest, TheIndexHoldsOnlyTheDesignsThatCanBeReadAndWritesNothingInTheTree)
{
    makeHostileTree();
    const auto before = snapshot(tree());
    DesignIndex index(temp.folder() + "cache/orlika/index.sqlite");
    const std::string folder = tree().string() + "/";
    // An archive that breaks a limit or cannot be read has no designs; an entry whose name
    // leads out of its archive has no name to be found by, a nested archive is not read.
    EXPECT_EQ(index.refresh(folder).designs, 3);
    Names found;
    for (const IndexedDesign& design : index.select(folder, {})) {
        EXPECT_EQ(design.error, "") << design.designPath();
        found.push_back(pathUnder(folder, design));
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{"evil.zip//good.dst", "nested.zip//n.dst", "ok.dst"}));
    // A second run reads no design again; the archives that could not be read are only
    // tried again, and are still named with why.
    EXPECT_EQ(index.refresh(folder).read, 0);
    Names unread;
    for (const IndexedDesign& archive : index.unreadArchives(folder))
        unread.push_back(pathUnder(folder, archive) + ": " + archive.error);
    EXPECT_EQ(unread, (Names{"bomb.zip: bomb.dst unpacks to more than 100 times its packed size: archive not opened",
                             "many.zip: archive of 10001 entries, more than 10000: not opened",
                             "notzip.zip: not a zip archive",
                             "truncated.zip: the archive is cut short: the list of its entries at its end is missing"}));
    EXPECT_TRUE(index.unreadArchives(folder + "elsewhere/").empty());
    // Indexing wrote nothing in the tree, and nothing outside it but the index's folder.
    EXPECT_EQ(snapshot(tree()), before);
    for (const auto& entry : fs::directory_iterator(temp.path()))
        EXPECT_TRUE(entry.path().filename() == "tree" || entry.path().filename() == "cache") << entry.path();
}

// Bytes of an archive with every occurrence of one name replaced by another of its length.
std::vector<std::uint8_t> renamed(std::vector<std::uint8_t> bytes, const std::string& from, const std::string& to)
{
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), from.begin(), from.end())) != bytes.end(); at += std::ptrdiff_t(from.size()))
        std::copy(to.begin(), to.end(), at);
    return bytes;
}

std::vector<std::uint8_t> entryBytes(ZipArchive& archive, const std::string& key)
{
    const auto file = archive.openEntry(key);
    if (!file)
        return {};
    std::vector<std::uint8_t> bytes(std::size_t(file->size()));
    bytes.resize(file->read(bytes));
    return bytes;
}

// Archives that unzip and Python's zipfile read are read; one that cannot be read says
// what is wrong with it in words, not in libzip's.
TEST(ArchivesOfOtherTools, AreReadAsUnzipReadsThemAndWhatIsWrongIsToldInWords)
{
    // bsdtar (libarchive, which the desktops' "Compress" uses too) writes each entry's
    // unpacked size into its own header while it flags a data descriptor after the data:
    // libzip's consistency check calls that inconsistent.
    const fs::path written = fs::path(ORLIKA_TEST_DATA) / "archives" / "written-by-bsdtar.zip";
    std::string error;
    const auto archive = ZipArchive::open(written.string(), ArchiveLimits{}, error);
    ASSERT_NE(archive, nullptr) << error;
    ASSERT_EQ(archive->entries().size(), 2u);
    for (const char* name : {"star.dst", "star.pes"})
        EXPECT_EQ(entryBytes(*archive, name), readBytes(fs::path(ORLIKA_SAMPLES) / name)) << name;

    TempFolder temp;
    writeZip(temp.path() / "two.zip", {{"a.dst", dst(150), true}, {"b.dst", dst(160), true}});
    const auto two = readBytes(temp.path() / "two.zip");
    const auto problemOf = [&](const std::vector<std::uint8_t>& bytes) {
        writeBytes(temp.path() / "x.zip", bytes);
        std::string problem;
        EXPECT_EQ(ZipArchive::open(temp.folder() + "x.zip", ArchiveLimits{}, problem), nullptr);
        return problem;
    };
    EXPECT_EQ(problemOf({two.begin(), two.begin() + std::ptrdiff_t(two.size() / 2)}),
              "the archive is cut short: the list of its entries at its end is missing");
    EXPECT_EQ(problemOf({two.begin(), two.end() - 10}),
              "the archive is cut short: the list of its entries at its end is missing");
    std::vector<std::uint8_t> gap = two;  // the end's list points past what is left
    gap.erase(gap.begin() + 200, gap.begin() + 1200);
    EXPECT_EQ(problemOf(gap), "the archive is damaged: the list of its entries does not match what it holds");
    EXPECT_EQ(problemOf({}), "the file is empty");
    EXPECT_EQ(problemOf({'P', 'K', 0x05, 0x06, 'x'}), "not a zip archive");

    // Two entries of one name: a path names the first, the other is shown apart.
    writeBytes(temp.path() / "same.zip", renamed(two, "b.dst", "a.dst"));
    const auto same = ZipArchive::open(temp.folder() + "same.zip", ArchiveLimits{}, error);
    ASSERT_NE(same, nullptr) << error;
    ASSERT_EQ(same->entries().size(), 2u);
    EXPECT_EQ(same->entries()[0].key, "a.dst");
    EXPECT_EQ(same->entries()[0].problem, "");
    EXPECT_EQ(same->entries()[1].key, "entry 2");
    EXPECT_EQ(same->entries()[1].problem, "two entries have the same name, a.dst: only the first is read");
    EXPECT_EQ(entryBytes(*same, "a.dst"), dst(150));
    EXPECT_EQ(same->openEntry("entry 2"), nullptr);

    // Packed data that cannot be unpacked: a deflate block of a kind that does not exist.
    writeZip(temp.path() / "packed.zip", {{"p.dst", dst(170)}});
    auto packed = readBytes(temp.path() / "packed.zip");
    const std::size_t data = 30 + std::size_t(packed[26] | packed[27] << 8) + std::size_t(packed[28] | packed[29] << 8);
    packed[data] = 0xFF;
    writeBytes(temp.path() / "packed.zip", packed);
    const auto damaged = ZipArchive::open(temp.folder() + "packed.zip", ArchiveLimits{}, error);
    ASSERT_NE(damaged, nullptr) << error;
    try {
        entryBytes(*damaged, "p.dst");
        ADD_FAILURE() << "damaged data read";
    } catch (const InOutError& failure) {
        EXPECT_STREQ(failure.what(), "its packed data in the archive is damaged");
    }
}

TEST(ArchivesOfOtherTools, TheIndexReadsAnArchiveItCouldNotReadBeforeAndNamesThoseItStillCannot)
{
    TempFolder temp;
    const fs::path tree = temp.path() / "tree";
    fs::create_directories(tree);
    fs::copy_file(fs::path(ORLIKA_TEST_DATA) / "archives" / "written-by-bsdtar.zip", tree / "desktop.zip");
    writeBytes(tree / "cut.zip", {'P', 'K', 0x03, 0x04, 0x14, 0x00});
    const std::string folder = tree.string() + "/";
    DesignIndex index(temp.folder() + "cache/index.sqlite");
    // As an index an earlier refusal left behind: the archive is in it with an error.
    ArchiveLimits none;
    none.maxEntries = 0;
    index.setArchiveLimits(none);
    EXPECT_EQ(index.refresh(folder).designs, 0);
    ASSERT_EQ(index.unreadArchives(folder).size(), 2u);
    EXPECT_EQ(index.unreadArchives(folder)[1].error, "archive of 2 entries, more than 0: not opened");

    // Unchanged on disk, it is read again, and only the archive that cannot be read is left.
    index.setArchiveLimits(ArchiveLimits{});
    EXPECT_EQ(index.refresh(folder).designs, 2);
    Names found;
    for (const IndexedDesign& design : index.select(folder, {}))
        found.push_back(pathUnder(folder, design) + (design.error.empty() ? "" : ": " + design.error));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{"desktop.zip//star.dst", "desktop.zip//star.pes"}));
    const auto unread = index.unreadArchives(folder);
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_EQ(pathUnder(folder, unread[0]), "cut.zip");
    EXPECT_EQ(unread[0].error, "the archive is cut short: the list of its entries at its end is missing");
}

TEST(ArchiveLimits, EachLimitRefusesTheWholeArchive)
{
    TempFolder temp;
    std::vector<std::uint8_t> noise(3 << 20);
    std::uint32_t state = 12345;
    for (auto& byte : noise) {
        state = state * 1664525 + 1013904223;
        byte = std::uint8_t(state >> 24);
    }
    // A design of runs of one byte packs well, and is not held to the ratio below 1 MB.
    writeZip(temp.path() / "a.zip", {{"a.dst", noise}, {"z.dst", std::vector<std::uint8_t>(512 << 10, 0)}});
    const std::string path = temp.folder() + "a.zip";
    std::string error;
    EXPECT_NE(ZipArchive::open(path, ArchiveLimits{}, error), nullptr) << error;

    ArchiveLimits fewEntries;
    fewEntries.maxEntries = 1;
    EXPECT_EQ(ZipArchive::open(path, fewEntries, error), nullptr);
    EXPECT_EQ(error, "archive of 2 entries, more than 1: not opened");
    ArchiveLimits smallEntries;
    smallEntries.maxEntrySize = 1 << 20;
    EXPECT_EQ(ZipArchive::open(path, smallEntries, error), nullptr);
    EXPECT_EQ(error, "a.dst would unpack to more than 1 MB: archive not opened");
    ArchiveLimits smallTotal;
    smallTotal.maxTotalSize = 2 << 20;
    EXPECT_EQ(ZipArchive::open(path, smallTotal, error), nullptr);
    EXPECT_EQ(error, "archive would unpack to more than 2 MB: not opened");
    ArchiveLimits earlyRatio;
    earlyRatio.ratioFrom = 256 << 10;
    earlyRatio.maxRatio = 10;
    EXPECT_EQ(ZipArchive::open(path, earlyRatio, error), nullptr);
    EXPECT_EQ(error, "z.dst unpacks to more than 10 times its packed size: archive not opened");

    // Many entries, each too small for the ratio, are held to it together.
    std::vector<ZipItem> small;
    for (int i = 0; i < 8; ++i)
        small.push_back({"s" + std::to_string(i) + ".dst", std::vector<std::uint8_t>(512 << 10, 0)});
    writeZip(temp.path() / "small.zip", small);
    EXPECT_EQ(ZipArchive::open(temp.folder() + "small.zip", ArchiveLimits{}, error), nullptr);
    EXPECT_EQ(error, "archive unpacks to more than 100 times its size: not opened");
}

} // namespace
} // namespace orlika::test
