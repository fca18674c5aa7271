#pragma once
// This computer's table of a pair after a receive, made from the scan the receive began with and
// what it did to the folder, instead of reading the folder again. The receive tells the journal
// each change as it happens; the derivation then looks once at each folder whose entries changed
// (its time) and gives the entries in the scan's order, as a fresh scan would list them. Where the
// result could differ from a fresh scan (a change it cannot account for), there is no result and
// the folder is scanned again: a table that lists the folder wrongly makes the other computer
// copy or remove the wrong files.

#include "base/run_host.h"
#include "scan/exclusions.h"
#include "scan/file_list.h"
#include "scan/packed_file_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarvela {

// Changes made to one pair folder, by relative names in the engine's form ('/' between folders).
class ReceiveJournal {
public:
    // The entry (a file, or a folder entry ending with "/..") is about to be put in place: the
    // folders on its way may be made, and its folder's entries change.
    void wayTo(const std::string& name);
    // A file now stands at `name` with this size and last-write time (as this file system keeps it).
    void copied(const std::string& name, std::int64_t size, double time);
    void removedFile(const std::string& name);
    // The folder (without "/..") was removed, or an attempt was made.
    void removalTried(const std::string& folder);
    // A file or a folder with everything below it now stands at `to` instead of `from`.
    void movedAside(const std::string& from, const std::string& to, bool folder);
    // Something was made and removed again in the folder (and its time changed with it).
    void touched(const std::string& folder) { touchWay(folder); }
    // Something happened that the table cannot be derived across.
    void unsure() { sure_ = false; }

private:
    friend class TableDerivation;
    struct Step {
        enum Kind { Copied, Removed, MovedFile, MovedFolder } kind;
        std::string name;
        std::string to; // for moves
        std::int64_t size = 0;
        double time = 0;
    };
    void touchWay(const std::string& folder);

    std::vector<Step> steps_;
    std::vector<std::string> touched_; // folders whose entries may have changed ("" = the pair folder)
    std::unordered_set<std::string> touchedSet_;
    std::vector<std::string> removalTried_;
    bool sure_ = true;
};

// One entry of a derived table: relative name in the engine's form and its data.
struct DerivedTable {
    PackedFileList entries;                     // in scan order
    std::vector<std::string> unreadableFolders; // as the scan's check file holds them
};

// The table of `folder` (ending with its separator) after the changes of `journal`, from `scanned`
// (the receive's scan of it, as its table lists it, with the folders it could not read). `foldCase`:
// the folder's file system takes names that differ in letter case for one. Nothing when the
// result cannot be made sure.
std::optional<DerivedTable> deriveTableAfterReceive(const std::string& folder, const PackedFileList& scanned,
                                                    const std::vector<std::string>& unreadableFolders,
                                                    const ReceiveJournal& journal, bool foldCase, RunHost& host);

// Writes a derived table of `folder` to `tableFile` as CreateListFiles writes a scan, leaving out
// what `exclusions` names. `scanned`: the entries the table holds now, as it was loaded or written
// (the scan the derivation began with), when there are: the table is compared with them instead
// of being read again.
void writeDerivedTable(const std::string& folder, const std::string& tableFile, const ExclusionList& exclusions,
                       const DerivedTable& table, RunHost& host, const PackedFileList* scanned = nullptr);

} // namespace tarvela
