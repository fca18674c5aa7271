#include "copy/disk_tools.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "platform/disk_info.h"
#include "platform/file_system.h"
#include "platform/removal.h"
#include "platform/trash.h"
#include "records/table_file.h"
#include "records/table_record.h"

#include <exception>
#include <fstream>
#include <functional>

namespace tarvela {
namespace {

std::string line(std::string_view prefix, const std::string& path) { return std::string(prefix) + path; }

// Removes the tree permanently; with progress, the bar counts removed entries against the total,
// and events run (throttled) so that the bar is painted.
int removePermanently(const std::string& folder, bool showProgress, RunHost& host) {
    if (!showProgress) return platform::removeTree(folder, {});
    const std::int64_t total = platform::countTree(folder);
    std::int64_t removed = 0;
    host.setFileProgress(0, total);
    return platform::removeTree(folder, [&] {
        host.setFileProgress(++removed, total);
        host.letEventsRun();
    });
}

std::string parentFolder(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

// The folder itself or, for one still to be made, its nearest existing parent ("." for "").
std::string nearestExisting(const std::string& folder) {
    std::string existing = folder.empty() ? "." : folder;
    while (!platform::folderExists(existing)) {
        const std::string up = parentFolder(existing);
        if (up == existing) break;
        existing = up;
    }
    return existing;
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

} // namespace

bool DelDir(const std::string& folder, bool toTrash, bool showProgress, RunHost& host) {
    host.echo(line(msg::kDeletingFolder, folder), color::kGreen);
    int err = 0;
    try {
        host.letEventsRun();
        if (toTrash) {
            if (showProgress) host.setFileProgress(0, 1);
            err = platform::moveToTrash(folder);
            if (showProgress && err == 0) host.setFileProgress(1, 1);
        } else {
            err = removePermanently(folder, showProgress, host);
        }
    } catch (const std::exception&) {
        err = -1;
    }
    if (err == 0) return true;
    host.echo(line(msg::kFolderDeleteError, folder), color::kRed);
    return false;
}

bool DelFiles(const std::string& path, bool toTrash, RunHost& host) {
    bool done = false;
    try {
        host.letEventsRun();
        done = toTrash ? platform::moveToTrash(path) == 0 : platform::removeFile(path);
    } catch (const std::exception&) {
        done = false;
    }
    if (!done) host.echo(line(msg::kFileDeleteError, path), color::kRed);
    return done;
}

bool ChekDiskSize(const std::string& folder, std::int64_t SizeFiles) {
    const std::int64_t available = platform::availableBytes(nearestExisting(folder));
    return available >= 0 && available >= SizeFiles;
}

// The serial's upper and lower halves in upper-case hexadecimal.
std::string volumeSerialText(std::uint32_t serial) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) {
        if (shift == 12)
            text += '-';
        text += kDigits[(serial >> shift) & 0xF];
    }
    return text;
}

FreeSpace CheckFreeSpace(const std::string& folder, std::int64_t need) {
    const platform::DiskSpace space = platform::diskSpace(nearestExisting(folder));
    if (space.available < 0) return FreeSpace::TooLittle;
    if (!space.sized) return FreeSpace::Unknown;
    return space.available >= need ? FreeSpace::Enough : FreeSpace::TooLittle;
}

std::int64_t AllocationUnit(const std::string& folder) { return platform::diskSpace(nearestExisting(folder)).unit; }

std::int64_t SpaceTakenByTable(const std::string& table, std::int64_t unit) {
    TableReader reader(table);
    TNameAtribFile record;
    std::int64_t total = 0;
    while (reader.next(record)) {
        if (record.Nature == kNatureFile) total += SpaceTaken(record.SizeFile, unit);
    }
    return total;
}

std::string GetHDSerNo() {
    if (const auto serial = platform::systemVolumeSerial())
        return volumeSerialText(*serial);
    for (const std::string& path : platform::machineIdFiles()) {
        std::string id = GetHDSerNo(path);
        if (id != kNoIdentity) return id;
    }
    return std::string(kNoIdentity);
}

std::string GetHDSerNo(const std::string& machineIdPath) {
    std::ifstream in(machineIdPath);
    std::string id;
    std::getline(in, id);
    if (id.size() < 8) return std::string(kNoIdentity);
    std::string label;
    for (std::size_t i = 0; i < 8; ++i) {
        const char c = id[i];
        if (!isHexDigit(c)) return std::string(kNoIdentity);
        if (i == 4) label += '-';
        label += c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return label;
}

} // namespace tarvela
