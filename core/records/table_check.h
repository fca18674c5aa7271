#pragma once
// The check file of a table: a small file of our own written beside each table file at the same
// moment, so that a reader can tell a whole table from one cut short (also at a record boundary)
// or changed, and knows which folders the scan behind the table could not read. The table file
// itself keeps its bare format; a table without a check file (an older program wrote it) is read
// as before.
//
// Name: the table's name with ".chk" for ".dat" (PathTask/WTabFile_1.chk beside WTabFile_1.dat).
// Format: UTF-8 text, lines ending with LF:
//
//   tarvela table check 1
//   records <number of 312-byte records in the table, decimal>
//   crc32 <CRC-32 of the table's bytes, 8 lower-case hex digits>
//   unreadable <TAB><folder>          zero or more: a folder the scan could not (wholly) read
//   zone <rules>                      the writer's time-zone rules (records/zone_rules.h), which
//                                     its local times were taken under; absent in older files
//   masks <number of masks, decimal>  the exclusion masks the scan applied, then that many lines:
//   mask <TAB><mask>                  one entry of the exclusion list, in list order
//
// <folder> is relative to the scanned pair folder and ends with '/' ("sub/inner/"); it is empty for
// the pair folder itself. In <folder> and <mask> a backslash stands as "\\", a line feed as "\n"
// and a carriage return as "\r". A check file without the masks line (an older program wrote it)
// says nothing of the masks; "masks 0" says that none applied.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvela {

struct TableCheck {
    std::int64_t records = 0;
    std::uint32_t crc32 = 0;
    std::vector<std::string> unreadableFolders;
    std::string zone{}; // the text of the writer's ZoneRules; empty when not known
    // The exclusion masks the table was made with; none recorded in an older check file.
    std::optional<std::vector<std::string>> masks;
    friend bool operator==(const TableCheck&, const TableCheck&) = default;
};

// The check file of the table at tablePath.
std::string tableCheckPath(const std::string& tablePath);

// Replaces the check file atomically. Throws FileError.
void writeTableCheck(const std::string& tablePath, const TableCheck& check);

enum class TableCheckState {
    Missing, // no check file: an older table, read as before
    Damaged, // something stands there that is not a check file of ours (or cannot be read)
    Read,
};
TableCheckState readTableCheck(const std::string& tablePath, TableCheck& out);

// Removes a table file and its check file; failures are ignored (as the table's removal always was).
void removeTableFile(const std::string& tablePath);

} // namespace tarvela
