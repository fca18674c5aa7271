#include "sync/half_lines.h"

#include "copy/disk_tools.h"
#include "log/clock_text.h"
#include "records/table_record.h"
#include "scan/file_list.h"
#include "sync/compare_lists.h"
#include "sync/run_plan.h"
#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "sync/run_control.h"

#include <chrono>
#include <cstring>

namespace tarvela {

void echoTimedLine(RunHost& host, std::string_view text) {
    std::string line = longTimeText(std::chrono::system_clock::now());
    line.insert(0, 1, '[');
    line.append(text);
    host.echo(line, color::kBlue);
}

std::string scanTableFile(const SyncContext& ctx, Side owner, int n) {
    return tableFile(ctx.plan != nullptr ? ctx.plan->tableFolder : ctx.PathTask, owner, n);
}

std::int64_t compareTables(PackedFileList& S, const SyncContext& ctx, const TProfilLine& task, int n, Side source,
                           const std::string& storeRoot, RunHost& host, decltype(ComparePair::agreedSays) agreedSays,
                           bool sourceInS, PackedFileList* other, ComparedLines* held) {
    const Side dest = otherSide(source);
    PackedFileList D;
    if (!sourceInS) CreateListOfFiles(S, scanTableFile(ctx, source, n), ownFolder(task, source, n), &host);
    if (other != nullptr)
        D = std::move(*other);
    else
        CreateListOfFiles(D, pairTableFile(ctx, task, dest, n), ownFolder(task, dest, n), &host);
    const ComparePair pair{ownFolder(task, Side::Work, n), ownFolder(task, Side::Home, n),
                           source == Side::Work ? Direction::WorkHome : Direction::HomeWork, task.OperacDell, storeRoot,
                           std::move(agreedSays), held};
    return CompareListsOfFiles(S, std::move(D), pair, host);
}

std::string pairTableFile(const SyncContext& ctx, const TProfilLine& task, Side owner, int n) {
    const std::string own = tableFile(ctx.PathTask, owner, n);
    const std::string folder = ownFolder(task, owner, n);
    if (folder.empty() || !platform::fileExists(own) || tableMadeFor(own, folder))
        return own;
    for (int m = 1; m <= 10; ++m) {
        const std::string other = tableFile(ctx.PathTask, owner, m);
        if (m != n && tableMadeFor(other, folder) && !tableMadeFor(other, ownFolder(task, owner, m)))
            return other;
    }
    return own;
}

bool flushToDevice(RunHost& host, const std::string& folder) {
    int error = 0;
    bool flushed = false;
    // Flushing a slow drive takes seconds: the front end may run it off its window's thread.
    host.runLongCall([&] { flushed = platform::syncFileSystem(folder, &error); });
    if (flushed) return true;
    host.echo(std::string(msg::kFlushFailed) + folder + ": " + std::strerror(error), color::kRed);
    return false;
}

std::int64_t spaceTakenByCopies(const PackedFileList& S, std::int64_t unit) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < S.count(); ++i) {
        const TAtrib& entry = *S.object(i);
        if (entry.Action == TAction::Copy && entry.Nature == kNatureFile) total += SpaceTaken(entry.SizeFile, unit);
    }
    return total;
}

bool enoughSpaceFor(RunHost& host, const std::string& folder, std::int64_t need) {
    switch (CheckFreeSpace(folder, need)) {
    case FreeSpace::Enough:
        return true;
    case FreeSpace::Unknown:
        host.echo(std::string(msg::kFreeSpaceUnknown) + folder, color::kBlack);
        return true;
    case FreeSpace::TooLittle:
        break;
    }
    return false;
}

bool makeFoldersOrSay(RunHost& host, const std::string& folder) {
    try {
        platform::createFolders(folder);
        return true;
    } catch (const FileError& e) {
        host.echo(e.what(), color::kRed);
        return false;
    }
}

std::string wrongPathMessage(const std::string& folder) {
    // A line feed and a carriage return, in that order, between the text and the path.
    return std::string(msg::kWrongPathInProfile) + "\n\r" + folder;
}

} // namespace tarvela
