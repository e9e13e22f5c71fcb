// SPDX-License-Identifier: MIT
// The index of designs: a real SQLite database in a temporary cache folder over real
// folder trees and zip archives. What it keeps of each design, when it reads a design
// again, what it forgets, where it lives, a damaged or foreign database put aside and made
// anew, and two programs indexing one tree at once.
#include "catalog/Catalog.h"
#include "catalog/DesignPaths.h"
#include "collection/DesignIndex.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedHost.h"
#include "tests/support/TreeFiles.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>

namespace orlika::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes dst(int radius)
{
    return gen::writeDst(gen::makeStar(radius));
}

/// A design whose stitches span exactly 10.0 x 5.0 mm: DST's first record only moves the
/// needle, then three stitches in two colours.
Bytes tenByFive()
{
    gen::Design design;
    design.stitch(100, 0);
    design.stitch(100, 50);
    design.stitch(0, 50);
    design.colorChange(1);
    design.stitch(0, 0);
    return gen::writeDst(design);
}

/// The DST with its header's value after `tag` replaced by `value`, of the same width.
Bytes withHeaderValue(Bytes dst, const std::string& tag, const std::string& value)
{
    const auto at = std::search(dst.begin(), dst.begin() + 512, tag.begin(), tag.end());
    EXPECT_NE(at, dst.begin() + 512) << tag;
    std::size_t width = 0;
    while (at[std::ptrdiff_t(tag.size() + width)] != '\r')
        ++width;
    std::string padded = std::string(width > value.size() ? width - value.size() : 0, ' ') + value;
    std::copy(padded.begin(), padded.end(), at + std::ptrdiff_t(tag.size()));
    return dst;
}

class IndexTest : public ::testing::Test {
protected:
    TempFolder temp;

    std::string indexPath() const { return temp.folder() + "cache/orlika/index.sqlite"; }
    std::string tree() const { return temp.folder() + "tree/"; }
    fs::path at(const std::string& relative) const { return temp.path() / "tree" / relative; }

    void makeTree()
    {
        writeBytes(at("ten.dst"), tenByFive());
        writeBytes(at("star.dst"), dst(150));
        writeBytes(at("shop/circle.pes"), gen::writePes(gen::makeFilledCircle(120)));
        writeBytes(at("shop/deep/star.exp"), gen::writeExp(gen::makeStar(160)));
        writeBytes(at("shop/bad.pes"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'e', 's'});
        writeBytes(at("shop/readme.txt"), {'x'});
        writeZip(at("shop/box.zip"), {{"in/a.dst", dst(170)}, {"b.pes", gen::writePes(gen::makeStar(180))},
                                      {"notes.txt", {'y'}}});
    }

    static std::map<std::string, IndexedDesign> byPath(const std::vector<IndexedDesign>& designs)
    {
        std::map<std::string, IndexedDesign> map;
        for (const auto& design : designs)
            map[design.designPath()] = design;
        return map;
    }

    /// The remark texts a page cell writes for the design at `path`.
    static std::vector<std::string> remarksOnAPage(const std::string& path)
    {
        ScriptedHost host;
        MemoryFileSystem files;
        RecordingCanvas canvas;
        Catalog catalog(host, files);
        // Twelve cells a page: every format writes its four remark lines apart.
        applyLayout(catalog.state(), layouts::kThumbnails12);
        catalog.prepareScreenPage(canvas, 1000, 600);
        catalog.decodeFile(canvas, designDisplayPath(path), [&]() -> std::unique_ptr<DesignFile> {
            ArchiveShelf shelf;
            if (const auto entry = archiveEntryOf(path)) {
                std::string error;
                return shelf.open(entry->archive, error)->openEntry(entry->entry);
            }
            return PosixFileSystem().openRead(path);
        }());
        return canvas.texts;
    }
};

