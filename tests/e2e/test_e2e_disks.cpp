// The medium on real file systems that fill up, count in clusters or go away, through the real
// tarvela-cli. Mounting needs root (and FUSE for exFAT); without them these tests skip.
#include "base/messages.h"
#include "mounted_disk.h"
#include "two_computers.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <unistd.h>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

class E2EDisks : public TwoComputersCli {
protected:
    // The profile's home folder becomes `folder` (made, and saved in the profile).
    void moveHomeTo(const std::string& folder) {
        home = folder;
        makeFolders(home);
        task.pair(1).PathHome = ShortString<255>::fromText(home);
        save();
    }
};

std::string numbered(int i) {
    return "f" + std::to_string(i) + ".txt";
}

TEST_F(E2EDisks, FreeSpaceCheckCountsWholeClustersOfTheMedium) {
    const auto mount = MountedMedium::exfat(medium, dir / "exfat.img", 8);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    save();
    // 8 MiB with 32 KiB clusters hold about 190 files, however small: 250 files of 100 bytes (25 KB
    // in all) do not fit. The send stores what fits and leaves the rest for the next trip, without
    // a single failed copy.
    for (int i = 0; i < 250; ++i)
        writeFile(work + numbered(i), std::string(100, 'x'));
    const ChildResult tooMany = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(tooMany.exitCode, 0) << tooMany.out << tooMany.err;
    EXPECT_NE(tooMany.out.find(msg::kTripRestNextTime), std::string::npos) << tooMany.out;
    EXPECT_EQ(tooMany.out.find(msg::kDiskFull), std::string::npos) << tooMany.out;
    EXPECT_GT(storedFiles(Side::Work), 150u);
    EXPECT_LT(storedFiles(Side::Work), 200u) << "counted in clusters, not in bytes";

    for (int i = 120; i < 250; ++i)
        fs::remove(work + numbered(i));
    const ChildResult fits = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(fits.exitCode, 0) << fits.out << fits.err;
    EXPECT_EQ(storedFiles(Side::Work), 120u);
}

TEST_F(E2EDisks, MediumThatTellsNoSizeIsUnknownNotFull) {
    const auto mount = MountedMedium::fat32(medium, dir / "fat32.img", 40);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, fusefat and dosfstools";
    save();
    writeFile(work + "a.txt", "a");
    const ChildResult r = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(std::string(msg::kFreeSpaceUnknown) + pathTask()), std::string::npos) << r.out;
    EXPECT_EQ(storedFiles(Side::Work), 1u);
}

TEST_F(E2EDisks, FullMediumStopsTheSendWithOneLine) {
    const auto mount = MountedMedium::tmpfsWithInodes(medium, 40);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root to mount tmpfs";
    save();
    // Plenty of bytes, but room for only a few dozen files.
    for (int i = 0; i < 200; ++i)
        writeFile(work + numbered(i), "x");
    const ChildResult r = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(occurrences(r.out, msg::kDiskFull.data()), 1u) << r.out;
    EXPECT_EQ(occurrences(r.out, msg::kFileCopyError.data()), 0u) << r.out;
    EXPECT_EQ(r.out.find("]  Конец операции: "), std::string::npos) << "the half ends early";

    // What the send left is no batch the other computer takes for complete: its receive names no
    // missing file and fails nothing; the files wait for a send that carries them. (The home
    // computer needs room for its own table.)
    ASSERT_TRUE(mountShell("mount -o remount,nr_inodes=1000 '" + medium + "'"));
    const ChildResult received = half("work-home", "home");
    EXPECT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(occurrences(received.out, msg::kFileMissing.data()), 0u) << received.out;
    EXPECT_EQ(occurrences(received.out, msg::kStoredCopyMissing.data()), 0u) << received.out;
    EXPECT_NE(received.out.find(msg::kNotCarriedByStore.data()), std::string::npos) << received.out;
}

TEST_F(E2EDisks, ReadOnlyMediumIsNamedAsSuch) {
    const auto mount = MountedMedium::tmpfsWithInodes(medium, 1000);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root to mount tmpfs";
    save();
    writeFile(work + "a.txt", "a");
    makeFolders(pathTask());
    ASSERT_TRUE(mountShell("mount -o remount,ro '" + medium + "'"));
    const ChildResult r = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_NE(r.err.find(std::string(msg::kReadOnlyMedium) + pathTask()), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(".tarvela-run.lock"), std::string::npos) << "no internal file is named";
}

