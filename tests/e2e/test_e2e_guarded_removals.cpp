// Removals that wait for the user's word or are held back, through tarvela-cli: a pair folder that
// the user emptied on purpose (its emptiness travels only when the user says so), and the
// exclusion masks changed between a send and its receive (a name the sender's masks left out is
// not taken for a removal).
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

class E2EGuardedRemovals : public TwoComputersCli {
protected:
    // Eight files agreed on both computers, removals into the trash.
    void eightFilesAgreed() {
        task.DellBasket = true;
        save();
        for (int i = 0; i < 8; ++i)
            writeFile(work + "f" + std::to_string(i) + ".txt", std::to_string(i));
        firstRun();
    }

    // The computer `role` empties its folder on purpose and sends; the other computer receives,
    // and its files go into the trash.
    void emptiedFolderTravels(const std::string& role) {
        eightFilesAgreed();
        const bool atWork = role == "work";
        const std::string direction = atWork ? "work-home" : "home-work";
        const std::string receiver = atWork ? "home" : "work";
        const std::string emptied = atWork ? work : home;
        const std::string other = atWork ? home : work;
        for (int i = 0; i < 8; ++i)
            fs::remove(emptied + "f" + std::to_string(i) + ".txt");

        // Without the option the pair is skipped, and the red line names the way through.
        const ChildResult skipped = half(direction, role);
        EXPECT_EQ(skipped.exitCode, 4) << skipped.out << skipped.err;
        EXPECT_NE(skipped.out.find("Папка пуста, хотя в ней были файлы. Пара пропущена: " + emptied +
                                   " (--allow-empty-folder)"),
                  std::string::npos)
            << skipped.out;
        EXPECT_NE(skipped.err.find("--allow-empty-folder"), std::string::npos) << skipped.err;
        EXPECT_FALSE(pending(atWork ? Side::Work : Side::Home)) << "nothing sent";

        halfDone(direction, role, {"--allow-empty-folder"});
        ASSERT_TRUE(pending(atWork ? Side::Work : Side::Home)) << "the emptiness is sent";

        // The receive removes every file of the pair there: the mass-removal guard asks in turn,
        // and its red line names its own option.
        const ChildResult held = half(direction, receiver, {"--delete", "yes"});
        EXPECT_EQ(held.exitCode, 4) << held.out << held.err;
        EXPECT_NE(held.out.find("Удаления не выполнены (слишком много файлов: 8 из 8), папка: " + other +
                                " (--allow-mass-removal)"),
                  std::string::npos)
            << held.out;
        EXPECT_EQ(treeOf(other).size(), 8u);

        halfDone(direction, role, {"--allow-empty-folder"});
        halfDone(direction, receiver, {"--delete", "yes", "--allow-mass-removal"});
        EXPECT_TRUE(treeOf(other).empty()) << "removed on the other computer";
        for (int i = 0; i < 8; ++i)
            EXPECT_TRUE(fs::exists(xdg + "/Trash/files/f" + std::to_string(i) + ".txt")) << "into the trash: " << i;

        // Settled: the next round trip asks nothing and brings nothing back.
        const std::string back = atWork ? "home-work" : "work-home";
        halfDone(back, receiver);
        if (pending(atWork ? Side::Home : Side::Work))
            halfDone(back, role, {"--delete", "yes"});
        EXPECT_TRUE(treeOf(emptied).empty());
        halfDone(direction, role);
        EXPECT_TRUE(treeOf(other).empty());
    }
};

TEST_F(E2EGuardedRemovals, AWorkFolderEmptiedOnPurposeTravelsWithTheOption) {
    emptiedFolderTravels("work");
}

TEST_F(E2EGuardedRemovals, AHomeFolderEmptiedOnPurposeTravelsWithTheOption) {
    emptiedFolderTravels("home");
}

// The receive takes the emptied folder's side too: with the option it goes on, what the sender
// changed arrives, and the files removed here stay removed.
TEST_F(E2EGuardedRemovals, AReceiveIntoAFolderEmptiedOnPurpose) {
    eightFilesAgreed();
    for (int i = 0; i < 8; ++i)
        fs::remove(home + "f" + std::to_string(i) + ".txt");
    writeFile(work + "new.txt", "new at work");
    halfDone("work-home", "work");

    const ChildResult skipped = half("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(skipped.exitCode, 4) << skipped.out << skipped.err;
    EXPECT_NE(skipped.out.find("Пара пропущена: " + home + " (--allow-empty-folder)"), std::string::npos)
        << skipped.out;
    EXPECT_TRUE(treeOf(home).empty());

    halfDone("work-home", "home", {"--delete", "yes", "--allow-empty-folder"});
    EXPECT_EQ(treeOf(home), (std::map<std::string, std::string>{{"new.txt", "new at work"}}));
}

// Work sends while the masks leave *.log out; before home receives, the mask is taken away again.
// Work still has b.log: home keeps its copy (one line says why), while a file work really removed
// is removed at home. Nothing comes back or conflicts at the next round trip.
TEST_F(E2EGuardedRemovals, MasksChangedBetweenSendAndReceiveRemoveNothingTheSenderHas) {
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.log", "b");
    writeFile(work + "c.txt", "c");
    writeFile(work + "sub/d.log", "d");
    firstRun();

    task.LineExcept = ShortString<255>::fromText("*.log");
    save();
    fs::remove(work + "c.txt");
    halfDone("work-home", "work");
    task.LineExcept = ShortString<255>::fromText("");
    save();

    const ChildResult r = half("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Маски исключений изменились после отправки, файл не удалён: " + home + "b.log"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(occurrences(r.out, "Маски исключений изменились"), 2u) << r.out;
    EXPECT_EQ(readFile(home + "b.log"), "b");
    EXPECT_EQ(readFile(home + "sub/d.log"), "d");
    EXPECT_FALSE(fs::exists(home + "c.txt")) << "a real removal still travels";

    halfDone("home-work", "home");
    if (pending(Side::Home))
        halfDone("home-work", "work", {"--delete", "yes"});
    halfDone("work-home", "work");
    if (pending(Side::Work))
        halfDone("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(treeOf(home), treeOf(work));
    EXPECT_EQ(readFile(work + "b.log"), "b");
    EXPECT_TRUE(conflictCopies(treeOf(home), "b").empty());
}

} // namespace
} // namespace tarvela::test
