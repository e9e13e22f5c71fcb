// SPDX-License-Identifier: MIT
// Copy, move and delete of the selected designs, on real temporary folders.
#include "fileops/FileOps.h"
#include "tests/support/ScriptedHost.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;

// The real operations, with the system calls that tests make fail.
class FaultyFileOperations : public PosixFileOperations {
public:
    long writeBudget = -1;        // bytes written before every write fails; -1: no limit
    int writeError = EIO;
    bool crossDevice = false;     // the first rename of each move reports another file system
    std::set<std::string> undeletable;
    int removeError = EBUSY;

protected:
    ssize_t writeSome(int fd, const void* data, std::size_t size) override
    {
        if (writeBudget >= 0) {
            if (writeBudget == 0) {
                errno = writeError;
                return -1;
            }
            size = std::min<std::size_t>(size, std::size_t(writeBudget));
            writeBudget -= long(size);
        }
        return PosixFileOperations::writeSome(fd, data, size);
    }
    int renameNoReplace(const std::string& from, const std::string& to) override
    {
        if (crossDevice) {
            errno = EXDEV;
            return -1;
        }
        return PosixFileOperations::renameNoReplace(from, to);
    }
    int removeFile(const std::string& path) override
    {
        if (undeletable.count(path)) {
            errno = removeError;
            return -1;
        }
        return PosixFileOperations::removeFile(path);
    }
};

// Records the paths it is asked for and succeeds without touching the disk.
class RecordingFileOperations : public FileOperations {
public:
    std::vector<std::string> calls;
    std::set<std::string> folders{"/"};
    bool exists(const std::string& path) override { return folders.count(path) > 0; }
    bool sameFile(const std::string&, const std::string&) override { return false; }
    int copyFile(const std::string& s, const std::string& d) override
    {
        calls.push_back("copy " + s + " " + d);
        return kCopyDone;
    }
    bool moveFile(const std::string& s, const std::string& d) override
    {
        calls.push_back("move " + s + " " + d);
        return true;
    }
    bool deleteFile(const std::string& p) override
    {
        calls.push_back("delete " + p);
        return true;
    }
    std::string makeFolders(const std::string& p) override
    {
        calls.push_back("make " + p);
        return {};
    }
    bool sameContent(const std::string&, const std::string&) override { return true; }
};

// The real operations with a desktop trash: a folder the files are moved into, except
// the files on a file system that has none.
class TrashingFileOperations : public FaultyFileOperations {
public:
    explicit TrashingFileOperations(fs::path trash) : m_trash(std::move(trash)) {}
    std::set<std::string> withoutTrash;

    bool hasTrash() override { return true; }
    TrashOutcome moveToTrash(const std::string& path) override
    {
        if (cannotBeRemoved(path))
            return TrashOutcome::Refused;
        if (withoutTrash.count(path))
            return TrashOutcome::NoTrash;
        std::error_code error;
        fs::rename(path, m_trash / fs::path(path).filename(), error);
        return error ? TrashOutcome::Refused : TrashOutcome::Trashed;
    }

private:
    fs::path m_trash;
};

// A host whose message boxes are answered with their default button, as Enter does.
class EnterHost : public ScriptedHost {
public:
    MessageAnswer messageBox(const MessageRequest& request) override
    {
        messages.push_back(request);
        return request.defaultAnswer;
    }
};

const std::string kCannotMove =
    ". File may be write protected,in use by another program or, already exists in destination directory.";

