// The dry run (run --dry-run) through tarvela-cli: it names the items the real run that follows it
// acts on, with the real run's own lines, and it changes nothing at all: not the medium, not either
// folder, not this computer's remembered generations, and its temporary tables (in the system's
// temporary folder) are gone afterwards.
#include "two_computers.h"

#include <filesystem>
#include <set>
#include <sstream>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

const std::string kAdded = "Файл добавлен: ";
const std::string kDiffer = "Файлы отличаются: ";
const std::string kConflict = "Конфликт: изменён на обоих компьютерах, версия этого сохранена как ";
const std::string kPlanRemoval = "Будет удалено: ";
const std::string kPlanStore = "Будет скопирован в хранилище: ";
const std::string kSummary = "Пробный запуск, ничего не изменено. ";

// The lines of `out` that begin with `prefix`, without it.
std::set<std::string> linesAfter(const std::string& out, const std::string& prefix) {
    std::set<std::string> found;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(prefix))
            found.insert(line.substr(prefix.size()));
    }
    return found;
}

std::string summaryOf(const std::string& out) {
    const auto lines = linesAfter(out, kSummary);
    return lines.size() == 1 ? *lines.begin() : "(" + std::to_string(lines.size()) + " summary lines)";
}

// Everything below the roots as the system shows it: kind, size, last-write time and content of
// each entry, the roots' own times included (a file made and removed again changes its folder's).
std::map<std::string, std::string> snapshot(const std::vector<std::string>& roots) {
    std::map<std::string, std::string> out;
    const auto stamp = [&](const fs::path& p) {
        const fs::file_status st = fs::symlink_status(p);
        std::string text = std::to_string(static_cast<int>(st.type())) + " " +
                           std::to_string(fs::last_write_time(p).time_since_epoch().count());
        if (fs::is_regular_file(st))
            text += " " + std::to_string(fs::file_size(p)) + " " + readFile(p.string());
        out[p.string()] = text;
    };
    for (const std::string& root : roots) {
        if (!fs::exists(root)) {
            out[root] = "missing";
            continue;
        }
        stamp(root);
        for (const auto& e : fs::recursive_directory_iterator(root))
            stamp(e.path());
    }
    return out;
}

// The paths whose entry differs between two snapshots (added, gone or changed).
std::set<std::string> changedPaths(const std::map<std::string, std::string>& before,
                                   const std::map<std::string, std::string>& after) {
    std::set<std::string> changed;
    for (const auto& [path, stamp] : before) {
        const auto it = after.find(path);
        if (it == after.end() || it->second != stamp)
            changed.insert(path);
    }
    for (const auto& [path, stamp] : after) {
        if (!before.contains(path))
            changed.insert(path);
    }
    return changed;
}

// The original names behind the conflict lines: "x (конфликт ... домашний).txt" -> "x".
std::set<std::string> conflictStems(const std::string& out) {
    std::set<std::string> stems;
    for (const std::string& aside : linesAfter(out, kConflict))
        stems.insert(aside.substr(0, aside.find(" (конфликт ")));
    return stems;
}

class E2EDryRun : public TwoComputersCli {
protected:
    E2EDryRun() {
        makeFolders(tmp);
        workEnv = {"TMPDIR=" + tmp};
        homeEnv = {"TMPDIR=" + tmp};
    }

    std::map<std::string, std::string> everything() const { return snapshot({medium, work, home, xdg}); }

    // The dry run of the half: exit 0, nothing anywhere changed; its output.
    std::string dryRun(const std::string& direction, const std::string& role, std::vector<std::string> extra = {}) {
        const auto before = everything();
        extra.push_back("--dry-run");
        const ChildResult r = half(direction, role, extra);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_NE(r.out.find("Пробный запуск: ничего не копируется"), std::string::npos) << r.out;
        EXPECT_EQ(changedPaths(before, everything()), std::set<std::string>{}) << "the dry run changed these\n"
                                                                               << r.out;
        EXPECT_TRUE(fs::is_empty(tmp)) << "its temporary tables are gone";
        return r.out;
    }

    std::string tmp = dir / "tmp";
};

