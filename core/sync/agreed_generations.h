#pragma once
// Reading and writing a pair's agreed state with its generation checked against what this
// computer has seen. Each write raises the generation; this computer remembers the highest one it
// has seen per profile and pair (in its user data folder), so an agreed state older than that, on
// a second medium used for the same profile, counts as empty: it can bring back conflicts, never
// removals.

#include "records/agreed_state.h"
#include "records/profile.h"
#include "sync/sync_context.h"

namespace tarvela {

// The pair's agreed state, empty when missing, unusable, bound to other folders or older than
// this computer has seen (then with a notice line).
AgreedState readPairAgreedState(const SyncContext& ctx, const TProfilLine& task, int n);

// Writes the pair's agreed state with a generation above every one seen, and remembers it.
// Throws FileError when the medium refuses the file.
void writePairAgreedState(const SyncContext& ctx, const TProfilLine& task, int n, AgreedState state);

} // namespace tarvela
