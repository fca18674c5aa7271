// A randomised two-computer test: random trees, random changes on either side between runs,
// random directions, deletion on and off. After every receive the destination folder must equal
// what a small independent model of the rules predicts. TARVELA_MODEL_SEEDS sets the number of
// random histories (default 8).
#include "copy/copier.h"
#include "recording_host.h"
#include "sync/run_control.h"
#include "records/store_layout.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>

namespace tarvela {
namespace {

namespace fs = std::filesystem;

struct File {
    std::string content;
    std::int64_t time = 0; // whole seconds
    friend bool operator==(const File&, const File&) = default;
};

// One computer's folder as the rules see it: files and folders by relative name.
struct Tree {
    std::map<std::string, File> files;
    std::set<std::string> folders; // relative names without a trailing '/', never the pair folder
    friend bool operator==(const Tree&, const Tree&) = default;

    std::int64_t bytes() const {
        std::int64_t n = 0;
        for (const auto& [name, f] : files) n += static_cast<std::int64_t>(f.content.size());
        return n;
    }
};

void PrintTo(const Tree& t, std::ostream* os) {
    for (const auto& [name, f] : t.files) *os << "\n  " << name << " @" << f.time << " '" << f.content << "'";
    for (const auto& folder : t.folders) *os << "\n  " << folder << "/";
}

// A table as the rules use it: file times by name, folder names.
struct Table {
    std::map<std::string, std::int64_t> files;
    std::set<std::string> folders;
};

Table tableOf(const Tree& t) {
    Table table;
    for (const auto& [name, f] : t.files) table.files[name] = f.time;
    table.folders = t.folders;
    return table;
}

// What the rules predict, kept beside the real run.
struct Model {
    Tree side[2]; // Work, Home
    std::optional<Table> table[2];
    int tableVersion[2] = {0, 0}; // each write of a computer's table gives new store names
    struct Store {
        int senderTableVersion = 0;
        std::map<std::string, std::string> stored; // name -> content at send time
    };
    std::optional<Store> store[2]; // by sender
    bool operacDell = true;

    void send(Side own) {
        const int a = own == Side::Work ? 0 : 1;
        const int b = 1 - a;
        store[a].reset();
        const Table scan = tableOf(side[a]);
        table[a] = scan;
        ++tableVersion[a];
        if (own == Side::Home && side[a].bytes() == 0) return; // an empty home folder sends nothing
        Store s{tableVersion[a], {}};
        bool pending = false;
        if (!table[b]) {
            for (const auto& [name, f] : side[a].files) s.stored[name] = f.content;
            pending = true;
        } else {
            for (const auto& [name, f] : side[a].files) {
                const auto other = table[b]->files.find(name);
                if (other == table[b]->files.end() || f.time > other->second) s.stored[name] = f.content;
            }
            bool destinationHasMore = false;
            for (const auto& [name, t] : table[b]->files) destinationHasMore |= !scan.files.count(name);
            for (const auto& name : table[b]->folders) destinationHasMore |= !scan.folders.count(name);
            pending = !s.stored.empty() || destinationHasMore;
        }
        if (pending) store[a] = s;
    }

    void receive(Side own) {
        const int b = own == Side::Work ? 0 : 1;
        const int a = 1 - b;
        const Store s = *store[a];
        // The sender's table as it is now; its store names are those of the send only while the
        // sender has not rewritten it since.
        const Table& sender = *table[a];
        const bool storeUsable = s.senderTableVersion == tableVersion[a];
        // What this computer held at its last half: only that can have vanished on the sender.
        const Table known = table[b] ? *table[b] : Table{};
        Tree& dest = side[b];
        const Tree before = dest;
        for (const auto& [name, time] : sender.files) {
            const auto mine = before.files.find(name);
            if (mine != before.files.end() && mine->second.time >= time) continue;
            const auto stored = s.stored.find(name);
            if (!storeUsable || stored == s.stored.end()) continue; // reported missing
            dest.files[name] = {stored->second, time};
            addParents(dest, name);
        }
        for (const auto& folder : sender.folders) {
            addParents(dest, folder);
            dest.folders.insert(folder);
        }
        if (operacDell) {
            std::set<std::string> keptFolders; // folders holding something new here
            auto keepParents = [&](const std::string& name) {
                for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
                    keptFolders.insert(name.substr(0, slash));
                }
            };
            for (const auto& [name, f] : before.files) {
                if (!sender.files.count(name) && !known.files.count(name)) keepParents(name);
            }
            for (const auto& folder : before.folders) {
                if (!sender.folders.count(folder) && !known.folders.count(folder)) keepParents(folder);
            }
            for (const auto& [name, f] : before.files) {
                if (!sender.files.count(name) && known.files.count(name)) dest.files.erase(name);
            }
            for (const auto& folder : before.folders) {
                if (sender.folders.count(folder) || !known.folders.count(folder) || keptFolders.count(folder)) continue;
                dest.folders.erase(folder);
                std::erase_if(dest.folders, [&](const std::string& f) { return f.starts_with(folder + "/"); });
                std::erase_if(dest.files, [&](const auto& e) { return e.first.starts_with(folder + "/"); });
            }
        }
        table[b] = tableOf(dest);
        ++tableVersion[b];
        store[a].reset();
    }

