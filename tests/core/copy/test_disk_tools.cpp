#include "copy/disk_tools.h"
#include "base/messages.h"
#include "platform/disk_info.h"
#include "recording_host.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela {
namespace {

namespace fs = std::filesystem;
using namespace test; // TempDir, RecordingHost and the expected lines

bool present(const std::string& path) { return fs::exists(fs::symlink_status(path)); }

// The instant that a local date-time text YYYY-MM-DDThh:mm:ss names.
std::time_t fromLocalText(const std::string& text) {
    std::tm local{};
    local.tm_isdst = -1;
    if (::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &local) == nullptr) return -1;
    return std::mktime(&local);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// root/
//   a.txt  sub/b.txt  sub/deeper/c  empty/
//   link_out -> ../outside (a folder)  sub/link_file -> ../../outside/keep.txt  dangling -> nowhere
class DelDirTree : public ::testing::Test {
protected:
    void SetUp() override { makeTree(); }

    void makeTree() {
        root = dir / "root";
        outside = dir / "outside";
        writeFile(outside + "/keep.txt", "keep");
        writeFile(root + "/a.txt", "a");
        writeFile(root + "/sub/b.txt", "b");
        writeFile(root + "/sub/deeper/c", "c");
        makeFolders(root + "/empty");
        fs::create_directory_symlink("../outside", root + "/link_out");
        fs::create_symlink("../../outside/keep.txt", root + "/sub/link_file");
        fs::create_symlink("nowhere", root + "/dangling");
    }

    static constexpr std::int64_t kEntries = 10; // root and everything below it

    TempDir dir;
    std::string root;
    std::string outside;
    RecordingHost host;
};

TEST_F(DelDirTree, RemovesTheTreeAndNeverWhatItsLinksPointTo) {
    for (const bool showProgress : {false, true}) {
        SCOPED_TRACE(showProgress ? "with progress" : "without progress");
        if (showProgress) makeTree();
        RecordingHost h;

        EXPECT_TRUE(DelDir(root, false, showProgress, h));

        EXPECT_FALSE(present(root));
        EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");
        EXPECT_EQ(h.lines, (std::vector<EchoLine>{green(msg::kDeletingFolder, root)}));
        if (showProgress) {
            ASSERT_EQ(h.fileProgress.size(), static_cast<std::size_t>(kEntries + 1));
            EXPECT_EQ(h.fileProgress.front(), (ProgressStep{0, kEntries}));
            EXPECT_EQ(h.fileProgress.back(), (ProgressStep{kEntries, kEntries}));
        } else {
            EXPECT_TRUE(h.fileProgress.empty());
        }
    }
}

TEST_F(DelDirTree, ALinkGivenAsTheFolderIsRemovedItself) {
    fs::create_directory_symlink("outside", dir / "to_outside");
    for (const std::string& given : {dir / "to_outside/", dir / "root/link_out"}) {
        SCOPED_TRACE(given);
        EXPECT_TRUE(DelDir(given, false, true, host));
        EXPECT_FALSE(present(given.substr(0, given.find_last_not_of('/') + 1)));
        EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");
    }
    EXPECT_TRUE(present(root + "/a.txt"));
}

TEST_F(DelDirTree, MissingFolderCountsAsRemovedAndDotNamesAreRefused) {
    EXPECT_TRUE(DelDir(dir / "missing", false, false, host));
    EXPECT_FALSE(DelDir(root + "/sub/.", false, false, host));
    EXPECT_FALSE(DelDir(root + "/sub/..", false, false, host));
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{
                              green(msg::kDeletingFolder, dir / "missing"),
                              green(msg::kDeletingFolder, root + "/sub/."),
                              red(msg::kFolderDeleteError, root + "/sub/."),
                              green(msg::kDeletingFolder, root + "/sub/.."),
                              red(msg::kFolderDeleteError, root + "/sub/.."),
                          }));
    EXPECT_TRUE(present(root + "/sub/b.txt"));
    EXPECT_TRUE(present(root + "/a.txt"));
}