class FileOpsTest : public ::testing::Test {
protected:
    fs::path root;
    fs::path designs;
    fs::path dest;
    ScriptedHost host;
    CatalogState state;
    FaultyFileOperations files;
    FileOps ops{state, host, files};

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orlika-fileops-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        designs = root / "designs";
        dest = root / "dest";
        fs::create_directories(designs);
        fs::create_directories(dest);
        state.SelectedFolder = designs.string() + "/";
        host.selectedCount = 1;
    }
    void TearDown() override
    {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(root, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root, ignored);
    }

    static void write(const fs::path& path, const std::string& content)
    {
        std::ofstream out(path, std::ios::binary);
        out << content;
    }
    static std::string read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    /// Names in a folder, sorted: shows any temporary file left behind.
    static std::vector<std::string> entries(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    /// Writes designs named in the catalog folder (content "<name> data") and selects them.
    void selectDesigns(const std::vector<std::string>& names)
    {
        for (const auto& name : names) {
            write(designs / name, name + " data");
            state.SelectedList.add(name);
        }
    }
    void chooseDestination(const fs::path& folder, bool copy)
    {
        host.destinations.push_back(CopyMoveDestination{folder.string(), copy});
    }
    void expectSelectionCleared()
    {
        EXPECT_TRUE(state.SelectedList.empty());
        EXPECT_EQ(host.selectedCount, 0);
        EXPECT_FALSE(host.selectedCommandsOffered());
    }
    /// The box that ends a run which left files out.
    void expectSummary(const MessageRequest& box, const std::string& text, const std::string& caption)
    {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.icon, MessageIcon::Warning);
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
    }
    void expectSelectionKept(std::size_t count)
    {
        EXPECT_EQ(state.SelectedList.names().size(), count);
        EXPECT_TRUE(host.selectedCommandsOffered());
    }
};

TEST_F(FileOpsTest, EmptySelectionAsksNothingAndCancelChangesNothing)
{
    ops.MoveAllSelectedFiles1Click();
    ops.DeleteSelected1Click();
    EXPECT_EQ(host.dialogsShown, 0);
    EXPECT_TRUE(host.messages.empty());

    selectDesigns({"a.dst", "b.dst"});
    ops.MoveAllSelectedFiles1Click();   // no destination scripted: the dialog is cancelled
    EXPECT_EQ(host.dialogsShown, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"a.dst", "b.dst"}));
    EXPECT_TRUE(entries(dest).empty());
    EXPECT_FALSE(host.waiting);
    expectSelectionKept(2);
}

TEST_F(FileOpsTest, DestinationPathsHaveExactlyOneSeparator)
{
    EXPECT_EQ(destinationPath("/", "a.dst"), "/a.dst");
    EXPECT_EQ(destinationPath("/mnt/usb", "a.dst"), "/mnt/usb/a.dst");
    EXPECT_EQ(destinationPath("/mnt/usb/", "a.dst"), "/mnt/usb/a.dst");

    // The command builds the same paths for the root folder, moving and copying, from
    // the folder the names were selected in, not the folder a later print run used.
    RecordingFileOperations recorder;
    FileOps recorded{state, host, recorder};
    state.SelectedFolder = "/home/me/designs/";
    state.FolderPath = "/home/me/printed-since/";
    state.SelectedList.add("b.pes");
    state.SelectedList.add("a.dst");
    host.destinations.push_back({"/", false});
    recorded.MoveAllSelectedFiles1Click();
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"move /home/me/designs/a.dst /a.dst",
                                                        "move /home/me/designs/b.pes /b.pes"}));
    state.SelectedList.add("a.dst");
    host.destinations.push_back({"/", true});
    recorded.MoveAllSelectedFiles1Click();
    EXPECT_EQ(recorder.calls.back(), "copy /home/me/designs/a.dst /a.dst");
}

TEST_F(FileOpsTest, MovingOntoAnExistingNameFailsAndKeepsBothFiles)
{
    selectDesigns({"b.dst"});
    write(dest / "b.dst", "older b");
    chooseDestination(dest, false);
    ops.MoveAllSelectedFiles1Click();

    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "Cannot move b.dst" + kCannotMove);
    EXPECT_EQ(host.messages[0].caption, "ORLIKA Copy/Move");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    expectSummary(host.messages[1], "0 of 1 moved; not moved: b.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(read(designs / "b.dst"), "b.dst data");
    EXPECT_EQ(read(dest / "b.dst"), "older b");
    expectSelectionKept(1);
    EXPECT_FALSE(host.waiting);

    // Moving into the catalog folder itself is the same: the name exists there.
    host.messages.clear();
    chooseDestination(designs, false);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(read(designs / "b.dst"), "b.dst data");
}

