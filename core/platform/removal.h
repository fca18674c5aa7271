#pragma once
// Permanent removal of a file or a whole folder tree that never leaves the tree: each folder is
// opened relative to its parent without following a symbolic link, so a link inside the tree (or a
// folder swapped for a link meanwhile) is removed itself and its target is never touched.

#include <cstdint>
#include <functional>
#include <string>

namespace tarvela::platform {

// Number of entries that removeTree(path) removes: 1 for a file or a link, 1 plus everything below
// it for a folder; 0 when nothing is there.
std::int64_t countTree(const std::string& path);

// Removes whatever is at path: a file, a link, or a folder with everything below it. A failing
// entry does not stop the removal of the others. Returns 0 when everything is gone (also when
// nothing was there) or the errno of the first failure; EINVAL for "/", "." and "..", which are
// never removed. `removed` (may be empty) is called after each entry removed.
int removeTree(const std::string& path, const std::function<void()>& removed);

} // namespace tarvela::platform