// A first send with the full copy, and its receive into a folder the home computer does not have
// yet: the dry runs list every file, make no store, no Task folder and no home folder.
TEST_F(E2EDryRun, AFullCopyAndItsReceiveIntoANewFolderAreListedAndNothingIsMade) {
    writeFile(work + "a.txt", "aaa");
    writeFile(work + "sub/b.txt", "bbbbb");
    writeFile(work + "sub/deeper/c.txt", "");

    const std::string sendPlan = dryRun("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(linesAfter(sendPlan, kPlanStore),
              (std::set<std::string>{work + "a.txt", work + "sub/b.txt", work + "sub/deeper/c.txt"}));
    EXPECT_EQ(summaryOf(sendPlan), "В хранилище: файлов 3, байт 8");
    EXPECT_FALSE(fs::exists(medium + "Task")) << "no store, no table, no lock file";

    halfDone("work-home", "work", {"--full-copy", "all"});
    EXPECT_EQ(storedFiles(Side::Work), 3u);

    // Into the home folder as it stands, empty (its scan holds only the folder's own entry).
    EXPECT_EQ(summaryOf(dryRun("work-home", "home")), "Скопировать: файлов 3, байт 8; удалить: 0; конфликтов: 0");

    fs::remove_all(home);
    const std::string receivePlan = dryRun("work-home", "home");
    EXPECT_FALSE(fs::exists(home)) << "the dry run makes no folder";
    EXPECT_EQ(summaryOf(receivePlan), "Скопировать: файлов 3, байт 8; удалить: 0; конфликтов: 0");
    const ChildResult real = half("work-home", "home");
    ASSERT_EQ(real.exitCode, 0) << real.out << real.err;
    EXPECT_EQ(linesAfter(receivePlan, kAdded), linesAfter(real.out, kAdded));
    EXPECT_EQ(linesAfter(receivePlan, kAdded).size(), 5u) << "three files and two folders\n" << receivePlan;
    EXPECT_EQ(treeOf(home), treeOf(work));
}

// A later send and its receive with new, changed, removed and conflicting items: the dry runs name
// what the real runs then store, copy, remove and set aside, and their counts add up.
TEST_F(E2EDryRun, SendAndReceiveNameWhatTheRealRunsDo) {
    writeFile(work + "changed.txt", "old");
    writeFile(work + "removed.txt", "gone soon");
    writeFile(work + "both.txt", "original");
    writeFile(work + "kept.txt", "kept");
    writeFile(work + "old/inside.txt", "inside");
    firstRun();

    writeFile(work + "changed.txt", "new and longer");
    setMtime(work + "changed.txt", {2000000000, 0});
    writeFile(work + "new/added.txt", "added");
    fs::remove(work + "removed.txt");
    fs::remove_all(work + "old");
    writeFile(work + "both.txt", "work's edit");
    setMtime(work + "both.txt", {2000000100, 0});
    writeFile(home + "both.txt", "home's edit");
    setMtime(home + "both.txt", {2000000000, 0});

    const std::string sendPlan = dryRun("work-home", "work");
    const ChildResult sent = half("work-home", "work");
    ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    EXPECT_EQ(linesAfter(sendPlan, kAdded), linesAfter(sent.out, kAdded));
    EXPECT_EQ(linesAfter(sendPlan, kDiffer), linesAfter(sent.out, kDiffer));
    EXPECT_EQ(storedFiles(Side::Work), 3u);
    EXPECT_EQ(summaryOf(sendPlan), "В хранилище: файлов 3, байт " +
                                       std::to_string(std::string("new and longer").size() +
                                                      std::string("added").size() + std::string("work's edit").size()));

    const auto homeBefore = treeOf(home);
    const std::string receivePlan = dryRun("work-home", "home", {"--delete", "yes"});
    const ChildResult received = half("work-home", "home", {"--delete", "yes"});
    ASSERT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(linesAfter(receivePlan, kAdded), linesAfter(received.out, kAdded));
    EXPECT_EQ(linesAfter(receivePlan, kDiffer), linesAfter(received.out, kDiffer));
    EXPECT_EQ(conflictStems(receivePlan), (std::set<std::string>{home + "both"}));
    EXPECT_EQ(conflictStems(receivePlan), conflictStems(received.out));

    // What the dry run said it would remove is exactly what the real run removed.
    std::set<std::string> removed;
    const auto homeAfter = treeOf(home);
    for (const auto& [name, content] : homeBefore) {
        if (!homeAfter.contains(name))
            removed.insert(home + (name.ends_with('/') ? name.substr(0, name.size() - 1) : name));
    }
    EXPECT_EQ(linesAfter(receivePlan, kPlanRemoval), removed);
    EXPECT_EQ(removed, (std::set<std::string>{home + "removed.txt", home + "old/inside.txt", home + "old"}));
    EXPECT_EQ(summaryOf(receivePlan),
              "Скопировать: файлов 3, байт " +
                  std::to_string(std::string("new and longer").size() + std::string("added").size() +
                                 std::string("work's edit").size()) +
                  "; удалить: 3; конфликтов: 1");
    EXPECT_EQ(readFile(home + "both.txt"), "work's edit");
}

} // namespace
} // namespace tarvela::test