TEST_F(FileOpsTest, ThreeFileMoveWhoseSecondFailsGoesOnAndClearsTheSelection)
{
    selectDesigns({"a.dst", "b.dst", "c.dst"});
    write(dest / "b.dst", "older b");
    chooseDestination(dest, false);
    // The page is told of the two that left the folder, and only of them.
    EXPECT_EQ(ops.MoveAllSelectedFiles1Click(), (std::vector<std::string>{"a.dst", "c.dst"}));

    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "Cannot move b.dst" + kCannotMove);
    expectSummary(host.messages[1], "2 of 3 moved; not moved: b.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(entries(designs), std::vector<std::string>{"b.dst"});
    EXPECT_EQ(entries(dest), (std::vector<std::string>{"a.dst", "b.dst", "c.dst"}));
    EXPECT_EQ(read(dest / "a.dst"), "a.dst data");
    EXPECT_EQ(read(dest / "b.dst"), "older b");
    EXPECT_EQ(read(dest / "c.dst"), "c.dst data");
    expectSelectionCleared();
    // The status line says what was done and where.
    EXPECT_EQ(host.captions.back(), " 2 moved to " + dest.string());

    // Twelve that are all gone: one box each, and the summary names ten of them.
    host.messages.clear();
    for (int i = 1; i <= 12; ++i)
        state.SelectedList.add("n" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".dst");
    host.selectedCount = 12;
    chooseDestination(dest, false);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 13u);
    EXPECT_EQ(host.messages[11].text, "Cannot move n12.dst" + kCannotMove);
    expectSummary(host.messages[12],
                  "0 of 12 moved; not moved: n01.dst, n02.dst, n03.dst, n04.dst, n05.dst, n06.dst, n07.dst, n08.dst, "
                  "n09.dst, n10.dst, and 2 more",
                  "ORLIKA Copy/Move");
    expectSelectionKept(12);
}

TEST_F(FileOpsTest, MoveAcrossFileSystemsCopiesThenRemovesAndNeverReplaces)
{
    files.crossDevice = true;
    selectDesigns({"a.dst", "b.dst"});
    write(dest / "b.dst", "older b");
    chooseDestination(dest, false);
    ops.MoveAllSelectedFiles1Click();

    EXPECT_EQ(read(dest / "a.dst"), "a.dst data");
    EXPECT_EQ(read(dest / "b.dst"), "older b");
    EXPECT_EQ(read(designs / "b.dst"), "b.dst data");
    EXPECT_EQ(entries(designs), std::vector<std::string>{"b.dst"});
    EXPECT_EQ(entries(dest), (std::vector<std::string>{"a.dst", "b.dst"}));
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "Cannot move b.dst" + kCannotMove);
    expectSummary(host.messages[1], "1 of 2 moved; not moved: b.dst", "ORLIKA Copy/Move");
    expectSelectionKept(2);   // the last move failed

    // A source that cannot be removed after the copy: the copy goes again.
    write(designs / "c.dst", "c data");
    files.undeletable.insert((designs / "c.dst").string());
    EXPECT_FALSE(files.moveFile((designs / "c.dst").string(), (dest / "c.dst").string()));
    EXPECT_EQ(read(designs / "c.dst"), "c data");
    EXPECT_FALSE(fs::exists(dest / "c.dst"));

    // A write error halfway leaves nothing in the destination and the source in place.
    files.writeBudget = 3;
    EXPECT_FALSE(files.moveFile((designs / "b.dst").string(), (dest / "new.dst").string()));
    EXPECT_EQ(entries(dest), (std::vector<std::string>{"a.dst", "b.dst"}));
    EXPECT_EQ(read(designs / "b.dst"), "b.dst data");
}

