// A randomised two-computer test: random trees, random edits (some saved again within a second,
// some made while a receive runs), removals, case-only renames, files and folders renamed or
// moved, and new folders on either side between runs, random directions, deletion on and off, masks that change,
// halves that stop early or are killed at a random point, sends repeated before the other side
// received, send-then-receive on one computer, and (in every other history) the two computers in
// time zones nine hours apart. Two properties are checked:
//  - no version the user made is lost: after every receive, each content the receiving folder held
//    before is still there (under its name or a conflict copy's), unless the sender's computer held
//    that very version once (the sender edited or removed it knowingly);
//  - after full round trips with no edits (two; three with deletion off, see below), both folders
//    hold the same names (without regard to letter case), contents and folders.
// The same histories run once more with the home folder on a case-insensitive file system (exFAT
// through FUSE on a loop image; needs root, skipped elsewhere).
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

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

// How a half is cut short: not at all, by the stop button, or by the process being killed, at
// the given step of the half (see RecordingHost::onStep; a half with fewer steps runs to its end).
enum class Cut { None, Stop, Kill };
struct Interruption {
    Cut cut = Cut::None;
    int atStep = 0;
};

class SyncModel : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        test::makeFolders(root[0]);
        test::makeFolders(root[1]);
        ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        if (const char* tz = std::getenv("TZ"))
            savedTimeZone = tz;
        task.Id = ShortString<8>::fromText("MODEL001");
        task.pair(1).PathWork = ShortString<255>::fromText(root[0]);
        task.pair(1).PathHome = ShortString<255>::fromText(root[1]);
        copier.SetProgressBar(&host);
        copier.WriteMemoResult(&host);
        test::makeFolders(ctx.ProgramPath);
        host.fullCopyAnswers.assign(1000, {FullCopyResult::CopyAll, true});
        host.allowMassRemoval = true;
    }

    void TearDown() override {
        RecordProperty("halves", halvesRun); // for the long form's count (--gtest_output=xml)
        RecordProperty("moves", static_cast<int>(std::count_if(host.lines.begin(), host.lines.end(), [](const auto& l) {
                           return l.text.starts_with(msg::kMoved);
                       })));
        RecordProperty("movesSent", static_cast<int>(std::count_if(host.lines.begin(), host.lines.end(), [](const auto& l) {
                           return l.text.starts_with(msg::kMoveSent);
                       })));
        RecordProperty("movesNotMade", static_cast<int>(std::count_if(
                                           host.lines.begin(), host.lines.end(),
                                           [](const auto& l) { return l.text.starts_with(msg::kMoveNotMade); })));
        unmountHome();
        if (savedTimeZone)
            ::setenv("TZ", savedTimeZone->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    // Puts the home folder on a case-insensitive file system; false when this machine cannot.
    bool homeOnExfat() {
        exfatImage = dir / "home.img";
        if (::geteuid() != 0 || !fs::exists("/dev/fuse") || !shell("command -v mkfs.exfat mount.exfat-fuse losetup"))
            return false;
        if (!shell("truncate -s 16M '" + exfatImage + "' && mkfs.exfat '" + exfatImage + "'"))
            return false;
        FILE* p = ::popen(("losetup -f --show '" + exfatImage + "' 2>/dev/null").c_str(), "r");
        char line[64] = {};
        const bool got = p != nullptr && std::fgets(line, sizeof line, p) != nullptr;
        if (p != nullptr)
            ::pclose(p);
        if (!got)
            return false;
        loopDevice = line;
        while (!loopDevice.empty() && loopDevice.back() == '\n')
            loopDevice.pop_back();
        // No lookup cached by the kernel: each one asks the driver, so runs do not depend on timing.
        exfatMounted = shell("mount.exfat-fuse -o entry_timeout=0,negative_timeout=0,attr_timeout=0 '" + loopDevice +
                             "' '" + root[1] + "'");
        foldsCase[1] = exfatMounted;
        return exfatMounted;
    }

    void unmountHome() {
        if (exfatMounted)
            shell("umount -l '" + root[1] + "'");
        // The FUSE driver lets go of the loop device a moment after the unmount.
        for (int i = 0; !loopDevice.empty() && i < 50 && !shell("losetup -d '" + loopDevice + "'"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        exfatMounted = false;
        loopDevice.clear();
    }

    static bool shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

    static Side sideOf(int s) { return s == 0 ? Side::Work : Side::Home; }
    bool pending(int sender) const { return fs::is_directory(storeRoot(ctx.PathTask, sideOf(sender))); }

    // Each computer's clock in its own time zone (the tables hold local times).
    void enterTimeZoneOf(int computer) const {
        ::setenv("TZ", timeZone[computer].c_str(), 1);
        ::tzset();
    }

    // Runs one half on `computer`, cut short as asked. A killed half runs in a child process that
    // ends at once at its kill point, leaving on disk whatever it had made so far.
    HalfResult runHalf(int computer, Direction d, Interruption how) {
        ++halvesRun;
        enterTimeZoneOf(computer);
        const Role role = computer == 0 ? Role::Work : Role::Home;
        int steps = 0;
        if (how.cut == Cut::Kill) {
            const pid_t child = ::fork();
            if (child == 0) {
                host.onStep = [&] {
                    if (++steps == how.atStep)
                        ::_exit(100);
                };
                ::_exit(static_cast<int>(RunHalf(ctx, task, d, role)));
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return code == 100 ? HalfResult::Stopped : static_cast<HalfResult>(code);
        }
        if (how.cut == Cut::Stop) {
            host.onStep = [&] {
                if (++steps == how.atStep)
                    host.stop = true;
            };
        }
        const HalfResult result = RunHalf(ctx, task, d, role);
        host.onStep = nullptr;
        host.stop = false;
        return result;
    }

    HalfResult send(int s, Interruption how = {}) {
        return runHalf(s, s == 0 ? Direction::WorkHome : Direction::HomeWork, how);
    }

    // Receives on `s` what the other side sent, checking that no unseen version of s is lost.
    // `editAtStep` (with `pick`): the user of s saves a file at that step of the receive, while it
    // runs; that version must not be lost either.
    void receive(int s, const std::string& history, Interruption how = {}, int editAtStep = 0,
                 const std::function<int(int)>& pick = {}) {
        const int sender = 1 - s;
        Tree before = readTree(root[s]);
        const std::size_t firstLine = host.lines.size();
        int steps = 0; // lives as long as the half that counts them
        if (editAtStep > 0 && how.cut == Cut::None) {
            host.onStep = [&, s] {
                if (++steps != editAtStep)
                    return;
                // What the receive has put in place so far is held by this computer now: the
                // user who saves over it replaces it knowingly.
                const Tree pre = readTree(root[s]);
                for (const auto& [name, content] : pre.files)
                    seen[s].insert(content);
                change(s, pick, true);
                for (const auto& [name, content] : readTree(root[s]).files) {
                    const auto was = pre.files.find(name);
                    if (was != pre.files.end() && was->second == content)
                        continue;
                    // The user's own save replaces what stood there: that version goes by the
                    // user's hand (under whichever spelling the receive has given it by now).
                    if (was != pre.files.end())
                        std::erase_if(before.files, [&](const auto& e) { return e.second == was->second; });
                    before.files["(saved during the receive) " + name] = content;
                }
            };
        }
        const HalfResult result = runHalf(s, sender == 0 ? Direction::WorkHome : Direction::HomeWork, how);
        host.onStep = nullptr;
        // A killed half leaves its table as far as it got; the next half scans afresh. A save made
        // while the receive ran may or may not be in the table it wrote; the next send scans anew.
        if (how.cut != Cut::Kill && editAtStep == 0)
            expectTableAsRescan(s, firstLine, history);
        ASSERT_TRUE(result == HalfResult::Completed || result == HalfResult::Stopped)
            << static_cast<int>(result) << history << lastLines(40);
        expectNothingLost(before, readTree(root[s]), sender, history);
        observe();
    }

    // Each version the receiver held before is still there, unless the sender held it once. A
    // copy's temporary (left by a killed half) keeps nothing.
    void expectNothingLost(const Tree& before, const Tree& after, int sender, const std::string& history) {
        std::multiset<std::string> kept;
        for (const auto& [name, content] : after.files) {
            if (!isLeftTemporary(name))
                kept.insert(content);
        }
        for (const auto& [name, content] : before.files) {
            if (isLeftTemporary(name))
                continue;
            EXPECT_TRUE(kept.count(content) > 0 || seen[sender].count(content) > 0)
                << "the version '" << content << "' of " << name << " is lost after" << history
                << "\nbefore:" << ::testing::PrintToString(before) << "\nafter:" << ::testing::PrintToString(after)
                << lastLines(40);
        }
    }

    static bool isLeftTemporary(const std::string& name) {
        const std::string leaf = name.substr(name.rfind('/') + 1);
        return leaf.starts_with(".tarvela-") && leaf.ends_with(".part");
    }

    // One change a user makes on computer s: a file written, a file saved again with the same size
    // a second after its last save, a file removed, a folder replaced (by an empty one or by
    // nothing), a name changed in letter case only, or a file or a folder renamed or moved.
    // `writeOnly`: a file written or saved again.
    void change(int s, const std::function<int(int)>& pick, bool writeOnly = false) {
        clock += 10;
        const std::vector<std::string> folders = {"", "x/", "x/y/", "z/"};
        const std::vector<std::string> names = {"a.txt", "b.doc", "c", "d.bin"};
        const std::string name = folders[static_cast<std::size_t>(pick(4))] + names[static_cast<std::size_t>(pick(4))];
        const int kind = writeOnly ? pick(4) : pick(11);
        if (kind == 3 && saveAgainWithinASecond(s, name)) {
            observe();
            return;
        }
        if (kind <= 3) {
            const std::string path = existingSpelling(root[s], name).value_or(root[s] + name);
            makeFoldersOnTheWay(root[s], path);
            // Right after a folder is removed under another letter case the exFAT FUSE driver may
            // answer mkdir with "exists" and open with "no such folder": the user cannot save
            // there this time.
            if (!saveIfPossible(path, "v" + std::to_string(clock) + " " + name))
                return;
            test::setMtime(path, {clock, 0});
        } else if (kind == 4) {
            if (const auto path = existingSpelling(root[s], name))
                fs::remove(*path);
        } else if (kind == 5) {
            const std::string folder = folders[static_cast<std::size_t>(1 + pick(3))];
            if (const auto path = existingSpelling(root[s], folder))
                fs::remove_all(*path);
            if (pick(2) == 0)
                makeFoldersOnTheWay(root[s], root[s] + folder); // an empty folder
        } else if (kind == 6) {
            renameCaseOnly(root[s], pick(2) == 0 ? name : folders[static_cast<std::size_t>(1 + pick(3))]);
        } else if (kind <= 9) {
            moveItem(root[s], name,
                     folders[static_cast<std::size_t>(pick(4))] + names[static_cast<std::size_t>(pick(4))]);
        } else {
            const std::vector<std::string> places = {"x/", "x/y/", "z/", "w/"};
            moveItem(root[s], places[static_cast<std::size_t>(pick(4))], places[static_cast<std::size_t>(pick(4))]);
        }
        observe();
    }

    // Renames or moves the file or folder `from` (a folder ends with '/') to `to`, as a user does:
    // never onto another item, never into itself.
    static void moveItem(const std::string& top, const std::string& from, const std::string& to) {
        const auto found = existingSpelling(top, from);
        if (!found || existingSpelling(top, to))
            return;
        std::string source = *found;
        std::string target = top + to;
        for (std::string* path : {&source, &target}) {
            if (path->ends_with("/"))
                path->pop_back();
        }
        if (foldedName(target + "/").starts_with(foldedName(source + "/")))
            return;
        makeFoldersOnTheWay(top, target);
        std::error_code ec;
        fs::rename(source, target, ec);
    }

    static bool saveIfPossible(const std::string& path, const std::string& content) {
        try {
            test::writeFile(path, content);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    // Saves the file again with new content of the same size, its time one second after the last
    // save's: a change that only an exact look at the time tells. False when there is no such file
    // (or too short a one).
    bool saveAgainWithinASecond(int s, const std::string& name) {
        const auto path = existingSpelling(root[s], name);
        if (!path || !fs::is_regular_file(*path))
            return false;
        const std::string old = test::readFile(*path);
        const std::string tag = "s" + std::to_string(clock);
        if (old.size() < tag.size())
            return false;
        const platform::FileTime last = test::mtimeOf(*path);
        test::writeFile(*path, tag + old.substr(tag.size()));
        test::setMtime(*path, {last.seconds + 1, last.nanoseconds});
        return true;
    }

    // Makes the folders between `top` and the file `path` with one mkdir each, whatever a lookup
    // says: right after a folder is removed under another letter case, the FUSE exFAT driver still
    // finds it by the old name (while listing and mkdir see it gone), and create_directories, which
    // asks first, would make nothing.
    static void makeFoldersOnTheWay(const std::string& top, const std::string& path) {
        for (auto slash = path.find('/', top.size()); slash != std::string::npos; slash = path.find('/', slash + 1))
            ::mkdir(path.substr(0, slash).c_str(), 0777); // EEXIST where it is there
    }

    // The path of `relative` (a file, or a folder ending with '/') as spelt on disk, each name
    // matched without regard to case, as a user finds a file whatever its case; nothing when
    // there is no such item.
    static std::optional<std::string> existingSpelling(const std::string& top, const std::string& relative) {
        std::string path = top;
        std::size_t from = 0;
        while (from < relative.size()) {
            const std::size_t slash = relative.find('/', from);
            const std::string part =
                relative.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
            from = slash == std::string::npos ? relative.size() : slash + 1;
            std::optional<std::string> found;
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(path, ec)) {
                const std::string leaf = e.path().filename().string();
                if (foldedName(leaf) == foldedName(part) && (!found || leaf == part))
                    found = leaf;
            }
            if (!found)
                return std::nullopt;
            path += *found + (slash == std::string::npos ? "" : "/");
        }
        return path;
    }

    // Renames the last name of `relative` to the same letters in the other case.
    static void renameCaseOnly(const std::string& top, const std::string& relative) {
        const auto from = existingSpelling(top, relative);
        if (!from)
            return;
        std::string path = *from;
        const bool folder = path.ends_with("/");
        if (folder)
            path.pop_back();
        const std::size_t leafAt = path.rfind('/') + 1;
        std::string to = path;
        for (std::size_t i = leafAt; i < to.size(); ++i) {
            const auto c = static_cast<unsigned char>(to[i]);
            to[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
        }
        // Never onto another item: where case is told apart, the other spelling may exist already.
        std::error_code ec;
        if (to != path && !existingSpellingIsOther(path, to))
            fs::rename(path, to, ec);
    }

    static bool existingSpellingIsOther(const std::string& path, const std::string& to) {
        std::error_code ec;
        return fs::exists(to, ec) && !fs::equivalent(path, to, ec);
    }

    static std::string foldedName(std::string name) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return name;
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
        std::erase_if(t.files, [](const auto& e) { return foldedName(e.first).find(".bin") != std::string::npos; });
        // (A case-insensitive side holds a folder under one spelling for all of them.)
        std::erase_if(t.folders, [&](const std::string& folder) {
            return std::any_of(holders.begin(), holders.end(),
                               [&](const std::string& h) { return foldedName(h) == foldedName(folder); });
        });
        return t;
    }

    std::set<std::string> holdersOfMasked(const Tree& a, const Tree& b) const {
        std::set<std::string> holders;
        for (const Tree* t : {&a, &b}) {
            for (const auto& [name, content] : t->files) {
                if (foldedName(name).find(".bin") == std::string::npos)
                    continue;
                for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
                    holders.insert(name.substr(0, slash));
                }
            }
        }
        return holders;
    }

    // The two folders hold the same names and folders without regard to letter case (the send's
    // comparison matches names so, and a case-insensitive side can hold only one of several
    // spellings), and each name holds one of the versions the other side keeps under that name's
    // spellings (both ways where neither side folds case).
    void expectSameTrees(const std::string& history) {
        const Tree work = readTree(root[0]);
        const Tree home = readTree(root[1]);
        const auto holders = holdersOfMasked(work, home);
        const Tree w = unmasked(work, holders);
        const Tree h = unmasked(home, holders);
        const std::string trees = " after" + history + "\nwork:" + ::testing::PrintToString(work) +
                                  "\nhome:" + ::testing::PrintToString(home);
        if (!foldsCase[0])
            expectVersionsOf(h, w, foldsCase[1], trees);
        if (!foldsCase[1])
            expectVersionsOf(w, h, foldsCase[0], trees);
        if (HasFailure())
            ADD_FAILURE() << lastLines(120);
    }

    // `oneFolds`: `one` can hold only one of the names `other` spells in several letter cases (the
    // others are refused with a red line on every receive), so what `other` keeps below such a
    // twin need not be on `one`.
    static void expectVersionsOf(const Tree& one, const Tree& other, bool oneFolds, const std::string& trees) {
        const std::set<std::string> twins = oneFolds ? twinnedNames(other) : std::set<std::string>();
        const auto belowTwin = [&](const std::string& folded) {
            for (auto slash = folded.find('/'); slash != std::string::npos; slash = folded.find('/', slash + 1)) {
                if (twins.count(folded.substr(0, slash)) > 0)
                    return true;
            }
            return twins.count(folded) > 0;
        };
        std::map<std::string, std::set<std::string>> versions;
        for (const auto& [name, content] : other.files)
            versions[foldedName(name)].insert(content);
        std::set<std::string> names;
        for (const auto& [name, content] : one.files) {
            names.insert(foldedName(name));
            EXPECT_TRUE(versions[foldedName(name)].count(content) > 0) << name << " holds '" << content << "'" << trees;
        }
        std::erase_if(versions, [&](const auto& e) { return names.count(e.first) > 0 || belowTwin(e.first); });
        EXPECT_TRUE(versions.empty()) << "missing on one side" << trees;
        std::set<std::string> oneFolders;
        std::set<std::string> otherFolders;
        for (const auto& folder : one.folders)
            oneFolders.insert(foldedName(folder));
        for (const auto& folder : other.folders) {
            if (!belowTwin(foldedName(folder)) || oneFolders.count(foldedName(folder)) > 0)
                otherFolders.insert(foldedName(folder));
        }
        EXPECT_EQ(oneFolders, otherFolders) << trees;
    }

    // The folded names (files, folders and the folders above them) that the tree spells in more
    // than one letter case.
    static std::set<std::string> twinnedNames(const Tree& t) {
        std::map<std::string, std::set<std::string>> spellings;
        const auto add = [&](const std::string& name) {
            for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
                spellings[foldedName(name.substr(0, slash))].insert(name.substr(0, slash));
            spellings[foldedName(name)].insert(name);
        };
        for (const auto& [name, content] : t.files)
            add(name);
        for (const auto& folder : t.folders)
            add(folder);
        std::set<std::string> twins;
        for (const auto& [folded, spelt] : spellings) {
            if (spelt.size() > 1)
                twins.insert(folded);
        }
        return twins;
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

    // The random history of the test's seed.
    void runHistory();

    // Where the computers' clocks are apart, so are the files carried between them: a table holds
    // local times, and the receiver sets the sender's local time as its own, so each copy of a
    // file stands nine hours from the other in real time (and the history really ran so).
    void expectClocksApartInTheFileTimes() {
        const Tree work = readTree(root[0]);
        const Tree home = readTree(root[1]);
        int carried = 0;
        for (const auto& [name, content] : work.files) {
            const auto there = home.files.find(name);
            if (there == home.files.end() || there->second != content || isLeftTemporary(name))
                continue;
            ++carried;
            const auto apart =
                std::llabs(test::mtimeOf(root[0] + name).seconds - test::mtimeOf(root[1] + name).seconds);
            EXPECT_NEAR(static_cast<double>(apart), 9 * 3600.0, 2.0) << name;
        }
        EXPECT_GT(carried, 0);
    }

    test::TempDir dir;
    const std::string root[2] = {dir / "work/", dir / "home/"};
    bool foldsCase[2] = {false, false};
    std::string timeZone[2] = {"UTC0", "UTC0"};
    std::optional<std::string> savedTimeZone;
    std::string exfatImage;
    std::string loopDevice;
    bool exfatMounted = false;
    std::int64_t clock = 1700000000;
    int halvesRun = 0;
    TProfilLine task;
    test::RecordingHost host;
    TFileCopier copier;
    SyncContext ctx{dir / "medium/", {}, host, copier, {}};
    std::set<std::string> seen[2];
};

void SyncModel::runHistory() {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) * 7919u + 1u);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string history;
    if (GetParam() % 2 == 1) {
        timeZone[1] = "JST-9";
        history += " (home nine hours ahead)";
    }
    // Now and then a half is stopped or killed at a random step.
    auto interruption = [&]() -> Interruption {
        const int kind = pick(8);
        if (kind == 0)
            return {Cut::Stop, 1 + pick(60)};
        if (kind == 1)
            return {Cut::Kill, 1 + pick(60)};
        return {};
    };
    auto named = [](const char* what, Interruption how, int s) {
        const std::string prefix = how.cut == Cut::Stop ? "stopped-" : how.cut == Cut::Kill ? "killed-" : "";
        const std::string at = how.cut == Cut::None ? "" : "@" + std::to_string(how.atStep);
        return " " + prefix + what + std::to_string(s) + at;
    };

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
            change(s, pick);
            history += " change" + std::to_string(s);
        } else if (action <= 4) { // a send
            task.OperacDell = pick(4) != 0;
            const Interruption how = interruption();
            const HalfResult result = send(s, how);
            ASSERT_TRUE(result == HalfResult::Completed || (how.cut != Cut::None && result == HalfResult::Stopped))
                << static_cast<int>(result) << history << lastLines(40);
            history += named("send", how, s);
        } else if (action <= 6) { // a receive, when something is pending for this computer
            if (!pending(1 - s))
                continue;
            task.OperacDell = pick(4) != 0;
            const Interruption how = interruption();
            // Now and then the user saves a file while the receive runs.
            const int editAt = pick(3) == 0 ? 1 + pick(30) : 0;
            receive(s, history, how, editAt, pick);
            history += named("receive", how, s) + (editAt > 0 ? "+edit@" + std::to_string(editAt) : "");
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
                    ASSERT_EQ(send(sender), HalfResult::Completed) << history << lastLines(40);
                    if (pending(sender))
                        receive(1 - sender, history + " (round trip)");
                    if (HasFailure())
                        return;
                }
            }
            history += " round-trip" + std::to_string(s);
            expectSameTrees(history);
            if (HasFailure())
                return;
            if (timeZone[0] != timeZone[1])
                expectClocksApartInTheFileTimes();
        }
    }
}

TEST_P(SyncModel, NoVersionIsLostAndARoundTripConverges) {
    runHistory();
}

// The same histories with the home folder on exFAT: names that differ in case only are one name
// there.
using SyncModelCaseInsensitiveHome = SyncModel;

TEST_P(SyncModelCaseInsensitiveHome, NoVersionIsLostAndARoundTripConverges) {
    if (!homeOnExfat())
        GTEST_SKIP() << "needs root, FUSE, exfatprogs and exfat-fuse";
    runHistory();
}

INSTANTIATE_TEST_SUITE_P(RandomHistories, SyncModel, ::testing::Range(0, fromEnv("TARVELA_MODEL_SEEDS", 8)));
INSTANTIATE_TEST_SUITE_P(RandomHistories, SyncModelCaseInsensitiveHome,
                         ::testing::Range(0, fromEnv("TARVELA_MODEL_SEEDS", 8)));

} // namespace
} // namespace tarvela
