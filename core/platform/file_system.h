#pragma once
// Small questions and changes of the file system that the engine needs by path.

#include "platform/directory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela::platform {

bool fileExists(const std::string& path);   // a regular file (a link to one counts)
bool folderExists(const std::string& path); // a folder (a link to one counts)

// Creates the folder with all missing parents. Throws FileError when it cannot.
void createFolders(const std::string& path);

// Makes one folder whose parent exists (never a parent): 0 when a folder stands at `path`
// afterwards, also one that was there already; otherwise the errno value of the failure.
int createFolder(const std::string& path);

// Which folder a path names (a link followed): the same folder gives the same identity for as long
// as it exists, and a disk mounted in its place gives another. Nothing when nothing is there.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t item = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};
std::optional<FolderIdentity> folderIdentity(const std::string& path);

// What stands at a path, without following a symbolic link there.
enum class PathKind { Missing, File, Folder, Link, Other };
PathKind pathKindNoFollow(const std::string& path);

// Opens the file for reading and writing, creating it empty when it is missing, and closes it again
// without changing it: proof that it can be written. Throws FileError when it cannot.
void openForWriting(const std::string& path);

// The first part of `path` below `base` (`base` itself is trusted and not looked at), `path`
// included, that is a symbolic link; empty when there is none. Parts still missing end the search:
// they will be made as real folders.
std::string linkBelow(const std::string& base, const std::string& path);

// Removes one file; false when it could not (a missing file counts as removed).
bool removeFile(const std::string& path);

// Renames a file or folder without ever replacing what stands at `to`.
enum class RenameResult { Done, Taken, Failed };
RenameResult renameNoReplace(const std::string& from, const std::string& to);

// Gives a file or folder the name `to`, which differs from its own in letter case only, on a file
// system that takes both spellings for one name (there `to` names the item itself, so a rename
// that never replaces would refuse). False when it could not.
bool renameLetterCase(const std::string& from, const std::string& to);

// Whether the file system of `folder` takes names that differ only in letter case for one name,
// found out by making and looking up a small probe file in it (removed again). Unknown when the
// folder cannot be written or the probe cannot be looked up.
enum class NameCase { Distinct, Folds, Unknown };
NameCase nameCaseOf(const std::string& folder);

// The folders below `folder` (relative, '/' between folders and at the end, shallowest first) at
// which another file system is mounted. Empty where the system cannot tell.
std::vector<std::string> mountPointsBelow(const std::string& folder);

// The last-write time of the file at path (a link is followed); nothing when it cannot be read.
std::optional<FileTime> lastWriteTime(const std::string& path);

// Whether two files hold the same bytes; false when either cannot be read.
bool sameContents(const std::string& a, const std::string& b);

// The folder that holds the running executable, ending with the separator.
std::string executableFolder();

// The separator this system writes between folders ('/' on POSIX, '\' on Windows); either is
// understood by every call here.
char pathSeparator();

// Whether this system's file systems can hold every name of the relative path (folders separated by
// '/'). POSIX holds any name a table may carry; Windows refuses <>:"|?* and '\', control
// characters, a name ending with a dot or a space, and the device names CON, PRN, AUX, NUL,
// COM1-COM9 and LPT1-LPT9 (with any extension).
bool canHoldName(std::string_view relative);

} // namespace tarvela::platform