TEST(DelFiles, RemovesOneFileQuietlyAndReportsAFailure) {
    TempDir dir;
    RecordingHost host;
    writeFile(dir / "file", "x");
    makeFolders(dir / "folder");

    EXPECT_TRUE(DelFiles(dir / "file", false, host));
    EXPECT_TRUE(DelFiles(dir / "missing", false, host));
    EXPECT_FALSE(DelFiles(dir / "folder", false, host)) << "a folder is not a file";

    EXPECT_FALSE(present(dir / "file"));
    EXPECT_TRUE(present(dir / "folder"));
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileDeleteError, dir / "folder")}));
}

class TrashTest : public ::testing::Test {
protected:
    // Real paths: the trash records the resolved folder of an item.
    std::string real(const std::string& path) const { return fs::canonical(path).string(); }
    std::string trash() const { return dir / "data/Trash"; }

    TempDir dir;
    ScopedEnv dataHome{"XDG_DATA_HOME", dir / "data"};
    RecordingHost host;
};

TEST_F(TrashTest, ItemsGoToTheHomeTrashWithInfoAFileManagerCanRestoreFrom) {
    writeFile(dir / "docs/a b ё.txt", "file");
    writeFile(dir / "docs/inner/x", "x");
    const std::time_t before = std::time(nullptr);

    EXPECT_TRUE(DelFiles(dir / "docs/a b ё.txt", true, host));
    EXPECT_TRUE(DelDir(dir / "docs", true, true, host));
    writeFile(dir / "docs/second", "same name again");
    EXPECT_TRUE(DelDir(dir / "docs", true, false, host));

    const std::time_t after = std::time(nullptr);
    EXPECT_FALSE(present(dir / "docs"));
    EXPECT_EQ(readFile(trash() + "/files/a b ё.txt"), "file");
    EXPECT_EQ(readFile(trash() + "/files/docs/inner/x"), "x");
    EXPECT_EQ(readFile(trash() + "/files/docs.2/second"), "same name again");
    EXPECT_EQ(fs::status(trash()).permissions(), fs::perms::owner_all);

    const std::string folder = real(dir.path());
    const std::regex info("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)\n");
    const std::pair<std::string, std::string> expected[] = {
        {"a b ё.txt", folder + "/docs/a%20b%20%D1%91.txt"},
        {"docs", folder + "/docs"},
        {"docs.2", folder + "/docs"},
    };
    for (const auto& [name, path] : expected) {
        SCOPED_TRACE(name);
        const std::string text = readFile(trash() + "/info/" + name + ".trashinfo");
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, info)) << text;
        EXPECT_EQ(m[1], path);
        EXPECT_GE(fromLocalText(m[2]), before) << "local time";
        EXPECT_LE(fromLocalText(m[2]), after) << "local time";
    }
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{green(msg::kDeletingFolder, dir / "docs"),
                                                 green(msg::kDeletingFolder, dir / "docs")}));
    EXPECT_EQ(host.fileProgress, (std::vector<ProgressStep>{{0, 1}, {1, 1}}));
}

TEST_F(TrashTest, AnItemThatCannotGoToTheTrashStaysAndIsReported) {
    // The data folder is a file: no trash can be made there.
    writeFile(dir / "data", "not a folder");
    writeFile(dir / "folder/file", "x");

    EXPECT_FALSE(DelFiles(dir / "folder/file", true, host));
    EXPECT_FALSE(DelDir(dir / "folder", true, false, host));

    EXPECT_EQ(readFile(dir / "folder/file"), "x");
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{red(msg::kFileDeleteError, dir / "folder/file"),
                                                 green(msg::kDeletingFolder, dir / "folder"),
                                                 red(msg::kFolderDeleteError, dir / "folder")}));
}

