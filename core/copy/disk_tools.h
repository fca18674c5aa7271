#pragma once
// The disk helpers: removing a folder tree or one file, permanently or into the desktop's trash;
// the free-space test that guards a run before it copies; this computer's identity.

#include "base/run_host.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvela {

// Removes the folder with everything in it, after the green line "deletion of the folder". A
// symbolic link inside is removed, never followed. With showProgress the host's file bar counts the
// removed entries (no names). True when the folder is gone (also when it was not there); otherwise
// a red line, and what could be removed is removed.
bool DelDir(const std::string& folder, bool toTrash, bool showProgress, RunHost& host);

// Removes one file, writing nothing unless it fails (red line). True when the file is gone (also
// when it was not there).
bool DelFiles(const std::string& path, bool toTrash, RunHost& host);

// Whether the file system that holds `folder` (or its nearest existing parent, for a folder still
// to be made; the current folder for "") has at least SizeFiles bytes available to this user. False
// whenever the free space cannot be read, 0 bytes included.
bool ChekDiskSize(const std::string& folder, std::int64_t SizeFiles);

// The free-space check of a half: room for `need` bytes on the file system that holds `folder` (or
// its nearest existing parent), too little, or unknown when that file system reports no size at all.
// A failed query counts as too little.
enum class FreeSpace { Enough, TooLittle, Unknown };
FreeSpace CheckFreeSpace(const std::string& folder, std::int64_t need);

// The allocation unit of the file system that holds `folder` (or its nearest existing parent); 1
// when it cannot be read.
std::int64_t AllocationUnit(const std::string& folder);

// What a file of `size` bytes takes on a file system with this allocation unit.
inline std::int64_t SpaceTaken(std::int64_t size, std::int64_t unit) {
    if (size <= 0 || unit <= 1) return size < 0 ? 0 : size;
    return (size + unit - 1) / unit * unit;
}

// What the files of a table file take there, each rounded up to the unit. Throws FileError when the
// table cannot be read.
std::int64_t SpaceTakenByTable(const std::string& table, std::int64_t unit);

inline constexpr std::string_view kNoIdentity = "None";

// This computer's identity: the first eight hexadecimal digits of the system's machine id as
// XXXX-XXXX in upper case (stable for the life of the installation), "None" when it cannot be read.
std::string GetHDSerNo();
// The same from a given machine id file.
std::string GetHDSerNo(const std::string& machineIdPath);

} // namespace tarvela
