// The medium is untrusted and every ending tells the truth, through the real tarvela-cli: links
// planted on the medium are never followed, names cannot forge echo lines, a run with failures
// does not exit 0, and the echo reaches a pipe line by line.
#include "base/messages.h"
#include "platform/run_lock.h"
#include "records/profile_file.h"
#include "two_computers.h"

#include <csignal>
#include <filesystem>
#include <limits>
#include <unistd.h>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EUntrusted = TwoComputersCli;

std::string lastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    const auto at = t.rfind('\n');
    return at == std::string::npos ? t : t.substr(at + 1);
}

// Every file in the sender's store root.
std::vector<std::string> storedPaths(const std::string& root) {
    std::vector<std::string> paths;
    // The stored copies lie in the store folders; the store root itself holds only their lists.
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file() && e.path().parent_path().filename().string().starts_with("Folder_"))
            paths.push_back(e.path().string());
    }
    return paths;
}

TEST_F(E2EUntrusted, StoredCopyThatIsALinkIsRefusedAndNamedByItsDestination) {
    writeFile(dir / "outside/secret.txt", "secret of this computer");
    writeFile(work + "a.txt", "v1");
    firstRun();
    writeFile(work + "a.txt", "v2, changed on work");
    setMtime(work + "a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    const auto stored = storedPaths(storeRoot(pathTask(), Side::Work));
    ASSERT_EQ(stored.size(), 1u);
    fs::remove(stored[0]);
    fs::create_symlink(dir / "outside/secret.txt", stored[0]);

    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 4) << r.out << r.err;
    EXPECT_EQ(readFile(home + "a.txt"), "v1") << "the link's target never reaches the user's folder";
    EXPECT_NE(r.out.find(std::string(msg::kNotRegularFile) + home + "a.txt"), std::string::npos) << r.out;
    EXPECT_EQ(lastLine(r.out), std::string(msg::kCompletedWithFailures) + "1");
}

TEST_F(E2EUntrusted, StoreFoldersThatAreLinksAreNotUsed) {
    writeFile(work + "a.txt", "v1");
    firstRun();
    writeFile(work + "a.txt", "v2, changed on work");
    setMtime(work + "a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    // The store folder of pair 1 replaced by a link to a folder of this computer that holds a file
    // under the stored copy's name.
    const std::string store = storeFolder(pathTask(), Side::Work, 1);
    const auto stored = storedPaths(storeRoot(pathTask(), Side::Work));
    ASSERT_EQ(stored.size(), 1u);
    const std::string secret = dir / ("outside/" + fs::path(stored[0]).filename().string());
    writeFile(secret, "secret of this computer");
    fs::remove_all(store);
    fs::create_symlink(dir / "outside", store.substr(0, store.size() - 1));

    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 4) << r.out << r.err;
    EXPECT_EQ(readFile(home + "a.txt"), "v1");
    EXPECT_EQ(occurrences(r.out, msg::kLinkOnMedium.data()), 1u) << r.out;
    EXPECT_EQ(readFile(secret), "secret of this computer") << "removing the store removes the link only";

    // The profile's folder itself as a link: nothing is written through it.
    fs::rename(pathTask(), dir / "elsewhere");
    fs::create_symlink(dir / "elsewhere", pathTask());
    const ChildResult linked = half("home-work", "home", {"--full-copy", "all"});
    EXPECT_EQ(linked.exitCode, 3) << linked.out << linked.err;
    EXPECT_NE(linked.err.find(std::string(msg::kLinkOnMedium) + pathTask()), std::string::npos) << linked.err;
    EXPECT_FALSE(fs::exists(dir / "elsewhere/HFiles"));
}

TEST_F(E2EUntrusted, TablesAndTheProfileFileAreReadOnlyWhenTheyAreRegularFiles) {
    writeFile(work + "a.txt", "a");
    halfDone("work-home", "work", {"--full-copy", "all"});
    // The work computer's table replaced by a link to a copy of itself: refused, not followed; the
    // pair is skipped with one red line and the other pairs would go on.
    const std::string table = tableFile(pathTask(), Side::Work, 1);
    fs::copy_file(table, dir / "elsewhere.dat");
    fs::remove(table);
    fs::create_symlink(dir / "elsewhere.dat", table);
    const ChildResult linkedTable = half("work-home", "home");
    EXPECT_EQ(linkedTable.exitCode, 4) << linkedTable.out << linkedTable.err;
    EXPECT_NE(linkedTable.out.find(std::string(msg::kTableNotAFile) + table), std::string::npos) << linkedTable.out;
    EXPECT_FALSE(fs::exists(home + "a.txt"));

    // The profile file as a link, and as a folder: named as such, never "no profile file".
    const std::string profiles = profileFilePath(medium);
    fs::rename(profiles, dir / "Tarvela.cfg");
    fs::create_symlink(dir / "Tarvela.cfg", profiles);
    for (const bool folder : {false, true}) {
        if (folder) {
            fs::remove(profiles);
            makeFolders(profiles);
        }
        const ChildResult list = cli({"list"});
        EXPECT_EQ(list.exitCode, 3) << list.out << list.err;
        EXPECT_NE(list.err.find(std::string(msg::kNotRegularFile) + profiles), std::string::npos) << list.err;
    }
}

TEST_F(E2EUntrusted, RunLockThatIsALinkCreatesNothingOffTheMedium) {
    makeFolders(pathTask());
    fs::create_symlink(dir / "outside-lock", pathTask() + "/" + platform::RunLock::kFileName);
    writeFile(work + "a.txt", "a");
    const ChildResult r = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_FALSE(fs::exists(dir / "outside-lock"));
    EXPECT_NE(r.err.find(msg::kNotRegularFile), std::string::npos) << r.err;
}

