#pragma once
// The desktop's trash, laid out by the freedesktop.org trash standard, so that a file
// manager lists what the program put there and can restore it: the home trash
// ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash) for an item on the same file system,
// otherwise the trash at the top of the item's own file system ($topdir/.Trash/$uid when the
// administrator prepared $topdir/.Trash, else $topdir/.Trash-$uid). An item is never copied
// between file systems: it is renamed into the trash or left where it is.

#include <string>

namespace tarvela::platform {

// Moves the file, link or folder at path into the trash: writes info/NAME.trashinfo (the original
// path and the deletion time) first, then renames the item to files/NAME, with NAME unique in that
// trash. Returns 0 when the item is in the trash (or was not there at all), else the errno; the item
// then stays where it was and no info file is left behind.
int moveToTrash(const std::string& path);

} // namespace tarvela::platform
