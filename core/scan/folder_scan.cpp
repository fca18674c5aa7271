#include "scan/folder_scan.h"

#include "platform/directory.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "records/date_time.h"
#include "records/table_record.h"
#include "scan/folder_read_ahead.h"
#include "scan/name_mask.h"

#include <algorithm>

namespace tarvela {
namespace {

bool matchesMask(std::string_view mask, const std::string& name) {
    if (mask == "*.*" || mask == "*") return true;
    return nameMatchesMask(mask, name);
}

TAtrib atribOf(std::uint8_t nature, platform::FileTime mtime, std::int64_t size) {
    TAtrib a;
    a.Nature = nature;
    a.FileDataTime = fileTimeToDateTime(mtime);
    a.SizeFile = size;
    return a;
}

std::vector<platform::DirEntry> sortedEntries(const platform::Directory& dir, bool* complete = nullptr) {
    auto entries = dir.entries(complete);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

bool isHiddenFolder(const std::string& name) { return !name.empty() && name.front() == '.'; }

class Walker {
public:
    Walker(std::string_view mask, RunHost& host, const ScanVisitor& visit, const UnreadableVisitor& unreadable = {},
           bool removeLeftovers = true)
        : mask_(mask), host_(host), visit_(visit), unreadable_(unreadable), separator_(platform::pathSeparator()),
          removeLeftovers_(removeLeftovers) {}

    void reportUnreadable(const std::string& folder) const {
        if (unreadable_) unreadable_(folder);
    }

    // `path` holds the folder with its trailing '/'; it is extended for each entry and restored.
    void files(const std::vector<platform::DirEntry>& entries, std::string& path) {
        const std::size_t base = path.size();
        for (const auto& e : entries) {
            host_.letEventsRun();
            if (e.kind != platform::EntryKind::File || !matchesMask(mask_, e.name)) continue;
            if (platform::isCopyTemporaryName(e.name)) {
                // A copy cut off by a kill or a power loss: never the user's file, never travels,
                // and does not stay for good either.
                if (removeLeftovers_ && platform::isLeftoverCopyTemporary(e.name)) platform::removeFile(path + e.name);
                continue;
            }
            path.append(e.name);
            visit_(path, atribOf(kNatureFile, e.mtime, e.size));
            path.resize(base);
        }
    }

    // One folder of the full listing: its files, its folder entry when it has a parent, then each
    // visible subfolder recursively. The folders are read ahead on other threads; every call to
    // the visitor and the host is made here, in the walk's order.
    void walk(FolderReadAhead& tree, FolderReadAhead::Folder& folder, std::string& path) {
        tree.wait(folder, [this] { host_.letEventsRun(); });
        if (!folder.dir) {
            reportUnreadable(path);
            return;
        }
        if (!folder.complete) reportUnreadable(path);
        files(folder.entries, path);
        folder.entries = {};
        const std::size_t base = path.size();
        if (path != "/") {
            path.append("..");
            // Read now, after any leftover copy temporary of the folder was removed.
            visit_(path, atribOf(kNatureFolder, folder.dir->mtime(), 0));
            path.resize(base);
        }
        for (const auto& child : folder.children) {
            host_.letEventsRun();
            path.append(child->name).push_back(separator_);
            walk(tree, *child, path);
            path.resize(base);
        }
        tree.release(folder);
    }

private:
    std::string_view mask_;
    RunHost& host_;
    const ScanVisitor& visit_;
    UnreadableVisitor unreadable_;
    char separator_; // this system's: the table is written in its form
    bool removeLeftovers_;
};

ScanVisitor appendTo(ScanList& list) {
    return [&list](const std::string& path, const TAtrib& atrib) { list.push_back({path, atrib}); };
}

} // namespace

unsigned defaultScanThreads() { return FolderReadAhead::defaultWorkers(); }

void ScanFile(const std::string& folder, std::string_view mask, ScanList& list, RunHost& host) {
    const auto dir = platform::Directory::open(folder);
    if (!dir) return;
    const ScanVisitor visit = appendTo(list);
    std::string path = folder;
    Walker(mask, host, visit).files(sortedEntries(*dir), path);
}

void ScanDisk(std::string folder, std::string mask, ScanList& list, std::uint16_t scanMode, RunHost& host) {
    ScanDiskVisit(std::move(folder), std::move(mask), scanMode, host, appendTo(list));
}

void ScanDiskVisit(std::string folder, std::string mask, std::uint16_t scanMode, RunHost& host,
                   const ScanVisitor& visit, const UnreadableVisitor& unreadable, bool removeLeftovers,
                   unsigned readAheadThreads) {
    if (folder.empty()) return;
    if (mask.empty()) mask = "*.*";
    if (folder.back() != '/' && folder.back() != platform::pathSeparator())
        folder.push_back(platform::pathSeparator());
    Walker walker(mask, host, visit, unreadable, removeLeftovers);
    auto dir = platform::Directory::open(folder);
    if (!dir) {
        walker.reportUnreadable(folder);
        return;
    }
    if (scanMode == 2) {
        walker.files(sortedEntries(*dir), folder);
    } else if (scanMode == 0) {
        FolderReadAhead tree(
            std::move(dir), [](const std::string& name) { return !isHiddenFolder(name); }, readAheadThreads);
        walker.walk(tree, tree.root(), folder);
    }
}

} // namespace tarvela
