#include "sync/agreed_generations.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "records/path_form.h"
#include "records/table_check.h"
#include "records/zone_rules.h"
#include "sync/half_lines.h"
#include "records/byte_stream.h"
#include "sync/half_lines.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace tarvela {
namespace {

// Above what any sound history reaches (one generation per receive), and far enough from the end of
// the count that a write can never wrap around.
constexpr std::uint64_t kMaxRememberedGeneration = std::uint64_t{1} << 62;

// One line per pair: "GENERATION<TAB>KEY". The key names the profile and the pair's folder texts,
// which also keeps the memories of different media folders and test runs apart.
std::string memoryFile() {
    const std::string folder = platform::userDataFolder();
    return folder.empty() ? std::string() : folder + "agreed-generations";
}

std::string keyOf(const TProfilLine& task, int n) {
    std::string key = task.Id.text() + "|" + std::to_string(n) + "|" + ownFolder(task, Side::Work, n) + "|" +
                      ownFolder(task, Side::Home, n);
    for (char& c : key) {
        if (c == '\n' || c == '\t')
            c = ' ';
    }
    return key;
}

std::map<std::string, std::uint64_t> loadMemory() {
    std::map<std::string, std::uint64_t> seen;
    const std::string path = memoryFile();
    if (path.empty())
        return seen;
    const std::vector<unsigned char> bytes = readWholeFileOrNothing(path, std::size_t{64} << 20);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        std::uint64_t generation = 0;
        if (std::from_chars(line.data(), line.data() + tab, generation).ec != std::errc{})
            continue;
        // A value no sound history reaches was taken from a hand-made medium before generations
        // were bounded; kept, it would make every later state look outdated and a write wrap to 0.
        if (generation > kMaxRememberedGeneration)
            continue;
        seen[std::string(line.substr(tab + 1))] = generation;
    }
    return seen;
}

void store(const std::string& path, const std::map<std::string, std::uint64_t>& seen) {
    std::string text;
    for (const auto& [key, g] : seen)
        text += std::to_string(g) + "\t" + key + "\n";
    try {
        platform::createFolders(path.substr(0, path.rfind('/')));
        platform::writeFileAtomically(path, text.data(), text.size());
    } catch (const FileError&) {
    }
}

std::uint64_t seenGeneration(const TProfilLine& task, int n) {
    const auto seen = loadMemory();
    const auto it = seen.find(keyOf(task, n));
    return it == seen.end() ? 0 : it->second;
}

// Remembering is a safeguard, never a reason to fail a run: a failure to write it is ignored.
void remember(const TProfilLine& task, int n, std::uint64_t generation) {
    const std::string path = memoryFile();
    if (path.empty())
        return;
    auto seen = loadMemory();
    std::uint64_t& mine = seen[keyOf(task, n)];
    if (mine >= generation)
        return;
    mine = generation;
    store(path, seen);
}

// Whether folder texts read from a file are those of pair n now.
bool textsOfPair(const std::pair<std::string, std::string>& texts, const TProfilLine& task, int n) {
    const std::string work = ownFolder(task, Side::Work, n);
    const std::string home = ownFolder(task, Side::Home, n);
    return !(work.empty() && home.empty()) && sameFolderText(texts.first, work) && sameFolderText(texts.second, home);
}

// The pair of the profile, other than `except`, whose folders the texts name; 0 for none.
int pairNamedBy(const std::pair<std::string, std::string>& texts, const TProfilLine& task, int except) {
    for (int m = 1; m <= 10; ++m) {
        if (m != except && textsOfPair(texts, task, m))
            return m;
    }
    return 0;
}

// The zone rules a table's times were taken under, as its check file names them.
std::optional<ZoneRules> zoneOfTable(const std::string& table) {
    TableCheck check;
    if (readTableCheck(table, check) != TableCheckState::Read || check.zone.empty())
        return std::nullopt;
    return ZoneRules::parse(check.zone);
}