TEST_F(FileOpsTest, CopyOntoAnExistingFileAsksAndFollowsYesNoAndCancel)
{
    selectDesigns({"a.dst", "b.dst"});
    write(dest / "a.dst", "older a");
    const std::string question = (dest / "a.dst").string() + " already exists in destination directory.  Overwrite ?";

    // No: a.dst stays, the run goes on with b.dst, and the last copy succeeded; the end
    // says a.dst was not copied.
    host.answers = {MessageAnswer::No};
    chooseDestination(dest, true);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, question);
    EXPECT_EQ(host.messages[0].caption, "Confirm");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(host.messages[0].defaultAnswer, MessageAnswer::No);
    expectSummary(host.messages[1], "1 of 2 copied; not copied: a.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(read(dest / "a.dst"), "older a");
    EXPECT_EQ(read(dest / "b.dst"), "b.dst data");
    EXPECT_EQ(read(designs / "a.dst"), "a.dst data");
    expectSelectionCleared();

    // Cancel: a.dst stays, the run stops before b.dst, the selection stays, and the end
    // names both as not copied.
    fs::remove(dest / "b.dst");
    state.SelectedList.add("a.dst");
    state.SelectedList.add("b.dst");
    host.selectedCount = 2;
    host.messages.clear();
    host.answers = {MessageAnswer::Cancel};
    chooseDestination(dest, true);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 2u);
    expectSummary(host.messages[1], "0 of 2 copied; not copied: a.dst, b.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(read(dest / "a.dst"), "older a");
    EXPECT_FALSE(fs::exists(dest / "b.dst"));
    expectSelectionKept(2);

    // Yes: replaced by the design, the sources untouched; all done, so no summary.
    host.messages.clear();
    host.answers = {MessageAnswer::Yes};
    chooseDestination(dest, true);
    ops.MoveAllSelectedFiles1Click();
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(read(dest / "a.dst"), "a.dst data");
    EXPECT_EQ(read(dest / "b.dst"), "b.dst data");
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"a.dst", "b.dst"}));
    EXPECT_EQ(entries(dest), (std::vector<std::string>{"a.dst", "b.dst"}));
    expectSelectionCleared();
}

TEST_F(FileOpsTest, CopyThatStopsNamesTheFileAndWhatWasNotCopied)
{
    selectDesigns({"a.dst", "b.dst", "c.dst"});
    fs::remove(designs / "b.dst");   // gone since it was selected
    chooseDestination(dest, true);
    ops.MoveAllSelectedFiles1Click();

    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "Invalid Source file handle\n\n" + (designs / "b.dst").string() +
                                         " was not copied to " + (dest / "b.dst").string() + ".");
    EXPECT_EQ(host.messages[0].caption, "Error");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    expectSummary(host.messages[1], "1 of 3 copied; not copied: b.dst, c.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(entries(dest), std::vector<std::string>{"a.dst"});
    expectSelectionKept(3);
    EXPECT_FALSE(host.waiting);

    // The disk fills after three of six copies ("a.dst data" is 10 bytes each).
    fs::remove(dest / "a.dst");
    state.SelectedList.clear();
    host.messages.clear();
    selectDesigns({"a.dst", "b.dst", "c.dst", "d.dst", "e.dst", "f.dst"});
    files.writeBudget = 30;
    files.writeError = ENOSPC;
    chooseDestination(dest, true);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "There is insufficient space for the output file\n\n" +
                                         (designs / "d.dst").string() + " was not copied to " +
                                         (dest / "d.dst").string() + ".");
    expectSummary(host.messages[1], "3 of 6 copied; not copied: d.dst, e.dst, f.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(entries(dest), (std::vector<std::string>{"a.dst", "b.dst", "c.dst"}));
    expectSelectionKept(6);
    EXPECT_EQ(host.captions.back(), " 3 copied to " + dest.string());
}

