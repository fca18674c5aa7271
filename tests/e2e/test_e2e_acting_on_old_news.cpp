// A receive decides from a scan made at its start, and a send from a scan too; what the user does
// meanwhile, and changes that look small, must not cost a version. Through tarvela-cli: a file
// saved while the receive runs, a second save within two seconds, two edits of one size, and a
// pair folder whose disk is not there.
#include "mounted_disk.h"
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EActingOnOldNews = TwoComputersCli;

// Work turns the file `Project` into a folder, edits sub/notes.txt (listed after `Project`) and
// removes old.txt. Home's receive asks before it removes `Project` (a file in the way of a folder is
// removed like any other file: asked about, to the trash when asked for), and that question comes
// while the receive is still copying: the user saves sub/notes.txt and old.txt right then. The receive looks again before it
// replaces or removes anything: sub/notes.txt keeps home's save as a conflict copy, old.txt stays.
TEST_F(E2EActingOnOldNews, FilesSavedDuringTheReceiveAreNeitherReplacedNorRemoved) {
    task.DellConfirmat = true;
    save();
    writeFile(work + "Project", "project as a file");
    writeFile(work + "sub/notes.txt", "notes");
    writeFile(work + "old.txt", "old");
    firstRun();
    fs::remove(work + "Project");
    writeFile(work + "Project/plan.txt", "plan");
    writeFile(work + "sub/notes.txt", "notes, work's edit");
    setMtime(work + "sub/notes.txt", {2000000000, 0});
    fs::remove(work + "old.txt");
    halfDone("work-home", "work");

    ChildProcess child({TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "home", "--direction",
                        "work-home", "--delete", "ask"},
                       {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
    ASSERT_TRUE(child.waitForErr("Удалить: " + home + "Project\n")) << "asked while the copies run";
    writeFile(home + "sub/notes.txt", "notes, saved at home during the receive");
    writeFile(home + "old.txt", "old, saved at home during the receive");
    child.write("y\n");
    ASSERT_TRUE(child.waitForErr("Удалить: " + home + "old.txt\n"));
    child.write("y\n");
    const ChildResult r = child.finish();
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;

    const auto tree = treeOf(home);
    EXPECT_EQ(readFile(home + "Project/plan.txt"), "plan");
    EXPECT_EQ(readFile(home + "sub/notes.txt"), "notes, work's edit");
    const auto copies = conflictCopies(tree, "sub/notes");
    ASSERT_EQ(copies.size(), 1u) << r.out << r.err;
    EXPECT_EQ(readFile(home + copies[0]), "notes, saved at home during the receive");
    EXPECT_EQ(readFile(home + "old.txt"), "old, saved at home during the receive");
    EXPECT_NE(r.out.find("Удалён на другом компьютере, но изменён здесь, оставлен: " + home + "old.txt"),
              std::string::npos)
        << r.out;

    // Both saves travel back to work.
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// With deletion answered "no", the file in the way of the folder is not removed either: it is kept
// under a conflict name, and the folder arrives.
TEST_F(E2EActingOnOldNews, AFileInTheWayOfAFolderIsKeptWhenRemovalsAreDeclined) {
    task.DellConfirmat = true;
    save();
    writeFile(work + "Project", "project as a file");
    firstRun();
    fs::remove(work + "Project");
    writeFile(work + "Project/plan.txt", "plan");
    halfDone("work-home", "work");
    halfDone("work-home", "home", {"--delete", "no"});
    EXPECT_EQ(readFile(home + "Project/plan.txt"), "plan");
    const auto copies = conflictCopies(treeOf(home), "Project");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(readFile(home + copies[0]), "project as a file");
}

// A file saved twice with the same size 1.5 s apart, the send having seen the first save: the
// second save is a change like any other, and travels.
TEST_F(E2EActingOnOldNews, ASecondSaveWithinTwoSecondsTravels) {
    writeFile(work + "f.txt", "first");
    setMtime(work + "f.txt", {2000000000, 0});
    firstRun();
    writeFile(work + "f.txt", "again");
    setMtime(work + "f.txt", {2000000001, 500000000});
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 1u);
    halfDone("work-home", "home");
    EXPECT_EQ(readFile(home + "f.txt"), "again");

    // Home's own second save within 2 s of its recorded time travels back too.
    const auto homeTime = fs::last_write_time(home + "f.txt");
    writeFile(home + "f.txt", "third");
    fs::last_write_time(home + "f.txt", homeTime + std::chrono::milliseconds(1500));
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 1u);
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "f.txt"), "third");
}

