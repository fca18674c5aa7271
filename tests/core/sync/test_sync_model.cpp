// A randomised two-computer test: random trees, random edits, removals and new folders on either
// side between runs, random directions, deletion on and off, masks that change, receives that stop
// early, sends repeated before the other side received, send-then-receive on one computer. Two properties are checked:
//  - no version the user made is lost: after every receive, each content the receiving folder held
//    before is still there (under its name or a conflict copy's), unless the sender's computer held
//    that very version once (the sender edited or removed it knowingly);
//  - after full round trips with no edits (two; three with deletion off, see below), both folders
//    hold the same names, contents and folders.
// TARVELA_MODEL_SEEDS sets the number of random histories (default 8), TARVELA_MODEL_STEPS their
// length in steps (default 40).
#include "copy/copier.h"
#include "recording_host.h"
#include "records/store_layout.h"
#include "sync/run_control.h"
#include "temp_dir.h"
#include "base/messages.h"
#include "sync/table_rescan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <random>
#include <set>

namespace tarvela {
namespace {

namespace fs = std::filesystem;

// One computer's folder: file contents and folders by relative name.
struct Tree {
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    friend bool operator==(const Tree&, const Tree&) = default;
};

void PrintTo(const Tree& t, std::ostream* os) {
    for (const auto& [name, content] : t.files)
        *os << "\n  " << name << " '" << content << "'";
    for (const auto& folder : t.folders)
        *os << "\n  " << folder << "/";
}

Tree readTree(const std::string& root) {
    Tree t;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            t.folders.insert(name);
        } else {
            t.files[name] = test::readFile(e.path());
        }
    }
    return t;
}

int fromEnv(const char* name, int fallback) {
    const char* n = std::getenv(name);
    return n != nullptr ? std::atoi(n) : fallback;
}

class SyncModel : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        test::makeFolders(root[0]);
        test::makeFolders(root[1]);
        ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        task.Id = ShortString<8>::fromText("MODEL001");
        task.pair(1).PathWork = ShortString<255>::fromText(root[0]);
        task.pair(1).PathHome = ShortString<255>::fromText(root[1]);
        copier.SetProgressBar(&host);
        copier.WriteMemoResult(&host);
        test::makeFolders(ctx.ProgramPath);
        host.fullCopyAnswers.assign(1000, {FullCopyResult::CopyAll, true});
        host.allowMassRemoval = true;
    }

    static Side sideOf(int s) { return s == 0 ? Side::Work : Side::Home; }
    bool pending(int sender) const { return fs::is_directory(storeRoot(ctx.PathTask, sideOf(sender))); }

    HalfResult send(int s) {
        const Direction d = s == 0 ? Direction::WorkHome : Direction::HomeWork;
        return RunHalf(ctx, task, d, s == 0 ? Role::Work : Role::Home);
    }

    // Receives on `s` what the other side sent, checking that no unseen version of s is lost.
    void receive(int s, const std::string& history) {
        const int sender = 1 - s;
        const Tree before = readTree(root[s]);
        const Direction d = sender == 0 ? Direction::WorkHome : Direction::HomeWork;
        const std::size_t firstLine = host.lines.size();
        const HalfResult result = RunHalf(ctx, task, d, s == 0 ? Role::Work : Role::Home);
        expectTableAsRescan(s, firstLine, history);
        host.stop = false;
        ASSERT_TRUE(result == HalfResult::Completed || result == HalfResult::Stopped) << history;
        const Tree after = readTree(root[s]);
        std::multiset<std::string> kept;
        for (const auto& [name, content] : after.files)
            kept.insert(content);
        for (const auto& [name, content] : before.files) {
            EXPECT_TRUE(kept.count(content) > 0 || seen[sender].count(content) > 0)
                << "the version '" << content << "' of " << name << " is lost after" << history
                << "\nbefore:" << ::testing::PrintToString(before) << "\nafter:" << ::testing::PrintToString(after);
        }
        observe();
    }

    // The table the receive left for its folder is the one a fresh scan writes (unless it left the
    // pair alone, table and all).
    void expectTableAsRescan(int s, std::size_t firstLine, const std::string& history) const {
        for (std::size_t i = firstLine; i < host.lines.size(); ++i) {
            if (host.lines[i].text.starts_with(msg::kFolderReadsEmpty))
                return;
        }
        EXPECT_TRUE(test::tableMatchesRescan(tableFile(ctx.PathTask, sideOf(s), 1), root[s], ctx.ListExcept))
            << "after" << history;
    }

    // The tree without what the current masks set aside (it does not travel), nor `holders`: the
    // folders that hold something set aside on either side are never removed, so one side may keep
    // them.
    Tree unmasked(Tree t, const std::set<std::string>& holders) const {
        if (task.LineExcept.text().empty())
            return t;
        std::erase_if(t.files, [](const auto& e) { return e.first.find(".bin") != std::string::npos; });
        for (const auto& folder : holders)
            t.folders.erase(folder);
        return t;
    }

    std::set<std::string> holdersOfMasked(const Tree& a, const Tree& b) const {
        std::set<std::string> holders;
        for (const Tree* t : {&a, &b}) {
            for (const auto& [name, content] : t->files) {
                if (name.find(".bin") == std::string::npos)
                    continue;
                for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
                    holders.insert(name.substr(0, slash));
                }
            }
        }
        return holders;
    }

    // The end of the echo, for a failure's message.
    std::string lastLines(std::size_t n) const {
        std::string out;
        for (std::size_t i = host.lines.size() > n ? host.lines.size() - n : 0; i < host.lines.size(); ++i) {
            out += "\n    " + host.lines[i].text;
        }
        return out;
    }

    // Every version either computer has held so far.
    void observe() {
        for (int s = 0; s < 2; ++s) {
            for (const auto& [name, content] : readTree(root[s]).files)
                seen[s].insert(content);
        }
    }

    test::TempDir dir;
    const std::string root[2] = {dir / "work/", dir / "home/"};
    TProfilLine task;
    test::RecordingHost host;
    TFileCopier copier;
    SyncContext ctx{dir / "medium/", {}, host, copier, {}};
    std::set<std::string> seen[2];
};

