#pragma once
// What the steps of one pair's receive share: the pair's folders, the three sources joined into
// rows, and what the receive has done to the folder so far. The steps (receive_copies.h,
// receive_removals.h, receive_letter_case.h) each work on it; receive_pair.cpp runs them in order.

#include "base/run_host.h"
#include "platform/file_system.h"
#include "records/agreed_state.h"
#include "sync/agreed_generations.h"
#include "records/profile.h"
#include "records/store_list.h"
#include "scan/packed_file_list.h"
#include "sync/receive_rows.h"
#include "sync/half_lines.h"
#include "sync/rooted_path.h"
#include "sync/run_plan.h"
#include "sync/sender_table_trust.h"
#include "sync/sync_context.h"
#include "sync/table_after_receive.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tarvela {

struct PairReceive {
    // `agreedEnd`: where the pair's agreed-state file ends, when `agreed` was read from it as it stands.
    PairReceive(SyncContext& context, const TProfilLine& profile, Side ownSide, int pair, const AgreedState& agreed,
                std::optional<AgreedFileEnd> agreedEnd);

    SyncContext& ctx;
    RunHost& host;
    const TProfilLine& task;
    Side own;
    Side sender;
    int n;
    const AgreedState& previous; // the agreed state as read before the scan
    // What the receive has written of its changes to the pair's agreed-state file (nothing until
    // a checkpoint writes; the file as `previous` was read from it).
    AgreedChangesWritten agreedWritten;
    std::string ownFolder;
    std::string senderFolder;
    std::string storeFolder;
    RootedPath rooted;
    RunPlan* plan; // a dry run: decide and say, change nothing
    // The pair folder as the receive found it: every change first checks that it is still there.
    std::optional<platform::FolderIdentity> folderId;

    PackedFileList S; // the sender's table
    PackedFileList L; // this computer's scan
    std::optional<StoreList> storeList;
    DeletionHold hold;      // what the sender's table lets this receive remove
    DeletionHold ownHold;   // folders this computer's scan could not read
    std::string storeLink;  // the link on the way to the pair's store folder, if any
    bool diskFailed = false; // this computer's disk filled up or went away
    std::int64_t notCarried = 0; // changed names the store does not carry: due with a later send
    bool copiesStopped = false;  // the stop came before every copy was made
    ReceiveRows rows;
    DeleteAnswer answer = DeleteAnswer::YesToAll; // the remembered answer to the removal question
    ReceiveJournal journal; // what the receive changed in the folder, for its table
    // A dry run's items that the real run would remove or set aside (relative names, a folder
    // without "/.."): what it says later follows from them as the real run's steps would.
    std::unordered_set<std::string> plannedGone;

    const TAtrib* sItem(const ReceiveRow& r) const {
        return r.s < 0 ? nullptr : S.object(static_cast<std::size_t>(r.s));
    }
    const TAtrib* lItem(const ReceiveRow& r) const {
        return r.l < 0 ? nullptr : L.object(static_cast<std::size_t>(r.l));
    }
    const AgreedRecord* aRecord(const ReceiveRow& r) const {
        return r.a < 0 ? nullptr : &previous.records[static_cast<std::size_t>(r.a)];
    }
    std::string_view senderName(const ReceiveRow& r) const { return S.key(static_cast<std::size_t>(r.s)); }
    // The name on this computer: the local item's own spelling when it has one.
    std::string_view localName(const ReceiveRow& r) const;
    // The path of a relative name in the pair folder.
    std::string ownPath(std::string_view name) const { return ownFolder + std::string(name); }
    // The name below the pair folder of a path in it.
    std::string relative(const std::string& path) const { return path.substr(ownFolder.size()); }

    // The stored copy of the sender's current entry, or "" when the store does not hold it: only a
    // copy that the store's list names with the same name, size and time.
    std::string storedCopy(const ReceiveRow& r) const;
    // Whether the store's list names the sender's current entry. A send writes the list once it
    // has stored what it carries: a pair without one (a send that ended early, a full copy that
    // stored nothing) carries nothing, and its changed names wait for a later send.
    bool storeCarries(const ReceiveRow& r) const;
    // The content checksum recorded for the stored copy of the sender's current entry; empty for a
    // store that has none (made by an older version) and for a copy not stored.
    std::optional<std::uint64_t> storedChecksum(const ReceiveRow& r) const;

    // The progress panel at row i of the pair.
    void showProgress(std::size_t i);

    // What the two computers agree on once the row's step is done: the sender's entry, with this
    // side's time `ownTime` as its file system keeps it.
    void record(ReceiveRow& r, double ownTime, std::optional<std::uint64_t> checksum = std::nullopt);

    // What the rows done so far change in the agreed state: their new records and the names they
    // took out of it; every row not done (or set aside) keeps its old record.
    AgreedChanges agreedChangesSoFar() const;

    // When the receive last wrote down what it had done (receive_checkpoint.h), and whether a row
    // has recorded anything since.
    std::chrono::steady_clock::time_point lastCheckpoint = std::chrono::steady_clock::now();
    bool recordedSinceCheckpoint = false;
};

// Whether a relative name is a folder entry ("/.." at its end, or ".." for the pair folder).
inline bool isFolderName(std::string_view name) {
    return name == ".." || name.ends_with("/..");
}

// The name of a folder entry without its "/.." ("" for the pair folder's own entry).
std::string withoutFolderMark(std::string_view name);

} // namespace tarvela
