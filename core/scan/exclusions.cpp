#include "scan/exclusions.h"

namespace tarvela {
namespace {

std::string normalizedPiece(std::string_view piece) {
    const auto star = piece.find('*');
    if (star != std::string_view::npos && star > 0 && piece.find_first_not_of(' ') == star) {
        return std::string(piece.substr(star));
    }
    return std::string(piece);
}

} // namespace

ExclusionList CreateListExcept(std::string_view s) {
    ExclusionList list;
    while (!s.empty()) {
        const auto semicolon = s.find(';');
        if (semicolon == std::string_view::npos) {
            list.push_back(normalizedPiece(s));
            break;
        }
        list.push_back(normalizedPiece(s.substr(0, semicolon)));
        s.remove_prefix(semicolon + 1);
    }
    return list;
}

bool isExcluded(const ExclusionList& list, std::string_view path) {
    for (const std::string& entry : list) {
        if (entry.size() < 2) continue;
        if (path.find(std::string_view(entry).substr(1)) != std::string_view::npos) return true;
    }
    return false;
}

} // namespace tarvela