/// Runs `work` in `count` processes that start together on a signal; each reports an
/// exception's text, or that `work` returned false, on a pipe. Returns all they reported
/// and a line for each that did not end well.
std::string runTogether(int count, const std::function<bool()>& work)
{
    int start[2], report[2];
    if (::pipe(start) != 0 || ::pipe(report) != 0)
        return "no pipe";
    std::vector<pid_t> children;
    for (int child = 0; child < count; ++child) {
        const pid_t pid = ::fork();
        if (pid < 0)
            return "no fork";
        if (pid == 0) {
            char go = 0;
            if (::read(start[0], &go, 1) != 1)
                ::_exit(3);
            std::string text;
            try {
                if (!work())
                    text = "the work went wrong\n";
            } catch (const std::exception& error) {
                text = std::string(error.what()) + "\n";
            }
            [[maybe_unused]] auto written = ::write(report[1], text.data(), text.size());
            ::_exit(text.empty() ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(report[1]);
    const std::string go(std::size_t(count), 'g');
    [[maybe_unused]] auto written = ::write(start[1], go.data(), go.size());
    std::string reported;
    for (const pid_t pid : children) {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            reported += "a process ended with status " + std::to_string(status) + "\n";
    }
    char buffer[256];
    for (ssize_t got; (got = ::read(report[0], buffer, sizeof buffer)) > 0;)
        reported.append(buffer, std::size_t(got));
    for (int fd : {start[0], start[1], report[0]})
        ::close(fd);
    return reported;
}

TEST_F(IndexTest, KeepsEachDesignsFiguresAsItsCellShowsThem)
{
    makeTree();
    DesignIndex index(indexPath());
    const auto counts = index.refresh(tree());
    EXPECT_EQ(counts.designs, 7);
    EXPECT_EQ(counts.read, 7);
    EXPECT_FALSE(counts.stopped);
    EXPECT_TRUE(index.takeNotice().empty());
    auto designs = byPath(index.select(tree(), {}, true));
    ASSERT_EQ(designs.size(), 7u);

    const IndexedDesign& ten = designs.at(tree() + "ten.dst");
    EXPECT_EQ(ten.path, tree() + "ten.dst");
    EXPECT_EQ(ten.entry, "");
    EXPECT_EQ(ten.name, "ten.dst");
    EXPECT_EQ(ten.format, "DST");
    EXPECT_DOUBLE_EQ(ten.widthMm, 10.0);
    EXPECT_DOUBLE_EQ(ten.heightMm, 5.0);
    EXPECT_EQ(ten.stitches, 3);
    EXPECT_EQ(ten.colorChanges, 1);
    // What sewing it asks, as kept in the index: 5 + 10 + 5 mm of stitches, one stop.
    EXPECT_EQ(ten.sewing.stitches, 3);
    EXPECT_EQ(ten.sewing.stops, 1);
    EXPECT_EQ(ten.sewing.cutsAndTravels, 0);
    EXPECT_DOUBLE_EQ(ten.sewing.stitchedMm, 20.0);
    EXPECT_EQ(ten.size, std::int64_t(fs::file_size(at("ten.dst"))));
    struct stat info {};
    ASSERT_EQ(::stat(at("ten.dst").c_str(), &info), 0);
    EXPECT_EQ(ten.modified, std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec);
    EXPECT_EQ(ten.changed, std::int64_t(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec);
    EXPECT_EQ(ten.inode, std::int64_t(info.st_ino));
    EXPECT_EQ(ten.contentHash.size(), 32u);
    EXPECT_TRUE(ten.error.empty());

    const IndexedDesign& inBox = designs.at(archiveEntryPath(tree() + "shop/box.zip", "in/a.dst"));
    EXPECT_EQ(inBox.path, tree() + "shop/box.zip");
    EXPECT_EQ(inBox.entry, "in/a.dst");
    EXPECT_EQ(inBox.name, "a.dst");
    EXPECT_EQ(inBox.size, std::int64_t(fs::file_size(at("shop/box.zip"))));

    // Identical bytes, and only they, have one hash, whatever their names or folders; an
    // answer carries it only when asked.
    EXPECT_EQ(inBox.contentHash.size(), 32u);
    EXPECT_NE(inBox.contentHash, ten.contentHash);
    EXPECT_EQ(byPath(index.select(tree(), {})).at(tree() + "ten.dst").contentHash, "");
    // A PES design names its threads; the list its cell writes holds them.
    const IndexedDesign& circle = designs.at(tree() + "shop/circle.pes");
    ASSERT_EQ(circle.threads.size(), 2u);
    EXPECT_FALSE(circle.threads[0].name.empty());
    EXPECT_NE(circle.threads[0].color, circle.threads[1].color);
    EXPECT_EQ(circle.colorChanges, 1);

    // A file its reader rejects is kept with the reason, and without figures.
    const IndexedDesign& bad = designs.at(tree() + "shop/bad.pes");
    EXPECT_FALSE(bad.error.empty());
    EXPECT_EQ(bad.format, "PES");
    EXPECT_EQ(bad.stitches, 0);

    // A listing takes the same: every design, with its figures where it was read.
    std::map<std::string, DesignIndex::Listed> figures;
    for (DesignIndex::Listed& design : index.listUnder(tree()))
        figures.emplace(design.designPath, std::move(design));
    EXPECT_EQ(figures.size(), designs.size());
    EXPECT_FALSE(figures.at(tree() + "shop/bad.pes").read);
    for (const auto& [path, design] : designs) {
        ASSERT_TRUE(figures.contains(path)) << path;
        const DesignIndex::Listed& listed = figures.at(path);
        std::string threadNames;
        for (const IndexedThread& thread : design.threads)
            threadNames += thread.name + '\n';
        EXPECT_EQ(std::tie(listed.size, listed.modified, listed.widthMm, listed.heightMm, listed.stitches,
                           listed.colorChanges, listed.threadNames),
                  std::tie(design.size, design.modified, design.widthMm, design.heightMm, design.stitches,
                           design.colorChanges, threadNames))
            << path;
        EXPECT_EQ(listed.read, design.error.empty()) << path;
    }
    EXPECT_EQ(figures.at(tree() + "shop/circle.pes").threadNames.find(circle.threads[0].name + '\n'), 0u);
}

TEST_F(IndexTest, KeepsTheFiguresOfTheStitchesWhateverAHeaderClaims)
{
    // A header that claims other counts and a box that does not hold the stitches (its
    // "+Y:" and "-Y:" swapped); and a design without a colour change.
    Bytes liar = withHeaderValue(withHeaderValue(tenByFive(), "ST:", "4562"), "CO:", "7");
    liar = withHeaderValue(withHeaderValue(liar, "+Y:", "0"), "-Y:", "50");
    writeBytes(at("liar.dst"), liar);
    gen::Design plain;
    plain.stitch(0, 100);
    plain.stitch(100, 100);
    writeBytes(at("plain.dst"), gen::writeDst(plain));
    DesignIndex index(indexPath());
    index.refresh(tree());
    const auto designs = byPath(index.select(tree(), {}));

    const IndexedDesign& figures = designs.at(tree() + "liar.dst");
    EXPECT_EQ(figures.stitches, 3);
    EXPECT_EQ(figures.colorChanges, 1);
    EXPECT_DOUBLE_EQ(figures.widthMm, 10.0);
    EXPECT_DOUBLE_EQ(figures.heightMm, 5.0);
    EXPECT_EQ(designs.at(tree() + "plain.dst").colorChanges, 0);
    EXPECT_EQ(designs.at(tree() + "plain.dst").stitches, 1);

    // Its cell keeps the remarks the header gives.
    const auto texts = remarksOnAPage(tree() + "liar.dst");
    for (const std::string remark : {"Stitches: 4562", "Size: 10.0 x 5.0 mm", "Color Changes: 8"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), remark), texts.end()) << remark;

    // A design without stitches has no size: it fits no hoop and lies in no range.
    writeBytes(at("nothing.dst"), gen::writeDst(gen::Design{}));
    index.refresh(tree());
    DesignFilter fits;
    fits.hoopWidthMm = 100;
    fits.hoopHeightMm = 100;
    DesignFilter few;
    few.maxStitches = 10;
    for (const DesignFilter& filter : {fits, few}) {
        std::vector<std::string> names;
        for (const auto& design : index.select(tree(), filter))
            names.push_back(design.name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"liar.dst", "plain.dst"}));
    }
}

TEST_F(IndexTest, ReadsAgainOnlyWhatChangedAndForgetsWhatIsGone)
{
    makeTree();
    DesignIndex index(indexPath());
    index.refresh(tree());
    auto again = index.refresh(tree());
    EXPECT_EQ(again.read, 0);
    EXPECT_EQ(again.designs, 7);
    EXPECT_EQ(again.removed, 0);

    // Another design under the same name: a new size.
    writeBytes(at("star.dst"), dst(300));
    // The same bytes with a later time.
    fs::last_write_time(at("ten.dst"), fs::last_write_time(at("ten.dst")) + std::chrono::seconds(5));
    fs::remove(at("shop/deep/star.exp"));
    // The archive holds one design fewer.
    writeZip(at("shop/box.zip"), {{"b.pes", gen::writePes(gen::makeStar(180))}});
    const auto counts = index.refresh(tree());
    EXPECT_EQ(counts.read, 3);  // star.dst, ten.dst and the archive's one design
    EXPECT_EQ(counts.removed, 1);
    EXPECT_EQ(counts.designs, 5);
    const auto designs = byPath(index.select(tree(), {}));
    EXPECT_EQ(designs.size(), 5u);
    EXPECT_EQ(designs.count(tree() + "shop/deep/star.exp"), 0u);
    EXPECT_EQ(designs.count(archiveEntryPath(tree() + "shop/box.zip", "in/a.dst")), 0u);
    EXPECT_EQ(designs.at(tree() + "star.dst").size, std::int64_t(dst(300).size()));
    EXPECT_GT(designs.at(tree() + "star.dst").widthMm, 50.0);
    EXPECT_EQ(index.refresh(tree()).read, 0);

    // A stopped refresh keeps what it read and forgets nothing.
    writeBytes(at("new1.dst"), dst(110));
    writeBytes(at("new2.dst"), dst(120));
    fs::remove(at("star.dst"));
    const auto stopped = index.refresh(tree(), [](int handled, int) { return handled < 1; });
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.read, 1);
    EXPECT_EQ(index.select(tree(), {}).size(), 6u);  // star.dst not yet forgotten
}

