#pragma once
// The agreed state of one folder pair: what the two computers last held alike, per relative name,
// with each side's time as its own file system keeps it. A receive decides from it which side
// changed a file; a send stores a file exactly when this side differs from it.
//
// File PathTask/Agreed_N.dat (little-endian):
//   magic "TarvelaA" | u32 version (2) | u64 generation | text16 work folder | text16 home folder |
//   text16 work zone | text16 home zone | u32 record count | records | u32 FNV-1a of everything before it
// A zone is the text of the time-zone rules (records/zone_rules.h) that side's times were taken
// under, empty when not known. Version 1 has no zones: its times are read as taken under the
// rules each computer follows now.
// record: u8 nature (1 file, 0 folder) | i64 size | f64 work time | f64 home time |
//         text16 relative name ('/' separators, a folder ends with "/..") | u8 length + checksum bytes
// text16: u16 length and UTF-8 bytes. Times are date-time numbers (records/date_time.h).
// After the whole state, a write that changes a few records appends an update instead of writing
// everything again:
//   magic "TarvelaU" | u64 generation | u32 record count | records | u32 FNV-1a of the update
// where a record of nature 2 says that its name is no longer agreed on. The last update of a name
// counts, and the last update's generation is the state's. An update cut short or damaged (a write
// that did not end) and whatever follows it are not read: the state is then the one before it.
// When the updates would grow past half the whole state, the state is written whole again.
// A missing, unreadable, damaged or foreign file, or one written for other folder texts, reads as
// an empty agreed state: nothing is deleted on its word.

#include "records/byte_span.h"
#include "records/store_layout.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvela {

// A record's content checksum as the file holds it: eight bytes of the content checksum, or a mark
// of a few letters. Held in the record itself, not on the heap of its own: a state holds one record
// per name of a folder of a million files. A longer value (never written by this program) reads
// as unknown.
class AgreedChecksum {
public:
    static constexpr std::size_t kCapacity = 15;

    AgreedChecksum() = default;
    AgreedChecksum(std::string_view bytes) { // NOLINT: stands where a text of bytes is given
        if (bytes.size() <= kCapacity) {
            size_ = static_cast<std::uint8_t>(bytes.size());
            bytes.copy(bytes_.data(), bytes.size());
        }
    }
    AgreedChecksum(const std::string& bytes) : AgreedChecksum(std::string_view(bytes)) {} // NOLINT
    AgreedChecksum(const char* bytes) : AgreedChecksum(std::string_view(bytes)) {}         // NOLINT

    std::string_view view() const { return {bytes_.data(), size_}; }
    operator std::string_view() const { return view(); } // NOLINT: read as the bytes it holds
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    friend bool operator==(const AgreedChecksum& a, const AgreedChecksum& b) { return a.view() == b.view(); }
    friend bool operator==(const AgreedChecksum& a, std::string_view b) { return a.view() == b; }

private:
    std::array<char, kCapacity> bytes_{};
    std::uint8_t size_ = 0;
};

struct AgreedRecord {
    std::string name;
    std::uint8_t nature = 1;
    std::int64_t size = 0;
    double workTime = 0;
    double homeTime = 0;
    AgreedChecksum checksum; // empty when unknown

    double timeOf(Side side) const { return side == Side::Work ? workTime : homeTime; }
    void setTime(Side side, double t) { (side == Side::Work ? workTime : homeTime) = t; }
    friend bool operator==(const AgreedRecord&, const AgreedRecord&) = default;
};

struct AgreedState {
    std::string workFolder; // the pair's folder texts the records belong to
    std::string homeFolder;
    std::uint64_t generation = 0; // grows by one with every write
    std::vector<AgreedRecord> records;
    std::string workZone{}; // the zone rules each side's times were taken under ("" unknown)
    std::string homeZone{};

    const std::string& zoneOf(Side side) const { return side == Side::Work ? workZone : homeZone; }
    void setZone(Side side, std::string zone) { (side == Side::Work ? workZone : homeZone) = std::move(zone); }
};

inline constexpr std::uint32_t kAgreedStateVersion = 2;

// The zones an agreed-state file's header names (work, home); empty texts for a file of version 1
// or one that is not an agreed state.
std::pair<std::string, std::string> agreedStateZones(ConstBytes file);