// Both computers end with a file of the same size, their times under two seconds apart, and
// different contents: an agreed file both edited, and a file both made. The stored copy is right
// there, and its content decides: both versions are kept.
TEST_F(E2EActingOnOldNews, SameSizeAndCloseTimesWithDifferentContentsAreAConflict) {
    writeFile(work + "x.txt", "original");
    firstRun();
    writeFile(work + "x.txt", "work-one");
    setMtime(work + "x.txt", {2000000000, 0});
    writeFile(home + "x.txt", "home-one");
    setMtime(home + "x.txt", {2000000001, 0});
    writeFile(work + "new.txt", "work-new");
    setMtime(work + "new.txt", {2000000000, 0});
    writeFile(home + "new.txt", "home-new");
    setMtime(home + "new.txt", {2000000001, 0});
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const auto tree = treeOf(home);
    EXPECT_EQ(readFile(home + "x.txt"), "work-one");
    EXPECT_EQ(readFile(home + "new.txt"), "work-new");
    ASSERT_EQ(conflictCopies(tree, "x").size(), 1u) << r.out;
    ASSERT_EQ(conflictCopies(tree, "new").size(), 1u) << r.out;
    EXPECT_EQ(readFile(home + conflictCopies(tree, "x")[0]), "home-one");
    EXPECT_EQ(readFile(home + conflictCopies(tree, "new")[0]), "home-new");
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// The first receive of a pair whose folder is on a disk that is not mounted: the folder above the
// pair folder is missing too. Nothing is made on the system disk; the store waits.
TEST_F(E2EActingOnOldNews, NothingIsMadeAboveAPairFolderWhoseDiskIsNotThere) {
    home = dir / "usb/Документы/";
    task.pair(1).PathHome = ShortString<255>::fromText(home);
    save();
    writeFile(work + "a.txt", "a");
    halfDone("work-home", "work", {"--full-copy", "all"});
    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 4) << r.out << r.err;
    EXPECT_NE(r.out.find("Папка отсутствует, и папки над ней тоже нет (диск не подключён?). Пара пропущена: " + home),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(fs::exists(dir / "usb")) << "nothing is created above the pair folder";
    EXPECT_TRUE(pending(Side::Work)) << "the store waits for the disk";

    // Once the disk is there (its folder above the pair folder exists), the pair folder is made.
    makeFolders(dir / "usb/");
    halfDone("work-home", "home");
    EXPECT_EQ(readFile(home + "a.txt"), "a");
}

// The home folder's disk goes away while the receive copies (an automounter took it away): the
// rest of the files are not written into the empty mount point on the system disk, where the next
// cycle would take them for the user's and the disk's own files for removed ones.
TEST_F(E2EActingOnOldNews, ADiskThatGoesAwayDuringTheReceiveGetsNothingMoreWritten) {
    const std::string mountPoint = dir / "mnt/";
    makeFolders(mountPoint);
    auto disk = MountedMedium::tmpfsWithInodes(mountPoint, 10000);
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a tmpfs";
    home = mountPoint + "Документы/";
    makeFolders(home);
    task.pair(1).PathHome = ShortString<255>::fromText(home);
    task.DellConfirmat = true;
    save();
    writeFile(work + "a", "a as a file");
    firstRun();
    // `a` becomes a folder (its removal is asked about while the copies run); z/ comes after it.
    fs::remove(work + "a");
    writeFile(work + "a/x.txt", "x");
    writeFile(work + "z/b.txt", "b");
    writeFile(work + "z/c.txt", "c");
    halfDone("work-home", "work");

    ChildProcess child({TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "home", "--direction",
                        "work-home", "--delete", "ask"},
                       {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
    ASSERT_TRUE(child.waitForErr("Удалить: " + home + "a\n"));
    ASSERT_TRUE(mountShell("umount -l '" + mountPoint + "'"));
    child.write("y\n");
    const ChildResult r = child.finish();
    EXPECT_NE(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Папка недоступна (носитель отключён?): " + home), std::string::npos) << r.out << r.err;
    EXPECT_TRUE(fs::is_empty(mountPoint)) << "nothing is made in the empty mount point: " << r.out;
    EXPECT_TRUE(pending(Side::Work)) << "the store waits for the disk";
}

} // namespace
} // namespace tarvela::test
