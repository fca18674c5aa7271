#include "sync/receive_removals.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "copy/disk_tools.h"
#include "platform/file_system.h"
#include "records/table_record.h"
#include "sync/look_again.h"
#include "sync/pair_guard.h"
#include "sync/receive_checkpoint.h"
#include "sync/receive_folder_steps.h"
#include "sync/run_plan.h"

#include <algorithm>
#include <vector>

namespace tarvela {
namespace {

// More removals than this, and more than half of what the pair's agreed state lists, are asked
// about once before any of them is done.
constexpr std::int64_t kHandfulOfFiles = 5;

// Whether the folder would read empty once the dry run's planned removals were made: each of its
// entries is planned to go.
bool emptyOncePlannedRemovalsAreMade(const PairReceive& p, const std::string& folder) {
    const auto dir = platform::Directory::open(folder);
    if (dir == nullptr)
        return false;
    const std::string below = p.relative(folder) + "/";
    for (const platform::DirEntry& e : dir->entries()) {
        if (!p.plannedGone.contains(below + e.name))
            return false;
    }
    return true;
}

void removeRow(PairReceive& p, ReceiveRow& r) {
    const std::string name(p.localName(r));
    const std::string dest = p.ownPath(name);
    if (p.own == Side::Home)
        p.host.setFileLabel(dest);
    if (!removalAllowed(p, dest)) {
        r.done = true;
        return;
    }
    // Already gone (with a folder set aside or removed before it): nothing to remove.
    const std::string item = isFolderName(name) ? dest.substr(0, dest.size() - 3) : dest;
    const platform::PathKind kind = platform::pathKindNoFollow(item);
    if (kind == platform::PathKind::Missing) {
        r.done = true;
        return;
    }
    // Something else stands where the folder was (a file that took its name): not this row's to
    // remove.
    if (isFolderName(name) && kind != platform::PathKind::Folder) {
        r.done = true;
        return;
    }
    if (!p.rooted.parentsStayInside(name)) {
        p.host.echo(std::string(p.rooted.refusal()) + dest, color::kRed);
        return;
    }
    if (!isFolderName(name)) {
        // A folder there now is not the file this row removes (it was put there by this receive
        // or made here): never removed or moved to the trash in the file's place.
        if (kind == platform::PathKind::Folder) {
            r.done = true;
            return;
        }
        // Saved since the scan: a change made here, which the other computer's removal must not
        // take away.
        if (p.plan == nullptr && !asScanned(dest, p.lItem(r))) {
            p.host.echo(std::string(msg::kKeptChangedHere) + dest, color::kOrange);
            p.journal.unsure();
            r.decision = {ReceiveStep::KeepNotice, AgreedAfter::Drop};
            r.done = true;
            return;
        }
        r.done = removeFileHere(p, dest);
        if (r.done)
            p.journal.removedFile(name);
        return;
    }
    const std::string& folder = item; // without "/.."
    if (p.plan != nullptr) {
        // Removed by the real run once what it removes first has left it empty.
        if (emptyOncePlannedRemovalsAreMade(p, folder)) {
            echoPlannedRemoval(p.host, folder);
            ++p.plan->removals;
            p.plannedGone.insert(p.relative(folder));
        } else {
            p.host.echo(std::string(msg::kFolderNotEmptyKept) + folder, color::kOrange);
        }
        r.done = true;
        return;
    }
    if (kind == platform::PathKind::Folder && pairFolderStillThere(p)) {
        if (folderReadsEmpty(folder)) {
            p.journal.removalTried(name.substr(0, name.size() - 3));
            DelDir(folder, p.task.DellBasket, true, p.host);
        } else {
            // Something kept, made here, excluded or hidden is still inside.
            p.host.echo(std::string(msg::kFolderNotEmptyKept) + folder, color::kOrange);
        }
    }
    r.done = true;
}

} // namespace

void applyRemovals(PairReceive& p) {
    std::vector<std::size_t> files;
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < p.rows.size(); ++i) {
        const ReceiveRow& r = p.rows[i];
        // Done already: a file removed to make way for a folder of the same name.
        if (r.setAside || r.decision.step != ReceiveStep::Delete || r.done)
            continue;
        (isFolderName(p.localName(r)) ? folders : files).push_back(i);
    }
    if (files.empty() && folders.empty())
        return;
    if (!p.task.OperacDell) {
        for (const std::size_t i : files)
            p.rows[i].done = true;
        for (const std::size_t i : folders)
            p.rows[i].done = true;
        return;
    }
    std::int64_t listed = 0;
    for (const AgreedRecord& a : p.previous.records)
        listed += a.nature == kNatureFile ? 1 : 0;
    const auto count = static_cast<std::int64_t>(files.size());
    // A dry run asks nothing: it lists every removal the run would make or ask about.
    const bool massRemoval = p.plan == nullptr && count > kHandfulOfFiles && count * 2 > listed;
    if (massRemoval)
        checkpointNow(p); // the question may never be answered
    if (massRemoval && !p.host.askMassRemoval(p.ownFolder, count, listed)) {
        // Left undone, with the agreed records kept: the question comes again next time.
        p.host.echo(std::string(msg::kMassRemovalSkipped) + std::to_string(count) + std::string(msg::kMassRemovalOf) +
                        std::to_string(listed) + std::string(msg::kMassRemovalSkippedIn) + p.ownFolder,
                    color::kRed);
        return;
    }
    removeInOrder(p, files, folders);
}

void removeInOrder(PairReceive& p, const std::vector<std::size_t>& files, std::vector<std::size_t> folders) {
    std::stable_sort(folders.begin(), folders.end(), [&](std::size_t x, std::size_t y) {
        const auto depth = [&](std::size_t i) {
            const std::string_view name = p.localName(p.rows[i]);
            return std::count(name.begin(), name.end(), '/');
        };
        return depth(x) > depth(y);
    });
    for (const std::vector<std::size_t>* rows : {&files, static_cast<const std::vector<std::size_t>*>(&folders)}) {
        for (const std::size_t i : *rows) {
            if (p.host.stopRequested() || p.diskFailed)
                return;
            p.showProgress(i);
            removeRow(p, p.rows[i]);
        }
    }
}

} // namespace tarvela
