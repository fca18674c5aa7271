// Whole synchronisations through tarvela-cli, one process per half, both computers on one machine.
#include "records/cp1251.h"
#include "log/run_log.h"
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kWorkOnly = "work-home\n";
constexpr const char* kHomeOnly = "home-work\n";
constexpr const char* kBoth = "work-home\nhome-work\n";

using E2E = TwoComputersCli;

TEST_F(E2E, FirstRunThenChangesBothWaysWithTheEnablingRuleAfterEveryHalf) {
    writeFile(work + "a.txt", "alpha");
    writeFile(work + "sub/Отчёт.doc", "report");
    makeFolders(work + "empty");
    EXPECT_EQ(state("work"), kWorkOnly);
    EXPECT_EQ(state("home"), kHomeOnly);

    halfDone("work-home", "work", {"--full-copy", "all"});
    EXPECT_TRUE(pending(Side::Work));
    EXPECT_EQ(state("work"), kWorkOnly);
    EXPECT_EQ(state("home"), kBoth);

    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), treeOf(work));
    EXPECT_FALSE(pending(Side::Work));
    EXPECT_EQ(state("work"), kWorkOnly);
    EXPECT_EQ(state("home"), kHomeOnly);

    // Changes at home travel to work.
    writeFile(home + "a.txt", "alpha at home");
    setMtime(home + "a.txt", {2000000000, 0});
    writeFile(home + "sub/new.txt", "new");
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 2u) << "only the two changed files travel";
    EXPECT_EQ(state("work"), kBoth);
    EXPECT_EQ(state("home"), kHomeOnly);

    halfDone("home-work", "work");
    EXPECT_EQ(treeOf(work), treeOf(home));
    EXPECT_EQ(readFile(work + "a.txt"), "alpha at home");
    EXPECT_FALSE(pending(Side::Home));
    EXPECT_EQ(state("work"), kWorkOnly);
    EXPECT_EQ(state("home"), kHomeOnly);

    // Nothing changed since: a send carries nothing and leaves nothing pending.
    halfDone("home-work", "home");
    EXPECT_FALSE(pending(Side::Home));

    // And a change at work travels back the other way.
    writeFile(work + "sub/Отчёт.doc", "report, second edition");
    setMtime(work + "sub/Отчёт.doc", {2000000100, 0});
    halfDone("work-home", "work");
    EXPECT_EQ(storedFiles(Side::Work), 1u);
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), treeOf(work));
}

struct DeletionCase {
    const char* name;
    bool confirm;                   // the profile asks before each removal
    bool trash;                     // the profile removes into the trash
    std::vector<std::string> extra; // options of the receiving run
    std::string input;              // its stdin
    int removed;                    // how many of the two vanished files go (the first asked goes first)
    const char* stderrHas;
};

void PrintTo(const DeletionCase& c, std::ostream* os) {
    *os << c.name;
}

class Deletions : public TwoComputersCli, public ::testing::WithParamInterface<DeletionCase> {};

