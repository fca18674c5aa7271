#pragma once
// The two forms of a folder text in a profile: a Windows one ("C:\Users\...\", "\\server\share\")
// and a POSIX one ("/home/..."). One medium serves a Windows and a Linux computer, each writing its
// tables with its own separator; the folder text of the side that wrote a table tells which form
// its paths have. Inside the engine a relative name always separates its folders with '/'.

#include "base/windows_names.h"

#include <string>
#include <string_view>

namespace tarvela {

// A drive path ("C:\", "C:/") or a network path ("\\server\...").
bool isWindowsFolderText(std::string_view folder);

// The separator of paths below the folder: '\' for a Windows folder text, '/' otherwise.
char separatorOf(std::string_view folder);

// A relative name as written below `folder` turned into the engine's form: in a Windows form '\'
// separates folders; in a POSIX form it is an ordinary character of a name and stays.
void toEngineForm(std::string& relative, std::string_view folder);

// What two spellings of one folder text share: without separators at its end, and for a Windows
// form with '/' read as a backslash and letter case ignored, as Windows ignores it ("D:\Docs\" and
// "d:/docs" are one folder). A POSIX form is compared as it stands.
std::string folderKey(std::string_view folder);
inline bool sameFolderText(std::string_view a, std::string_view b) { return a == b || folderKey(a) == folderKey(b); }


} // namespace tarvela
