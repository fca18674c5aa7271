// The check file beside each table, and what a receive may remove on a table it cannot wholly trust.
#include "records/crc32.h"
#include "records/table_check.h"
#include "sync/sender_table_trust.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <vector>

namespace tarvela {
namespace {

TEST(Crc32, MatchesTheStandardCheckValueInOneCallOrMany) {
    constexpr std::string_view text = "123456789";
    EXPECT_EQ(crc32Update(0, text.data(), text.size()), 0xCBF43926u);
    std::uint32_t crc = 0;
    for (const char c : text) crc = crc32Update(crc, &c, 1);
    EXPECT_EQ(crc, 0xCBF43926u);
    EXPECT_EQ(crc32Update(0, nullptr, 0), 0u);
}

// The CRC a bit at a time, as the polynomial defines it.
std::uint32_t crc32ByBits(std::uint32_t crc, const unsigned char* p, std::size_t size) {
    crc = ~crc;
    while (size-- > 0) {
        crc ^= *p++;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

TEST(Crc32, LongAndUnalignedRunsMatchTheCrcBitByBit) {
    std::mt19937 random(7);
    std::vector<unsigned char> bytes(5000);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random());
    // Zero runs as in the padding of table records, and every length around the bulk's steps.
    std::fill(bytes.begin() + 700, bytes.begin() + 1400, 0);
    for (std::size_t size = 0; size < 1200; size += size < 300 ? 1 : 37) {
        for (const std::size_t offset : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{650}}) {
            const std::uint32_t start = static_cast<std::uint32_t>(random());
            ASSERT_EQ(crc32Update(start, bytes.data() + offset, size), crc32ByBits(start, bytes.data() + offset, size))
                << size << " bytes at " << offset;
        }
    }
    // One call or pieces of any size: the same value.
    std::uint32_t pieces = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min<std::size_t>(random() % 400, bytes.size() - at);
        pieces = crc32Update(pieces, bytes.data() + at, piece);
        at += piece;
    }
    EXPECT_EQ(pieces, crc32ByBits(0, bytes.data(), bytes.size()));
    EXPECT_EQ(crc32Update(0, bytes.data(), bytes.size()), pieces);
}

TEST(TableCheck, RoundTripsAndRefusesWhatIsNotOneOfOurs) {
    test::TempDir dir;
    const std::string table = dir / "WTabFile_1.dat";
    EXPECT_EQ(tableCheckPath(table), dir / "WTabFile_1.chk");
    TableCheck check;
    EXPECT_EQ(readTableCheck(table, check), TableCheckState::Missing);

    const TableCheck written{12, 0x0badf00d, {"", "sub/", "a\\b\nc\r/"}, {}, std::nullopt};
    writeTableCheck(table, written);
    EXPECT_EQ(test::readFile(tableCheckPath(table)),
              "tarvela table check 1\nrecords 12\ncrc32 0badf00d\nunreadable\t\nunreadable\tsub/\n"
              "unreadable\ta\\\\b\\nc\\r/\n");
    ASSERT_EQ(readTableCheck(table, check), TableCheckState::Read);
    EXPECT_EQ(check, written);

    for (const char* bad : {"", "tarvela table check 1\nrecords 12\n", "tarvela table check 1\nrecords 1\ncrc32 0\n",
                            "tarvela table check 1\nrecords -1\ncrc32 00000000\n",
                            "tarvela table check 1\nrecords 1\ncrc32 00000000", "other\nrecords 1\ncrc32 00000000\n",
                            "tarvela table check 1\nrecords 1\ncrc32 00000000\nunreadable\t\\q\n"}) {
        test::writeFile(tableCheckPath(table), bad);
        EXPECT_EQ(readTableCheck(table, check), TableCheckState::Damaged) << bad;
    }
    removeTableFile(table);
    EXPECT_EQ(readTableCheck(table, check), TableCheckState::Missing);
}

// The masks a table was made with: recorded exactly (none at all is not the same as none
// recorded), and a check file from before masks were recorded still reads, without them.
TEST(TableCheck, RecordsTheMasksOfTheTable) {
    test::TempDir dir;
    const std::string table = dir / "HTabFile_2.dat";
    TableCheck check;
    for (const std::vector<std::string>& masks :
         {std::vector<std::string>{}, std::vector<std::string>{"*.log", "", " *.x", "a\\b\n"}}) {
        const TableCheck written{3, 0x12345678, {"sub/"}, {}, masks};
        writeTableCheck(table, written);
        ASSERT_EQ(readTableCheck(table, check), TableCheckState::Read) << test::readFile(tableCheckPath(table));
        EXPECT_EQ(check, written);
    }
    EXPECT_EQ(test::readFile(tableCheckPath(table)), "tarvela table check 1\nrecords 3\ncrc32 12345678\n"
                                                     "unreadable\tsub/\nmasks 4\nmask\t*.log\nmask\t\n"
                                                     "mask\t *.x\nmask\ta\\\\b\\n\n");

    test::writeFile(tableCheckPath(table), "tarvela table check 1\nrecords 3\ncrc32 12345678\n");
    ASSERT_EQ(readTableCheck(table, check), TableCheckState::Read);
    EXPECT_FALSE(check.masks.has_value());

    for (const char* bad : {"masks 2\nmask\ta\n", "masks 1\nmask\ta\nmask\tb\n", "mask\ta\n",
                            "masks 0\nmasks 0\n", "masks -1\n", "masks x\n", "masks 1\nmask\t\\q\n"}) {
        test::writeFile(tableCheckPath(table), std::string("tarvela table check 1\nrecords 3\ncrc32 12345678\n") + bad);
        EXPECT_EQ(readTableCheck(table, check), TableCheckState::Damaged) << bad;
    }
}

TEST(DeletionHold, KeepsWhatLiesInOrHoldsAnUnreadFolder) {
    const DeletionHold unread{false, {"sub/inner/"}, std::nullopt};
    struct Case {
        std::string_view name;
        bool allowed;
    };
    for (const Case& c : {Case{"a.txt", true}, Case{"sub/a.txt", true}, Case{"sub/inner/a.txt", false},
                          Case{"sub/inner/deep/..", false}, Case{"sub/inner/..", false}, Case{"sub/..", false},
                          Case{"..", false}, Case{"subx/..", true}, Case{"sub/inn/..", true}}) {
        EXPECT_EQ(unread.allowsRemoval(c.name), c.allowed) << c.name;
    }
    EXPECT_FALSE((DeletionHold{false, {""}, std::nullopt}.allowsRemoval("a.txt"))) << "the pair folder was not read";
    EXPECT_FALSE((DeletionHold{true, {}, std::nullopt}.allowsRemoval("a.txt"))) << "a damaged table";
    EXPECT_TRUE((DeletionHold{}.allowsRemoval("a.txt")));
}

} // namespace
} // namespace tarvela
