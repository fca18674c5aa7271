// Faults that would lose the user's files, each pinned through tarvela-cli: a device that loses
// the copies, a stopped receive, exclusions with non-ASCII letters, and what a receive does with
// entries the halves could not carry faithfully.
#include "base/messages.h"
#include "log/run_log.h"
#include "two_computers.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2ELostFiles = TwoComputersCli;

std::string patterned(std::size_t size, char seed) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + static_cast<char>(i * 7 % 251));
    return s;
}

// A small ext4 image in a tmpfs too small for it: writes to the image beyond the tmpfs's room are
// lost by the loop device, as by a failing drive. Needs root and loop devices.
class LossyDisk {
public:
    explicit LossyDisk(const std::string& base) : base_(base) {
        if (::getuid() != 0) return;
        makeFolders(base_ + "tmpfs");
        if (!sh("mount -t tmpfs -o size=4m tmpfs '" + base_ + "tmpfs'")) return;
        tmpfsMounted_ = true;
        makeFolders(mountPoint());
        mounted_ = sh("truncate -s 64M '" + base_ + "tmpfs/img' && mkfs.ext4 -q -E nodiscard '" + base_ +
                      "tmpfs/img' && mount -o loop '" + base_ + "tmpfs/img' '" + mountPoint() + "'");
    }
    ~LossyDisk() {
        if (mounted_) sh("umount '" + mountPoint() + "'");
        if (tmpfsMounted_) sh("umount '" + base_ + "tmpfs'");
    }
    LossyDisk(const LossyDisk&) = delete;
    LossyDisk& operator=(const LossyDisk&) = delete;

    bool ready() const { return mounted_; }
    std::string mountPoint() const { return base_ + "lossy/"; }

private:
    static bool sh(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

    std::string base_;
    bool tmpfsMounted_ = false;
    bool mounted_ = false;
};

TEST_F(E2ELostFiles, AFailedFlushFailsTheReceiveAndKeepsTheStore) {
    LossyDisk disk(dir.path());
    if (!disk.ready()) GTEST_SKIP() << "needs root, tmpfs and a loop device";
    home = disk.mountPoint() + "Документы/";
    task.pair(1).PathHome = ShortString<255>::fromText(home);
    save();
    for (char c = 'a'; c < 'd'; ++c) writeFile(work + c + ".bin", patterned(3u << 20, c)); // 9 MiB > 4 MiB
    halfDone("work-home", "work", {"--full-copy", "all"});

    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("Ошибка записи на диск, данные не сохранены: " + home), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("]  Конец операции: "), std::string::npos) << r.out;
    EXPECT_TRUE(pending(Side::Work)) << "the store holds the only good copy of the batch";
    EXPECT_EQ(storedFiles(Side::Work), 3u);
}

TEST_F(E2ELostFiles, AStoppedReceiveKeepsTheStoreAndARepeatAppliesTheRest) {
    task.DellConfirmat = true;
    save();
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) writeFile(work + name, name);
    firstRun();
    fs::remove(work + "a.txt");
    fs::remove(work + "b.txt");
    writeFile(work + "new.txt", "new");
    halfDone("work-home", "work");

    ChildProcess child({TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "home", "--direction",
                        "work-home", "--delete", "ask"},
                       {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
    ASSERT_TRUE(child.waitForErr(" > ")); // the first deletion question: new.txt is in place by now
    child.signal(SIGINT);
    child.write("n\n");
    const ChildResult stopped = child.finish();
    EXPECT_EQ(stopped.exitCode, 1) << stopped.out << stopped.err;
    EXPECT_NE(stopped.err.find("stopped"), std::string::npos) << stopped.err;
    EXPECT_TRUE(fs::exists(home + "b.txt")) << "nothing is removed after the stop" << stopped.out << stopped.err;
    EXPECT_TRUE(pending(Side::Work)) << "a stopped receive keeps the store";
    EXPECT_EQ(stopped.out.find("Копирование файлов остановлено"), std::string::npos)
        << "the copies were all made before the stop" << stopped.out;
    EXPECT_NE(stopped.out.find(msg::kReceiveStopped), std::string::npos) << "and says so" << stopped.out;

    halfDone("work-home", "home", {"--delete", "yes"});
    EXPECT_FALSE(fs::exists(home + "b.txt"));
    EXPECT_FALSE(pending(Side::Work));
    // The answer "Нет" kept a.txt: from then on it counts as made here and travels back.
    EXPECT_TRUE(fs::exists(home + "a.txt"));
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(treeOf(home), treeOf(work));
}

TEST_F(E2ELostFiles, ExclusionsCountCharactersNotBytes) {
    work = dir / "work/жена/";
    task.pair(1).PathWork = ShortString<255>::fromText(work);
    save();
    for (const char* name : {"a.txt", "sub/b.pas", "sub/c.txt"}) writeFile(work + name, name);
    firstRun();
    const auto before = treeOf(home);

    // One character excludes nothing, however many bytes it takes: it must not empty the table of a
    // folder whose path holds it.
    task.LineExcept = ShortString<255>::fromText("ж");
    save();
    writeFile(work + "d.txt", "d");
    halfDone("work-home", "work");
    halfDone("work-home", "home", {"--delete", "yes"});
    auto expected = before;
    expected["d.txt"] = "d";
    EXPECT_EQ(treeOf(home), expected);
}

TEST_F(E2ELostFiles, APairFolderWithoutItsSeparatorIsStillTheFolder) {
    // Made by hand or edited elsewhere: neither folder text ends with its separator.
    task.pair(1).PathWork = ShortString<255>::fromText(work.substr(0, work.size() - 1));
    task.pair(1).PathHome = ShortString<255>::fromText(home.substr(0, home.size() - 1));
    save();
    writeFile(work + "a.txt", "a");
    writeFile(work + "sub/b.txt", "b");
    firstRun();
    EXPECT_EQ(treeOf(home), treeOf(work));
    EXPECT_EQ(treeOf(dir / "home"), (std::map<std::string, std::string>{{"Документы/", ""},
                                                                      {"Документы/a.txt", "a"},
                                                                      {"Документы/sub/", ""},
                                                                      {"Документы/sub/b.txt", "b"}}))
        << "nothing is written beside the pair folder";
}

TEST_F(E2ELostFiles, ANameTheTableCannotHoldStaysOutAndNeverReplacesAnother) {
    writeFile(work + "a?.txt", "the real one");
    writeFile(work + "a☃.txt", "snowman");
    writeFile(work + "папка☃/x.txt", "x");
    writeFile(work + "папка☃/y.txt", "y");
    const ChildResult sent = half("work-home", "work", {"--full-copy", "all"});
    ASSERT_EQ(sent.exitCode, 4) << "names left out are failures" << sent.out << sent.err;
    const std::string line = "Имя не может быть записано в таблицу, пропущено: ";
    EXPECT_EQ(occurrences(sent.out, line), 2u) << sent.out;
    EXPECT_NE(sent.out.find(line + work + "a☃.txt"), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find(line + work + "папка☃\n"), std::string::npos) << sent.out;
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), (std::map<std::string, std::string>{{"a?.txt", "the real one"}}));
}

