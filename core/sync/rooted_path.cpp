#include "sync/rooted_path.h"

#include "base/messages.h"
#include "platform/file_system.h"

namespace tarvela {

bool RootedPath::parentsStayInside(std::string_view relative) {
    for (auto slash = relative.find('/'); slash != std::string_view::npos; slash = relative.find('/', slash + 1)) {
        const std::string folder(relative.substr(0, slash));
        if (verified_.contains(folder)) continue;
        switch (platform::pathKindNoFollow(root_ + folder)) {
        case platform::PathKind::Folder:
            verified_.insert(folder);
            break;
        case platform::PathKind::Missing:
            return true; // everything below will be created afresh
        case platform::PathKind::Link:
            refusal_ = msg::kOutsideFolder;
            return false;
        default:
            refusal_ = msg::kFileInPlaceOfFolder;
            return false;
        }
    }
    return true;
}

} // namespace tarvela
