#pragma once
// Where a profile keeps what it carries on the medium. Every path of the transfer store is formed
// here and nowhere else:
//
//   ProgramPath/Tarvela.cfg                      the profile file
//   ProgramPath/Task/<Id>                        transfer store folder of a profile (PathTask)
//   PathTask/WFiles, PathTask/HFiles             store roots: work->home and home->work
//   PathTask/WFiles/Folder_N/<store name>        carried files of pair N (flat)
//   PathTask/WTabFile_N.dat, HTabFile_N.dat      table files of pair N of each computer
//   PathTask/WTabFile_N.chk, HTabFile_N.chk      their check files (records/table_check.h)
//   PathTask/<Id>.log                            the profile's log
//
// N is 1..10 in decimal without leading zeros.

#include <string>
#include <string_view>

namespace tarvela {

// The two computers of a profile. Each writes its own tables and fills its own store root.
enum class Side { Work, Home };

inline Side otherSide(Side s) { return s == Side::Work ? Side::Home : Side::Work; }

inline constexpr const char* kProfileFileName = "Tarvela.cfg";

std::string profileFilePath(const std::string& programPath);

// ProgramPath + "Task/" + Id, without a trailing separator.
std::string transferStoreFolder(const std::string& programPath, const std::string& id);

// "/WFiles" for the work side, "/HFiles" for the home side, below PathTask.
std::string storeRoot(const std::string& pathTask, Side sender);

// The store folder of pair n, ending with '/'.
std::string storeFolder(const std::string& pathTask, Side sender, int n);

// "/WTabFile_N.dat" or "/HTabFile_N.dat" below PathTask.
std::string tableFile(const std::string& pathTask, Side owner, int n);

std::string logFile(const std::string& pathTask, const std::string& id);

// Whether a store name read from a table file can stand as one file name in a store folder: not
// empty, not "." or "..", without '/' and NUL. Anything else could reach outside the store folder.
bool isPlainStoreName(std::string_view name);

} // namespace tarvela
