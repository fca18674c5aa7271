#include "records/agreed_state.h"

#include "platform/atomic_file.h"
#include "platform/file_patch.h"
#include "platform/file_reader.h"
#include "base/errors.h"
#include "records/byte_stream.h"
#include "records/path_form.h"

#include <algorithm>
#include <bit>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace tarvela {
namespace {

constexpr std::string_view kMagic = "TarvelaA";
constexpr std::size_t kMinRecordBytes = 1 + 8 + 8 + 8 + 2 + 1;
constexpr std::string_view kUpdateMagic = "TarvelaU";
constexpr std::uint8_t kRemoved = 2;
// Updates up to this size are appended however small the whole state is.
constexpr std::size_t kUpdatesAlwaysAllowed = 64 << 10;

void writeRecord(ByteWriter& w, std::uint8_t nature, std::int64_t size, double workTime, double homeTime,
                 std::string_view name, std::string_view checksum) {
    w.u8(nature);
    w.i64(size);
    w.f64(workTime);
    w.f64(homeTime);
    w.text16(name);
    w.u8(static_cast<std::uint8_t>(checksum.size() > 255 ? 0 : checksum.size()));
    if (checksum.size() <= 255)
        w.raw(checksum);
}

} // namespace

std::string agreedStateFile(const std::string& pathTask, int n) {
    return pathTask + "/Agreed_" + std::to_string(n) + ".dat";
}

std::vector<unsigned char> encodeAgreedState(const AgreedState& state) {
    std::size_t size = kMagic.size() + 4 + 8 + 2 + state.workFolder.size() + 2 + state.homeFolder.size() + 2 +
                       state.workZone.size() + 2 + state.homeZone.size() + 4 + 4;
    for (const AgreedRecord& r : state.records)
        size += 1 + 8 + 8 + 8 + 2 + r.name.size() + 1 + r.checksum.size();
    ByteWriter w;
    w.reserve(size); // grown once: the state of a large folder is megabytes
    w.raw(kMagic);
    w.u32(kAgreedStateVersion);
    w.u64(state.generation);
    w.text16(state.workFolder);
    w.text16(state.homeFolder);
    w.text16(state.workZone);
    w.text16(state.homeZone);
    w.u32(static_cast<std::uint32_t>(state.records.size()));
    for (const AgreedRecord& r : state.records)
        writeRecord(w, r.nature, r.size, r.workTime, r.homeTime, r.name, r.checksum);
    std::vector<unsigned char> bytes = w.take();
    appendChecksum(bytes);
    return bytes;
}

namespace {

// One record as the file holds it; in an update, nature kRemoved says that the name is no longer
// agreed on (its other fields carry nothing).
bool readRecord(ByteReader& r, AgreedRecordView& rec, std::uint8_t largestNature) {
    rec.nature = r.u8();
    rec.size = r.i64();
    rec.workTime = r.f64();
    rec.homeTime = r.f64();
    rec.name = r.view(r.u16());
    rec.checksum = r.view(r.u8());
    return r.ok() && rec.nature <= largestNature && rec.size >= 0 && !rec.name.empty();
}

std::uint32_t loadChecksum(ConstBytes file, std::size_t at) {
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i)
        stored |= std::uint32_t{file[at + i]} << (8 * i);
    return stored;
}

// Where the sound parts of an agreed-state file lie: the whole state written at once, then the
// updates appended since, up to the first one that is not whole.
struct AgreedLayout {
    std::uint64_t generation = 0;
    std::string_view workZone; // empty in version 1
    std::string_view homeZone;
    std::size_t baseRecords = 0; // offset of the whole state's first record
    std::uint32_t baseCount = 0;
    std::size_t baseEnd = 0; // the whole state with its checksum
    struct Update {
        std::size_t records;
        std::uint32_t count;
    };
    std::vector<Update> updates;
    std::size_t end = 0; // the end of the last sound part
};

// Checks `count` records from r's position; false when one is not sound.
bool recordsSound(ByteReader& r, std::uint32_t count, std::uint8_t largestNature) {
    AgreedRecordView rec;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!readRecord(r, rec, largestNature))
            return false;
    }
    return true;
}

