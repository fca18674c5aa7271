#include "scan/name_mask.h"

#include <cstddef>

namespace tarvela {
namespace {

// Whether the set that starts after '[' at mask[i] holds c; `end` gets the index after its ']'.
// A '[' without its ']' is an ordinary character: false with end == npos.
bool setHolds(std::string_view mask, std::size_t i, char c, std::size_t& end) {
    bool negated = false;
    if (i < mask.size() && (mask[i] == '!' || mask[i] == '^')) {
        negated = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < mask.size() && (first || mask[i] != ']')) {
        first = false;
        char low = mask[i];
        if (low == '\\' && i + 1 < mask.size())
            low = mask[++i];
        char high = low;
        if (i + 2 < mask.size() && mask[i + 1] == '-' && mask[i + 2] != ']') {
            high = mask[i + 2];
            if (high == '\\' && i + 3 < mask.size())
                high = mask[++i + 2];
            i += 2;
        }
        const auto u = static_cast<unsigned char>(c);
        if (static_cast<unsigned char>(low) <= u && u <= static_cast<unsigned char>(high))
            found = true;
        ++i;
    }
    if (i >= mask.size()) {
        end = std::string_view::npos;
        return false;
    }
    end = i + 1;
    return found != negated;
}

} // namespace

bool nameMatchesMask(std::string_view mask, std::string_view name) {
    std::size_t m = 0;
    std::size_t n = 0;
    // Where to resume after the last '*': the mask after it, and the name position it swallowed to.
    std::size_t starMask = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        const bool leadingDot = n == 0 && name[0] == '.';
        bool advanced = false;
        if (m < mask.size()) {
            const char p = mask[m];
            if (p == '*' && !leadingDot) {
                starMask = ++m;
                starName = n;
                continue;
            }
            if (p == '?' && !leadingDot) {
                advanced = true;
                ++m;
            } else if (p == '[' && !leadingDot) {
                std::size_t end = 0;
                const bool holds = setHolds(mask, m + 1, name[n], end);
                if (end == std::string_view::npos) {
                    advanced = name[n] == '[';
                    if (advanced)
                        ++m;
                } else if (holds) {
                    advanced = true;
                    m = end;
                }
            } else if (p == '\\' && m + 1 < mask.size()) {
                advanced = mask[m + 1] == name[n];
                if (advanced)
                    m += 2;
            } else {
                advanced = p == name[n];
                if (advanced)
                    ++m;
            }
        }
        if (advanced) {
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace tarvela
