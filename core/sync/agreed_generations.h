#pragma once
// Reading and writing a pair's agreed state with its generation checked against what this
// computer has seen. Each write raises the generation; this computer remembers the highest one it
// has seen per profile and pair (in its user data folder), so an agreed state older than that, on
// a second medium used for the same profile, counts as empty: it can bring back conflicts, never
// removals. A generation far above the highest seen (a hand-made or damaged medium) counts as
// empty too and is not remembered, so a medium can never make this computer take every later
// state for outdated; clearing a profile's files forgets its generations.

#include "records/agreed_state.h"
#include "records/profile.h"
#include "sync/agreed_lookup.h"
#include "sync/sync_context.h"

#include <memory>
#include <optional>

namespace tarvela {

// The agreed-state file of pair n. A state belongs to the folder texts it was written for, not to
// a place in the profile: when the pair's own file was written for other folders and another
// pair's file for this pair's (the user reordered the pairs in the profile), that file is it.
std::string pairAgreedStateFile(const SyncContext& ctx, const TProfilLine& task, int n);

// Says once, in a half, that pair n starts its agreed state afresh: its own file was written for
// other folders, and no file was written for the pair's folders (the user pointed it elsewhere).
void sayWhenPairStartsAfresh(const SyncContext& ctx, const TProfilLine& task, int n);

// The pair's agreed state, empty when missing, unusable, bound to other folders or older than
// this computer has seen (then with a notice line).
// Its times are those each computer's tables show now: where a computer's zone rules changed since
// (this computer's now, the other's as its table of the pair names them), they are taken again
// under the new rules, so that a change of zone changes no file. `own`: this computer's side.
// `end` (when given) gets where the pair's own file ends, when the state came from it as it stands.
AgreedState readPairAgreedState(const SyncContext& ctx, const TProfilLine& task, int n, Side own,
                                std::optional<AgreedFileEnd>* end = nullptr);

// How far above the highest generation seen one may lie and still be used: far more writes than a
// pair makes between two visits of a computer, far fewer than could ever bring the count to its end.
inline constexpr std::uint64_t kMaxGenerationLeap = std::uint64_t{1} << 20;

// Whether a sound agreed state of `generation` may be used: one older than this computer has seen,
// or more than kMaxGenerationLeap above it, counts as empty (with a notice line). A usable one is
// remembered, except in a dry run, which leaves this computer's memory as it was too.
bool usableAgreedGeneration(const SyncContext& ctx, const TProfilLine& task, int n, std::uint64_t generation);

// The same as a sending half asks it (agreed_lookup.h), read straight from the file: null where
// readPairAgreedState gives an empty state.
std::unique_ptr<const AgreedLookup> readPairAgreedLookup(const SyncContext& ctx, const TProfilLine& task, int n,
                                                         Side side);

// Forgets every generation this computer remembers for the profile `id` (its files were cleared).
// Forgetting is a safeguard's undoing, never a reason to fail: a failure to write is ignored.
void forgetAgreedGenerations(const std::string& id);

// Writes the pair's agreed state with a generation above every one seen, and remembers it. Where
// the pair's own file holds the state of another pair of the profile now (reordered pairs), that
// state first moves to that pair's file, so neither is lost.
// Returns the generation written. Throws FileError when the medium refuses the file.
std::uint64_t writePairAgreedState(const SyncContext& ctx, const TProfilLine& task, int n, AgreedState state);

// What a receive has written of its changes to the pair's agreed-state file so far, on top of the
// state it read before it began.
struct AgreedChangesWritten {
    std::uint64_t generation = 0;      // the file's generation as the receive last left it
    std::optional<AgreedFileEnd> end;  // where the file ends, when that is known without reading it
    AgreedChanges changes;             // the changes the file holds
};

// Writes what a receive changed in the pair's agreed state (`all` its changes so far, to `base`,
// the state as read before the receive, its records not looked at) as one update appended to the
// pair's file: only the changes not written yet where the file's end is known, else what differs
// from the state the file holds. The update's generation lies above every one seen, and is
// remembered, and `all` moves into `written`. False, writing nothing and leaving `all` as it is,
// where the state is to be written whole instead (writePairAgreedState with `all` made in `base`).
// Throws FileError when the medium refuses the update.
bool appendPairAgreedChanges(const SyncContext& ctx, const TProfilLine& task, int n, const AgreedState& base,
                             AgreedChangesWritten& written, AgreedChanges& all);

} // namespace tarvela