TEST_F(E2ELostFiles, ADestinationPathTooLongForTheTableIsNotCopied) {
    home = dir / "home/" + std::string(200, 'h') + "/";
    task.pair(1).PathHome = ShortString<255>::fromText(home);
    save();
    const std::string longName = "sub/" + std::string(60, 'n') + ".txt"; // fits at work, not at home
    writeFile(work + "a.txt", "a");
    writeFile(work + longName, "long");
    halfDone("work-home", "work", {"--full-copy", "all"});
    const ChildResult received = half("work-home", "home");
    EXPECT_NE(received.out.find("Ошибка! Уменьшите длину пути\\имени файла: " + home + longName), std::string::npos)
        << received.out;
    EXPECT_EQ(treeOf(home), (std::map<std::string, std::string>{{"a.txt", "a"}, {"sub/", ""}}))
        << "a copy the table could not list would look deleted to the work computer";
}

TEST_F(E2ELostFiles, AStoredCopyCutShortIsNotInstalledAndTravelsAgain) {
    writeFile(work + "a.txt", "version 1");
    firstRun();
    writeFile(work + "a.txt", "version 2, longer");
    setMtime(work + "a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    ASSERT_EQ(storedFiles(Side::Work), 1u);
    std::string stored;
    for (const auto& e : fs::directory_iterator(storeFolder(pathTask(), Side::Work, 1))) stored = e.path().string();
    fs::resize_file(stored, 4); // the drive pulled while the copy was written

    const ChildResult r = half("work-home", "home");
    EXPECT_NE(r.out.find("Копия в хранилище не совпадает по размеру с таблицей, файл не скопирован: " + home + "a.txt"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(readFile(home + "a.txt"), "version 1");

    halfDone("work-home", "work");
    halfDone("work-home", "home");
    EXPECT_EQ(readFile(home + "a.txt"), "version 2, longer");
}

TEST_F(E2ELostFiles, ALogThatCannotBeExtendedIsKeptBesideTheNewOne) {
    task.SaveLog = true;
    save();
    writeFile(work + "a.txt", "a");
    const std::string log = logFile(pathTask(), task.Id.text());
    const std::string old = "{\\rtf1 earlier runs, and an unbalanced { brace";
    writeFile(log, old);
    halfDone("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(readFile(pathTask() + "/" + task.Id.text() + "-1.log"), old) << "earlier runs are never discarded";
    EXPECT_TRUE(readFile(log).ends_with(RunLog::kTail));
}

// A medium that fills up: the half fails writing its table and the log cannot be created either.
TEST_F(E2ELostFiles, WhenAHalfAndItsLogFailBothFailuresAreReported) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to mount a small tmpfs";
    medium = dir / "small-medium/";
    makeFolders(medium);
    if (std::system(("mount -t tmpfs -o size=256k tmpfs '" + medium + "' >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs";
    struct Unmount {
        std::string at;
        ~Unmount() { (void)std::system(("umount '" + at + "' >/dev/null 2>&1").c_str()); }
    } unmount{medium};
    save();
    writeFile(work + "a.txt", "a");
    halfDone("work-home", "work", {"--full-copy", "all"});
    task.SaveLog = true; // the log starts with the receive, so the merge must create its file
    save();
    try {
        writeFile(medium + "filler", std::string(1 << 20, 'f')); // more than the medium holds
    } catch (const std::runtime_error&) {
        // full, as intended
    }

    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_NE(r.err.find("HTabFile_1.dat"), std::string::npos) << "the half's own failure: " << r.err;
    EXPECT_NE(r.err.find(task.Id.text() + ".log"), std::string::npos) << "and the log's: " << r.err;
    EXPECT_TRUE(pending(Side::Work));
}

} // namespace
} // namespace tarvela::test
