#pragma once
// What the sending half asks of a pair's agreed state: by name, the record's nature, size and this
// side's time. Kept compact (the names in one block, a small record each, a flat index) because it
// lives through the whole comparison next to both tables of a folder of a million files.

#include "records/agreed_state.h"
#include "records/zone_rules.h"
#include "scan/name_index.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarvela {

class AgreedLookup {
public:
    // An empty lookup of `side`'s records with room for `records` of them.
    AgreedLookup(std::size_t records, Side side);
    // The records of an agreed-state file's bytes as `side` recorded them (visitAgreedState), its
    // times as this computer's zone rules give them now; null where the state reads empty.
    // `generation` (when given) gets the file's generation.
    static std::unique_ptr<AgreedLookup> read(ConstBytes file, std::string_view workFolder,
                                              std::string_view homeFolder, Side side,
                                              std::uint64_t* generation = nullptr);
    AgreedLookup(const AgreedLookup&) = delete; // the index refers to this object
    AgreedLookup& operator=(const AgreedLookup&) = delete;

    // Adds a record; for a name listed twice the first counts. At most `records` in all.
    void add(const AgreedRecordView& record);

    bool empty() const { return records_.empty(); }
    // Whether a record is of a file (not only folders).
    bool listsAFile() const { return listsAFile_; }
    // Whether a record of a file has no content checksum (the send records the missing ones).
    bool lacksChecksums() const { return lacksChecksums_; }

    // The record of `name` with only its nature, size and this side's time set; none when absent.
    std::optional<AgreedRecord> find(std::string_view name) const;

    // Whether a record names `name` in another letter case (a name renamed in case only). The
    // folded names are gathered at the first question: most sends never ask.
    bool knowsInAnotherSpelling(std::string_view name) const;

private:
    struct Record {
        std::uint64_t place; // name start (bits 17 and up), nature (bit 16), name size (bits 0..15)
        std::int64_t size;
        double time;
    };
    std::string_view nameOf(std::size_t i) const {
        return std::string_view(names_).substr(records_[i].place >> 17, records_[i].place & 0xFFFF);
    }

    Side side_;
    std::size_t room_;
    bool listsAFile_ = false;
    bool lacksChecksums_ = false;
    std::string names_;
    std::vector<Record> records_;
    struct NameOf {
        const AgreedLookup* lookup;
        std::string_view operator()(std::size_t i) const { return lookup->nameOf(i); }
    };
    NameIndex<NameOf> index_;
    mutable std::optional<std::unordered_set<std::string>> folded_;
    // The rules the file's times of this side were taken under, and this computer's now, when
    // the two differ.
    std::optional<std::pair<ZoneRules, ZoneRules>> retime_;
};

} // namespace tarvela
