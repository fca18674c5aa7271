// A whole two-computer cycle from the terminal alone: from an empty medium, the profile is made,
// changed, read, cleared and removed with tarvela-cli, and both halves of both directions run.
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

class E2ECliOnly : public TwoComputersCli {
protected:
    // The command, which must succeed; its stdout.
    std::string ok(const std::vector<std::string>& args) {
        const ChildResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << ::testing::PrintToString(args) << "\n" << r.out << r.err;
        return r.out;
    }
};

TEST_F(E2ECliOnly, ACycleFromTheEmptyMediumOnWithCommandsOnly) {
    fs::remove(medium + "Tarvela.cfg"); // the fixture's profile: this cycle makes its own
    ASSERT_TRUE(fs::is_empty(medium));
    EXPECT_EQ(cli({"list"}).exitCode, 2) << "no profile file yet";

    // At work: the profile, with its log, removing what vanished without asking.
    writeFile(work + "a.txt", "alpha");
    writeFile(work + "sub/Отчёт.doc", "report");
    const std::string out = ok({"profile", "add", "Документы", "--work", work, "--home", home, "--delete", "on",
                                "--confirm", "off", "--log", "on"});
    ASSERT_EQ(out.size(), 9u) << out;
    const std::string id = out.substr(0, 8);
    EXPECT_EQ(ok({"list"}).substr(0, 11), "0\t" + id + "\t");
    EXPECT_NE(
        ok({"profile", "show", id, "--json"}).find("\"delete\":true,\"trash\":false,\"confirm\":false,\"log\":true"),
        std::string::npos);
    EXPECT_EQ(ok({"state", id, "--role", "work"}), "work-home\n");

    ok({"run", id, "--role", "work", "--direction", "work-home", "--full-copy", "all"});
    // At home.
    ok({"run", id, "--role", "home", "--direction", "work-home"});
    EXPECT_EQ(treeOf(home), treeOf(work));

    // At home: a change and a removal travel back to work.
    writeFile(home + "a.txt", "alpha at home");
    setMtime(home + "a.txt", {2000000000, 0});
    fs::remove(home + "sub/Отчёт.doc");
    ok({"run", id, "--role", "home", "--direction", "home-work"});
    ok({"run", id, "--role", "work", "--direction", "home-work"});
    EXPECT_EQ(readFile(work + "a.txt"), "alpha at home");
    EXPECT_FALSE(fs::exists(work + "sub/Отчёт.doc"));
    EXPECT_EQ(treeOf(work), treeOf(home));

    // The log holds the four runs, one line per echo line.
    const std::string log = ok({"log", id});
    EXPECT_EQ(occurrences(log, "Старт программы. Сейчас "), 4u) << log;
    EXPECT_EQ(occurrences(log, "]  Конец операции: "), 4u) << log;
    EXPECT_EQ(log.find('\033'), std::string::npos) << "no colours through a pipe";

    // At home again: a second pair, from the home side's view of the profile.
    const std::string work2 = dir / "work/Фото/";
    const std::string home2 = dir / "home/Фото/";
    writeFile(work2 + "p.jpg", "picture");
    makeFolders(home2);
    ok({"profile", "set", id, "--role", "home", "--pair", "2", "--work", work2, "--home", home2});
    EXPECT_NE(ok({"profile", "show", id}).find("role: home\n"), std::string::npos);
    ok({"run", id, "--role", "work", "--direction", "work-home", "--full-copy", "all"});
    ok({"run", id, "--role", "home", "--direction", "work-home"});
    EXPECT_EQ(readFile(home2 + "p.jpg"), "picture");

    // Clearing the store starts the profile afresh; removing it leaves an empty profile file.
    ok({"profile", "clear", id});
    EXPECT_FALSE(fs::exists(transferStoreFolder(medium, id)));
    EXPECT_EQ(ok({"state", id, "--role", "home"}), "home-work\n");
    ok({"profile", "remove", id});
    EXPECT_EQ(ok({"list"}), "");
    EXPECT_EQ(fs::file_size(medium + "Tarvela.cfg"), 0u);
    // The folders of the computers are never touched by the profile's removal.
    EXPECT_EQ(readFile(home + "a.txt"), "alpha at home");
    EXPECT_EQ(readFile(work2 + "p.jpg"), "picture");
}

} // namespace
} // namespace tarvela::test
