#pragma once
// A dry run ("plan only"): the halves run their own decision code and write the same lines a real
// run writes for its items, but at each point where the real run would act they only count: no
// table, store, log, agreed state or remembered generation is written, no folder made, no file
// copied, moved or removed. The fresh scans a half compares go to a temporary folder instead of
// the medium. Items for which the real run writes no line of their own (a removal, a file of a full
// copy) get a line here.

#include <cstdint>
#include <string>

namespace tarvela {

class RunHost;

struct RunPlan {
    std::string tableFolder;     // the fresh tables of this computer's scans (a temporary folder)
    std::int64_t storeFiles = 0; // files the sending half would put into the store
    std::int64_t storeBytes = 0;
    std::int64_t copyFiles = 0; // files the receiving half would copy into place
    std::int64_t copyBytes = 0;
    std::int64_t removals = 0;  // files and folders the receiving half would remove
    std::int64_t conflicts = 0; // versions of this computer that would be set aside
    std::int64_t moves = 0;     // files and folders that would travel as a move (sent or made)
};

// A fresh folder in the system's temporary folder for a dry run's tables, removed with everything
// in it when this object goes. Throws FileError when it cannot be made.
class PlanTableFolder {
public:
    PlanTableFolder();
    ~PlanTableFolder();
    PlanTableFolder(const PlanTableFolder&) = delete;
    PlanTableFolder& operator=(const PlanTableFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The line of a file that a full copy would put into the store.
void echoPlannedStore(RunHost& host, const std::string& path);
// The line of a file or folder that the receive would remove (or ask about removing).
void echoPlannedRemoval(RunHost& host, const std::string& path);
// The closing line of a dry run: what the half would have done, in counts and bytes.
std::string planSummary(const RunPlan& plan, bool sending);

} // namespace tarvela
