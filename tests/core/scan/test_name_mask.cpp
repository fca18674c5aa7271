#include "scan/name_mask.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fnmatch.h>
#endif

namespace tarvela {
namespace {

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
};

// The shell's rules, hidden files and sets included.
constexpr MaskCase kCases[] = {
    {"*.txt", "a.txt", true},
    {"*.txt", "a.txt.bak", false},
    {"*.txt", ".hidden.txt", false},
    {".*", ".hidden", true},
    {"?.txt", "a.txt", true},
    {"?.txt", "ab.txt", false},
    {"?", ".", false},
    {"[ab]*", "beta", true},
    {"[ab]*", "gamma", false},
    {"[!ab]*", "gamma", true},
    {"[^ab]*", "alpha", false},
    {"[a-c]x", "bx", true},
    {"[a-c]x", "dx", false},
    {"[]]", "]", true},
    {"[", "[", true},
    {"a[", "a[", true},
    {"\\*", "*", true},
    {"\\*", "a", false},
    {"*a*b*c", "xxaybzc", true},
    {"*a*b*c", "xxaybz", false},
    {"**", "", true},
    {"", "", true},
    {"", "a", false},
    {"a*", "a", true},
    {"Отчёт*", "Отчёт 2024.doc", true},
    {"*.DOC", "a.doc", false},
    {"*[0-9]", "file7", true},
};

TEST(NameMask, FollowsTheShellsRules) {
    for (const MaskCase& c : kCases) {
        EXPECT_EQ(nameMatchesMask(c.mask, c.name), c.matches) << c.mask << " ~ " << c.name;
#ifndef _WIN32
        // The C library's matcher, which the scan used on Linux before, agrees on every case.
        EXPECT_EQ(::fnmatch(c.mask, c.name, FNM_PERIOD) == 0, c.matches) << c.mask << " ~ " << c.name;
#endif
    }
}

} // namespace
} // namespace tarvela
