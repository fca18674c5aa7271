// What a sending half reads beside its scan: the agreed state straight into its compact lookup
// (the same answers as the full state, nothing from a damaged file), and the other computer's
// table on another thread, its lines and its failure handed to the caller when taken.
#include "base/errors.h"
#include "base/messages.h"
#include "recording_host.h"
#include "records/agreed_state.h"
#include "records/byte_stream.h"
#include "records/table_file.h"
#include "sync/agreed_lookup.h"
#include "sync/send_inputs.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

const std::string kWork = "/w/Документы/";
const std::string kHome = "/h/Документы/";

AgreedState sample() {
    AgreedState s{kWork, kHome, 7, {}};
    s.records.push_back({"отчёт.txt", 1, 1234, 45000.5, 45000.625, {}});
    s.records.push_back({"sub/..", 0, 0, 45001.0, 45001.0, {}});
    s.records.push_back({"sub/a b.bin", 1, 0, 1.0, 2.0, std::string("\x01\x02\x03", 3)});
    s.records.push_back({"отчёт.txt", 1, 99, 3.0, 4.0, {}}); // listed twice: the first counts
    return s;
}

std::unique_ptr<AgreedLookup> lookupOf(const std::vector<unsigned char>& bytes, Side side) {
    return AgreedLookup::read(bytes, kWork, kHome, side);
}

TEST(AgreedLookupRead, AnswersAsTheFullStateForEachSide) {
    const AgreedState state = sample();
    const std::vector<unsigned char> bytes = encodeAgreedState(state);
    for (const Side side : {Side::Work, Side::Home}) {
        std::uint64_t generation = 0;
        const auto lookup = AgreedLookup::read(bytes, kWork, kHome, side, &generation);
        ASSERT_NE(lookup, nullptr);
        EXPECT_EQ(generation, 7u);
        EXPECT_TRUE(lookup->listsAFile());
        for (const std::size_t i : {0u, 1u, 2u}) {
            const AgreedRecord& want = state.records[i];
            const auto found = lookup->find(want.name);
            ASSERT_TRUE(found) << want.name;
            EXPECT_EQ(found->nature, want.nature);
            EXPECT_EQ(found->size, want.size);
            EXPECT_EQ(found->timeOf(side), want.timeOf(side));
        }
        EXPECT_FALSE(lookup->find("Отчёт.txt"));
        EXPECT_TRUE(lookup->knowsInAnotherSpelling("Отчёт.txt"));
        EXPECT_FALSE(lookup->find("missing"));
    }
}

TEST(AgreedLookupRead, GivesNothingWhereTheStateReadsEmpty) {
    const std::vector<unsigned char> good = encodeAgreedState(sample());
    AgreedState badRecord = sample();
    badRecord.records[2].nature = 2; // whole and checksummed, but not a record of ours
    AgreedState foldersOnly{kWork, kHome, 3, {{"sub/..", 0, 0, 1.0, 1.0, {}}}};
    std::vector<unsigned char> flipped = good;
    flipped[good.size() / 2] ^= 0x40;

    EXPECT_EQ(lookupOf(encodeAgreedState(badRecord), Side::Work), nullptr);
    EXPECT_EQ(lookupOf(flipped, Side::Work), nullptr);
    EXPECT_EQ(lookupOf({good.begin(), good.end() - 1}, Side::Work), nullptr);
    EXPECT_EQ(lookupOf({}, Side::Work), nullptr);
    EXPECT_EQ(AgreedLookup::read(good, kWork, "/h/Other/", Side::Work), nullptr);
    EXPECT_EQ(lookupOf(encodeAgreedState(AgreedState{kWork, kHome, 1, {}}), Side::Work), nullptr);
    const auto folders = lookupOf(encodeAgreedState(foldersOnly), Side::Home);
    ASSERT_NE(folders, nullptr);
    EXPECT_FALSE(folders->listsAFile());
}

void writeTable(const std::string& path, const std::vector<std::string>& names) {
    TableWriter writer(path);
    for (const std::string& name : names) {
        TNameAtribFile r;
        r.Nature = name.ends_with("..") ? kNatureFolder : kNatureFile;
        r.FName = ShortString<255>::fromText(name);
        r.FDataTime = 45000.25;
        r.FNameTmp = ShortString<25>::fromText("ABCDEFGHIJKL.txt");
        writer.append(r);
    }
    writer.commit();
}

TEST(SendInputs, HandOverTheOtherTableWithItsLinesWhenTaken) {
    test::TempDir dir;
    writeAgreedState(dir / "Agreed_1.dat", sample());
    writeTable(dir / "HTabFile_1.dat", {kHome + "a.txt", "/elsewhere/b.txt", kHome + "sub/.."});
    test::RecordingHost host;
    SendInputs inputs(dir / "Agreed_1.dat", kWork, kHome, Side::Work, dir / "HTabFile_1.dat", kHome);
    const SendInputs::Agreed agreed = inputs.takeAgreed();
    ASSERT_NE(agreed.lookup, nullptr);
    EXPECT_EQ(agreed.generation, 7u);
    EXPECT_TRUE(host.lines.empty()) << "nothing is shown before the table is taken";

    const PackedFileList other = inputs.takeOtherTable(host);
    ASSERT_EQ(other.count(), 2u);
    EXPECT_EQ(other.key(0), "a.txt");
    EXPECT_EQ(other.key(1), "sub/..");
    ASSERT_EQ(host.lines.size(), 1u);
    EXPECT_EQ(host.lines[0].text, std::string(msg::kUnacceptableTableEntry) + "/elsewhere/b.txt");
}

TEST(SendInputs, AFailureToReadTheOtherTableComesWhenItIsTaken) {
    test::TempDir dir;
    test::makeFolders(dir / "HTabFile_1.dat"); // a folder where the table should be
    test::RecordingHost host;
    SendInputs inputs(dir / "Agreed_1.dat", kWork, kHome, Side::Home, dir / "HTabFile_1.dat", kHome);
    EXPECT_EQ(inputs.takeAgreed().lookup, nullptr) << "no agreed state file: empty";
    EXPECT_THROW(inputs.takeOtherTable(host), FileError);
}

TEST(SendInputs, WithoutAnOtherTableReadsOnlyTheAgreedState) {
    test::TempDir dir;
    writeAgreedState(dir / "Agreed_1.dat", sample());
    test::RecordingHost host;
    SendInputs inputs(dir / "Agreed_1.dat", kWork, kHome, Side::Home, "", kHome);
    const auto agreed = inputs.takeAgreed();
    ASSERT_NE(agreed.lookup, nullptr);
    EXPECT_EQ(agreed.lookup->find("sub/a b.bin")->timeOf(Side::Home), 2.0);
    EXPECT_EQ(inputs.takeOtherTable(host).count(), 0u);
}

} // namespace
} // namespace tarvela
