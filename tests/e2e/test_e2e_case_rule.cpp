// Names that differ in letter case only, where the receiving side's file systems disagree on them,
// through tarvela-cli: the rule is found per file system (a disk mounted below the pair folder has
// its own), a rule that cannot be found joins nothing, and a dry run renames nothing.
#include "base/messages.h"
#include "mounted_disk.h"
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2ECaseRule = TwoComputersCli;

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An exFAT disk mounted at ext/ of a home folder that tells letter cases apart: work's
// ext/report.txt and ext/REPORT.txt cannot both be there. One arrives, the other is refused with a
// line, and neither is taken for removed on the way back.
TEST_F(E2ECaseRule, ACaseInsensitiveDiskBelowTheHomeFolderHasItsOwnRule) {
    makeFolders(home + "ext/");
    const auto disk = MountedMedium::exfat(home + "ext", dir / "ext.img", 8);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    writeFile(work + "ext/report.txt", "lower");
    writeFile(work + "ext/REPORT.txt", "upper");
    writeFile(work + "top.txt", "top");
    halfDone("work-home", "work", {"--full-copy", "all"});
    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 4) << r.out << r.err;
    EXPECT_NE(r.out.find(std::string(msg::kCaseTwin)), std::string::npos) << r.out;
    ASSERT_EQ(namesIn(home + "ext/").size(), 1u);

    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "ext/report.txt"), "lower");
    EXPECT_EQ(readFile(work + "ext/REPORT.txt"), "upper");
}

// The home folder cannot be written at its top (so the probe of its case rule cannot be made): the
// rule is unknown, and sub/A.txt and sub/a.txt stay two files, the one work edited updated.
TEST_F(E2ECaseRule, AnUnknownRuleJoinsNothing) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root for an immutable folder";
    writeFile(work + "sub/A.txt", "upper");
    writeFile(work + "sub/a.txt", "lower");
    firstRun();
    if (!mountShell("chattr +i '" + home + "'"))
        GTEST_SKIP() << "this file system has no immutable folders";
    writeFile(work + "sub/a.txt", "lower, edited");
    setMtime(work + "sub/a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home");
    mountShell("chattr -i '" + home + "'");
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(readFile(home + "sub/A.txt"), "upper");
    EXPECT_EQ(readFile(home + "sub/a.txt"), "lower, edited");
}

// A dry run on a folder that takes both spellings for one name says what it would do and renames
// nothing, also an item the sender renamed in letter case.
TEST_F(E2ECaseRule, ADryRunRespellsNothing) {
    makeFolders(home);
    const auto disk = MountedMedium::exfat(home.substr(0, home.size() - 1), dir / "home.img", 8);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    writeFile(work + "Report.TXT", "report");
    firstRun();
    fs::rename(work + "Report.TXT", work + "report.txt");
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home", {"--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(namesIn(home), std::vector<std::string>{"Report.TXT"});
    halfDone("work-home", "home");
    EXPECT_EQ(namesIn(home), std::vector<std::string>{"report.txt"});
}

} // namespace
} // namespace tarvela::test
