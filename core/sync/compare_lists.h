#pragma once
// CompareListsOfFiles: decides, for one folder pair, what happens to every file and folder of
// either side. Reads two lists and writes echo lines; touches no file except creating the sending
// half's store root.

#include "scan/file_list.h"
#include "scan/packed_file_list.h"
#include "base/run_host.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela {

enum class Direction; // run_control.h

struct ComparePair {
    std::string PathWork;  // the pair's work folder, ending with '/'
    std::string PathHome;  // the pair's home folder, ending with '/'
    Direction direction;   // whose folder is the source
    bool OperacDell = false;
    // The sending half's store root: created when the destination holds entries the source lacks,
    // so that the other computer can receive. Empty for the receiving half.
    std::string storeRoot;
    // The sending half's agreed state, when it has a record for a source file: true stores the
    // file, false leaves it; nothing lets the times decide. `destination` is the other side's
    // entry, null when it has none.
    std::function<std::optional<bool>(std::string_view name, const TAtrib& source, const TAtrib* destination)>
        agreedSays;
};

// S is the source side's list, D the destination side's (consumed). Afterwards S holds every entry
// of both sides with its action: its own entries in order ("copy" for a file that is new or newer
// than the destination's, "skip" otherwise; a folder only on the source side keeps no action),
// then the destination-only entries in their order ("del" with OperacDell, else "skip"). Names
// match exactly first, then ignoring letter case, so two names that differ only in case on a
// case-sensitive file system keep their own partners. The pair folder's own entry ".." never
// becomes "del". Returns the sum of the sizes of the "copy" entries.
std::int64_t CompareListsOfFiles(TFileList& S, TFileList&& D, const ComparePair& pair, RunHost& host);
// The same on packed lists (packed_file_list.h), as the sending half holds a folder's two tables.
std::int64_t CompareListsOfFiles(PackedFileList& S, PackedFileList&& D, const ComparePair& pair, RunHost& host);

} // namespace tarvela