TEST_F(FileOpsTest, ADestinationThatDoesNotExistIsMadeOnlyWhenTheUserSaysYes)
{
    selectDesigns({"a.dst", "b.dst"});
    const fs::path usb = root / "media" / "usb" / "designs";
    const std::string question =
        "The folder " + usb.string() + " does not exist.\n\nMake it and copy the 2 designs there?";

    // No: nothing is made, nothing copied, nothing said in the status line.
    host.answers = {MessageAnswer::No};
    chooseDestination(usb, true);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, question);
    EXPECT_EQ(host.messages[0].caption, "ORLIKA Copy/Move");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(fs::exists(root / "media"));
    EXPECT_TRUE(host.captions.empty());
    EXPECT_FALSE(host.waiting);
    expectSelectionKept(2);

    // Yes: the folder is made with the folders above it and the copy goes on.
    host.messages.clear();
    host.answers = {MessageAnswer::Yes};
    chooseDestination(usb, true);
    ops.MoveAllSelectedFiles1Click();
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(entries(usb), (std::vector<std::string>{"a.dst", "b.dst"}));
    EXPECT_EQ(read(usb / "b.dst"), "b.dst data");
    EXPECT_EQ(host.captions.back(), " 2 copied to " + usb.string());
    expectSelectionCleared();

    // A move asks the same way; an existing folder is not asked about.
    selectDesigns({"c.dst"});
    host.messages.clear();
    host.answers = {MessageAnswer::Yes};
    chooseDestination(root / "moved", false);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "The folder " + (root / "moved").string() + " does not exist.\n\nMake it and move the 1 design there?");
    EXPECT_EQ(entries(root / "moved"), std::vector<std::string>{"c.dst"});
    EXPECT_FALSE(fs::exists(designs / "c.dst"));
    EXPECT_EQ(host.captions.back(), " 1 moved to " + (root / "moved").string());

    // A folder that cannot be made (a file stands in its way) is told, and nothing is copied.
    selectDesigns({"d.dst"});
    write(root / "blocker", "a file");
    host.messages.clear();
    host.answers = {MessageAnswer::Yes};
    chooseDestination(root / "blocker" / "sub", true);
    ops.MoveAllSelectedFiles1Click();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text.rfind("Cannot make the folder " + (root / "blocker" / "sub").string() + ": ", 0),
              0u)
        << host.messages[1].text;
    EXPECT_NE(host.messages[1].text.find("Nothing was copied."), std::string::npos);
    EXPECT_EQ(host.messages[1].icon, MessageIcon::Warning);
    EXPECT_EQ(read(root / "blocker"), "a file");
    EXPECT_EQ(state.SelectedList.names(), std::vector<std::string>{"d.dst"});
}

TEST_F(FileOpsTest, CopyOntoItselfIsRefusedAndLeavesTheFileWhole)
{
    selectDesigns({"a.dst"});
    chooseDestination(designs, true);
    host.answers = {MessageAnswer::Yes};   // were an overwrite question asked, Yes would be the danger
    ops.MoveAllSelectedFiles1Click();

    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].caption, "Error");
    EXPECT_NE(host.messages[0].text.find("cannot be copied onto itself"), std::string::npos);
    expectSummary(host.messages[1], "0 of 1 copied; not copied: a.dst", "ORLIKA Copy/Move");
    EXPECT_EQ(read(designs / "a.dst"), "a.dst data");
    EXPECT_EQ(entries(designs), std::vector<std::string>{"a.dst"});
    expectSelectionKept(1);

    // The platform refuses it too, also through another spelling of the path.
    const std::string a = (designs / "a.dst").string();
    EXPECT_EQ(files.copyFile(a, (designs / "." / "a.dst").string()), kCopyBadDestination);
    EXPECT_EQ(read(designs / "a.dst"), "a.dst data");
}

