#include "copy/copier.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "copy/content_checksum.h"
#include "platform/disk_info.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/date_time.h"
#include "records/store_layout.h"
#include "records/table_file.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <exception>

namespace tarvela {
namespace {

std::string line(std::string_view prefix, const std::string& path) { return std::string(prefix) + path; }

std::string_view failureLine(platform::CopyStatus status) {
    switch (status) {
    case platform::CopyStatus::SourceMissing:
        return msg::kFileNotCopied;
    case platform::CopyStatus::AccessDenied:
        return msg::kFileAccessError;
    case platform::CopyStatus::NotRegular:
        return msg::kNotRegularFile;
    default:
        return msg::kFileCopyError;
    }
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// For the sync benchmark only (bench/run-sync): TARVELA_BENCH_NO_CHECKSUM=1 makes copies into the
// store take no checksum, so that whole runs can be timed with and without. A store made so is
// received as one of an older version: sizes checked, content not.
bool checksumsOffForBench() {
    static const bool off = [] {
        const char* value = std::getenv("TARVELA_BENCH_NO_CHECKSUM");
        return value != nullptr && std::string_view(value) == "1";
    }();
    return off;
}

} // namespace

void TFileCopier::SetProgressBar(RunHost* AProgressBar) {
    FProgressBar = AProgressBar;
    if (FProgressBar != nullptr) SetPosition(0);
}

void TFileCopier::WriteMemoResult(RunHost* AMemoResult) {
    if (AMemoResult != nullptr) FMemoResult = AMemoResult;
}

void TFileCopier::SetPosition(std::int64_t Value) {
    if (FProgressBar != nullptr) FProgressBar->setFileProgress(Value, FMaximum);
}

void TFileCopier::reportFailure(std::string_view prefix, const std::string& name) {
    if (FMemoResult != nullptr) FMemoResult->echo(line(prefix, name), color::kRed);
}

// One red line that names what the user knows: the destination of a file taken from the medium, the
// source otherwise; the whole disk when the cause is the disk.
void TFileCopier::reportFailure(const platform::CopyResult& result, const std::string& source,
                                const std::string& dest, std::int64_t size) {
    const std::string& known = FSourcePlace == CopySource::Medium ? dest : source;
    const int err = result.error;
    if (result.status == platform::CopyStatus::Failed) {
        if ((err == EFBIG || err == ENOSPC) && size > platform::kFatLargestFile) {
            reportFailure(msg::kFileTooBigForFileSystem, known);
            return;
        }
        if (platform::isNoSpaceError(err)) {
            FTrouble = DiskTrouble::DestinationFull;
            reportFailure(msg::kDiskFull, folderOf(dest));
            return;
        }
    }
    if (result.status == platform::CopyStatus::Stopped) {
        // The user stopped the run: a notice, not a failure; the file simply has not been copied.
        if (FMemoResult != nullptr) FMemoResult->echo(line(msg::kFileCopyStopped, known), color::kOrange);
        return;
    }
    if (result.status == platform::CopyStatus::Rejected) {
        reportFailure(msg::kStoredCopyDamaged, known);
        return;
    }
    if (result.status != platform::CopyStatus::Stopped) {
        // A failure whose folder has gone with it: the disk was pulled, not the one file lost.
        if (FSourcePlace == CopySource::Medium && !platform::folderExists(folderOf(source))) {
            FTrouble = DiskTrouble::SourceGone;
            reportFailure(msg::kFolderUnreachable, folderOf(source));
            return;
        }
        if (!platform::folderExists(folderOf(dest))) {
            FTrouble = DiskTrouble::DestinationGone;
            reportFailure(msg::kFolderUnreachable, folderOf(dest));
            return;
        }
    }
    reportFailure(failureLine(result.status), known);
}

bool TFileCopier::Copy() {
    FTrouble = DiskTrouble::None;
    FLastChecksum.reset();
    if (FCopyBreak.load()) return false;
    if (copying_) {
        // Started again from an event run inside its own progress: refused, the running copy goes on.
        reportFailure(msg::kFileCopyError, FSource);
        return false;
    }
    copying_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{copying_};

    // Events run during the copy may change the copier's fields; this copy keeps its own.
    const std::string source = FSource;
    const std::string dest = FDest;

    const bool fromMedium = FSourcePlace == CopySource::Medium;
    std::int64_t size;
    if (FProgressBar != nullptr && !fromMedium) {
        size = FileSize(source, *FProgressBar);
        FMaximum = size < 0 ? 0 : size;
        SetPosition(0);
        if (size < 0) return false; // FileSize's line is the only report
    } else {
        // No bar to show the size on, or a source on the medium (named by its destination): a
        // missing source is reported by the copy itself.
        size = platform::querySize(source, !fromMedium).size;
        FMaximum = size < 0 ? 0 : size;
        SetPosition(0);
    }
    flag_ = FMaximum / (1 << 20) > 200 ? COPY_FILE_NO_BUFFERING : 0;

    // A file that the destination's file system cannot hold is not copied at all: the copy would
    // write gigabytes first, and a FUSE driver then refuses with a mere "permission denied". Only
    // files over FAT's limit ask, so the usual copy costs nothing more.
    if (size > platform::kFatLargestFile) {
        if (const auto largest = platform::largestFileSize(folderOf(dest)); largest && size > *largest) {
            reportFailure(msg::kFileTooBigForFileSystem, fromMedium ? dest : source);
            return false;
        }
    }

    // A checksum to take or to check is computed as the data passes; a mismatch is found before the
    // copy replaces the destination.
    const std::optional<std::uint64_t> expected = FExpectedChecksum;
    const bool hashing = (FComputeChecksum && !checksumsOffForBench()) || expected.has_value();
    std::optional<ContentChecksum> checksum;
    if (hashing) checksum.emplace();
    const std::function<bool()> beforeReplace = FBeforeReplace;
    bool refusedByStep = false;

    platform::CopyResult result;
    try {
        platform::CopyOptions options;
        options.bypassCache = flag_ != 0;
        options.lastWrite = FDestTime;
        options.followSourceLink = !fromMedium;
        if (hashing) {
            options.onData = [&checksum](const unsigned char* data, std::size_t n) { checksum->add(data, n); };
        }
        if (hashing || beforeReplace) {
            // The checksum first: the step (a conflict's set-aside) runs only for a copy that is sound.
            options.accept = [&checksum, &beforeReplace, &refusedByStep, expected](std::int64_t) {
                if (expected && checksum->value() != *expected) return false;
                if (beforeReplace && !beforeReplace()) {
                    refusedByStep = true;
                    return false;
                }
                return true;
            };
        }
        result = platform::copyFile(source, dest, options, [this](std::int64_t bytesDone) {
            SetPosition(bytesDone);
            if (FProgressBar != nullptr) FProgressBar->letEventsRun();
            return !FCopyBreak.load();
        });
    } catch (const std::exception&) {
        // Thrown by an event run from the progress: the copy was abandoned and cleaned up.
        result = {platform::CopyStatus::Failed, 0};
    }
    if (result.ok()) {
        if (hashing) FLastChecksum = checksum->value();
        return true;
    }
    if (refusedByStep) return false; // the step said why
    reportFailure(result, source, dest, size);
    return false;
}

bool unchangedSinceScan(const std::string& path, std::int64_t size, double time) {
    const platform::SizeQuery query = platform::querySize(path);
    if (query.error != 0 || query.size != size) return false;
    // The scan's time came from the same file system through the same conversion: equal unless
    // the file was written since.
    const auto written = platform::lastWriteTime(path);
    return written && fileTimeToDateTime(*written) == time;
}

std::int64_t FileSize(const std::string& name, RunHost& host) {
    const platform::SizeQuery query = platform::querySize(name);
    if (query.error == 0) return query.size;
    host.echo(line(query.error == ENOENT ? msg::kFileNotFound : msg::kFileAccessError, name), color::kRed);
    return -1;
}

bool CopyFileExProgress(IFileCopier& copier, const std::string& AFrom, const std::string& ATo,
                        std::optional<platform::FileTime> lastWrite, CopySource place) {
    copier.SetSource(AFrom);
    copier.SetDest(ATo);
    copier.SetDestTime(lastWrite);
    copier.SetSourcePlace(place);
    copier.SetCopyBreak(false);
    const bool copied = copier.Copy();
    copier.SetSourcePlace(CopySource::UserFolder);
    return copied;
}

bool CopyFileExProgress(IFileCopier& copier, const std::string& AFrom, const std::string& ATo,
                        std::optional<platform::FileTime> lastWrite, CopySource place, ChecksumUse checksum,
                        std::function<bool()> beforeReplace) {
    copier.SetComputeChecksum(checksum.compute);
    copier.SetExpectedChecksum(checksum.expected);
    copier.SetBeforeReplace(std::move(beforeReplace));
    const bool copied = CopyFileExProgress(copier, AFrom, ATo, lastWrite, place);
    copier.SetComputeChecksum(false);
    copier.SetExpectedChecksum(std::nullopt);
    copier.SetBeforeReplace({});
    return copied;
}

ListCopyResult CopyAllFilesofList(IFileCopier& copier, RunHost& host, const std::string& PathList,
                                  const std::string& PathTarget, const std::string& PathFolder,
                                  const std::unordered_set<std::string>* only,
                                  const std::function<void(std::int64_t)>& stored) {
    host.echo(line(msg::kCopyingFilesFrom, PathFolder), color::kGreen);
    host.setFolderLabel(PathFolder);
    TableReader table(PathList);
    const std::int64_t count = table.recordCount();
    host.setFolderProgress(0, count);

    ListCopyResult result;
    std::int64_t position = 0;
    bool folderReady = false;
    TNameAtribFile record;
    while (table.next(record)) {
        ++position;
        host.setFolderProgress(position, count);
        host.setTaskProgress(position);
        if (record.Nature != kNatureFile) continue;
        const std::string source = record.FName.text();
        if (host.stopRequested()) {
            result.stopped = true;
            break;
        }
        // The table may be hand-made or corrupt: its store name must not lead out of the store folder.
        const std::string storeName = record.FNameTmp.text();
        if (!isPlainStoreName(storeName)) {
            host.echo(line(msg::kFileCopyError, source), color::kRed);
            ++result.failed;
            continue;
        }
        if (only != nullptr && !only->contains(storeName)) continue;
        if (!folderReady) {
            platform::createFolders(PathTarget);
            folderReady = true;
        }
        host.setFileLabel(source);
        if (CopyFileExProgress(copier, source, PathTarget + storeName, std::nullopt, CopySource::UserFolder,
                               ChecksumUse{true, std::nullopt})) {
            if (!unchangedSinceScan(source, record.SizeFile, record.FDataTime)) {
                platform::removeFile(PathTarget + storeName);
                host.echo(line(msg::kChangedWhileStored, source), color::kOrange);
                continue;
            }
            ++result.copied;
            result.stored.insert(storeName);
            if (const auto sum = copier.LastChecksum()) result.checksums[storeName] = *sum;
            if (stored) stored(record.SizeFile);
        } else {
            ++result.failed;
            // The store's disk is full or gone: every further copy would fail the same way.
            if (copier.LastDiskTrouble() != DiskTrouble::None) {
                result.trouble = copier.LastDiskTrouble();
                break;
            }
        }
        host.setFileProgress(copier.ProgressMaximum(), copier.ProgressMaximum());
    }
    if (result.stopped || host.stopRequested())
        host.echo(line(msg::kCopyingFilesFrom, PathFolder) + std::string(msg::kStoppedSuffix), color::kOrange);
    else
        host.echo(line(msg::kCopyingFilesFrom, PathFolder) + std::string(msg::kCompletedSuffix), color::kGreen);
    return result;
}

} // namespace tarvela
