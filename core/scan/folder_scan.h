#pragma once
// The recursive folder scan that feeds a table file. Order is reproducible: a folder's files in
// name order, then its folder entry ("<folder>/.."), then each subfolder in name order with its
// own files and walk. Folders whose name begins with '.' are hidden: left out with everything
// below them. Hidden files are listed. A symbolic link to a folder is never followed; a link to a
// file is listed with its target's size and time. Devices, pipes and dangling links are left out.

#include "scan/file_list.h"
#include "base/run_host.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

struct ScanItem {
    std::string path; // full path; a folder entry ends with "/.."
    TAtrib atrib;     // Nature, FileDataTime and SizeFile set; Action and FNameTmp empty
};

using ScanList = std::vector<ScanItem>;

// The threads that read folders ahead of a full scan by default.
unsigned defaultScanThreads();

// Receives each entry of a scan in order. The path is only valid during the call.
using ScanVisitor = std::function<void(const std::string& path, const TAtrib& atrib)>;
// Receives each folder (full path ending with '/') that the scan could not read, or not wholly:
// the entries below it are missing from the scan although they may exist.
using UnreadableVisitor = std::function<void(const std::string& folder)>;

// Appends the files of one folder (which ends with '/') whose names match the mask ("*.*" and "*"
// match every name). A folder that cannot be read adds nothing.
void ScanFile(const std::string& folder, std::string_view mask, ScanList& list, RunHost& host);

// Scan mode 2: ScanFile only. Scan mode 0: the full listing described above. An empty mask means
// "*.*"; a missing trailing '/' is added to the folder. Other modes add nothing.
void ScanDisk(std::string folder, std::string mask, ScanList& list, std::uint16_t scanMode, RunHost& host);

// ScanDisk that hands each entry to `visit` instead of collecting them, so that a table of a
// million entries is written without holding the scan in memory, and each folder it could not read
// to `unreadable` (when given). `removeLeftovers` false leaves the copy temporaries of killed runs
// where they are (a scan that must change nothing); they are left out of the scan either way.
// The folders are read ahead on `readAheadThreads` threads (0: all on the calling thread); the
// entries, their order and every call to `visit`, `unreadable` and `host` are the same either way,
// all made on the calling thread.
void ScanDiskVisit(std::string folder, std::string mask, std::uint16_t scanMode, RunHost& host,
                   const ScanVisitor& visit, const UnreadableVisitor& unreadable = {}, bool removeLeftovers = true,
                   unsigned readAheadThreads = defaultScanThreads());

} // namespace tarvela
