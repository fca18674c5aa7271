// What the two computers agree on, from the first run on, through tarvela-cli: folders that are
// already alike start agreed, and a name never agreed on travels whenever the two sides differ.
#include "two_computers.h"

#include <csignal>
#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EPairState = TwoComputersCli;

// Conflict copies of any file in a tree.
std::size_t anyConflictCopies(const std::map<std::string, std::string>& tree) {
    std::size_t n = 0;
    for (const auto& [name, content] : tree)
        n += name.find(" (конфликт ") != std::string::npos ? 1u : 0u;
    return n;
}

// The user copied the folder home by hand (times kept), made the profile and stored nothing at the
// first run. Work sends, home sends back: the two tables agree, and so do the computers. Then 50
// edits at work arrive at home as edits, not as 50 conflicts.
TEST_F(E2EPairState, FoldersAlikeFromTheStartMakeNoConflicts) {
    for (int i = 0; i < 60; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        for (const std::string& side : {work, home}) {
            writeFile(side + name, "content " + std::to_string(i));
            setMtime(side + name, {1900000000 + i, 250000000});
        }
    }
    halfDone("work-home", "work", {"--full-copy", "none"});
    halfDone("home-work", "home");
    EXPECT_FALSE(pending(Side::Home)) << "nothing differs";

    for (int i = 0; i < 50; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        writeFile(work + name, "edited at work " + std::to_string(i));
        setMtime(work + name, {2000000000 + i, 0});
    }
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("Конфликт"), std::string::npos) << r.out;
    EXPECT_EQ(anyConflictCopies(treeOf(home)), 0u);
    EXPECT_EQ(treeOf(home), treeOf(work));
}

// After "Очистить файлы профиля" nothing is agreed; a version dated ahead by a wrong clock at work
// must not keep home's later edit from travelling: the two differ, so home's travels, and the
// receive keeps both.
TEST_F(E2EPairState, ANameNeverAgreedOnTravelsWhenTheSidesDiffer) {
    writeFile(work + "doc.txt", "work's version, clock a day ahead");
    setMtime(work + "doc.txt", {2000086400, 0});
    writeFile(home + "doc.txt", "home's later edit");
    setMtime(home + "doc.txt", {2000000000, 0});
    halfDone("work-home", "work", {"--full-copy", "none"});
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 1u) << "home's version differs: it travels though it looks older";
    halfDone("home-work", "work");
    std::size_t withHomesEdit = 0;
    for (const auto& [name, content] : treeOf(work))
        withHomesEdit += content == "home's later edit" ? 1u : 0u;
    EXPECT_EQ(withHomesEdit, 1u) << "both versions are kept at work";
    EXPECT_EQ(anyConflictCopies(treeOf(work)), 1u);
}

// Home points the pair at a new, empty folder: the table of the old folder says nothing of it, so
// the pair is not left alone as a folder that "reads empty although it held files".
TEST_F(E2EPairState, ARepointedPairIsNotTakenForAnEmptiedOne) {
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.txt", "b");
    firstRun();
    writeFile(work + "a.txt", "a, edited");
    setMtime(work + "a.txt", {2000000000, 0});
    halfDone("work-home", "work");
    home = dir / "home/Новая/";
    makeFolders(home);
    task.pair(1).PathHome = ShortString<255>::fromText(home);
    save();
    const ChildResult r = half("work-home", "home");
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("Папка пуста"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(home + "a.txt"), "a, edited");
    EXPECT_EQ(occurrences(r.out, "согласованное состояние пары начато заново: "), 1u) << r.out;
}

// Home points the pair at another folder and work sends before home has run again: home's table
// still describes the old folder. It is set aside with one line, not reported record by record as
// invalid, and the send ends normally.
TEST_F(E2EPairState, ATableOfThePairsOldFolderIsSetAsideWithOneLine) {
    for (int i = 0; i < 20; ++i)
        writeFile(work + "f" + std::to_string(i) + ".txt", "f");
    firstRun();
    const std::string newHome = dir / "home/Другая/";
    makeFolders(newHome);
    task.pair(1).PathHome = ShortString<255>::fromText(newHome);
    save();
    const ChildResult r = half("work-home", "work");
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("Недопустимая запись"), std::string::npos) << r.out;
    EXPECT_EQ(occurrences(r.out, "Таблица составлена для других папок пары"), 1u) << r.out;
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(newHome), treeOf(work));
}

