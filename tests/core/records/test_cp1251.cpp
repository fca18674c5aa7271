#include "scan/case_fold.h"
#include "records/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace tarvela {
namespace {

// The fixed table agrees with the system's own Windows-1251 converter on every defined byte.
TEST(Cp1251, TableMatchesIconvForEveryByte) {
    iconv_t cd = ::iconv_open("UTF-8", "CP1251");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue; // undefined in the code page; we map it to U+0098 as Windows does
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* inp = in;
        char* outp = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(::iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<std::size_t>(-1)) << b;
        const std::string expected(out, sizeof out - outLeft);
        EXPECT_EQ(cp1251ToUtf8(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
        EXPECT_EQ(utf8ToCp1251(expected), std::string(1, static_cast<char>(b))) << "byte " << b;
    }
    ::iconv_close(cd);
}

TEST(Cp1251, ConvertsTextBothWays) {
    struct Case {
        std::string utf8;
        std::string cp1251;
    };
    const Case cases[] = {
        {"Документы/Отчёт №5.doc", "\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB/\xCE\xF2\xF7\xB8\xF2 \xB9" "5.doc"},
        {"ЁЖЯ ёжя", "\xA8\xC6\xDF \xB8\xE6\xFF"},
        {"plain ascii", "plain ascii"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToCp1251(c.utf8), c.cp1251);
        EXPECT_EQ(cp1251ToUtf8(c.cp1251), c.utf8);
    }
}

TEST(Cp1251, UnrepresentableAndInvalidBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");       // CJK character
    EXPECT_EQ(utf8ToCp1251("\xF0\x9F\x98\x80"), "?");           // emoji outside the BMP
    EXPECT_EQ(utf8ToCp1251("x\xFF" "y\xC3"), "x?y?");           // invalid bytes, truncated sequence
    EXPECT_EQ(utf8ToCp1251("\xC0\xAF"), "??");                  // overlong encoding of '/'
}

TEST(Cp1251, CutsByCharactersNeverInsideOne) {
    EXPECT_EQ(utf8ToCp1251("Привет", 3), "\xCF\xF0\xE8");
    EXPECT_EQ(utf8CharCount("Привет"), 6u);
    EXPECT_EQ(utf8CharCount("a\xFF" "b"), 3u);
}

TEST(CaseFold, LatinAndCyrillicFoldAlike) {
    EXPECT_EQ(foldCase("Sub/ПАПКА/ЁлкА.TXT"), foldCase("sub/папка/ёлка.txt"));
    EXPECT_EQ(foldCase("ÀÉÎ ĀĹ ΣΩ ЂЄІЇЎ Ґ"), "àéî āĺ σω ђєіїў ґ");
    EXPECT_NE(foldCase("a.txt"), foldCase("b.txt"));
    EXPECT_EQ(foldCase("bad\xFF"), "bad\xFF");
}

} // namespace
} // namespace tarvela
