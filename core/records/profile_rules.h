#pragma once
// The rules every front end follows when it saves a profile, whether a window or a terminal
// changes it: a name and at least one folder, folders ending with the separator, a fresh 8-character
// Id for a new profile, the saving computer and its role stamped into the record, and a profile
// file that can be written before anything changes.

#include "records/profile.h"

#include <string>
#include <string_view>

namespace tarvela {

inline constexpr std::size_t kProfileIdLength = 8;

// A fresh identifier for a new profile (RandomID of kProfileIdLength characters).
std::string newProfileId();

// What keeps a profile from being saved; the editor shows every one as "Не все параметры введены".
enum class ProfileProblem { None, NoName, NoFolder };

// Whether any of the twenty folders of the profile is set.
bool hasAnyFolder(const TProfilLine& profile);

// The name as typed (spaces count as text) and the profile's folders.
ProfileProblem checkProfileInput(std::string_view name, const TProfilLine& profile);

// Appends '/' to every non-empty folder that does not end with one. A folder that already holds
// 255 bytes has no room for it and stays as it is.
void endFoldersWithSeparator(TProfilLine& profile);

// The saving computer becomes the profile's IdPC (its identity as code-page bytes) and its role PC.
void stampSavingComputer(TProfilLine& profile, std::string_view pcIdentBytes, bool workRole);

// Makes sure that the profile file can be written before a save changes anything: opens it for
// reading and writing when it exists, creates it empty when it does not. Throws FileError.
void ensureProfileFileWritable(const std::string& programPath);

// Why a folder typed on a command line cannot stand in a profile as it is. The editor's folder
// dialog only ever gives such folders; typed text is checked, never silently changed.
enum class FolderTextProblem {
    None,
    NotAbsolute,      // not "/…", "X:\…", "X:/…" or "\\server\…": relative to what, on the other computer?
    ControlCharacter, // a line break, a tab or another control character
    NotInCodePage,    // a character that Windows-1251 cannot hold (it would be stored as '?')
    TooLong,          // more than 255 bytes in the code page, the trailing separator included
};
FolderTextProblem checkFolderText(std::string_view utf8);

} // namespace tarvela
