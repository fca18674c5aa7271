#include "sync/receive_checkpoint.h"

#include "base/errors.h"
#include "platform/file_copy.h"
#include "sync/agreed_generations.h"

namespace tarvela {

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
        writePairAgreedState(p.ctx, p.task, p.n, p.agreedSoFar());
        p.recordedSinceCheckpoint = false;
    } catch (const FileError&) {
    }
}

} // namespace tarvela
