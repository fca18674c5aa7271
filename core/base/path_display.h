#pragma once
// Paths in an echo line as their own system writes them. The engine joins a pair folder as the
// profile holds it ("C:\Папка дома\") with a relative name in its own form ("вложенный/файл.txt"),
// which on Windows showed "C:\Папка дома\вложенный/файл.txt". A path that begins in the Windows
// form (a drive "X:\" or a network "\\server") is shown with '\' throughout, up to the end of the
// line or the " <==> " between the two sides of a differing file. POSIX paths, and a drive path
// written with '/' throughout ("C:/Users/..."), stay as they are.

#include <string>
#include <string_view>

namespace tarvela {

std::string windowsPathsInOwnForm(std::string_view line);

} // namespace tarvela
