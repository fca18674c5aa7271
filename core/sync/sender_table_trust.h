#pragma once
// How far a receive may trust the sender's table of one pair. The table comes from the medium: a
// pulled drive, a full medium or a hand-made file can leave it cut short, changed or not a file at
// all, and a scan that could not read a folder leaves that folder's entries out. An entry missing
// from such a table says nothing about what the user deleted, so nothing is removed on its word.

#include "base/run_host.h"
#include "scan/file_list.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

// Whether the sender's table of a pair can be read at all.
enum class SenderTableKind {
    Missing,  // no table: the pair is not compared (the sender has no folder there)
    File,     // a regular file: loaded, then judged by judgeSenderTable
    NotAFile, // a folder, a link, a device...: never opened, the pair is not applied
};
SenderTableKind senderTableKind(const std::string& path);

// The removals a receive may make in one pair.
struct DeletionHold {
    // The sender's table is damaged: nothing of the pair is removed in this receive, and the store
    // stays so that the receive can be repeated (after the other computer has sent again).
    bool damaged = false;
    // Folders the sender's scan could not read, relative to the pair folder and ending with '/'
    // (empty: the pair folder itself). Nothing below them is removed, and no folder that holds one.
    std::vector<std::string> unreadableFolders;
    // The exclusion masks the sender's table was made with, as its check file records them; none
    // for an older check file (sync/mask_change_hold.h).
    std::optional<std::vector<std::string>> senderMasks;

    // Whether the receive may remove the entry `name` (a relative name of the pair; a folder entry
    // ends with ".." as in the tables).
    bool allowsRemoval(std::string_view name) const;
};

// Judges the sender's table at `path` of a pair, which loaded as `load`. Damaged when it ends in
// part of a record, holds a refused record, does not match its check file (records/table_check.h),
// or is empty without a check file (a folder with a parent always lists itself). One red line says
// why; one red line names each folder the sender could not read, below `ownFolder`.
DeletionHold judgeSenderTable(const std::string& path, const TableLoad& load, const std::string& ownFolder,
                              RunHost& host);

} // namespace tarvela