bool layoutOf(ConstBytes file, std::string_view workFolder, std::string_view homeFolder, AgreedLayout& out) {
    ByteReader r(file);
    if (r.view(kMagic.size()) != kMagic)
        return false;
    const std::uint32_t version = r.u32();
    if (version != 1 && version != kAgreedStateVersion)
        return false;
    out.generation = r.u64();
    // Records of other folder texts describe other folders: the pair was changed in the profile.
    if (!sameFolderText(r.view(r.u16()), workFolder) || !sameFolderText(r.view(r.u16()), homeFolder) || !r.ok())
        return false;
    if (version >= 2) {
        out.workZone = r.view(r.u16());
        out.homeZone = r.view(r.u16());
    }
    out.baseCount = r.u32();
    if (!r.ok() || out.baseCount > r.remaining() / kMinRecordBytes)
        return false;
    out.baseRecords = r.position();
    // Every record is checked before the first is handed out: a damaged file gives nothing.
    if (!recordsSound(r, out.baseCount, 1) || r.remaining() < 4)
        return false;
    if (fnv1a32(file.first(r.position())) != loadChecksum(file, r.position()))
        return false;
    out.baseEnd = out.end = r.position() + 4;
    // Updates: one cut short or damaged (a write that did not end) ends the state read.
    while (file.size() - out.end >= kUpdateMagic.size() + 8 + 4 + 4) {
        const ConstBytes rest = file.subspan(out.end);
        ByteReader u(rest);
        if (u.view(kUpdateMagic.size()) != kUpdateMagic)
            break;
        const std::uint64_t generation = u.u64();
        const std::uint32_t count = u.u32();
        if (!u.ok() || count > u.remaining() / kMinRecordBytes)
            break;
        const std::size_t records = out.end + u.position();
        if (!recordsSound(u, count, kRemoved) || u.remaining() < 4 ||
            fnv1a32(rest.first(u.position())) != loadChecksum(rest, u.position()))
            break;
        out.updates.push_back({records, count});
        out.generation = generation;
        out.end += u.position() + 4;
    }
    return true;
}

// Calls use(view) for each record of the state the file holds now, in the order described at
// visitAgreedState; returns how many.
template <typename Use>
std::uint32_t eachRecord(ConstBytes file, const AgreedLayout& layout, const Use& use) {
    ByteReader base(file.subspan(layout.baseRecords));
    AgreedRecordView rec;
    if (layout.updates.empty()) {
        for (std::uint32_t i = 0; i < layout.baseCount; ++i) {
            readRecord(base, rec, 1);
            use(rec);
        }
        return layout.baseCount;
    }
    // The last update of a name counts; the names updated, in the order they were first updated.
    std::unordered_map<std::string_view, AgreedRecordView> latest;
    std::vector<std::string_view> order;
    for (const AgreedLayout::Update& update : layout.updates) {
        ByteReader u(file.subspan(update.records));
        for (std::uint32_t i = 0; i < update.count; ++i) {
            readRecord(u, rec, kRemoved);
            const auto [it, added] = latest.insert_or_assign(rec.name, rec);
            if (added)
                order.push_back(it->first);
        }
    }
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < layout.baseCount; ++i) {
        readRecord(base, rec, 1);
        if (latest.count(rec.name) == 0) {
            use(rec);
            ++count;
        }
    }
    for (const std::string_view name : order) {
        const AgreedRecordView& update = latest.at(name);
        if (update.nature != kRemoved) {
            use(update);
            ++count;
        }
    }
    return count;
}

// Where the file read as `file` ends, by its layout.
AgreedFileEnd endOf(ConstBytes file, const AgreedLayout& layout) {
    const auto [work, home] = agreedStateZones(file);
    return AgreedFileEnd{layout.end, layout.baseEnd, layout.generation, work, home,
                         ByteReader(file.subspan(kMagic.size())).u32() == kAgreedStateVersion};
}

} // namespace

