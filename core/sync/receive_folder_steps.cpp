#include "sync/receive_folder_steps.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "copy/disk_tools.h"
#include "sync/run_plan.h"
#include "platform/file_system.h"
#include "sync/conflict_name.h"
#include "sync/receive_checkpoint.h"

#include <chrono>
#include <system_error>

namespace tarvela {

bool pairFolderStillThere(PairReceive& p) {
    if (p.plan != nullptr || !p.folderId)
        return true;
    if (platform::folderIdentity(p.ownFolder) == p.folderId)
        return true;
    if (!p.diskFailed)
        p.host.echo(std::string(msg::kFolderUnreachable) + p.ownFolder, color::kRed);
    p.diskFailed = true;
    return false;
}

bool removalAllowed(PairReceive& p, const std::string& dest) {
    if (p.plan != nullptr)
        return true;
    if (p.answer == DeleteAnswer::Yes || p.answer == DeleteAnswer::No) {
        checkpointNow(p); // the question may never be answered
        p.answer = p.host.askDelete(dest);
        // Closing the question without an answer keeps everything, as "Нет для всех" does.
        if (p.answer == DeleteAnswer::Closed)
            p.answer = DeleteAnswer::NoToAll;
    }
    return p.answer == DeleteAnswer::Yes || p.answer == DeleteAnswer::YesToAll;
}

bool removeFileHere(PairReceive& p, const std::string& path) {
    if (p.plan == nullptr)
        return pairFolderStillThere(p) && DelFiles(path, p.task.DellBasket, p.host);
    echoPlannedRemoval(p.host, path);
    ++p.plan->removals;
    p.plannedGone.insert(p.relative(path));
    return true;
}

bool moveAside(PairReceive& p, const std::string& path) {
    const auto now = std::chrono::system_clock::now();
    const std::string_view computer = p.own == Side::Home ? "домашний" : "рабочий";
    const bool folder = platform::pathKindNoFollow(path) == platform::PathKind::Folder;
    if (!pairFolderStillThere(p))
        return false;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string aside = conflictCopyPath(path, computer, now, attempt);
        if (p.plan != nullptr) {
            // The name the rename would take: the first one free now.
            if (platform::pathKindNoFollow(aside) != platform::PathKind::Missing)
                continue;
            p.host.echo(std::string(msg::kConflictKept) + aside, color::kOrange);
            ++p.plan->conflicts;
            p.plannedGone.insert(p.relative(path));
            return true;
        }
        const platform::RenameResult result = platform::renameNoReplace(path, aside);
        if (result == platform::RenameResult::Taken)
            continue;
        if (result == platform::RenameResult::Failed)
            break;
        p.journal.movedAside(p.relative(path), p.relative(aside), folder);
        p.host.echo(std::string(msg::kConflictKept) + aside, color::kOrange);
        return true;
    }
    p.host.echo(std::string(msg::kConflictNotSetAside) + path, color::kRed);
    return false;
}

bool makeFoldersBelowPair(PairReceive& p, const std::string& relative) {
    if (p.plan != nullptr || relative.empty())
        return true;
    if (!pairFolderStillThere(p))
        return false;
    for (std::size_t slash = relative.find('/');; slash = relative.find('/', slash + 1)) {
        const std::string folder = p.ownFolder + relative.substr(0, slash);
        if (const int error = platform::createFolder(folder); error != 0) {
            p.host.echo(FileError(msg::kCannotCreateFolder, folder, error).what(), color::kRed);
            return false;
        }
        if (slash == std::string::npos)
            return true;
    }
}

void mediumGone(PairReceive& p) {
    p.host.echo(std::string(msg::kFolderUnreachable) + p.ctx.PathTask, color::kRed);
    throw FileError(msg::kFolderUnreachable, p.ctx.PathTask, 0);
}

} // namespace tarvela
