#include "scan/table_entry_check.h"

#include "records/table_record.h"

namespace tarvela {

bool isAcceptableRelativeName(std::string_view name, std::uint8_t nature) {
    if (nature != kNatureFile && nature != kNatureFolder) return false;
    if (nature == kNatureFolder) {
        if (name == "..") return true;
        if (!name.ends_with("/..")) return false;
        name.remove_suffix(3);
    }
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string_view::npos) return false;
    while (!name.empty()) {
        const auto slash = name.find('/');
        const std::string_view component = name.substr(0, slash);
        if (component.empty() || component == "." || component == "..") return false;
        if (slash == std::string_view::npos) break;
        name.remove_prefix(slash + 1);
        if (name.empty()) return false; // a trailing '/'
    }
    return true;
}

} // namespace tarvela