TEST_P(Deletions, VanishedFilesGoOnlyWithConsent) {
    const DeletionCase& c = GetParam();
    writeFile(work + "keep.txt", "keep");
    writeFile(work + "x.txt", "x");
    writeFile(work + "y.txt", "y");
    firstRun();

    task.DellConfirmat = c.confirm;
    task.DellBasket = c.trash;
    save();
    fs::remove(work + "x.txt");
    fs::remove(work + "y.txt");
    writeFile(work + "keep.txt", "kept, and changed"); // something to carry, so the store exists
    setMtime(work + "keep.txt", {2000000000, 0});
    halfDone("work-home", "work");

    const ChildResult r = half("work-home", "home", c.extra, c.input);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(readFile(home + "keep.txt"), "kept, and changed");
    const int gone = !fs::exists(home + "x.txt") + !fs::exists(home + "y.txt");
    EXPECT_EQ(gone, c.removed) << r.err;
    if (c.removed == 1) {
        // The answers went to the questions in the order they were asked.
        const std::string question = "Удалить: " + home;
        const auto asked = r.err.find(question);
        ASSERT_NE(asked, std::string::npos) << r.err;
        const std::string first = r.err.substr(asked + question.size(), 5);
        EXPECT_FALSE(fs::exists(home + first)) << first;
    }
    EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << r.err;
    if (c.trash) {
        EXPECT_EQ(readFile(xdg + "/Trash/files/x.txt"), "x");
        EXPECT_TRUE(fs::exists(xdg + "/Trash/info/x.txt.trashinfo"));
    } else {
        EXPECT_FALSE(fs::exists(xdg + "/Trash"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    E2E, Deletions,
    ::testing::Values(DeletionCase{"unasked", false, false, {}, "", 2, ""},
                      DeletionCase{"intoTheTrash", false, true, {}, "", 2, ""},
                      DeletionCase{"yesForAll", true, false, {"--delete", "yes"}, "", 2, ""},
                      DeletionCase{"noForAll", true, false, {"--delete", "no"}, "", 0, ""},
                      DeletionCase{"noTerminalNoAnswer", true, false, {}, "", 0, "without a terminal"},
                      DeletionCase{"askedYesThenNo", true, false, {"--delete", "ask"}, "y\nn\n", 1, "Удалить: "},
                      DeletionCase{"questionClosed", true, false, {"--delete", "ask"}, "", 0, "Удалить: "}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(E2E, ExcludedFilesNeitherTravelNorGetRemoved) {
    task.LineExcept = ShortString<255>::fromText("*.tmp;*.bak");
    save();
    writeFile(work + "a.txt", "a");
    writeFile(work + "b.tmp", "b");
    writeFile(work + "sub/c.bak", "c");
    writeFile(work + "sub/d.txt", "d");
    writeFile(home + "local.tmp", "only here");
    firstRun();
    EXPECT_EQ(treeOf(home), (std::map<std::string, std::string>{
                                {"a.txt", "a"}, {"local.tmp", "only here"}, {"sub/", ""}, {"sub/d.txt", "d"}}));
}

// Text as the log writes it: Windows-1251, bytes from 0x80 as \'hh.
std::string rtfText(const std::string& utf8) {
    std::string out;
    for (const char c : utf8ToCp1251(utf8)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            out += {'\\', '\'', kHex[b >> 4], kHex[b & 0xF]};
        }
    }
    return out;
}

TEST_F(E2E, TwoLoggedHalvesMakeOneDocumentWithBothRuns) {
    task.SaveLog = true;
    save();
    writeFile(work + "a.txt", "a");
    firstRun();

    const std::string log = readFile(logFile(pathTask(), task.Id.text()));
    EXPECT_TRUE(log.starts_with("{\\rtf1")) << log;
    EXPECT_EQ(occurrences(log, "{\\rtf1"), 1u);
    EXPECT_EQ(occurrences(log, std::string(RunLog::kMarker)), 1u);
    EXPECT_TRUE(log.ends_with(RunLog::kTail));
    EXPECT_EQ(occurrences(log, std::string(RunLog::kTail)), 1u);
    EXPECT_EQ(occurrences(log, rtfText("Старт программы. Сейчас ")), 2u) << "one start line per logged run";
    const auto sent = log.find(rtfText("]  Конец операции: рабочий=>домашний. Тип: Рабочий компьютер"));
    const auto received = log.find(rtfText("]  Конец операции: рабочий=>домашний. Тип: Домашний компьютер"));
    EXPECT_NE(sent, std::string::npos);
    EXPECT_NE(received, std::string::npos);
    EXPECT_LT(sent, received);
    EXPECT_EQ(occurrences(log, "{"), occurrences(log, "}")) << "braces balance (no escaped braces in these lines)";
}

} // namespace
} // namespace tarvela::test
