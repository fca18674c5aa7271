#pragma once
// The receive of one folder pair: joins the sender's table, this computer's fresh scan and the
// agreed state by the receiving folder's case rule, decides every name by the decision table
// (receive_decision.h), applies copies, conflict copies and notices, then removals (files first,
// then folders deepest first and only when empty), and returns the new agreed state.

#include "records/agreed_state.h"
#include "sync/agreed_generations.h"
#include "records/profile.h"
#include "records/store_layout.h"
#include "sync/sync_context.h"
#include "sync/table_after_receive.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvela {

struct PairReceipt {
    // What the receive changed in the agreed state (old records stay where nothing was done), and
    // the generation its checkpoints left the pair's agreed-state file at.
    AgreedChanges agreed;
    AgreedChangesWritten agreedWritten; // what the receive's checkpoints wrote of them
    std::int64_t copySum = 0; // bytes the pair needed to copy
    bool notEnoughSpace = false;
    bool senderTableDamaged = false; // nothing was removed; the store must stay
    bool diskFailed = false;         // this computer's disk filled up or went away: the half fails
    bool copiesStopped = false;      // the stop came before every copy was made
    // This computer's table of the pair after the receive; empty when the folder must be scanned again.
    std::optional<DerivedTable> ownTable;
    // The scan the table was derived from, as this computer's table of the pair holds it now.
    std::optional<PackedFileList> scanned;
};

// Applies pair n. `own` is the receiving side; its table of the pair was just written from a scan.
// `previous`: the pair's agreed state as read before the scan. `scanned`: that scan's entries as the
// table lists them, when the half kept them (taken over); otherwise the table is read.
// `previousEnd`: where the pair's agreed-state file ends, when `previous` was read from it as it stands.
PairReceipt receivePair(SyncContext& ctx, const TProfilLine& task, Side own, int n, const AgreedState& previous,
                        std::optional<AgreedFileEnd> previousEnd = std::nullopt, PackedFileList* scanned = nullptr);

} // namespace tarvela
