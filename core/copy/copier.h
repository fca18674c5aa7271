#pragma once
// The file copier: every file that a run copies, into the transfer store or out of it, goes
// through one TFileCopier owned by the front end. It copies one file at a time with progress on
// the host's file bar, lets the host's events run while it copies (so a stop can be served),
// abandons the file when its break flag is set and reports a failed copy as a red echo line.
//
// A copy never replaces its destination with anything but a complete copy: see
// platform/file_copy.h.

#include "base/run_host.h"
#include "platform/directory.h"
#include "platform/file_copy.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace tarvela {

// Copies of files from this size on (201 MiB) bypass the page cache.
inline constexpr std::int64_t kNoBufferingSize = std::int64_t{201} << 20;
// Flag() of such a copy; 0 for the others.
inline constexpr std::uint32_t COPY_FILE_NO_BUFFERING = 0x00001000;

// Why the last copy failed, when the cause is a whole disk rather than the one file: every later
// copy to (or from) there would fail the same way.
enum class DiskTrouble {
    None,
    DestinationFull, // no space left where the copy goes
    DestinationGone, // the destination's folder is no longer there (the medium was pulled)
    SourceGone,      // a source on the medium vanished with its folder (the medium was pulled)
};

// Where the source of a copy lies. A stored copy on the medium is untrusted: a link there is never
// followed, and the user knows the file by its destination, not by its random store name.
enum class CopySource { UserFolder, Medium };

class IFileCopier {
public:
    virtual ~IFileCopier() = default;

    // Copies Source to Dest, replacing an existing Dest. True only when the copy is complete and
    // in place; a failure has been reported to the result target (when there is one).
    virtual bool Copy() = 0;
    // The host whose file bar shows the copy's progress and whose events run during the copy;
    // null detaches it.
    virtual void SetProgressBar(RunHost* AProgressBar) = 0;
    // True abandons the copy under way at its next chunk; a copy started while it is set does
    // nothing. Safe to call from a signal handler (one lock-free atomic store).
    virtual void SetCopyBreak(bool ACopyBreak) = 0;
    virtual void SetSource(const std::string& ASource) = 0;
    virtual void SetDest(const std::string& ADest) = 0;
    // The host that receives the red line of a failed copy. Null changes nothing: once attached,
    // the target stays.
    virtual void WriteMemoResult(RunHost* AMemoResult) = 0;
    // Last-write time to give the following copies; empty (the default) keeps the source's.
    virtual void SetDestTime(std::optional<platform::FileTime> ATime) = 0;
    // The file bar's maximum: the size of the last copy's source.
    virtual std::int64_t ProgressMaximum() const = 0;
    // Where the following copies take their source from (UserFolder by default).
    virtual void SetSourcePlace(CopySource APlace) = 0;
    // Set by each copy: None unless it failed for a cause that ends copying to or from that disk.
    virtual DiskTrouble LastDiskTrouble() const = 0;
    // Whether the following copies compute the content checksum of what they copy (LastChecksum).
    // Such a copy reads and writes through a buffer instead of the kernel's copy path.
    virtual void SetComputeChecksum(bool) {}
    // The content checksum the following copies must match; a mismatch leaves Dest as it was and
    // reports the copy (by its destination) as a damaged stored copy. Empty checks nothing.
    virtual void SetExpectedChecksum(std::optional<std::uint64_t>) {}
    // The checksum of the last complete copy when it was computed; empty otherwise.
    virtual std::optional<std::uint64_t> LastChecksum() const { return std::nullopt; }
    // A step run once the following copies are complete (and their checksum matched), just before
    // each takes Dest's name: a conflict sets this computer's version aside there, so that a copy
    // that fails or is damaged never leaves the name empty. False abandons the copy with Dest as it
    // was; the step reports why itself. Empty runs nothing. No default: a copier that skipped the
    // step would replace the version it is meant to keep.
    virtual void SetBeforeReplace(std::function<bool()> AStep) = 0;
};

class TFileCopier final : public IFileCopier {
public:
    bool Copy() override;
    void SetProgressBar(RunHost* AProgressBar) override;
    void SetCopyBreak(bool ACopyBreak) override { FCopyBreak.store(ACopyBreak); }
    void SetSource(const std::string& ASource) override { FSource = ASource; }
    void SetDest(const std::string& ADest) override { FDest = ADest; }
    void WriteMemoResult(RunHost* AMemoResult) override;
    void SetDestTime(std::optional<platform::FileTime> ATime) override { FDestTime = ATime; }
    std::int64_t ProgressMaximum() const override { return FMaximum; }
    void SetSourcePlace(CopySource APlace) override { FSourcePlace = APlace; }
    DiskTrouble LastDiskTrouble() const override { return FTrouble; }
    void SetComputeChecksum(bool ACompute) override { FComputeChecksum = ACompute; }
    void SetExpectedChecksum(std::optional<std::uint64_t> AChecksum) override { FExpectedChecksum = AChecksum; }
    std::optional<std::uint64_t> LastChecksum() const override { return FLastChecksum; }
    void SetBeforeReplace(std::function<bool()> AStep) override { FBeforeReplace = std::move(AStep); }