TEST_F(IndexTest, ADesignPutInPlaceOfAnotherWithItsSizeAndTimeIsReadAgain)
{
    // As cp -p, rsync -t and unzip leave it: another design of the same size, under the
    // same name, with the old file's modification time.
    const gen::Design star = gen::makeStar(150);
    gen::Design mirrored = star;
    for (auto& step : mirrored.steps)
        step.x = -step.x;
    const Bytes first = gen::writeDst(star), second = gen::writeDst(mirrored);
    ASSERT_EQ(first.size(), second.size());
    writeBytes(at("star.dst"), first);
    writeBytes(at("twin.dst"), first);
    DesignIndex index(indexPath());
    index.refresh(tree());
    const auto before = byPath(index.select(tree(), {}));

    const auto time = fs::last_write_time(at("star.dst"));
    writeBytes(at("replacement.dst"), second);
    fs::rename(at("replacement.dst"), at("star.dst"));
    fs::last_write_time(at("star.dst"), time);
    ASSERT_EQ(fs::file_size(at("star.dst")), first.size());
    EXPECT_EQ(index.refresh(tree()).read, 1);
    const auto after = byPath(index.select(tree(), {}, true));
    EXPECT_NE(after.at(tree() + "star.dst").fingerprint, before.at(tree() + "star.dst").fingerprint);
    EXPECT_NE(after.at(tree() + "star.dst").contentHash, after.at(tree() + "twin.dst").contentHash);
    EXPECT_EQ(index.refresh(tree()).read, 0);
}

