// The stories of both computers changing things between runs, through tarvela-cli: every version
// the user made survives, files that never reached the other computer are never taken for removed,
// and a folder that reads empty (a disk that is not mounted) removes nothing anywhere.
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EAgreed = TwoComputersCli;

// Both computers edit x.txt between runs; whichever edit is later, both versions are kept on both
// computers after the round trip, the receiving computer's under a conflict name.
TEST_F(E2EAgreed, BothEditedKeepsBothVersionsWhicheverIsNewer) {
    for (const bool homeLater : {false, true}) {
        SCOPED_TRACE(homeLater ? "home's edit is the later one" : "work's edit is the later one");
        fs::remove_all(work);
        fs::remove_all(home);
        fs::remove_all(medium + "Task");
        makeFolders(work);
        makeFolders(home);
        writeFile(work + "x.txt", "original");
        writeFile(work + "other.txt", "other");
        firstRun();

        writeFile(home + "x.txt", "home's edit");
        setMtime(home + "x.txt", {homeLater ? 2000000100 : 2000000000, 0});
        writeFile(work + "x.txt", "work's edit");
        setMtime(work + "x.txt", {homeLater ? 2000000000 : 2000000100, 0});

        halfDone("work-home", "work");
        const ChildResult received = half("work-home", "home");
        ASSERT_EQ(received.exitCode, 0) << "a conflict is a notice, not a failure" << received.out << received.err;
        EXPECT_NE(received.out.find("Конфликт: "), std::string::npos) << received.out;
        EXPECT_NE(received.out.find("Конфликтов и оставленных файлов: 1\n"), std::string::npos)
            << "the run's summary counts it" << received.out;
        EXPECT_EQ(readFile(home + "x.txt"), "work's edit");
        const auto copies = conflictCopies(treeOf(home), "x");
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(readFile(home + copies[0]), "home's edit");
        EXPECT_TRUE(copies[0].ends_with(" домашний).txt")) << copies[0];

        // The kept version travels back; nothing else does.
        halfDone("home-work", "home");
        EXPECT_EQ(storedFiles(Side::Home), 1u);
        halfDone("home-work", "work");
        EXPECT_EQ(treeOf(work), treeOf(home));
        halfDone("work-home", "work");
        EXPECT_FALSE(pending(Side::Work)) << "after the round trip nothing differs";
    }
}

// A conflict on a name of 110 Cyrillic letters (224 bytes with ".txt"): fits the table and the
// folder as it is, but its conflict name is shortened to fit the folder's 255 bytes, so the
// receive sets home's version aside instead of failing on every cycle, and the pair settles.
TEST_F(E2EAgreed, AConflictOnALongCyrillicNameSettles) {
    std::string stem;
    for (int i = 0; i < 110; ++i)
        stem += "я";
    const std::string name = stem + ".txt";
    ASSERT_EQ(name.size(), 224u);
    writeFile(work + name, "original");
    firstRun();

    writeFile(home + name, "home's edit");
    setMtime(home + name, {2000000000, 0});
    writeFile(work + name, "work's edit");
    setMtime(work + name, {2000000100, 0});
    halfDone("work-home", "work");
    const ChildResult received = half("work-home", "home");
    ASSERT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(received.out.find("не удалось отложить"), std::string::npos) << received.out;
    EXPECT_EQ(readFile(home + name), "work's edit");
    std::vector<std::string> copies;
    for (const auto& e : fs::directory_iterator(home)) {
        if (e.path().filename().string().find(" (конфликт ") != std::string::npos)
            copies.push_back(e.path().filename().string());
    }
    ASSERT_EQ(copies.size(), 1u) << received.out;
    EXPECT_LE(copies[0].size(), 255u);
    EXPECT_TRUE(copies[0].starts_with("яяяяя")) << copies[0];
    EXPECT_TRUE(copies[0].ends_with(" домашний).txt")) << copies[0];
    EXPECT_EQ(readFile(home + copies[0]), "home's edit");

    // The kept version travels back, and then nothing differs.
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(treeOf(work), treeOf(home));
    halfDone("work-home", "work");
    EXPECT_FALSE(pending(Side::Work)) << "the pair has settled";
}

