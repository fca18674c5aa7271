// A file that becomes a folder and a folder that becomes a file, through tarvela-cli: the item in
// the way is decided from what the computers agreed on, like any removal, and a dry run says
// exactly what the run then does.
#include "two_computers.h"

#include <filesystem>
#include <set>
#include <sstream>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EFileFolderSwaps = TwoComputersCli;

std::vector<std::string> linesStartingWith(const std::string& out, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(prefix))
            found.push_back(line.substr(prefix.size()));
    }
    return found;
}

// Work replaces the folder d/ (two files home never changed) by a file d: home's d/ goes as work's
// removals say, without a conflict, and nothing comes back.
TEST_F(E2EFileFolderSwaps, AFolderReplacedByAFileGoesWhenNothingInItChangedHere) {
    writeFile(work + "d/one.txt", "one");
    writeFile(work + "d/two.txt", "two");
    firstRun();
    fs::remove_all(work + "d");
    writeFile(work + "d", "d is a file now");
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home", {"--delete", "yes"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("Конфликт"), std::string::npos) << r.out;
    EXPECT_EQ(treeOf(home), treeOf(work));
    halfDone("home-work", "home");
    EXPECT_FALSE(pending(Side::Home)) << "nothing travels back";
}

// The same with one file of d/ changed at home: that one is kept (d/ set aside under a conflict
// name, holding it), the unchanged one goes, and the file d arrives.
TEST_F(E2EFileFolderSwaps, AFolderReplacedByAFileKeepsWhatChangedHere) {
    writeFile(work + "d/one.txt", "one");
    writeFile(work + "d/two.txt", "two");
    firstRun();
    fs::remove_all(work + "d");
    writeFile(work + "d", "d is a file now");
    writeFile(home + "d/two.txt", "two, changed at home");
    setMtime(home + "d/two.txt", {2000000000, 0});
    halfDone("work-home", "work");
    const ChildResult r = half("work-home", "home", {"--delete", "yes"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(readFile(home + "d"), "d is a file now");
    std::vector<std::string> kept;
    for (const auto& [name, content] : treeOf(home)) {
        if (content == "two, changed at home")
            kept.push_back(name);
    }
    ASSERT_EQ(kept.size(), 1u) << r.out;
    EXPECT_TRUE(kept[0].starts_with("d (конфликт ")) << kept[0];
    for (const auto& [name, content] : treeOf(home))
        EXPECT_NE(content, "one") << name << " was removed at work and unchanged here";
}

// A dry run of a receive with a file turned into a folder, a folder turned into a file, and a folder
// removed at work that holds a file changed at home: it lists each removal once, no failure, and
// the real run then removes exactly those items and keeps the folder with the changed file.
TEST_F(E2EFileFolderSwaps, TheDryRunSaysWhatTheRunDoes) {
    writeFile(work + "tofolder", "a file");
    writeFile(work + "tofile/x.txt", "x");
    writeFile(work + "mixed/kept.txt", "kept");
    writeFile(work + "mixed/gone.txt", "gone");
    firstRun();
    fs::remove(work + "tofolder");
    writeFile(work + "tofolder/inside.txt", "inside");
    fs::remove_all(work + "tofile");
    writeFile(work + "tofile", "a folder no more");
    fs::remove_all(work + "mixed");
    writeFile(home + "mixed/kept.txt", "kept, changed at home");
    setMtime(home + "mixed/kept.txt", {2000000000, 0});
    halfDone("work-home", "work");

    const auto before = treeOf(home);
    const ChildResult plan = half("work-home", "home", {"--dry-run", "--delete", "yes"});
    EXPECT_EQ(plan.exitCode, 0) << plan.out << plan.err;
    EXPECT_EQ(treeOf(home), before) << "a dry run changes nothing";
    const std::vector<std::string> planned = linesStartingWith(plan.out, "Будет удалено: ");
    const std::set<std::string> plannedOnce(planned.begin(), planned.end());
    EXPECT_EQ(planned.size(), plannedOnce.size()) << plan.out;
    EXPECT_EQ(plannedOnce, (std::set<std::string>{home + "tofolder", home + "tofile/x.txt", home + "tofile",
                                                   home + "mixed/gone.txt"}))
        << plan.out;

    const ChildResult run = half("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(readFile(home + "tofolder/inside.txt"), "inside");
    EXPECT_EQ(readFile(home + "tofile"), "a folder no more");
    EXPECT_EQ(readFile(home + "mixed/kept.txt"), "kept, changed at home");
    EXPECT_FALSE(fs::exists(home + "mixed/gone.txt"));
}

} // namespace
} // namespace tarvela::test