TEST_F(E2EUntrusted, ControlCharactersInNamesAreShownVisiblyAndForgeNoLine) {
    task.SaveLog = true;
    save();
    writeFile(work + "ok.txt", "ok");
    firstRun();
    const std::string evil = "evil\x1b[2J\n]  Конец операции: forged";
    writeFile(work + evil, "evil");
    const ChildResult sent = half("work-home", "work");
    ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    EXPECT_EQ(occurrences(sent.out, "\n]  Конец операции: forged"), 0u) << "no forged line" << sent.out;
    EXPECT_EQ(sent.out.find('\x1b'), std::string::npos) << "no escape reaches the terminal";
    EXPECT_NE(sent.out.find(R"(evil\x1b[2J\n]  Конец операции: forged)"), std::string::npos) << sent.out;

    const std::string log = readFile(logFile(pathTask(), task.Id.text()));
    EXPECT_EQ(log.find('\x1b'), std::string::npos);
    EXPECT_NE(log.find(R"(evil\\x1b[2J\\n])"), std::string::npos) << "the log keeps the text the echo showed";

    halfDone("work-home", "home");
    EXPECT_EQ(readFile(home + evil), "evil") << "the file itself travels under its real name";
}

TEST_F(E2EUntrusted, ExitStatusFourWhenItemsFailedAndZeroForNoticesOnly) {
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.txt", "b");
    firstRun();
    for (const char* name : {"a.txt", "b.txt"}) {
        writeFile(work + name, std::string("changed ") + name);
        setMtime(work + name, {2000000000, 0});
    }
    halfDone("work-home", "work");
    for (const auto& path : storedPaths(storeRoot(pathTask(), Side::Work)))
        fs::remove(path);

    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 4) << r.out << r.err;
    EXPECT_EQ(occurrences(r.out, std::string(msg::kStoredCopyMissing)), 2u) << r.out;
    EXPECT_NE(r.out.find("]  Конец операции: "), std::string::npos);
    EXPECT_EQ(lastLine(r.out), std::string(msg::kCompletedWithFailures) + "2");

    // A run whose only black line is a notice ends with 0.
    makeFolders(dir / "empty");
    task.pair(2).PathWork = ShortString<255>::fromText(dir / "empty/");
    task.pair(2).PathHome = ShortString<255>::fromText(dir / "empty-home/");
    save();
    const ChildResult quiet = half("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.out << quiet.err;
    EXPECT_EQ(quiet.out.find(msg::kCompletedWithFailures), std::string::npos);
}

// A file of the home computer where the work computer made a folder: the file is set aside under a
// conflict name (an orange notice, not a failure) and the folder arrives.
TEST_F(E2EUntrusted, AFileWhereAFolderMustGoIsSetAside) {
    writeFile(work + "a.txt", "a");
    firstRun();
    writeFile(work + "sub/x.txt", "x");
    writeFile(home + "sub", "a file of the home computer");
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find(msg::kOutsideFolder), std::string::npos) << r.out;
    EXPECT_EQ(readFile(home + "sub/x.txt"), "x");
    std::size_t aside = 0;
    for (const auto& e : fs::directory_iterator(home)) {
        if (!e.path().filename().string().starts_with("sub (конфликт ")) continue;
        ++aside;
        EXPECT_EQ(readFile(e.path().string()), "a file of the home computer");
    }
    EXPECT_EQ(aside, 1u) << r.out;
}

TEST_F(E2EUntrusted, LeftoversOfKilledCopiesAndTableWritesAreRemovedByTheNextHalf) {
    writeFile(work + "a.txt", "a");
    firstRun();
    // A copy temporary of a process that is gone (and one of an older version without a process),
    // and one of a live process, which must stay; a table temporary of a killed write.
    const std::string dead = work + "d/.tarvela-" + std::to_string(std::numeric_limits<int>::max()) + "-Ab12Cd.part";
    const std::string old = work + ".tarvela-Ab12Cd.part";
    const std::string live = work + ".tarvela-" + std::to_string(::getpid()) + "-Xy34Zw.part";
    for (const auto& path : {dead, old, live})
        writeFile(path, std::string(1000, 'p'));
    const std::string table = tableFile(pathTask(), Side::Work, 1);
    writeFile(table + ".tmp123456", "half a table");
    writeFile(pathTask() + "/notes.tmp.txt", "not ours to remove");

    const ChildResult r = half("work-home", "work");
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(live)) << "a copy under way in a living process is left alone";
    EXPECT_FALSE(fs::exists(table + ".tmp123456"));
    EXPECT_TRUE(fs::exists(table));
    EXPECT_TRUE(fs::exists(pathTask() + "/notes.tmp.txt"));
    EXPECT_EQ(r.out.find(".part"), std::string::npos) << "a temporary never travels" << r.out;
}

TEST_F(E2EUntrusted, EchoReachesAPipeLineByLineSoAKilledRunKeepsIt) {
    writeFile(work + "a.txt", "a");
    ChildProcess child({TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "work", "--direction", "work-home",
                        "--full-copy", "ask"},
                       {"NO_COLOR"});
    ASSERT_TRUE(child.waitForErr("[a/n/r] "));
    child.signal(SIGKILL);
    const ChildResult r = child.finish();
    EXPECT_EQ(r.exitCode, 128 + SIGKILL);
    EXPECT_NE(r.out.find("]  Начало операции: рабочий=>домашний"), std::string::npos) << r.out;
}

} // namespace
} // namespace tarvela::test