// Takes the times of `side` in the state again under the rules `now` (where known), and records
// that they are. Times of unknown rules (a state of the earlier version) count as taken under `now`.
void takeTimesUnder(AgreedState& state, Side side, const std::optional<ZoneRules>& now) {
    if (!now)
        return;
    std::string nowText = now->text();
    if (!state.zoneOf(side).empty() && state.zoneOf(side) != nowText) {
        if (const auto then = ZoneRules::parse(state.zoneOf(side))) {
            for (AgreedRecord& r : state.records)
                r.setTime(side, retime(r.timeOf(side), *then, *now));
        }
    }
    state.setZone(side, std::move(nowText));
}

} // namespace

std::string pairAgreedStateFile(const SyncContext& ctx, const TProfilLine& task, int n) {
    const std::string own = agreedStateFile(ctx.PathTask, n);
    const auto texts = agreedStateFolders(own);
    if (!texts || textsOfPair(*texts, task, n))
        return own;
    for (int m = 1; m <= 10; ++m) {
        if (m == n)
            continue;
        const std::string other = agreedStateFile(ctx.PathTask, m);
        const auto otherTexts = agreedStateFolders(other);
        if (otherTexts && textsOfPair(*otherTexts, task, n) && !textsOfPair(*otherTexts, task, m))
            return other;
    }
    return own;
}

void sayWhenPairStartsAfresh(const SyncContext& ctx, const TProfilLine& task, int n) {
    const std::string own = agreedStateFile(ctx.PathTask, n);
    if (pairAgreedStateFile(ctx, task, n) != own)
        return;
    const auto texts = agreedStateFolders(own);
    if (!texts || textsOfPair(*texts, task, n) || pairNamedBy(*texts, task, n) != 0)
        return;
    ctx.host.echo(std::string(msg::kPairStartsAfresh) + ownFolder(task, Side::Work, n) + " — " +
                      ownFolder(task, Side::Home, n),
                  color::kOrange);
}

bool usableAgreedGeneration(const SyncContext& ctx, const TProfilLine& task, int n, std::uint64_t generation) {
    const std::uint64_t seen = seenGeneration(task, n);
    if (generation < seen) {
        ctx.host.echo(std::string(msg::kAgreedStateOutdated) + agreedStateFile(ctx.PathTask, n), color::kOrange);
        return false;
    }
    if (generation - seen > kMaxGenerationLeap) {
        ctx.host.echo(std::string(msg::kAgreedStateTooNew) + agreedStateFile(ctx.PathTask, n), color::kOrange);
        return false;
    }
    if (ctx.plan == nullptr)
        remember(task, n, generation);
    return true;
}

AgreedState readPairAgreedState(const SyncContext& ctx, const TProfilLine& task, int n, Side own,
                                std::optional<AgreedFileEnd>* end) {
    const std::string work = ownFolder(task, Side::Work, n);
    const std::string home = ownFolder(task, Side::Home, n);
    const std::string path = pairAgreedStateFile(ctx, task, n);
    AgreedState state = readAgreedState(path, work, home, end);
    if (!state.records.empty() && !usableAgreedGeneration(ctx, task, n, state.generation)) {
        state = AgreedState{work, home, 0, {}};
        if (end != nullptr)
            end->reset();
    }
    // Another pair's file (the pairs were reordered): this pair's own file is not the one read.
    if (end != nullptr && path != agreedStateFile(ctx.PathTask, n))
        end->reset();
    takeTimesUnder(state, own, thisComputersZone());
    takeTimesUnder(state, otherSide(own), zoneOfTable(pairTableFile(ctx, task, otherSide(own), n)));
    return state;
}

std::unique_ptr<const AgreedLookup> readPairAgreedLookup(const SyncContext& ctx, const TProfilLine& task, int n,
                                                         Side side) {
    std::uint64_t generation = 0;
    std::unique_ptr<const AgreedLookup> lookup;
    {
        const std::vector<unsigned char> file =
            readWholeFileOrNothing(pairAgreedStateFile(ctx, task, n), kMaxAgreedStateBytes);
        lookup = AgreedLookup::read(file, ownFolder(task, Side::Work, n), ownFolder(task, Side::Home, n), side,
                                    &generation);
    }
    if (lookup == nullptr || usableAgreedGeneration(ctx, task, n, generation))
        return lookup;
    return nullptr;
}

void forgetAgreedGenerations(const std::string& id) {
    const std::string path = memoryFile();
    if (path.empty() || !platform::fileExists(path))
        return;
    auto seen = loadMemory();
    const std::string prefix = id + "|";
    if (std::erase_if(seen, [&](const auto& entry) { return entry.first.starts_with(prefix); }) == 0)
        return;
    store(path, seen);
}