TEST_F(FileOpsTest, InterruptedCopyLeavesTheExistingTargetIntactAndNoTemporaryFile)
{
    // Several blocks of varied bytes, so a half-written copy would differ.
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = char((i * 131) % 251);
    write(designs / "big.pes", big);
    write(dest / "big.pes", "the older big.pes");
    state.SelectedList.add("big.pes");

    struct Case {
        int error;
        const char* message;
    };
    for (const Case& c : {Case{EIO, "Unknown error"}, Case{ENOSPC, "There is insufficient space for the output file"},
                          Case{EDQUOT, "There is insufficient space for the output file"}}) {
        SCOPED_TRACE(c.message);
        host.messages.clear();
        files.writeBudget = 100000;
        files.writeError = c.error;
        host.answers = {MessageAnswer::Yes};
        chooseDestination(dest, true);
        ops.MoveAllSelectedFiles1Click();
        ASSERT_EQ(host.messages.size(), 3u);
        EXPECT_EQ(host.messages[1].text, c.message + std::string("\n\n") + (designs / "big.pes").string() +
                                             " was not copied to " + (dest / "big.pes").string() + ".");
        expectSummary(host.messages[2], "0 of 1 copied; not copied: big.pes", "ORLIKA Copy/Move");
        EXPECT_EQ(read(dest / "big.pes"), "the older big.pes");
        EXPECT_EQ(entries(dest), std::vector<std::string>{"big.pes"});
        expectSelectionKept(1);
    }

    // Without the fault the same copy is whole and keeps the source's time.
    files.writeBudget = -1;
    host.answers = {MessageAnswer::Yes};
    chooseDestination(dest, true);
    ops.MoveAllSelectedFiles1Click();
    EXPECT_EQ(read(dest / "big.pes"), big);
    EXPECT_EQ(fs::last_write_time(dest / "big.pes"), fs::last_write_time(designs / "big.pes"));
    EXPECT_EQ(entries(dest), std::vector<std::string>{"big.pes"});
}

TEST_F(FileOpsTest, CopyFailuresMapOntoTheirCodesAndMessages)
{
    write(designs / "a.dst", "a");
    const std::string a = (designs / "a.dst").string();
    EXPECT_EQ(files.copyFile((designs / "missing.dst").string(), (dest / "x.dst").string()), kCopyBadSource);
    EXPECT_EQ(files.copyFile(designs.string(), (dest / "x.dst").string()), kCopyBadSource);
    EXPECT_EQ(files.copyFile(a, (root / "no such folder" / "a.dst").string()), kCopyBadDestination);
    fs::create_directory(dest / "a folder.dst");
    EXPECT_EQ(files.copyFile(a, (dest / "a folder.dst").string()), kCopyBadDestination);
    EXPECT_TRUE(fs::is_directory(dest / "a folder.dst"));
    EXPECT_EQ(entries(dest), std::vector<std::string>{"a folder.dst"});

    EXPECT_EQ(FileOps::copyErrorText(-1), "Invalid Source file handle");
    EXPECT_EQ(FileOps::copyErrorText(-2), "Invalid Destination file handle");
    EXPECT_EQ(FileOps::copyErrorText(-3), "Source file format is not valid");
    EXPECT_EQ(FileOps::copyErrorText(-4), "There is insufficient space for the output file");
    EXPECT_EQ(FileOps::copyErrorText(-5), "Insufficient memory for the required buffers");
    EXPECT_EQ(FileOps::copyErrorText(-6), "Internal data structure handle invalid");
    EXPECT_EQ(FileOps::copyErrorText(-7), "Input parameter is out of range");
    EXPECT_EQ(FileOps::copyErrorText(-8),
              "The Source file was compressed with an unrecognized compression algorithm");
    EXPECT_EQ(FileOps::copyErrorText(-9), "Unknown error");
    EXPECT_EQ(FileOps::copyErrorText(kCopyFailed), "Unknown error");
}