bool visitAgreedState(ConstBytes file, std::string_view workFolder, std::string_view homeFolder,
                      const std::function<void(std::uint64_t generation, std::uint32_t count)>& header,
                      const std::function<void(const AgreedRecordView&)>& record) {
    AgreedLayout layout;
    if (!layoutOf(file, workFolder, homeFolder, layout))
        return false;
    const std::uint32_t count =
        layout.updates.empty() ? layout.baseCount : eachRecord(file, layout, [](const AgreedRecordView&) {});
    header(layout.generation, count);
    eachRecord(file, layout, record);
    return true;
}

std::optional<std::pair<std::string, std::string>> agreedStateFolders(const std::string& path) {
    // The header: magic, version, generation and the two folder texts, which a profile keeps to 255
    // characters each (at most 765 bytes of UTF-8): a few KiB, not the whole state.
    const std::vector<unsigned char> bytes = readFileHead(path, 4096);
    ByteReader r(bytes);
    if (r.view(kMagic.size()) != kMagic)
        return std::nullopt;
    if (const std::uint32_t version = r.u32(); version != 1 && version != kAgreedStateVersion)
        return std::nullopt;
    r.u64();
    const std::string_view work = r.view(r.u16());
    const std::string_view home = r.view(r.u16());
    if (!r.ok())
        return std::nullopt;
    return std::make_pair(std::string(work), std::string(home));
}

std::pair<std::string, std::string> agreedStateZones(ConstBytes file) {
    ByteReader r(file);
    if (r.view(kMagic.size()) != kMagic || r.u32() != kAgreedStateVersion)
        return {};
    r.u64();
    r.view(r.u16());
    r.view(r.u16());
    const std::string_view work = r.view(r.u16());
    const std::string_view home = r.view(r.u16());
    return r.ok() ? std::make_pair(std::string(work), std::string(home)) : std::pair<std::string, std::string>{};
}

AgreedState readAgreedState(const std::string& path, std::string_view workFolder, std::string_view homeFolder,
                            std::optional<AgreedFileEnd>* end) {
    AgreedState state{std::string(workFolder), std::string(homeFolder), 0, {}};
    const std::vector<unsigned char> bytes = readWholeFileOrNothing(path, kMaxAgreedStateBytes);
    if (end != nullptr) {
        end->reset();
        AgreedLayout layout;
        if (!bytes.empty() && layoutOf(bytes, workFolder, homeFolder, layout))
            *end = endOf(bytes, layout);
    }
    visitAgreedState(
        bytes, workFolder, homeFolder,
        [&](std::uint64_t generation, std::uint32_t count) {
            state.generation = generation;
            state.records.reserve(count);
        },
        [&](const AgreedRecordView& v) {
            state.records.push_back(AgreedRecord{std::string(v.name), v.nature, v.size, v.workTime, v.homeTime,
                                                 std::string(v.checksum)});
        });
    if (!state.records.empty())
        std::tie(state.workZone, state.homeZone) = agreedStateZones(bytes);
    return state;
}

