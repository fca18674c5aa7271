#include "records/profile.h"
#include "records/table_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace tarvela {
namespace {

using ProfileBytes = std::array<unsigned char, TProfilLine::kSize>;
using RecordBytes = std::array<unsigned char, TNameAtribFile::kSize>;

std::string fieldAt(const unsigned char* bytes, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(bytes + offset + 1), bytes[offset]);
}

TEST(ProfileRecord, EveryFieldStandsAtItsOffset) {
    TProfilLine p;
    p.NameConf = ShortString<255>::fromText("Документы");
    p.Id = ShortString<8>::fromText("AB12CD34");
    p.IdPC = ShortString<25>::fromText("1A2B-3C4D");
    p.pair(1).PathWork = ShortString<255>::fromText("/work/one/");
    p.pair(1).PathHome = ShortString<255>::fromText("/home/one/");
    p.pair(10).PathWork = ShortString<255>::fromText("/work/ten/");
    p.pair(10).PathHome = ShortString<255>::fromText("/home/ten/");
    p.LineExcept = ShortString<255>::fromText("*.pas;*.zip");
    p.PC = ShortString<4>::fromText("home");
    p.OperacDell = true;
    p.DellConfirmat = true;

    ProfileBytes b{};
    encodeProfile(p, b);
    EXPECT_EQ(fieldAt(b.data(), 0), "\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB");
    EXPECT_EQ(fieldAt(b.data(), 256), "AB12CD34");
    EXPECT_EQ(fieldAt(b.data(), 265), "1A2B-3C4D");
    EXPECT_EQ(fieldAt(b.data(), 291), "/work/one/");
    EXPECT_EQ(fieldAt(b.data(), 291 + 256), "/home/one/");
    EXPECT_EQ(fieldAt(b.data(), 291 + 9 * 512), "/work/ten/");
    EXPECT_EQ(fieldAt(b.data(), 291 + 9 * 512 + 256), "/home/ten/");
    EXPECT_EQ(fieldAt(b.data(), 5411), "*.pas;*.zip");
    EXPECT_EQ(fieldAt(b.data(), 5667), "home");
    EXPECT_EQ(b[5672], 1);
    EXPECT_EQ(b[5673], 0);
    EXPECT_EQ(b[5674], 1);
    EXPECT_EQ(b[5675], 0);

    EXPECT_EQ(decodeProfile(b), p);
    EXPECT_EQ(decodeProfile(b).NameConf.text(), "Документы");
}

TEST(ProfileRecord, ReadingToleratesWhateverAForeignWriterLeft) {
    ProfileBytes b{};
    std::memset(b.data(), 'x', b.size()); // garbage after every length byte
    b[0] = 3;                            // NameConf "xxx"
    b[256] = 200;                        // Id length far beyond its 8 bytes
    b[265] = 0;
    b[5667] = 4;
    std::memcpy(&b[5668], "WORK", 4);
    b[5672] = 2; // any non-zero boolean reads as on
    b[5673] = 0;
    const TProfilLine p = decodeProfile(b);
    EXPECT_EQ(p.NameConf.text(), "xxx");
    EXPECT_EQ(p.Id.size(), 8u) << "a corrupt length byte is clamped to the field";
    EXPECT_TRUE(p.IdPC.empty());
    EXPECT_FALSE(p.isWorkRole()) << "only the exact text 'work' is the work role";
    EXPECT_TRUE(p.OperacDell);
    EXPECT_FALSE(p.DellBasket);
}

TEST(ShortStringField, CutsAtCapacityAndKeepsByteEquality) {
    const std::string long300(300, 'a');
    EXPECT_EQ(ShortString<255>::fromText(long300).size(), 255u);
    EXPECT_EQ(ShortString<8>::fromText("ABCDEFGHIJ").text(), "ABCDEFGH");
    EXPECT_EQ(ShortString<255>::fromText("漢字").text(), "??");
    EXPECT_NE(ShortString<255>::fromText("Name"), ShortString<255>::fromText("name"));
    EXPECT_NE(ShortString<255>::fromText("name "), ShortString<255>::fromText("name"));
}

TEST(TableRecord, EveryFieldStandsAtItsOffset) {
    TNameAtribFile r;
    r.Nature = 1;
    r.FName = ShortString<255>::fromText("/дом/файл.txt");
    r.FDataTime = 45000.5;
    r.SizeFile = 0x0102030405060708;
    r.FNameTmp = ShortString<25>::fromText("ABCDEFGHIJKL.txt");

    RecordBytes b{};
    b.fill(0xEE);
    encodeTableRecord(r, b);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(cp1251ToUtf8(fieldAt(b.data(), 1)), "/дом/файл.txt");
    double time = 0;
    std::memcpy(&time, &b[264], 8); // this machine is little-endian, as the format is
    EXPECT_EQ(time, 45000.5);
    EXPECT_EQ(b[272], 0x08);
    EXPECT_EQ(b[279], 0x01);
    EXPECT_EQ(fieldAt(b.data(), 280), "ABCDEFGHIJKL.txt");
    EXPECT_EQ(decodeTableRecord(b), r);
}

TEST(TableRecord, LengthBytesBeyondTheFieldNeverReadPastIt) {
    RecordBytes b{};
    b.fill('z');
    b[1] = 255;   // FName full: 255 bytes, all 'z'
    b[280] = 255; // FNameTmp claims 255 of its 25 bytes
    const TNameAtribFile r = decodeTableRecord(b);
    EXPECT_EQ(r.FName.bytes(), std::string(255, 'z'));
    EXPECT_EQ(r.FNameTmp.bytes(), std::string(25, 'z'));
}

} // namespace
} // namespace tarvela