// One record as the file holds it, its texts viewed in the file's bytes.
struct AgreedRecordView {
    std::uint8_t nature = 1;
    std::int64_t size = 0;
    double workTime = 0;
    double homeTime = 0;
    std::string_view name;
    std::string_view checksum;

    double timeOf(Side side) const { return side == Side::Work ? workTime : homeTime; }
};

// Goes through the bytes of an agreed-state file once all of it has proved sound: calls
// header(generation, record count) and then record(view) for each record in order (the whole
// state's records that no update names, then the updated ones, in the order first updated), and
// returns true. Returns false, calling neither, where readAgreedState reads an empty state (the views are
// valid as long as `file`).
bool visitAgreedState(ConstBytes file, std::string_view workFolder, std::string_view homeFolder,
                      const std::function<void(std::uint64_t generation, std::uint32_t count)>& header,
                      const std::function<void(const AgreedRecordView&)>& record);

// The largest agreed-state file read: no pair on a medium comes near it, a larger file is not ours.
inline constexpr std::size_t kMaxAgreedStateBytes = std::size_t{1} << 31;

// "/Agreed_N.dat" below PathTask.
std::string agreedStateFile(const std::string& pathTask, int n);

// Where an agreed-state file ends as this program last read or wrote it: enough to append the
// next update without reading the file again (a slow drive takes seconds to read a large state,
// and a receive writes down what it did every few seconds).
struct AgreedFileEnd {
    std::size_t size = 0;      // the sound part's bytes: where the next update goes
    std::size_t wholeSize = 0; // the state written whole (the updates may grow to half of it)
    std::uint64_t generation = 0;
    std::string workZone; // the zone rules the file's times were taken under
    std::string homeZone;
    bool currentVersion = true; // written by this version (an older file is written whole)
};

// Reads the pair's agreed state; empty (with the given folder texts) when the file is missing,
// unreadable, damaged, foreign, or bound to other folder texts. Never throws. `end` (when given)
// gets where the file ends, when it holds a sound state of these folders.
AgreedState readAgreedState(const std::string& path, std::string_view workFolder, std::string_view homeFolder,
                            std::optional<AgreedFileEnd>* end = nullptr);

// The folder texts an agreed-state file was written for (from its header alone); nothing when the
// file is missing or not an agreed state of ours.
std::optional<std::pair<std::string, std::string>> agreedStateFolders(const std::string& path);

// Writes the state: appends an update with what differs from the state the file holds (flushed
// before it returns), or replaces the file atomically (flushed before the rename). Throws
// FileError; the state the file held then still reads.
void writeAgreedState(const std::string& path, const AgreedState& state);

// What a receive changed in a state: records set by name (added, or in place of the record of
// that name) and names no longer agreed on. A name both dropped and set is set. Most receives
// change a few names of a large state: the changes are written as they are, without the whole.
struct AgreedChanges {
    std::vector<AgreedRecord> set;
    std::vector<std::string> dropped;
};

// Makes the changes in the state itself: records keep their places, new ones follow in the
// order set (the first of a name set twice counts).
void applyAgreedChanges(AgreedState& state, const AgreedChanges& changes);

// Appends the changes to the file as one update of generation `generation` (flushed before it
// returns), where the file holds the state `base` stands for: a sound state of base's folder
// texts and zone rules, of generation `fileGeneration`. Only what differs from the file's state
// is written. Returns where the file ends now; nothing, writing nothing, where the state is to be
// written whole instead: another state there (or none), a name set twice, or updates that would
// grow past half the whole state. base's records are not looked at: the file holds them. Throws
// FileError when the medium refuses the update.
std::optional<AgreedFileEnd> appendAgreedChanges(const std::string& path, const AgreedState& base,
                                                 std::uint64_t fileGeneration, std::uint64_t generation,
                                                 const AgreedChanges& changes);

// The same without reading the file: the changes are written as they are, after `end` (where this
// program left the file, holding base's state). Nothing, writing nothing, where the file is not
// that long, its zone rules are not base's, a name is set twice, or the updates would grow past
// half the whole state.
std::optional<AgreedFileEnd> appendAgreedChangesAt(const std::string& path, const AgreedState& base,
                                                   const AgreedFileEnd& end, std::uint64_t generation,
                                                   const AgreedChanges& changes);

// The encoding alone, for tests and for the reader's checks.
std::vector<unsigned char> encodeAgreedState(const AgreedState& state);

} // namespace tarvela