TEST_F(E2EAgreed, EditedHereAndRemovedThereIsKept) {
    writeFile(work + "x.txt", "original");
    writeFile(work + "y.txt", "y");
    firstRun();
    writeFile(home + "x.txt", "home's edit");
    setMtime(home + "x.txt", {2000000000, 0});
    fs::remove(work + "x.txt");
    halfDone("work-home", "work");
    const ChildResult received = half("work-home", "home", {"--delete", "yes"});
    ASSERT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(readFile(home + "x.txt"), "home's edit");
    EXPECT_NE(received.out.find("Конфликтов и оставленных файлов: 1\n"), std::string::npos) << received.out;
    EXPECT_NE(received.out.find("Удалён на другом компьютере, но изменён здесь, оставлен: " + home + "x.txt"),
              std::string::npos)
        << received.out;
    halfDone("home-work", "home");
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "x.txt"), "home's edit") << "it travels back";
}

// Work makes thesis.txt and sends; home sends back before it received; work receives. The file
// never reached home, so it is not taken for removed there, and the next round brings it home.
TEST_F(E2EAgreed, AFileThatNeverReachedTheOtherComputerIsNeverRemoved) {
    writeFile(work + "notes.txt", "notes");
    firstRun();
    writeFile(work + "thesis.txt", "three years of work");
    halfDone("work-home", "work");
    halfDone("home-work", "home", {"--delete", "yes"});
    halfDone("home-work", "work", {"--delete", "yes"});
    EXPECT_EQ(readFile(work + "thesis.txt"), "three years of work");
    halfDone("work-home", "work");
    halfDone("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(readFile(home + "thesis.txt"), "three years of work");
    EXPECT_EQ(readFile(work + "thesis.txt"), "three years of work");
}

// The home folder is a mount point whose disk is not mounted: it reads empty. Neither half takes
// that for "everything removed", on either computer.
TEST_F(E2EAgreed, AFolderReadingEmptyIsSkippedByBothHalves) {
    for (int i = 0; i < 12; ++i)
        writeFile(work + "f" + std::to_string(i) + ".txt", std::to_string(i));
    firstRun();
    const auto before = treeOf(work);
    fs::rename(home, dir / "home/unmounted");
    makeFolders(home);

    const ChildResult sent = half("home-work", "home", {"--delete", "yes"});
    EXPECT_NE(sent.out.find("Папка пуста, хотя в ней были файлы. Пара пропущена: " + home), std::string::npos)
        << sent.out;
    if (pending(Side::Home))
        halfDone("home-work", "work", {"--delete", "yes", "--allow-mass-removal"});
    EXPECT_EQ(treeOf(work), before) << "nothing removed at work";

    writeFile(work + "new.txt", "new");
    halfDone("work-home", "work");
    const ChildResult received = half("work-home", "home", {"--delete", "yes"});
    EXPECT_NE(received.out.find("Пара пропущена: " + home), std::string::npos) << received.out;
    EXPECT_TRUE(treeOf(home).empty()) << "nothing written into the empty mount point";

    // The disk is back: the next receive brings the new file and removes nothing.
    fs::remove_all(home);
    fs::rename(dir / "home/unmounted", home);
    halfDone("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(treeOf(home), treeOf(work));

    // A missing folder is not made anew on another disk either.
    fs::rename(home, dir / "home/unplugged");
    writeFile(work + "newer.txt", "newer");
    halfDone("work-home", "work");
    const ChildResult missing = half("work-home", "home");
    EXPECT_NE(missing.out.find("Папка отсутствует, хотя в ней были файлы. Пара пропущена: " + home), std::string::npos)
        << missing.out;
    EXPECT_FALSE(fs::exists(home));
}

TEST_F(E2EAgreed, RemovingMostFilesOfAPairNeedsAnExplicitOption) {
    for (int i = 0; i < 10; ++i)
        writeFile(work + "f" + std::to_string(i) + ".txt", std::to_string(i));
    firstRun();
    for (int i = 0; i < 8; ++i)
        fs::remove(work + "f" + std::to_string(i) + ".txt");
    halfDone("work-home", "work");

    const ChildResult refused = half("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(refused.exitCode, 4) << "the skipped removals are a red line" << refused.out << refused.err;
    EXPECT_NE(refused.out.find("Удаления не выполнены (слишком много файлов: 8 из 10), папка: " + home),
              std::string::npos)
        << refused.out;
    EXPECT_EQ(treeOf(home).size(), 10u);
    EXPECT_NE(refused.err.find("--allow-mass-removal"), std::string::npos) << "the way through is named" << refused.err;

    // Asked again at the next receive, and done with the option.
    halfDone("work-home", "work");
    halfDone("work-home", "home", {"--delete", "yes", "--allow-mass-removal"});
    EXPECT_EQ(treeOf(home), treeOf(work));
}

// The two computers in time zones nine hours apart: their tables hold local times, yet nothing
// travels again after a round trip, and an edit on either side wins over nothing older.
TEST_F(E2EAgreed, TwoTimeZonesCarryNothingTwice) {
    workEnv = {"TZ=UTC0"};
    homeEnv = {"TZ=JST-9"};
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.txt", "b");
    firstRun();
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 0u);
    if (pending(Side::Home))
        halfDone("home-work", "work");
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 0u);

    // Home edits a.txt with a clock that reads earlier than work's table time for it.
    writeFile(home + "a.txt", "home's edit");
    setMtime(home + "a.txt", {mtimeOf(work + "a.txt").seconds - 3600, 0});
    if (pending(Side::Work))
        halfDone("work-home", "home");
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 1u);
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "a.txt"), "home's edit");
}