// The user swaps the two pairs in the profile's editor. Each pair's agreed state and the other
// computer's table follow its folders, not its place: edits at work arrive as edits (no conflict
// copy), a removal at work is a removal at home, and nothing is reported invalid or started afresh.
TEST_F(E2EPairState, SwappedPairsKeepWhatTheyAgreedOn) {
    const std::string work2 = dir / "work/Фото/";
    const std::string home2 = dir / "home/Фото/";
    makeFolders(work2);
    makeFolders(home2);
    task.pair(2).PathWork = ShortString<255>::fromText(work2);
    task.pair(2).PathHome = ShortString<255>::fromText(home2);
    save();
    writeFile(work + "a.txt", "a");
    writeFile(work + "gone.txt", "gone");
    writeFile(work2 + "p.jpg", "p");
    firstRun();

    std::swap(task.pair(1), task.pair(2));
    save();
    writeFile(work + "a.txt", "a, edited");
    setMtime(work + "a.txt", {2000000000, 0});
    fs::remove(work + "gone.txt");
    writeFile(work2 + "p.jpg", "p, edited");
    setMtime(work2 + "p.jpg", {2000000000, 0});
    for (const char* role : {"work", "home"}) {
        const ChildResult r = half("work-home", role, {"--delete", "yes"});
        EXPECT_EQ(r.exitCode, 0) << role << "\n" << r.out << r.err;
        EXPECT_EQ(r.out.find("Недопустимая запись"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("начато заново"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("другой папки"), std::string::npos) << r.out;
    }
    EXPECT_EQ(anyConflictCopies(treeOf(home)) + anyConflictCopies(treeOf(home2)), 0u);
    EXPECT_EQ(readFile(home + "a.txt"), "a, edited");
    EXPECT_FALSE(fs::exists(home + "gone.txt"));
    EXPECT_EQ(readFile(home2 + "p.jpg"), "p, edited");

    // Another round with edits at home: still no conflicts, both trees in step.
    writeFile(home + "a.txt", "a, home's edit");
    writeFile(home2 + "p.jpg", "p, home's edit");
    halfDone("home-work", "home");
    halfDone("home-work", "work", {"--delete", "yes"});
    EXPECT_EQ(treeOf(work), treeOf(home));
    EXPECT_EQ(treeOf(work2), treeOf(home2));
}

// A pair with a folder on the work computer only: there is nowhere to receive a full copy, so no
// send asks for one or stores the folder.
TEST_F(E2EPairState, APairWithOneFolderIsNeverCopiedWhole) {
    task.pair(1).PathHome = ShortString<255>::fromText("");
    save();
    writeFile(work + "a.txt", "a");
    for (int send = 0; send < 2; ++send) {
        const ChildResult r = half("work-home", "work", {"--full-copy", "all"});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(storedFiles(Side::Work), 0u) << r.out;
    }
}

// Home's receive is killed at a question, after it put work's edits of a.txt and b.txt in place.
// The user then edits a.txt and removes b.txt, and repeats the receive: what the killed receive put
// in place counts as agreed, so a.txt is an edit made here (no conflict copy, no work version over
// it) and b.txt a removal made here (not brought back); both travel to work with the next send.
TEST_F(E2EPairState, WhatAKilledReceivePutInPlaceCountsAsAgreed) {
    task.DellConfirmat = true;
    save();
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.txt", "b");
    writeFile(work + "zz", "zz as a file");
    firstRun();
    writeFile(work + "a.txt", "a, work's edit");
    writeFile(work + "b.txt", "b, work's edit");
    setMtime(work + "a.txt", {2000000000, 0});
    setMtime(work + "b.txt", {2000000000, 0});
    fs::remove(work + "zz");
    writeFile(work + "zz/plan.txt", "plan");
    halfDone("work-home", "work");

    ChildProcess child({TARVELA_CLI_PATH, "--medium", medium, "run", "#0", "--role", "home", "--direction",
                        "work-home", "--delete", "ask"},
                       {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
    ASSERT_TRUE(child.waitForErr("Удалить: " + home + "zz\n"));
    child.signal(SIGKILL);
    child.finish();
    ASSERT_EQ(readFile(home + "a.txt"), "a, work's edit") << "put in place before the question";
    ASSERT_EQ(readFile(home + "b.txt"), "b, work's edit");

    writeFile(home + "a.txt", "a, home's edit after the killed receive");
    fs::remove(home + "b.txt");
    const ChildResult again = half("work-home", "home", {"--delete", "yes"});
    ASSERT_EQ(again.exitCode, 0) << again.out << again.err;
    const auto tree = treeOf(home);
    EXPECT_EQ(anyConflictCopies(tree), 0u) << again.out;
    EXPECT_EQ(readFile(home + "a.txt"), "a, home's edit after the killed receive");
    EXPECT_FALSE(fs::exists(home + "b.txt")) << again.out;
    EXPECT_EQ(readFile(home + "zz/plan.txt"), "plan");

    halfDone("home-work", "home");
    halfDone("home-work", "work", {"--delete", "yes"});
    EXPECT_EQ(readFile(work + "a.txt"), "a, home's edit after the killed receive");
    EXPECT_FALSE(fs::exists(work + "b.txt"));
    EXPECT_EQ(treeOf(work), treeOf(home));
}

// The home computer's time zone changes (the user travelled, or put a wrong setting right): its
// tables show every file at another local time, although none changed. Only the file the user
// edited travels, and it arrives as an edit, not as a conflict with work's older version.
TEST_F(E2EPairState, AChangedTimeZoneChangesNoFile) {
    workEnv = {"TZ=Europe/Moscow"};
    homeEnv = {"TZ=Europe/Moscow"};
    for (int i = 0; i < 20; ++i)
        writeFile(work + "doc" + std::to_string(i) + ".txt", "doc " + std::to_string(i));
    firstRun();
    homeEnv = {"TZ=Asia/Vladivostok"};
    writeFile(home + "doc1.txt", "doc 1, edited at home after the trip");
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 1u) << "only the edited file travels";
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "doc1.txt"), "doc 1, edited at home after the trip");
    EXPECT_EQ(anyConflictCopies(treeOf(work)), 0u);

    // Work's next edit arrives at home as an edit, and both trees are alike.
    writeFile(work + "doc2.txt", "doc 2, edited at work");
    setMtime(work + "doc2.txt", {2000000000, 0});
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 1u);
    halfDone("work-home", "home");
    EXPECT_EQ(anyConflictCopies(treeOf(home)), 0u);
    EXPECT_EQ(treeOf(work), treeOf(home));
}

} // namespace
} // namespace tarvela::test