namespace {

// Where the pair's own file holds the state of another pair of the profile now (reordered pairs),
// that state moves to that pair's file first, so that neither is lost.
void moveAnotherPairsState(const SyncContext& ctx, const TProfilLine& task, int n) {
    const std::string own = agreedStateFile(ctx.PathTask, n);
    // The state in the pair's file belongs to pair m now; pair m's file holds this pair's old
    // state (read already) or none, or a state of folders no pair names any more.
    if (const auto texts = agreedStateFolders(own); texts && !textsOfPair(*texts, task, n)) {
        if (const int m = pairNamedBy(*texts, task, n); m != 0) {
            const std::string theirs = agreedStateFile(ctx.PathTask, m);
            const auto theirTexts = agreedStateFolders(theirs);
            if (!theirTexts || textsOfPair(*theirTexts, task, n) || pairNamedBy(*theirTexts, task, 0) == 0) {
                const std::vector<unsigned char> bytes = readWholeFileOrNothing(own, kMaxAgreedStateBytes);
                if (!bytes.empty())
                    platform::writeFileAtomically(theirs, bytes.data(), bytes.size());
            }
        }
    }
}

} // namespace

std::uint64_t writePairAgreedState(const SyncContext& ctx, const TProfilLine& task, int n, AgreedState state) {
    state.generation = std::max(state.generation, seenGeneration(task, n)) + 1;
    moveAnotherPairsState(ctx, task, n);
    writeAgreedState(agreedStateFile(ctx.PathTask, n), state);
    remember(task, n, state.generation);
    return state.generation;
}

namespace {

// The changes of `all` that `written` does not hold as they are now.
AgreedChanges changesNotWritten(const AgreedChanges& all, const AgreedChanges& written) {
    std::unordered_map<std::string_view, const AgreedRecord*> set;
    set.reserve(written.set.size());
    for (const AgreedRecord& r : written.set)
        set.try_emplace(r.name, &r);
    const std::unordered_set<std::string_view> dropped(written.dropped.begin(), written.dropped.end());
    AgreedChanges fresh;
    for (const AgreedRecord& r : all.set) {
        const auto it = set.find(r.name);
        if (it == set.end() || !(*it->second == r))
            fresh.set.push_back(r);
    }
    for (const std::string& name : all.dropped) {
        if (dropped.count(name) == 0)
            fresh.dropped.push_back(name);
    }
    return fresh;
}

// Whether every name the file's changes hold is still among `all`'s: a receive's changes only
// grow, but should one have been taken back, the state is written whole.
bool coversWritten(const AgreedChanges& all, const AgreedChanges& written) {
    std::unordered_set<std::string_view> names;
    names.reserve(all.set.size() + all.dropped.size());
    for (const AgreedRecord& r : all.set)
        names.insert(r.name);
    for (const std::string& name : all.dropped)
        names.insert(name);
    return std::all_of(written.set.begin(), written.set.end(),
                       [&](const AgreedRecord& r) { return names.count(r.name) != 0; }) &&
           std::all_of(written.dropped.begin(), written.dropped.end(),
                       [&](const std::string& name) { return names.count(name) != 0; });
}

} // namespace

bool appendPairAgreedChanges(const SyncContext& ctx, const TProfilLine& task, int n, const AgreedState& base,
                             AgreedChangesWritten& written, AgreedChanges& all) {
    if (!coversWritten(all, written.changes))
        return false;
    const std::uint64_t generation = std::max(written.generation, seenGeneration(task, n)) + 1;
    moveAnotherPairsState(ctx, task, n);
    const std::string path = agreedStateFile(ctx.PathTask, n);
    std::optional<AgreedFileEnd> end;
    if (written.end && written.end->generation == written.generation)
        end = appendAgreedChangesAt(path, base, *written.end, generation, changesNotWritten(all, written.changes));
    if (!end)
        end = appendAgreedChanges(path, base, written.generation, generation, all);
    if (!end)
        return false;
    remember(task, n, generation);
    written.generation = generation;
    written.end = std::move(end);
    written.changes = std::move(all);
    return true;
}

} // namespace tarvela