// An item on another file system than the home trash goes to the trash at the top of its own.
TEST_F(TrashTest, AnItemOnAnotherFileSystemGoesToTheTopDirectoryTrash) {
    const std::string top = "/dev/shm";
    struct stat topStat {};
    struct stat homeStat {};
    if (::stat(top.c_str(), &topStat) != 0 || ::stat(dir.path().c_str(), &homeStat) != 0 ||
        topStat.st_dev == homeStat.st_dev || ::access(top.c_str(), W_OK) != 0) {
        GTEST_SKIP() << "needs a writable " << top << " on its own file system";
    }
    const std::string ownTrash = top + "/.Trash-" + std::to_string(::getuid());
    const bool trashExisted = present(ownTrash);
    std::string folder = top + "/tarvela-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string name = fs::path(folder).filename().string() + "-item";
    writeFile(folder + "/" + name, "x");

    const bool moved = DelFiles(folder + "/" + name, true, host);
    const std::string info = readFile(ownTrash + "/info/" + name + ".trashinfo");
    const std::string kept = readFile(ownTrash + "/files/" + name);
    const auto mode = fs::status(ownTrash).permissions();

    std::error_code ec;
    fs::remove(ownTrash + "/info/" + name + ".trashinfo", ec);
    fs::remove(ownTrash + "/files/" + name, ec);
    fs::remove(folder, ec);
    if (!trashExisted) fs::remove_all(ownTrash, ec);

    EXPECT_TRUE(moved);
    EXPECT_EQ(kept, "x");
    EXPECT_EQ(mode, fs::perms::owner_all);
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + folder.substr(top.size() + 1) + "/" + name + "\n"))
        << "the path is relative to the top directory: " << info;
}

TEST(ChekDiskSize, AnswersForTheFileSystemOfTheFolderOrItsNearestExistingParent) {
    TempDir dir;
    for (const std::string& folder : {dir.path(), dir / "not/made/yet"}) {
        SCOPED_TRACE(folder);
        // Other programs change the free space at any moment: retry until it held still.
        bool measured = false;
        for (int attempt = 0; attempt < 200 && !measured; ++attempt) {
            const std::int64_t free = platform::availableBytes(dir.path());
            ASSERT_GE(free, 0);
            const bool zero = ChekDiskSize(folder, 0);
            const bool exact = ChekDiskSize(folder, free);
            const bool oneMore = ChekDiskSize(folder, free + 1);
            if (platform::availableBytes(dir.path()) != free) continue;
            measured = true;
            EXPECT_TRUE(zero);
            EXPECT_TRUE(exact);
            EXPECT_FALSE(oneMore);
        }
        EXPECT_TRUE(measured) << "the free space never held still";
    }
}

TEST(CheckFreeSpace, IsUnknownOnAFileSystemWithoutASizeAndCountsWholeAllocationUnits) {
    // /proc reports 0 blocks in total, as some FUSE drivers of FAT do: its free space means nothing.
    EXPECT_EQ(CheckFreeSpace("/proc/self", 1), FreeSpace::Unknown);
    TempDir dir;
    EXPECT_EQ(CheckFreeSpace(dir / "not/made/yet", 0), FreeSpace::Enough);
    EXPECT_EQ(CheckFreeSpace(dir.path(), std::int64_t{1} << 62), FreeSpace::TooLittle);
    EXPECT_GE(AllocationUnit(dir.path()), 512);

    const std::int64_t kCluster = 32 << 10;
    const std::pair<std::int64_t, std::int64_t> sizes[] = {
        {0, 0}, {1, kCluster}, {kCluster, kCluster}, {kCluster + 1, 2 * kCluster}};
    for (const auto& [size, taken] : sizes) EXPECT_EQ(SpaceTaken(size, kCluster), taken) << size;
    EXPECT_EQ(SpaceTaken(100, 1), 100);
}

TEST(GetHDSerNo, IsTheMachineIdsFirstEightHexDigits) {
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {"0123456789abcdef0123456789abcdef\n", "0123-4567"},
        {"abcdef0123456789abcdef0123456789", "ABCD-EF01"},
        {"ABCDEF01", "ABCD-EF01"},
        {"abcdef0", "None"},
        {"uninitialized\n", "None"},
        {"", "None"},
        {"\n0123456789abcdef", "None"},
    };
    for (const auto& [content, label] : cases) {
        SCOPED_TRACE(content);
        writeFile(dir / "machine-id", content);
        EXPECT_EQ(GetHDSerNo(dir / "machine-id"), label);
    }
    EXPECT_EQ(GetHDSerNo(dir / "missing"), "None");

    const std::string own = GetHDSerNo();
    EXPECT_TRUE(own == "None" || std::regex_match(own, std::regex("[0-9A-F]{4}-[0-9A-F]{4}"))) << own;
    EXPECT_EQ(GetHDSerNo(), own) << "stable";
}

} // namespace
} // namespace tarvela