TEST_F(FileOpsTest, DeleteAnsweredNoCancelOrEnterTouchesNothing)
{
    selectDesigns({"a.dst", "b.dst"});
    host.answers = {MessageAnswer::No, MessageAnswer::Cancel};
    ops.DeleteSelected1Click();
    ops.DeleteSelected1Click();
    ASSERT_EQ(host.messages.size(), 2u);
    const MessageRequest& question = host.messages[0];
    const std::string asked = "Are you SURE you want to DELETE the selected designs?\n\n";
    EXPECT_EQ(question.text, asked + "2 designs in " + state.SelectedFolder + ":\na.dst\nb.dst");
    EXPECT_EQ(question.caption, "ORLIKA DELETE");
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"a.dst", "b.dst"}));
    expectSelectionKept(2);

    EnterHost enter;
    FileOps byEnter{state, enter, files};
    byEnter.DeleteSelected1Click();
    ASSERT_EQ(enter.messages.size(), 1u);
    EXPECT_EQ(enter.messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"a.dst", "b.dst"}));
    EXPECT_EQ(state.SelectedList.count(), 2);

    // One design, and twelve, of which the box names ten.
    state.SelectedList.remove("b.dst");
    byEnter.DeleteSelected1Click();
    ASSERT_EQ(enter.messages.size(), 2u);
    EXPECT_EQ(enter.messages[1].text, asked + "1 design in " + state.SelectedFolder + ":\na.dst");
    state.SelectedList.clear();
    std::string named;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = "n" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".dst";
        state.SelectedList.add(name);
        if (i <= 10)
            named += "\n" + name;
    }
    byEnter.DeleteSelected1Click();
    ASSERT_EQ(enter.messages.size(), 3u);
    EXPECT_EQ(enter.messages[2].text, asked + "12 designs in " + state.SelectedFolder + ":" + named + "\nand 2 more");
    EXPECT_EQ(state.SelectedList.count(), 12);
}

TEST_F(FileOpsTest, DeleteYesReportsEachFailureGoesOnAndClearsTheSelection)
{
    selectDesigns({"a.dst", "b.dst", "c.dst", "d.dst"});
    fs::permissions(designs / "a.dst", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::remove(designs / "c.dst");                            // vanished since selected
    files.undeletable.insert((designs / "d.dst").string());   // in use: the system refuses
    host.answers = {MessageAnswer::Yes};
    ops.DeleteSelected1Click();

    ASSERT_EQ(host.messages.size(), 5u);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(host.messages[std::size_t(i)].caption, "ORLIKA DELETE");
        EXPECT_EQ(host.messages[std::size_t(i)].icon, MessageIcon::Warning);
        EXPECT_EQ(host.messages[std::size_t(i)].buttons, MessageButtons::Ok);
    }
    const std::string tail = ". File may be write protected or in use by another program";
    EXPECT_EQ(host.messages[1].text, "Cannot Delete a.dst" + tail);
    EXPECT_EQ(host.messages[2].text, "Cannot Delete c.dst" + tail);
    EXPECT_EQ(host.messages[3].text, "Cannot Delete d.dst" + tail);
    expectSummary(host.messages[4], "1 of 4 deleted; not deleted: a.dst, c.dst, d.dst", "ORLIKA DELETE");
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"a.dst", "d.dst"}));
    EXPECT_EQ(read(designs / "a.dst"), "a.dst data");
    expectSelectionCleared();

    // A folder of the same name is never erased.
    fs::create_directory(designs / "e.dst");
    EXPECT_FALSE(files.deleteFile((designs / "e.dst").string()));
    EXPECT_TRUE(fs::is_directory(designs / "e.dst"));
}