TEST_F(IndexTest, AnIndexOfAnotherVersionIsMadeAnewWithoutAWord)
{
    makeTree();
    fs::create_directories(fs::path(indexPath()).parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(indexPath().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA application_id=1330793547; PRAGMA user_version=1;"
                           "CREATE TABLE designs(path TEXT, entry TEXT, kind INTEGER, size INTEGER, mtime INTEGER);"
                           "INSERT INTO designs VALUES('/gone.dst', '', 0, 1, 1)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    DesignIndex index(indexPath());
    EXPECT_EQ(index.takeNotice(), "");
    EXPECT_EQ(index.refresh(tree()).read, 7);
    EXPECT_EQ(index.select("/", {}).size(), 7u);
    EXPECT_FALSE(fs::exists(indexPath() + ".damaged"));
}

TEST_F(IndexTest, ADiskThatFillsKeepsTheIndexInMemoryAndTheAnswerWhole)
{
    for (int i = 0; i < 600; ++i)
        writeBytes(at("d" + std::to_string(i) + ".dst"), dst(100 + i % 200));
    DesignIndex index(indexPath());
    {
        const FileSizeLimit full(rlim_t(fs::file_size(indexPath())) + 8192);
        if (!full.set())
            GTEST_SKIP() << "the system refused a file size limit";
        const auto counts = index.refresh(tree());
        EXPECT_EQ(counts.designs, 600);
        EXPECT_FALSE(counts.stopped);
        EXPECT_EQ(index.select(tree(), {}).size(), 600u);
        DesignFilter small;
        small.maxWidthMm = 1000;
        EXPECT_EQ(index.select(tree(), small).size(), 600u);
    }
    const std::string notice = index.takeNotice();
    EXPECT_NE(notice.find("could not be saved in " + indexPath()), std::string::npos) << notice;
    EXPECT_EQ(index.takeNotice(), "");  // said once
    // The next refresh goes on in memory, and what is on disk is still a sound index.
    EXPECT_EQ(index.refresh(tree()).read, 0);
    EXPECT_EQ(index.takeNotice(), "");
    DesignIndex onDisk(indexPath());
    EXPECT_EQ(onDisk.takeNotice(), "");
    EXPECT_EQ(onDisk.refresh(tree()).designs, 600);
}

TEST_F(IndexTest, HoldsNothingOutsideTheTreesItWasPointedAt)
{
    makeTree();
    writeBytes(temp.path() / "other" / "o.dst", dst(100));
    writeBytes(temp.path() / "tree-b" / "b.dst", dst(100));  // a sibling whose name starts alike
    DesignIndex index(indexPath());
    index.refresh(tree() + "shop/");
    const auto all = index.select(temp.folder(), {});
    ASSERT_EQ(all.size(), 5u);
    for (const auto& design : all)
        EXPECT_EQ(design.path.rfind(tree() + "shop/", 0), 0u) << design.path;
    // A query names its tree: the sibling of a longer name is not under it.
    index.refresh(temp.folder() + "tree-b/");
    EXPECT_EQ(index.select(tree(), {}).size(), 5u);
    EXPECT_EQ(index.select(temp.folder() + "tree-b/", {}).size(), 1u);
    // The database lies where it was asked to, in a folder made for it.
    EXPECT_TRUE(fs::is_regular_file(indexPath()));
}

TEST(IndexLocation, IsUnderTheUsersCacheFolder)
{
    const char* savedCache = std::getenv("XDG_CACHE_HOME");
    const std::string cache = savedCache ? savedCache : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_CACHE_HOME", "/var/cache-of-test", 1);
    EXPECT_EQ(DesignIndex::defaultPath(), "/var/cache-of-test/orlika/index.sqlite");
    setenv("XDG_CACHE_HOME", "relative/cache", 1);  // not absolute: ignored
    EXPECT_EQ(DesignIndex::defaultPath(), home + "/.cache/orlika/index.sqlite");
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(DesignIndex::defaultPath(), home + "/.cache/orlika/index.sqlite");
    if (savedCache)
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
}

TEST_F(IndexTest, AFileThatIsNoIndexIsPutAsideAndTheIndexMadeAnew)
{
    makeTree();
    const Bytes garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'n', 'd', 'e', 'x', '\n'};
    writeBytes(indexPath(), garbage);
    {
        DesignIndex index(indexPath());
        const std::string notice = index.takeNotice();
        EXPECT_NE(notice.find("put aside as " + indexPath() + ".damaged"), std::string::npos) << notice;
        EXPECT_EQ(index.refresh(tree()).read, 7);
        EXPECT_TRUE(index.takeNotice().empty());
    }
    EXPECT_EQ(readBytes(indexPath() + ".damaged"), garbage);

    // Another program's database.
    fs::remove(indexPath());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(indexPath().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    DesignIndex index(indexPath());
    EXPECT_FALSE(index.takeNotice().empty());
    EXPECT_EQ(index.refresh(tree()).read, 7);
    // The other database is kept whole beside it.
    ASSERT_EQ(sqlite3_open((indexPath() + ".damaged").c_str(), &db), SQLITE_OK);
    std::string text;
    sqlite3_exec(
        db, "SELECT text FROM notes",
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0];
            return 0;
        },
        &text, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(text, "mine");
}

TEST_F(IndexTest, ADatabaseDamagedInsideIsMadeAnewWhenItIsUsed)
{
    // Enough designs that their rows fill pages beyond the first.
    for (int i = 0; i < 120; ++i)
        writeBytes(at("d" + std::to_string(i) + ".dst"), dst(100 + i));
    {
        DesignIndex index(indexPath());
        EXPECT_EQ(index.refresh(tree()).read, 120);
    }
    // The header page stays, every page after it is overwritten.
    Bytes bytes = readBytes(indexPath());
    ASSERT_GT(bytes.size(), 8192u);
    for (std::size_t i = 4096; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 31);
    writeBytes(indexPath(), bytes);

    DesignIndex index(indexPath());
    const auto counts = index.refresh(tree());
    EXPECT_EQ(counts.read, 120);  // all read again into the new index
    EXPECT_NE(index.takeNotice().find("is damaged"), std::string::npos);
    EXPECT_EQ(index.select(tree(), {}).size(), 120u);
    EXPECT_TRUE(fs::exists(indexPath() + ".damaged"));
}

TEST_F(IndexTest, TwoProgramsIndexTheSameTreeAtOnceWithoutAnErrorOrALostRow)
{
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        const std::string name = "f" + std::to_string(i / 50) + "/d" + std::to_string(i) + ".dst";
        writeBytes(at(name), dst(100 + i % 200));
        expected.push_back(tree() + name);
    }
    std::vector<ZipItem> items;
    for (int i = 0; i < 40; ++i) {
        items.push_back({"z" + std::to_string(i) + ".exp", gen::writeExp(gen::makeStar(100 + i))});
        expected.push_back(archiveEntryPath(tree() + "box.zip", items.back().name));
    }
    writeZip(at("box.zip"), items);
    std::sort(expected.begin(), expected.end());

    EXPECT_EQ(runTogether(2, [&] {
                  const auto counts = DesignIndex(indexPath()).refresh(tree());
                  return counts.designs == 340 && !counts.stopped;
              }),
              "");

    DesignIndex index(indexPath());
    std::vector<std::string> found;
    for (const auto& design : index.select(tree(), {})) {
        EXPECT_TRUE(design.error.empty()) << design.designPath() << ": " << design.error;
        found.push_back(design.designPath());
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(index.refresh(tree()).read, 0);
}

TEST_F(IndexTest, ProgramsMakingTheSameNewIndexAtOnceAllOpenItAndWrite)
{
    // Each turns on WAL in the new database while another may be making its tables, which
    // SQLite can refuse at once instead of waiting.
    writeBytes(at("star.dst"), dst(150));
    for (int round = 0; round < 10; ++round) {
        const std::string path = temp.folder() + "new/" + std::to_string(round) + "/index.sqlite";
        EXPECT_EQ(runTogether(4, [&] { return DesignIndex(path).refresh(tree()).designs == 1; }), "")
            << "round " << round;
    }
}

} // namespace
} // namespace orlika::test
