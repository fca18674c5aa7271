#include "scan/folder_scan.h"
#include "recording_host.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvela {
namespace {

using test::TempDir;
using test::writeFile;

std::vector<std::string> pathsOf(const ScanList& list, const std::string& root) {
    std::vector<std::string> out;
    for (const auto& item : list) out.push_back(item.path.substr(root.size()));
    return out;
}

// root/
//   b.txt  a.txt  .profile (hidden file)  empty/  sub/c.doc  sub/deeper/d
//   .git/config (hidden folder)  to_file -> a.txt  to_sub -> sub  loop -> .  dangling -> nowhere
//   fifo (named pipe)
class ScanTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir / "root/";
        writeFile(root + "b.txt", "bb");
        writeFile(root + "a.txt", "a");
        writeFile(root + ".profile", "hidden file");
        test::makeFolders(root + "empty");
        writeFile(root + "sub/c.doc", "cccc");
        writeFile(root + "sub/deeper/d", "");
        writeFile(root + ".git/config", "x");
        std::filesystem::create_symlink("a.txt", root + "to_file");
        std::filesystem::create_symlink("sub", root + "to_sub");
        std::filesystem::create_symlink(".", root + "loop");
        std::filesystem::create_symlink("nowhere", root + "dangling");
        ASSERT_EQ(::mkfifo((root + "fifo").c_str(), 0600), 0);
        writeFile(root + ".tarvela-123-4.part", "a copy cut off before its rename");
    }

    TempDir dir;
    std::string root;
    test::RecordingHost host;
};

TEST_F(ScanTree, FullListingIsDepthFirstInNameOrder) {
    ScanList list;
    ScanDisk(root, "*.*", list, 0, host);
    const std::vector<std::string> expected = {
        ".profile", "a.txt", "b.txt", "to_file", "..",      "empty/..", "sub/c.doc",
        "sub/..",   "sub/deeper/d", "sub/deeper/..",
    };
    EXPECT_EQ(pathsOf(list, root), expected)
        << "hidden files listed; hidden folders, folder links, loops, dangling links, pipes and leftover "
           "copy temporaries left out";

    for (const auto& item : list) {
        const bool folder = item.path.ends_with("/..");
        EXPECT_EQ(item.atrib.Nature, folder ? 0 : 1) << item.path;
        EXPECT_EQ(item.atrib.Action, TAction::None);
        EXPECT_TRUE(item.atrib.FNameTmp.empty());
        EXPECT_GT(item.atrib.FileDataTime, 40000.0) << item.path;
    }
    EXPECT_EQ(list[1].atrib.SizeFile, 1);
    EXPECT_EQ(list[3].atrib.SizeFile, 1) << "a link to a file is described by its target";
    EXPECT_EQ(list[6].atrib.SizeFile, 4);
    EXPECT_EQ(list[4].atrib.SizeFile, 0);
    EXPECT_GT(host.eventRuns + 1, 0); // events may run; the throttle decides how often
}

TEST_F(ScanTree, ModeTwoListsOneFolderAndAMissingSeparatorIsAdded) {
    ScanList list;
    ScanDisk(root.substr(0, root.size() - 1), "", list, 2, host);
    EXPECT_EQ(pathsOf(list, root), (std::vector<std::string>{".profile", "a.txt", "b.txt", "to_file"}));
}

TEST_F(ScanTree, MaskAppliesToFilesOnly) {
    ScanList list;
    ScanDisk(root, "*.doc", list, 0, host);
    EXPECT_EQ(pathsOf(list, root),
              (std::vector<std::string>{"..", "empty/..", "sub/c.doc", "sub/..", "sub/deeper/.."}));
}

TEST(FolderScan, UnreadableOrMissingFolderAddsNothing) {
    TempDir dir;
    test::RecordingHost host;
    ScanList list;
    ScanDisk(dir / "missing/", "*.*", list, 0, host);
    ScanFile(dir / "missing/", "*.*", list, host);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(host.lines.empty());
}

} // namespace
} // namespace tarvela