TEST_F(FileOpsTest, DeleteRemovesACopyFoundAsDuplicateOnlyWhileItIsStillTheKeptOnesBytes)
{
    selectDesigns({"copy.dst", "changed.dst", "orphan.dst", "chosen.dst"});
    write(designs / "kept.dst", "copy.dst data");
    write(designs / "copy.dst", "copy.dst data");
    write(designs / "changed.dst", "copy.dst datA");  // edited since it was found identical
    state.KeptCopyOf = {{"copy.dst", "kept.dst"}, {"changed.dst", "kept.dst"}, {"orphan.dst", "gone.dst"}};
    host.answers = {MessageAnswer::Yes};
    ops.DeleteSelected1Click();

    // The copy and the design chosen by hand go; the others stay and are named.
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"changed.dst", "kept.dst", "orphan.dst"}));
    ASSERT_EQ(host.messages.size(), 2u);
    expectSummary(host.messages[1],
                  "2 of 4 deleted; not deleted: changed.dst, orphan.dst\n\nNo longer the same as the copy kept, "
                  "so not deleted: changed.dst, orphan.dst",
                  "ORLIKA DELETE");
    EXPECT_EQ(host.captions.back(), " 2 deleted");
    expectSelectionCleared();
    EXPECT_TRUE(state.KeptCopyOf.empty());

    // Byte for byte, also where the sizes agree and reads come in pieces.
    EXPECT_TRUE(files.sameContent((designs / "kept.dst").string(), (designs / "kept.dst").string()));
    EXPECT_FALSE(files.sameContent((designs / "kept.dst").string(), (designs / "changed.dst").string()));
    EXPECT_FALSE(files.sameContent((designs / "kept.dst").string(), (designs / "gone.dst").string()));
    const std::string big(200'000, 'x');
    write(designs / "big1", big);
    write(designs / "big2", big);
    write(designs / "big3", big.substr(0, 199'999) + "y");
    EXPECT_TRUE(files.sameContent((designs / "big1").string(), (designs / "big2").string()));
    EXPECT_FALSE(files.sameContent((designs / "big1").string(), (designs / "big3").string()));
}

TEST_F(FileOpsTest, DeleteMovesToTheTrashAndAsksAgainForWhatNoTrashCanHold)
{
    const fs::path trashFolder = root / "trash";
    fs::create_directories(trashFolder);
    TrashingFileOperations trash(trashFolder);
    FileOps withTrash{state, host, trash};
    selectDesigns({"a.dst", "b.dst", "c.dst", "d.dst"});
    trash.withoutTrash = {(designs / "c.dst").string(), (designs / "d.dst").string()};
    host.answers = {MessageAnswer::Yes, MessageAnswer::No};
    withTrash.DeleteSelected1Click();

    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0].text, "Move the selected designs to the trash?\n\n4 designs in " +
                                         state.SelectedFolder + ":\na.dst\nb.dst\nc.dst\nd.dst");
    EXPECT_EQ(host.messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(host.messages[1].text, "Are you SURE you want to DELETE the selected designs?\n\nThey cannot be "
                                     "moved to a trash: deleting them cannot be undone.\n\n2 designs in " +
                                         state.SelectedFolder + ":\nc.dst\nd.dst");
    EXPECT_EQ(host.messages[1].defaultAnswer, MessageAnswer::No);
    expectSummary(host.messages[2], "2 of 4 deleted; not deleted: c.dst, d.dst", "ORLIKA DELETE");
    EXPECT_EQ(entries(designs), (std::vector<std::string>{"c.dst", "d.dst"}));
    EXPECT_EQ(read(trashFolder / "a.dst"), "a.dst data");
    EXPECT_EQ(host.captions.back(), " 2 moved to the trash");
    expectSelectionCleared();

    // Yes the second time: gone for good.
    selectDesigns({"c.dst", "d.dst"});
    host.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    withTrash.DeleteSelected1Click();
    EXPECT_TRUE(entries(designs).empty());
    EXPECT_EQ(host.captions.back(), " 2 deleted");

    // A write-protected design stays, as it always has: the trash does not take it either.
    selectDesigns({"p.dst"});
    fs::permissions(designs / "p.dst", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    host.messages.clear();
    host.answers = {MessageAnswer::Yes};
    withTrash.DeleteSelected1Click();
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[1].text, "Cannot Delete p.dst. File may be write protected or in use by another program");
    EXPECT_EQ(entries(designs), std::vector<std::string>{"p.dst"});
}

} // namespace
} // namespace orlika::test