    static void addParents(Tree& t, const std::string& name) {
        for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
            t.folders.insert(name.substr(0, slash));
        }
    }
};

Tree readTree(const std::string& root) {
    Tree t;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            t.folders.insert(name);
        } else {
            t.files[name] = {test::readFile(e.path()), test::mtimeOf(e.path()).seconds};
        }
    }
    return t;
}

int modelSeeds() {
    const char* n = std::getenv("TARVELA_MODEL_SEEDS");
    return n != nullptr ? std::atoi(n) : 8;
}

class SyncModel : public ::testing::TestWithParam<int> {};

TEST_P(SyncModel, EveryReceiveGivesWhatTheRulesPredict) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) * 7919u + 1u);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    test::TempDir dir;
    const std::string root[2] = {dir / "work/", dir / "home/"};
    test::makeFolders(root[0]);
    test::makeFolders(root[1]);
    ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);

    TProfilLine task;
    task.Id = ShortString<8>::fromText("MODEL001");
    task.pair(1).PathWork = ShortString<255>::fromText(root[0]);
    task.pair(1).PathHome = ShortString<255>::fromText(root[1]);
    test::RecordingHost host;
    TFileCopier copier;
    copier.SetProgressBar(&host);
    copier.WriteMemoResult(&host);
    SyncContext ctx{dir / "medium/", {}, host, copier, {}};
    test::makeFolders(ctx.ProgramPath);
    host.fullCopyAnswers.assign(100, {FullCopyResult::CopyAll, true});

    Model model;
    std::int64_t clock = 1700000000;
    const std::vector<std::string> folders = {"", "x/", "x/y/", "z/"};
    const std::vector<std::string> names = {"a.txt", "b.doc", "c", "d.bin"};

    // Both computers start with something of their own.
    for (int s = 0; s < 2; ++s) {
        const std::string name = "start" + std::to_string(s) + ".txt";
        test::writeFile(root[s] + name, "initial " + std::to_string(s));
        test::setMtime(root[s] + name, {clock, 0});
        model.side[s] = readTree(root[s]);
    }

    std::string history;
    for (int step = 0; step < 24; ++step) {
        const int action = pick(6);
        const int s = pick(2);
        const Side side = s == 0 ? Side::Work : Side::Home;
        if (action <= 1) { // a change on one computer
            clock += 10;
            const std::string name = folders[static_cast<std::size_t>(pick(4))] + names[static_cast<std::size_t>(pick(4))];
            const int change = pick(4);
            if (change <= 1) {
                test::writeFile(root[s] + name, "v" + std::to_string(clock) + " " + name);
                test::setMtime(root[s] + name, {clock, 0});
            } else if (change == 2) {
                fs::remove(root[s] + name);
            } else if (const std::string folder = folders[static_cast<std::size_t>(1 + pick(3))]; true) {
                fs::remove_all(root[s] + folder);
                if (pick(2) == 0) test::makeFolders(root[s] + folder); // an empty folder
            }
            model.side[s] = readTree(root[s]);
            history += " change" + std::to_string(s);
        } else if (action <= 3) { // a send
            model.operacDell = task.OperacDell = pick(4) != 0;
            const Direction d = side == Side::Work ? Direction::WorkHome : Direction::HomeWork;
            const Role r = side == Side::Work ? Role::Work : Role::Home;
            ASSERT_EQ(RunHalf(ctx, task, d, r), HalfResult::Completed) << history;
            model.send(side);
            history += " send" + std::to_string(s);
            EXPECT_EQ(fs::is_directory(storeRoot(ctx.PathTask, side)), model.store[s].has_value()) << history;
        } else { // a receive, when something is pending for this computer
            const int sender = 1 - s;
            if (!model.store[sender]) continue;
            const Direction d = sender == 0 ? Direction::WorkHome : Direction::HomeWork;
            const Role r = side == Side::Work ? Role::Work : Role::Home;
            ASSERT_EQ(RunHalf(ctx, task, d, r), HalfResult::Completed) << history;
            model.receive(side);
            history += " receive" + std::to_string(s);
            ASSERT_EQ(readTree(root[s]), model.side[s]) << "after" << history;
            ASSERT_EQ(readTree(root[sender]), model.side[sender]) << "the sender's folder never changes";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RandomHistories, SyncModel, ::testing::Range(0, modelSeeds()));

} // namespace
} // namespace tarvela