namespace {

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

bool sameRecord(const AgreedRecord& r, const AgreedRecordView& v) {
    return r.nature == v.nature && r.size == v.size && sameBits(r.workTime, v.workTime) &&
           sameBits(r.homeTime, v.homeTime) && r.checksum == v.checksum;
}

// Appends one update of `count` encoded records to the file read as `file`; false, writing
// nothing, when the updates would grow past half the whole state.
std::optional<std::size_t> appendUpdateRecords(const std::string& path, std::size_t fileSize, std::size_t end,
                                               std::size_t wholeEnd, std::uint64_t generation, ByteWriter& entries,
                                               std::uint32_t count) {
    ByteWriter w;
    w.raw(kUpdateMagic);
    w.u64(generation);
    w.u32(count);
    std::vector<unsigned char> update = w.take();
    const std::vector<unsigned char> body = entries.take();
    update.insert(update.end(), body.begin(), body.end());
    appendChecksum(update);
    const std::size_t updates = end - wholeEnd + update.size();
    if (updates > std::max(kUpdatesAlwaysAllowed, wholeEnd / 2))
        return std::nullopt;
    // A cut-off update of an earlier run goes; the new one takes its place. Until its last byte
    // and checksum are on the device, readers take the state as it was.
    platform::FilePatch patch(path);
    if (fileSize != end)
        patch.resize(static_cast<std::int64_t>(end));
    patch.writeAt(static_cast<std::int64_t>(end), update.data(), update.size());
    patch.commit();
    return update.size();
}

// Whether the file read as `file` holds a sound state of the folders and zone rules of `state`,
// written by this version; its layout in `layout`.
bool appendable(ConstBytes file, const AgreedState& state, AgreedLayout& layout) {
    if (file.empty() || !layoutOf(file, state.workFolder, state.homeFolder, layout))
        return false;
    // Times taken under other zone rules, or a file of the earlier version: written whole.
    return agreedStateZones(file) == std::make_pair(state.workZone, state.homeZone) &&
           ByteReader(file.subspan(kMagic.size())).u32() == kAgreedStateVersion;
}

// Appends to the file what changed since the state it holds; false where the state is to be
// written whole instead: no sound state of these folders there, a name twice in the new state, or
// updates that would grow past half the whole state (then writing it whole again compacts them).
bool appendUpdate(const std::string& path, const AgreedState& state) {
    const std::vector<unsigned char> file = readWholeFileOrNothing(path, kMaxAgreedStateBytes);
    AgreedLayout layout;
    if (!appendable(file, state, layout))
        return false;
    struct Held {
        const AgreedRecordView* view; // null for a name the file does not hold
        bool named;                   // named by the new state
    };
    std::vector<AgreedRecordView> views;
    views.reserve(layout.updates.empty() ? layout.baseCount : 0);
    eachRecord(file, layout, [&](const AgreedRecordView& v) { views.push_back(v); });
    std::unordered_map<std::string_view, Held> held;
    held.reserve(views.size() + state.records.size());
    for (const AgreedRecordView& v : views)
        held.try_emplace(v.name, Held{&v, false}); // the first of a name counts, as readers take it
    ByteWriter entries;
    std::uint32_t count = 0;
    for (const AgreedRecord& r : state.records) {
        const auto [it, added] = held.try_emplace(r.name, Held{nullptr, true});
        if (!added && it->second.named)
            return false;
        it->second.named = true;
        if (it->second.view != nullptr && sameRecord(r, *it->second.view))
            continue;
        writeRecord(entries, r.nature, r.size, r.workTime, r.homeTime, r.name, r.checksum);
        ++count;
    }
    for (const auto& [name, h] : held) {
        if (h.named)
            continue;
        writeRecord(entries, kRemoved, 0, 0, 0, name, {});
        ++count;
    }
    return appendUpdateRecords(path, file.size(), layout.end, layout.baseEnd, state.generation, entries, count)
        .has_value();
}

} // namespace

void writeAgreedState(const std::string& path, const AgreedState& state) {
    if (appendUpdate(path, state))
        return;
    const std::vector<unsigned char> bytes = encodeAgreedState(state);
    platform::writeFileAtomically(path, bytes.data(), bytes.size());
}

void applyAgreedChanges(AgreedState& state, const AgreedChanges& changes) {
    std::unordered_map<std::string_view, std::size_t> set; // name -> its first place in changes.set
    set.reserve(changes.set.size());
    for (std::size_t i = 0; i < changes.set.size(); ++i)
        set.try_emplace(changes.set[i].name, i);
    const std::unordered_set<std::string_view> dropped(changes.dropped.begin(), changes.dropped.end());
    std::vector<bool> placed(changes.set.size(), false);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < state.records.size(); ++i) {
        AgreedRecord& r = state.records[i];
        if (const auto it = set.find(r.name); it != set.end()) {
            if (placed[it->second])
                continue; // a second record of the name: the first one holds the new record
            placed[it->second] = true;
            r = changes.set[it->second];
        } else if (dropped.count(r.name) != 0) {
            continue;
        }
        if (kept != i)
            state.records[kept] = std::move(r);
        ++kept;
    }
    state.records.resize(kept);
    for (std::size_t i = 0; i < changes.set.size(); ++i) {
        const auto it = set.find(changes.set[i].name);
        if (it->second == i && !placed[i])
            state.records.push_back(changes.set[i]);
    }
}