// Starts a half that copies many files, waits until `copied` says it is copying, takes the medium's
// store away as a pulled drive would, and lets the half go on.
ChildResult pullMediumDuring(const std::string& pathTask, const std::vector<std::string>& argv,
                             const std::string& answer, const std::function<bool()>& copying, bool& tooLate) {
    ChildProcess child(argv, {"NO_COLOR"});
    if (!answer.empty()) {
        EXPECT_TRUE(child.waitForErr("[a/n/r] "));
        child.write(answer);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!copying() && std::chrono::steady_clock::now() < deadline) {
        child.readAvailable();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    child.signal(SIGSTOP);
    std::error_code ec;
    fs::remove_all(pathTask, ec);
    child.signal(SIGCONT);
    const ChildResult r = child.finish();
    tooLate = r.out.find("]  Конец операции: ") != std::string::npos;
    return r;
}

TEST_F(E2EDisks, PulledMediumStopsTheSendWithOneLine) {
    for (int i = 0; i < 2000; ++i)
        writeFile(work + numbered(i), "x");
    bool tooLate = false;
    const ChildResult r = pullMediumDuring(
        pathTask(),
        {TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "work", "--direction", "work-home", "--full-copy",
         "ask"},
        "a\n",
        [&] {
            std::error_code ec;
            return !fs::is_empty(storeFolder(pathTask(), Side::Work, 1), ec) && !ec;
        },
        tooLate);
    if (tooLate)
        GTEST_SKIP() << "the copies were done before the medium could be pulled";
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(occurrences(r.out, msg::kFolderUnreachable.data()), 1u) << r.out;
    EXPECT_EQ(occurrences(r.out, msg::kFileCopyError.data()), 0u);
}

TEST_F(E2EDisks, PulledMediumEndsTheReceiveWithOneLineAndExit3) {
    writeFile(work + "first.txt", "1");
    firstRun();
    for (int i = 0; i < 2000; ++i)
        writeFile(work + numbered(i), "x");
    halfDone("work-home", "work");
    bool tooLate = false;
    const ChildResult r = pullMediumDuring(
        pathTask(), {TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "home", "--direction", "work-home"},
        "", [&] { return fs::exists(home + numbered(0)) || fs::exists(home + numbered(1999)); }, tooLate);
    if (tooLate)
        GTEST_SKIP() << "the copies were done before the medium could be pulled";
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_EQ(occurrences(r.out, msg::kFolderUnreachable.data()), 1u) << r.out;
    EXPECT_EQ(occurrences(r.out, msg::kFileMissing.data()), 0u) << "not thousands of missing files";
}

// The home folder on exFAT (whole seconds or 2 s times, letter case folded): after the first
// synchronisation nothing travels again either way, and of two work names that are one name there
// only one is applied, the other refused with a red line, never written over it.
TEST_F(E2EDisks, AHomeFolderOnExfatCarriesNothingTwiceAndKeepsCaseTwinsApart) {
    const std::string mountPoint = dir / "exhome";
    makeFolders(mountPoint);
    const auto mount = MountedMedium::exfat(mountPoint, dir / "exhome.img", 16);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    moveHomeTo(mountPoint + "/Документы/");
    for (int i = 0; i < 5; ++i) {
        writeFile(work + numbered(i), std::string(static_cast<std::size_t>(10 + i), 'x'));
        setMtime(work + numbered(i), {1700000001, 123456789}); // odd seconds, fractions
    }
    writeFile(work + "Twin.txt", "upper");
    writeFile(work + "twin.txt", "lower");
    halfDone("work-home", "work", {"--full-copy", "all"});
    const ChildResult first = half("work-home", "home");
    EXPECT_EQ(first.exitCode, 4) << first.out << first.err;
    EXPECT_EQ(occurrences(first.out, std::string(msg::kCaseTwin)), 1u) << first.out;
    EXPECT_EQ(treeOf(home).size(), 6u) << "one of the twins";

    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 0u) << "nothing travels back from exFAT";
    if (pending(Side::Home)) {
        const ChildResult back = half("home-work", "work", {"--delete", "yes"});
        EXPECT_TRUE(fs::exists(work + "Twin.txt") && fs::exists(work + "twin.txt"))
            << back.out << ::testing::PrintToString(treeOf(work)) << ::testing::PrintToString(treeOf(home));
    }
    const ChildResult again = half("work-home", "work");
    EXPECT_LE(storedFiles(Side::Work), 1u) << "at most the twin that exFAT cannot hold" << again.out;
}