TEST_P(SyncModel, NoVersionIsLostAndARoundTripConverges) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) * 7919u + 1u);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::int64_t clock = 1700000000;
    const std::vector<std::string> folders = {"", "x/", "x/y/", "z/"};
    const std::vector<std::string> names = {"a.txt", "b.doc", "c", "d.bin"};
    std::string history;

    for (int s = 0; s < 2; ++s) {
        const std::string name = "start" + std::to_string(s) + ".txt";
        test::writeFile(root[s] + name, "initial " + std::to_string(s));
        test::setMtime(root[s] + name, {clock, 0});
    }
    observe();

    const int steps = fromEnv("TARVELA_MODEL_STEPS", 40);
    for (int step = 0; step < steps; ++step) {
        const int action = pick(9);
        const int s = pick(2);
        if (action <= 2) { // a change on one computer
            clock += 10;
            const std::string name =
                folders[static_cast<std::size_t>(pick(4))] + names[static_cast<std::size_t>(pick(4))];
            const int change = pick(5);
            if (change <= 2) {
                test::writeFile(root[s] + name, "v" + std::to_string(clock) + " " + name);
                test::setMtime(root[s] + name, {clock, 0});
            } else if (change == 3) {
                fs::remove(root[s] + name);
            } else if (const std::string folder = folders[static_cast<std::size_t>(1 + pick(3))]; true) {
                fs::remove_all(root[s] + folder);
                if (pick(2) == 0)
                    test::makeFolders(root[s] + folder); // an empty folder
            }
            observe();
            history += " change" + std::to_string(s);
        } else if (action <= 4) { // a send
            task.OperacDell = pick(4) != 0;
            ASSERT_EQ(send(s), HalfResult::Completed) << history;
            history += " send" + std::to_string(s);
        } else if (action <= 6) { // a receive, when something is pending for this computer
            if (!pending(1 - s))
                continue;
            task.OperacDell = pick(4) != 0;
            const bool stops = pick(5) == 0;
            if (stops)
                host.onFileProgress = [&](std::int64_t) { host.stop = true; };
            receive(s, history);
            host.onFileProgress = nullptr;
            history += stops ? " stopped-receive" + std::to_string(s) : " receive" + std::to_string(s);
            if (HasFatalFailure() || HasFailure())
                return;
        } else if (action == 8) { // the masks change: .bin files are set aside, or no longer
            task.LineExcept = ShortString<255>::fromText(task.LineExcept.text().empty() ? "*.bin" : "");
            history += task.LineExcept.text().empty() ? " unmask" : " mask";
        } else { // a full round trip without edits: both folders end alike
            task.OperacDell = pick(2) != 0;
            // A conflict found by the trip's last receive leaves a conflict copy that travels back with
            // the next send, and with deletion off what one side removed is kept on the other and
            // travels back too: each takes one more round trip.
            for (int trip = 0; trip < (task.OperacDell ? 2 : 3); ++trip) {
                for (const int sender : {s, 1 - s}) {
                    ASSERT_EQ(send(sender), HalfResult::Completed) << history;
                    if (pending(sender))
                        receive(1 - sender, history + " (round trip)");
                    if (HasFailure())
                        return;
                }
            }
            history += " round-trip" + std::to_string(s);
            const Tree work = readTree(root[0]);
            const Tree home = readTree(root[1]);
            const auto holders = holdersOfMasked(work, home);
            ASSERT_EQ(unmasked(work, holders), unmasked(home, holders)) << "after" << history << lastLines(120);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RandomHistories, SyncModel, ::testing::Range(0, fromEnv("TARVELA_MODEL_SEEDS", 8)));

} // namespace
} // namespace tarvela
