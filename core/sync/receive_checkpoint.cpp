#include "sync/receive_checkpoint.h"

#include "base/errors.h"
#include "platform/file_copy.h"
#include "sync/agreed_generations.h"

namespace tarvela {

namespace {

// What the rows done so far leave of the agreed state, written as an update of the pair's file;
// written whole where the file cannot take one (rarely: the updates grew past half the state).
void writeAgreedSoFar(PairReceive& p) {
    AgreedChanges changes = p.agreedChangesSoFar();
    if (appendPairAgreedChanges(p.ctx, p.task, p.n, p.previous, p.agreedWritten, changes))
        return;
    AgreedState whole = p.previous;
    applyAgreedChanges(whole, changes);
    p.agreedWritten.generation = writePairAgreedState(p.ctx, p.task, p.n, std::move(whole));
    p.agreedWritten.end.reset();
    p.agreedWritten.changes = std::move(changes);
}

} // namespace

void checkpointIfDue(PairReceive& p) {
    if (p.recordedSinceCheckpoint && std::chrono::steady_clock::now() - p.lastCheckpoint >= kCheckpointInterval)
        checkpointNow(p);
}

void checkpointNow(PairReceive& p) {
    if (p.plan != nullptr || !p.recordedSinceCheckpoint || p.diskFailed)
        return;
    p.lastCheckpoint = std::chrono::steady_clock::now();
    // The copies must be on the disk before the agreed state says they are there.
    int error = 0;
    bool flushed = false;
    p.host.runLongCall([&] { flushed = platform::syncFileSystem(p.ownFolder, &error); });
    if (!flushed)
        return;
    try {
        writeAgreedSoFar(p);
        p.recordedSinceCheckpoint = false;
    } catch (const FileError&) {
    }
}

} // namespace tarvela
