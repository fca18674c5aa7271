#include "base/windows_names.h"

#include <string>

namespace tarvela {
namespace {

bool isReservedDeviceName(std::string_view name) {
    const std::string_view stem = name.substr(0, name.find('.'));
    std::string upper(stem);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

bool windowsCanHoldComponent(std::string_view name) {
    if (name.empty())
        return true;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        if (std::string_view("<>:\"|?*\\").find(c) != std::string_view::npos)
            return false;
    }
    if (name.back() == '.' || name.back() == ' ')
        return false;
    return !isReservedDeviceName(name);
}

} // namespace

bool windowsCanHoldName(std::string_view relative) {
    for (std::size_t start = 0;;) {
        const auto slash = relative.find('/', start);
        if (!windowsCanHoldComponent(relative.substr(start, slash - start)))
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

} // namespace tarvela
