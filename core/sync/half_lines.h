#pragma once
// Lines and small steps that both halves share.

#include "scan/file_list.h"
#include "sync/compare_lists.h"
#include "records/profile.h"
#include "base/run_host.h"
#include "records/store_layout.h"
#include "sync/sync_context.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvela {

// "[" + the time + text: the blue start and end lines of a half.
void echoTimedLine(RunHost& host, std::string_view text);

// The folders of pair n (1..10) from the point of view of `own`, ending with their separator (a
// folder text too long to take one in the profile gets it here).
inline std::string ownFolder(const TProfilLine& task, Side own, int n) {
    const TFolderDual& pair = task.pair(static_cast<std::size_t>(n));
    return withTrailingSeparator((own == Side::Work ? pair.PathWork : pair.PathHome).text());
}
inline std::string otherFolder(const TProfilLine& task, Side own, int n) { return ownFolder(task, otherSide(own), n); }

// The table of `owner` for pair n: the one at the pair's place, or, where the pairs were reordered
// in the profile since it was written, the one at another place that was made for the pair's folder.
std::string pairTableFile(const SyncContext& ctx, const TProfilLine& task, Side owner, int n);

// Where this computer's fresh scan of pair n goes: its table on the medium, or in a dry run a
// temporary folder of the plan (the medium's table stays as it was).
std::string scanTableFile(const SyncContext& ctx, Side owner, int n);

// Loads the tables of pair n of the source side (S, its fresh scan: scanTableFile) and of the other
// side, and compares them into S (CompareListsOfFiles). With `sourceInS` S already holds the fresh
// scan as its table loads (CreateListFiles with a list) and the source table is not read; with
// `other` the other side's table is that list, already loaded.
// storeRoot: the sending half's store root, empty when receiving.
// agreedSays: the sending half's agreed state (compare_lists.h). With `held` the comparison's lines
// are held there instead of written (ComparePair::held). Returns the byte sum of the files to copy.
std::int64_t compareTables(PackedFileList& S, const SyncContext& ctx, const TProfilLine& task, int n, Side source,
                           const std::string& storeRoot, RunHost& host,
                           decltype(ComparePair::agreedSays) agreedSays = {}, bool sourceInS = false,
                           PackedFileList* other = nullptr, ComparedLines* held = nullptr);

// Writes everything cached for the file system of `folder` to its device. A failure (the device
// lost writes) is a red line naming the folder and the system's text; the half must then fail, since
// what it copied may not be on the disk.
bool flushToDevice(RunHost& host, const std::string& folder);

// Makes `folder` and its missing parents; a folder that cannot be made is a red line (the system's
// text) and false.
bool makeFoldersOrSay(RunHost& host, const std::string& folder);

// What the "copy" entries of S take on a disk with this allocation unit, each rounded up to it.
std::int64_t spaceTakenByCopies(const PackedFileList& S, std::int64_t unit);

// The free-space check of a half: true when the disk that holds `folder` has room for `need` bytes,
// and also when that disk does not tell its size (a black notice line says the check was skipped).
bool enoughSpaceFor(RunHost& host, const std::string& folder, std::int64_t need);

// The message box text of a folder of the profile that does not exist.
std::string wrongPathMessage(const std::string& folder);

} // namespace tarvela
