// The ways a half ends early through tarvela-cli, and what each leaves on the medium.
#include "base/messages.h"
#include "platform/disk_info.h"
#include "platform/run_lock.h"
#include "two_computers.h"

#include <csignal>
#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EEndings = TwoComputersCli;

constexpr const char* kNotEnoughSpace = "На диске не достаточно свободного места для выполнения операций";

// A sparse file whose size is more than the free space of the medium, without taking any of it.
// False when the file system cannot hold one that large.
bool makeHugeSparseFile(const std::string& path, const std::string& medium) {
    constexpr std::uintmax_t kSize = std::uintmax_t{1} << 40; // 1 TiB
    if (platform::availableBytes(medium) >= static_cast<std::int64_t>(kSize / 2))
        return false;
    writeFile(path, "");
    std::error_code ec;
    fs::resize_file(path, kSize, ec);
    return !ec;
}

TEST_F(E2EEndings, CtrlCStopsTheRunAndTheHalfEndsStopped) {
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.txt", "b");
    ChildProcess child({TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "work", "--direction", "work-home",
                        "--full-copy", "ask"},
                       {"NO_COLOR"});
    ASSERT_TRUE(child.waitForErr("[a/n/r] "));
    child.signal(SIGINT); // the stop button, pressed while the question is open
    child.write("a\n");
    const ChildResult r = child.finish();
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("stopped"), std::string::npos) << r.err;
    // Said as a stop, not as a completion or a failure; the half still ends with its end line.
    EXPECT_NE(r.out.find("Копирование файлов из " + work + " остановлено"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" завершено"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Ошибка"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("]  Конец операции: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(msg::kSendStopped), std::string::npos) << r.out;
    EXPECT_EQ(storedFiles(Side::Work), 0u) << "no file was copied after the stop";
    for (const auto& e : fs::recursive_directory_iterator(pathTask())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
    EXPECT_NE(platform::RunLock::tryAcquire(pathTask()), nullptr) << "the lock went with the process";
}

// A file larger than all the free space of the medium can go on no trip: it is named in red, and
// the rest of the full copy goes, on either computer.
TEST_F(E2EEndings, AFileLargerThanTheMediumIsNamedAndTheRestOfTheFullCopyGoes) {
    if (!makeHugeSparseFile(work + "huge.bin", medium))
        GTEST_SKIP() << "no room for the sparse test file";
    writeFile(work + "small.txt", "s");
    const ChildResult sent = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(sent.exitCode, 4) << sent.out << sent.err;
    EXPECT_NE(sent.out.find(std::string(msg::kFileLargerThanMedium) + work + "huge.bin"), std::string::npos)
        << sent.out;
    EXPECT_EQ(sent.err.find(kNotEnoughSpace), std::string::npos) << sent.err;
    EXPECT_EQ(sent.out.find(msg::kTripRestNextTime), std::string::npos) << "no later trip can take it";
    EXPECT_TRUE(fs::exists(tableFile(pathTask(), Side::Work, 1)));
    EXPECT_EQ(storedFiles(Side::Work), 1u) << "small.txt";

    ASSERT_TRUE(makeHugeSparseFile(home + "huge.bin", medium));
    const ChildResult homeSent = half("home-work", "home", {"--full-copy", "all"});
    EXPECT_EQ(homeSent.exitCode, 4) << homeSent.out << homeSent.err;
    EXPECT_NE(homeSent.out.find(std::string(msg::kFileLargerThanMedium) + home + "huge.bin"), std::string::npos)
        << homeSent.out;
    EXPECT_EQ(storedFiles(Side::Home), 0u);
}

TEST_F(E2EEndings, WrongPathNotEnabledBusyAndUnwritableTable) {
    writeFile(work + "a.txt", "a");

    const ChildResult notEnabled = half("home-work", "work");
    EXPECT_EQ(notEnabled.exitCode, 1);
    EXPECT_NE(notEnabled.err.find("home-work may not run in the work role now"), std::string::npos) << notEnabled.err;

    {
        makeFolders(pathTask());
        const auto held = platform::RunLock::tryAcquire(pathTask()); // another process's run
        ASSERT_NE(held, nullptr);
        const ChildResult busy = half("work-home", "work", {"--full-copy", "all"});
        EXPECT_EQ(busy.exitCode, 1);
        EXPECT_NE(busy.err.find("another run"), std::string::npos) << busy.err;
        EXPECT_EQ(busy.out, "");
    }

    halfDone("work-home", "work", {"--full-copy", "all"});
    makeFolders(tableFile(pathTask(), Side::Home, 1)); // a folder where the home table should go
    const ChildResult unwritable = half("work-home", "home");
    EXPECT_EQ(unwritable.exitCode, 3) << unwritable.out << unwritable.err;
    EXPECT_NE(unwritable.err.find("HTabFile_1.dat"), std::string::npos) << unwritable.err;
    EXPECT_TRUE(pending(Side::Work)) << "the store stays for another try";
    for (const auto& e : fs::directory_iterator(pathTask())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
    fs::remove_all(tableFile(pathTask(), Side::Home, 1));

    fs::remove_all(work);
    const ChildResult wrongPath = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(wrongPath.exitCode, 1);
    EXPECT_NE(wrongPath.err.find("В профиле ошибочный путь:"), std::string::npos) << wrongPath.err;
    // The folders are checked first: a send that cannot run (a missing folder, the wrong role on
    // the other computer) leaves the batch it would have replaced, so the trip is not wasted.
    EXPECT_TRUE(pending(Side::Work)) << "the carried batch stays";
    EXPECT_EQ(state("home"), "work-home\nhome-work\n");
}

} // namespace
} // namespace tarvela::test