    // Copy flags of the last copy: 0 or COPY_FILE_NO_BUFFERING.
    std::uint32_t Flag() const { return flag_; }

private:
    void SetPosition(std::int64_t Value);
    void reportFailure(std::string_view prefix, const std::string& name);
    void reportFailure(const platform::CopyResult& result, const std::string& source, const std::string& dest,
                       std::int64_t size);

    std::string FSource;
    std::string FDest;
    RunHost* FProgressBar = nullptr;
    std::atomic<bool> FCopyBreak{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "SetCopyBreak must be safe in a signal handler");
    std::uint32_t flag_ = 0;
    RunHost* FMemoResult = nullptr;
    std::optional<platform::FileTime> FDestTime;
    std::int64_t FMaximum = 0;
    CopySource FSourcePlace = CopySource::UserFolder;
    DiskTrouble FTrouble = DiskTrouble::None;
    bool copying_ = false;
    bool FComputeChecksum = false;
    std::optional<std::uint64_t> FExpectedChecksum;
    std::optional<std::uint64_t> FLastChecksum;
    std::function<bool()> FBeforeReplace;
};

// The size of a file, or -1 with a red line on `host`: "file not found" when nothing is there,
// "error of access" when the lookup itself fails.
std::int64_t FileSize(const std::string& name, RunHost& host);

// Copies one file with the front end's copier: clears the break flag first, so a stop reaches
// later files only through the host's stop request. `lastWrite` is the copy's last-write time
// (the sender's table time when a received file is put in place); empty keeps the source's.
bool CopyFileExProgress(IFileCopier& copier, const std::string& AFrom, const std::string& ATo,
                        std::optional<platform::FileTime> lastWrite = std::nullopt,
                        CopySource place = CopySource::UserFolder);

// What a copy does with content checksums: compute the copy's (LastChecksum), and check it against
// the one recorded when the file was stored.
struct ChecksumUse {
    bool compute = false;
    std::optional<std::uint64_t> expected;
};

// CopyFileExProgress with checksums and, when given, a step run just before the complete copy takes
// its name (IFileCopier::SetBeforeReplace); the copier's settings are cleared afterwards.
bool CopyFileExProgress(IFileCopier& copier, const std::string& AFrom, const std::string& ATo,
                        std::optional<platform::FileTime> lastWrite, CopySource place, ChecksumUse checksum,
                        std::function<bool()> beforeReplace = {});

struct ListCopyResult {
    std::int64_t copied = 0;                 // files now in the store folder
    std::int64_t failed = 0;                 // file records that were not copied (reported in red)
    bool stopped = false;                    // the host's stop request ended the list early
    DiskTrouble trouble = DiskTrouble::None; // the store's disk filled up or went away: the list ended there
    std::unordered_map<std::string, std::uint64_t> checksums; // by store name, of every copied file
    std::unordered_set<std::string> stored;                   // store names of the copies made
};

// Whether the file at `path` still has the size and last-write time (a date-time number) that its
// scan recorded: a file written since was changed (its copy may be torn, or a later version than
// the record says). A link to a file counts as the file.
bool unchangedSinceScan(const std::string& path, std::int64_t size, double time);

// Copies every file of the table file PathList into the store folder PathTarget (ending with
// '/'), each under its store name; PathFolder, the pair's folder, is only shown. Creates the store
// folder when missing. A record whose store name is not a plain file name is reported and skipped;
// a file written to while it was copied is not kept in the store (an orange line). With `only`,
// just the records whose store name it holds are copied (the part of a folder one trip carries);
// `stored` is told the size of every file kept in the store.
// Throws FileError when the table cannot be read or the store folder cannot be created.
ListCopyResult CopyAllFilesofList(IFileCopier& copier, RunHost& host, const std::string& PathList,
                                  const std::string& PathTarget, const std::string& PathFolder,
                                  const std::unordered_set<std::string>* only = nullptr,
                                  const std::function<void(std::int64_t)>& stored = {});

} // namespace tarvela
