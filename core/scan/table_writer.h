#pragma once
// CreateListFiles: scans a folder of a pair and writes its table file.

#include "scan/exclusions.h"
#include "scan/file_list.h"
#include "scan/folder_scan.h"
#include "scan/packed_file_list.h"
#include "base/run_host.h"
#include "records/table_check.h"
#include "records/table_file.h"
#include "records/table_update.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvela {

inline constexpr std::size_t kMaxPathChars = 255;

// The table record of the entry at `path` (its full path in this system's form), without a store name.
TNameAtribFile tableRecordOf(const std::string& path, const TAtrib& atrib);

// The pair folder as the scan spells its entries' paths: ending with this system's separator ("\\"
// on Windows, where a folder written the other system's way may end with '/').
std::string withSeparator(const std::string& folder);

// Scans pathFolder (ending with '/') and replaces the table file nameFiles with one record per
// entry, in scan order, leaving out what `exclusions` names. A path longer than 255 characters
// gets a red echo line and is left out. A folder that cannot be read gets a red echo line too. Returns
// the sum of SizeFile over the records written. The table is replaced atomically and its check file
// (records/table_check.h: record count, checksum, the folders not read) is written right after it;
// a failure throws FileError and leaves the old table whole. `removeLeftovers` false changes
// nothing in the folder (see ScanDiskVisit). `scanThreads` read the folders ahead (folder_scan.h);
// the table is the same for any number.
std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host, bool removeLeftovers = true,
                             unsigned scanThreads = defaultScanThreads());

// CreateListFiles that also fills `entries` with the table's records as CreateListOfFiles
// (packed_file_list.h) would load them, checked, from the table just written: a sending half
// compares the fresh scan without reading its table back.
std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host, PackedFileList& entries,
                             bool removeLeftovers = true);

// The writing side of CreateListFiles, for a table whose entries come from elsewhere than a fresh
// scan: takes entries in scan order, leaves out what the table must not or cannot hold with the
// same lines as the scan, and writes the check file. An entry that the table already holds at the
// same place with the same path, time and size keeps its store name there, so that a table of an
// unchanged folder comes out as it was and is not written again; any other entry gets a fresh one.
// (A receive finds a stored copy through the store list by name, size and time, never by a store
// name alone, so a kept name cannot lead it to a copy of another version of the file.)
class TableBuilder {
public:
    // Throws FileError when the temporary table cannot be created.
    // `known`/`knownCount`: the records the table holds as the caller has them (TableUpdate).
    TableBuilder(const std::string& pathFolder, const std::string& nameFiles, const ExclusionList& exclusions,
                 RunHost& host, TableUpdate::KnownRecords known = {}, std::int64_t knownCount = -1);

    // The pair folder, ending with '/'.
    const std::string& root() const { return root_; }
    // Whether the pair folder's own path fits the code page; when it does not, no entry can stand
    // in the table and rootUnfit() must be called instead of adding any.
    bool rootFits() const;
    void rootUnfit();

    // `path`: the entry's full path (a folder entry ends with "/..").
    void add(const std::string& path, const TAtrib& atrib);
    // A folder (full path ending with the separator) that could not be read: a red line and a line
    // of the check file.
    void unreadable(const std::string& folder);
    // A folder, relative as the check file holds it, that an earlier scan of this run could not
    // read and has already said so.
    void keepUnreadable(const std::string& relative) { unreadable_.push_back(relative); }

    // From now on every record written is also added to `entries` as the list of the table would
    // hold it, loaded with CreateListOfFiles(entries, table, pathShab, &host).
    void alsoListIn(PackedFileList& entries, std::string_view pathShab);

    // Replaces the table and then its check file, writing only what changed (records/table_update.h);
    // returns the sum of SizeFile over the records.
    std::int64_t commit();
    // How commit() wrote the table: nothing, records in place, or whole.
    TableUpdate::Written written() const { return table_.written(); }

private:
    std::string nameFiles_;
    const ExclusionList& exclusions_;
    RunHost& host_;
    std::string root_;
    TableUpdate table_;
    std::vector<std::string> unreadable_; // the check file's folders not read
    TNameAtribFile record_;
    std::int64_t total_ = 0;
    std::string lastUnfit_; // one red line per name the table cannot hold
    PackedFileList* entries_ = nullptr;
    std::optional<TableEntryForm> entryForm_;
    std::string entryKey_;
    TAtrib entry_;
};

} // namespace tarvela