// The home folder on FAT32 (times in steps of two seconds, letter case folded): after the first
// synchronisation nothing travels again either way, also after a change on one side.
TEST_F(E2EDisks, AHomeFolderOnFat32CarriesNothingTwice) {
    const std::string mountPoint = dir / "fathome";
    makeFolders(mountPoint);
    const auto mount = MountedMedium::fat32(mountPoint, dir / "fathome.img", 40);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, fusefat and dosfstools";
    moveHomeTo(mountPoint + "/docs/"); // (fusefat makes no folder of a name outside ASCII)
    for (int i = 0; i < 5; ++i) {
        writeFile(work + "sub/" + numbered(i), std::string(static_cast<std::size_t>(10 + i), 'x'));
        setMtime(work + "sub/" + numbered(i), {1700000001 + i, 123456789}); // odd and even seconds, fractions
    }
    halfDone("work-home", "work", {"--full-copy", "all"});
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), treeOf(work));

    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 0u) << "nothing travels back from FAT32";
    if (pending(Side::Home))
        halfDone("home-work", "work");
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 0u) << "nothing travels to FAT32 again";

    // One file changed at home: only that one travels, and afterwards nothing.
    if (pending(Side::Work))
        halfDone("work-home", "home");
    writeFile(home + "sub/" + numbered(2), "changed at home");
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 1u);
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "sub/" + numbered(2)), "changed at home");
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 0u) << "the file that came from FAT32 does not go back";
    EXPECT_EQ(treeOf(home), treeOf(work));
}

// A name renamed in letter case only at work is renamed so on the exFAT home folder too (a folder
// and a file in it), and nothing travels back afterwards.
TEST_F(E2EDisks, ANameRenamedInCaseOnlyReachesAnExfatHomeFolder) {
    const std::string mountPoint = dir / "exhome";
    makeFolders(mountPoint);
    const auto mount = MountedMedium::exfat(mountPoint, dir / "exhome.img", 16);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    moveHomeTo(mountPoint + "/docs/");
    writeFile(work + "photos/one.jpg", "1");
    writeFile(work + "photos/two.jpg", "2");
    firstRun();
    fs::rename(work + "photos", work + "Photos");
    fs::rename(work + "Photos/one.jpg", work + "Photos/ONE.jpg");
    halfDone("work-home", "work");
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), treeOf(work));

    const ChildResult back = half("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 0u) << "nothing travels back" << back.out;
    if (pending(Side::Home))
        halfDone("home-work", "work", {"--delete", "yes"});
    EXPECT_EQ(treeOf(work), treeOf(home));
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 0u) << "nor again to home";
}

// A file over 4 GiB onto FAT32 through its FUSE driver, which refuses the write past the limit
// with a mere "permission denied": the line says that FAT32 cannot hold the file, before a byte is
// written. The image has room for the file's bytes, so nothing but the limit stands in the way.
TEST_F(E2EDisks, AFileOverFourGibibytesOntoFat32ThroughFuseIsNamedAsSuch) {
    const auto mount = MountedMedium::fat32(medium, dir / "fat32.img", 5 * 1024);
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, fusefat and dosfstools";
    save();
    writeFile(work + "small.txt", "small");
    const std::string huge = work + "huge.bin";
    writeFile(huge, "");
    std::error_code ec;
    fs::resize_file(huge, (std::uintmax_t{1} << 32) + 1, ec); // sparse: no disk space taken
    if (ec)
        GTEST_SKIP() << "no sparse file of 4 GiB here";
    const auto started = std::chrono::steady_clock::now();
    const ChildResult r = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(r.exitCode, 4) << r.out << r.err;
    EXPECT_NE(r.out.find(std::string(msg::kFileTooBigForFileSystem) + huge + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(msg::kFileAccessError), std::string::npos) << r.out;
    EXPECT_EQ(storedFiles(Side::Work), 1u) << "the small file is stored, the huge one not at all";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60))
        << "refused before its gigabytes were written";
}

// The FUSE exFAT driver still finds a folder by a name it was just removed under in another letter
// case. A receive that must make that folder again makes it instead of trusting the lookup.
// (The driver's kernel-side caching is off, so that the answer comes from the driver itself.)
TEST_F(E2EDisks, AFolderRemovedUnderAnotherCaseOnExfatIsMadeAgain) {
    const std::string mountPoint = dir / "exhome";
    makeFolders(mountPoint);
    const auto mount =
        MountedMedium::exfat(mountPoint, dir / "exhome.img", 16, "entry_timeout=0,negative_timeout=0,attr_timeout=0");
    if (!mount.mounted())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    moveHomeTo(mountPoint + "/docs/");
    writeFile(work + "Dir/Sub/a.txt", "a");
    writeFile(work + "other.txt", "o");
    firstRun();

    // The user removes the folder under another spelling; its old spelling still answers a lookup.
    ASSERT_TRUE(fs::is_directory(home + "Dir/Sub"));
    fs::remove_all(home + "DIR");
    if (!fs::exists(home + "Dir/Sub"))
        GTEST_SKIP() << "this exFAT driver forgets a removed folder at once";

    writeFile(work + "Dir/Sub/a.txt", "a, edited at work");
    setMtime(work + "Dir/Sub/a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    const ChildResult received = half("work-home", "home", {"--delete", "no"});
    EXPECT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(readFile(home + "Dir/Sub/a.txt"), "a, edited at work") << received.out;
}

} // namespace
} // namespace tarvela::test