// Work sends, then receives home's batch before home received work's: that receive rewrites work's
// table with new store names. Home still finds every stored file through the store's own list,
// and a file changed at work since it was stored is not taken for the stored one.
TEST_F(E2EAgreed, AStoreIsFoundAfterItsSendersTableWasRewritten) {
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.txt", "b");
    writeFile(work + "c.txt", "c");
    firstRun();
    writeFile(work + "a.txt", "a, second");
    setMtime(work + "a.txt", {2000000000, 0});
    writeFile(work + "b.txt", "b, second");
    setMtime(work + "b.txt", {2000000000, 0});
    halfDone("work-home", "work");
    writeFile(home + "c.txt", "c at home");
    setMtime(home + "c.txt", {2000000050, 0});
    halfDone("home-work", "home");
    writeFile(work + "b.txt", "b, third");
    setMtime(work + "b.txt", {2000000100, 0});
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "c.txt"), "c at home");

    const ChildResult received = half("work-home", "home");
    // The changed b.txt is not what the store carries: due with the next send, and no failure.
    ASSERT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(readFile(home + "a.txt"), "a, second");
    EXPECT_EQ(readFile(home + "b.txt"), "b") << "the stored b.txt is older than work's table says";
    EXPECT_NE(received.out.find("Не перенесено этим хранилищем (придёт со следующей передачей), файлов: 1"),
              std::string::npos)
        << received.out;
    EXPECT_EQ(received.out.find("Отсутствует файл: "), std::string::npos) << received.out;
    halfDone("work-home", "work");
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), treeOf(work));
}

// A batch that reached the medium only in part (a send stopped, out of space, a drive pulled): the
// files it lacks stay missing at home, and home's answer never takes them for removed at work.
TEST_F(E2EAgreed, APartialBatchIsReceivedAndAnsweredWithoutLosingAnything) {
    writeFile(work + "old.txt", "old");
    firstRun();
    for (int i = 0; i < 30; ++i)
        writeFile(work + "new/n" + std::to_string(i) + ".txt", std::to_string(i));
    halfDone("work-home", "work");
    std::size_t dropped = 0;
    for (const auto& e : fs::directory_iterator(storeFolder(pathTask(), Side::Work, 1))) {
        if (++dropped % 3 != 0)
            fs::remove(e.path()); // two of three never reached the medium
    }
    const ChildResult received = half("work-home", "home", {"--delete", "yes", "--allow-mass-removal"});
    ASSERT_EQ(received.exitCode, 4) << "the missing copies are red lines" << received.out << received.err;
    // Each names the user's file, never the store's random name.
    EXPECT_NE(received.out.find("Копия в хранилище пропала, файл не скопирован: " + home + "new/n"), std::string::npos)
        << received.out;
    EXPECT_LT(treeOf(home).size(), treeOf(work).size());

    halfDone("home-work", "home");
    if (pending(Side::Home))
        halfDone("home-work", "work", {"--delete", "yes", "--allow-mass-removal"});
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(fs::exists(work + "new/n" + std::to_string(i) + ".txt")) << i;

    halfDone("work-home", "work");
    halfDone("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(treeOf(home), treeOf(work));
}

} // namespace
} // namespace tarvela::test