std::optional<AgreedFileEnd> appendAgreedChanges(const std::string& path, const AgreedState& base,
                                                 std::uint64_t fileGeneration, std::uint64_t generation,
                                                 const AgreedChanges& changes) {
    const std::vector<unsigned char> file = readWholeFileOrNothing(path, kMaxAgreedStateBytes);
    AgreedLayout layout;
    if (!appendable(file, base, layout) || layout.generation != fileGeneration)
        return std::nullopt;
    // Each changed name with what the file holds of it; the rest of the state is only read past.
    struct Named {
        const AgreedRecord* set = nullptr;
        bool held = false; // the file's state names it
        bool same = false; // ... with the record set
    };
    std::unordered_map<std::string_view, Named> named;
    named.reserve(changes.set.size() + changes.dropped.size());
    for (const AgreedRecord& r : changes.set) {
        Named& n = named[r.name];
        if (n.set != nullptr)
            return std::nullopt;
        n.set = &r;
    }
    for (const std::string& name : changes.dropped)
        named.try_emplace(name);
    eachRecord(file, layout, [&](const AgreedRecordView& v) {
        const auto it = named.find(v.name);
        if (it == named.end() || it->second.held)
            return; // the first of a name counts, as readers take it
        it->second.held = true;
        it->second.same = it->second.set != nullptr && sameRecord(*it->second.set, v);
    });
    ByteWriter entries;
    std::uint32_t count = 0;
    for (const AgreedRecord& r : changes.set) {
        if (named.at(r.name).same)
            continue;
        writeRecord(entries, r.nature, r.size, r.workTime, r.homeTime, r.name, r.checksum);
        ++count;
    }
    for (const std::string& name : changes.dropped) {
        Named& n = named.at(name);
        if (n.set != nullptr || !n.held)
            continue;
        n.held = false; // one removal, however often it is named
        writeRecord(entries, kRemoved, 0, 0, 0, name, {});
        ++count;
    }
    const auto appended =
        appendUpdateRecords(path, file.size(), layout.end, layout.baseEnd, generation, entries, count);
    if (!appended)
        return std::nullopt;
    return AgreedFileEnd{layout.end + *appended, layout.baseEnd, generation, base.workZone, base.homeZone, true};
}

std::optional<AgreedFileEnd> appendAgreedChangesAt(const std::string& path, const AgreedState& base,
                                                   const AgreedFileEnd& end, std::uint64_t generation,
                                                   const AgreedChanges& changes) {
    if (!end.currentVersion || end.workZone != base.workZone || end.homeZone != base.homeZone)
        return std::nullopt;
    std::size_t fileSize = 0;
    try {
        fileSize = static_cast<std::size_t>(platform::FileReader(path).size());
    } catch (const FileError&) {
        return std::nullopt;
    }
    // Longer or shorter than this program left it: not the file it knows.
    if (fileSize != end.size)
        return std::nullopt;
    std::unordered_set<std::string_view> set;
    set.reserve(changes.set.size());
    ByteWriter entries;
    std::uint32_t count = 0;
    for (const AgreedRecord& r : changes.set) {
        if (!set.insert(r.name).second)
            return std::nullopt;
        writeRecord(entries, r.nature, r.size, r.workTime, r.homeTime, r.name, r.checksum);
        ++count;
    }
    std::unordered_set<std::string_view> dropped;
    for (const std::string& name : changes.dropped) {
        if (set.count(name) != 0 || !dropped.insert(name).second)
            continue;
        writeRecord(entries, kRemoved, 0, 0, 0, name, {});
        ++count;
    }
    const auto appended = appendUpdateRecords(path, fileSize, end.size, end.wholeSize, generation, entries, count);
    if (!appended)
        return std::nullopt;
    return AgreedFileEnd{end.size + *appended, end.wholeSize, generation, base.workZone, base.homeZone, true};
}

} // namespace tarvela
