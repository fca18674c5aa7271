#include "scan/exclusions.h"

#include "records/utf8.h"

namespace tarvela {
namespace {

// The entry without its first character (a whole UTF-8 sequence, not one byte of it); empty when
// the entry has fewer than two characters.
std::string_view withoutFirstCharacter(std::string_view entry) {
    Utf8Decoder decoder(entry);
    char32_t cp = 0;
    if (!decoder.next(cp)) return {};
    return entry.substr(decoder.position());
}

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
        const std::string_view needle = withoutFirstCharacter(entry);
        if (needle.empty()) continue;
        if (path.find(needle) != std::string_view::npos) return true;
    }
    return false;
}

} // namespace tarvela
