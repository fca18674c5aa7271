#include "folder_scan.h"

#include "date_time.h"
#include "platform/directory.h"
#include "table_record.h"

#include <algorithm>
#include <fnmatch.h>

namespace tarvela {
namespace {

bool matchesMask(std::string_view mask, const std::string& name) {
    if (mask == "*.*" || mask == "*") return true;
    return ::fnmatch(std::string(mask).c_str(), name.c_str(), FNM_PERIOD) == 0;
}

TAtrib atribOf(std::uint8_t nature, platform::FileTime mtime, std::int64_t size) {
    TAtrib a;
    a.Nature = nature;
    a.FileDataTime = fileTimeToDateTime(mtime);
    a.SizeFile = size;
    return a;
}

std::vector<platform::DirEntry> sortedEntries(const platform::Directory& dir) {
    auto entries = dir.entries();
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

bool isHiddenFolder(const std::string& name) { return !name.empty() && name.front() == '.'; }

void appendFiles(const std::vector<platform::DirEntry>& entries, const std::string& folder, std::string_view mask,
                 ScanList& list, RunHost& host) {
    for (const auto& e : entries) {
        host.letEventsRun();
        if (e.kind == platform::EntryKind::File && matchesMask(mask, e.name)) {
            list.push_back({folder + e.name, atribOf(kNatureFile, e.mtime, e.size)});
        }
    }
}

// One folder of the full listing: its files, its folder entry when it has a parent, then each
// visible subfolder recursively.
void walk(const platform::Directory& dir, const std::string& folder, std::string_view mask, ScanList& list,
          RunHost& host) {
    const auto entries = sortedEntries(dir);
    appendFiles(entries, folder, mask, list, host);
    if (folder != "/") list.push_back({folder + "..", atribOf(kNatureFolder, dir.mtime(), 0)});
    for (const auto& e : entries) {
        host.letEventsRun();
        if (e.kind != platform::EntryKind::Folder || isHiddenFolder(e.name)) continue;
        if (auto child = dir.openChild(e.name)) walk(*child, folder + e.name + "/", mask, list, host);
    }
}

} // namespace

void ScanFile(const std::string& folder, std::string_view mask, ScanList& list, RunHost& host) {
    const auto dir = platform::Directory::open(folder);
    if (!dir) return;
    appendFiles(sortedEntries(*dir), folder, mask, list, host);
}

void ScanDisk(std::string folder, std::string mask, ScanList& list, std::uint16_t scanMode, RunHost& host) {
    if (folder.empty()) return;
    if (mask.empty()) mask = "*.*";
    if (folder.back() != '/') folder.push_back('/');
    if (scanMode == 2) {
        ScanFile(folder, mask, list, host);
    } else if (scanMode == 0) {
        if (const auto dir = platform::Directory::open(folder)) walk(*dir, folder, mask, list, host);
    }
}

} // namespace tarvela
