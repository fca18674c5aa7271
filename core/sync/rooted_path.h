#pragma once
// Keeps writes and removals of a half inside their pair folder. A relative name from a table is
// checked by table_entry_check.h; this checks the disk: a folder on the way to the target that is
// a symbolic link (which the scan never follows) could lead anywhere, so such a target is refused.

#include <string>
#include <string_view>
#include <unordered_set>

namespace tarvela {

class RootedPath {
public:
    // root: the pair folder, ending with '/'. It is trusted as the user configured it.
    explicit RootedPath(std::string root) : root_(std::move(root)) {}

    // True when every existing folder between the root and `relative` is a real folder, so that
    // writing or removing root + relative stays below the root. Missing folders are fine: they
    // will be created as real folders.
    bool parentsStayInside(std::string_view relative);
    // After a refusal: the echo text that says why (a link on the way, or a file standing where a
    // folder must go), to be followed by the target's path.
    std::string_view refusal() const { return refusal_; }

private:
    std::string root_;
    std::unordered_set<std::string> verified_; // relative folders known to be real folders
    std::string_view refusal_;
};

} // namespace tarvela
