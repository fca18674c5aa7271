// A table written again writes only what changed, and is always exactly the new table afterwards.
#include "records/table_check.h"
#include "records/table_file.h"
#include "records/table_update.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace tarvela {
namespace {

using test::TempDir;
using Records = std::vector<TNameAtribFile>;

TNameAtribFile recordOf(int i, double time = 45000.5) {
    TNameAtribFile r;
    r.Nature = 1;
    r.FName = ShortString<255>::fromText("/w/folder/file" + std::to_string(i) + ".txt");
    r.FDataTime = time;
    r.SizeFile = i;
    r.FNameTmp = ShortString<25>::fromText("ABCDEFGHIJKL.txt");
    return r;
}

Records recordsOf(int count) {
    Records out;
    for (int i = 0; i < count; ++i) out.push_back(recordOf(i));
    return out;
}

TableUpdate::Written update(const std::string& path, const Records& records,
                            std::vector<std::string> unreadable = {}, const Records* known = nullptr) {
    TableUpdate::KnownRecords knownRecords;
    if (known != nullptr) {
        knownRecords = [known](std::int64_t i, unsigned char* out) {
            std::array<unsigned char, TNameAtribFile::kSize> bytes{};
            encodeTableRecord((*known)[static_cast<std::size_t>(i)], bytes);
            std::copy(bytes.begin(), bytes.end(), out);
        };
    }
    TableUpdate table(path, knownRecords, known == nullptr ? -1 : static_cast<std::int64_t>(known->size()));
    for (const TNameAtribFile& r : records) {
        std::array<unsigned char, TNameAtribFile::kSize> bytes{};
        encodeTableRecord(r, bytes);
        table.append(bytes);
    }
    table.commit(std::move(unreadable), {});
    return table.written();
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The table holds exactly `records` and its check file vouches for it.
void expectTable(const std::string& path, const Records& records) {
    TableReader reader(path);
    TNameAtribFile r;
    std::size_t i = 0;
    while (reader.next(r)) {
        ASSERT_LT(i, records.size());
        EXPECT_EQ(r.FName.text(), records[i].FName.text()) << i;
        EXPECT_EQ(r.FDataTime, records[i].FDataTime) << i;
        EXPECT_EQ(r.SizeFile, records[i].SizeFile) << i;
        ++i;
    }
    EXPECT_EQ(i, records.size());
    EXPECT_TRUE(reader.wholeRecords());
    TableCheck check;
    ASSERT_EQ(readTableCheck(path, check), TableCheckState::Read);
    EXPECT_EQ(check.records, static_cast<std::int64_t>(records.size()));
    EXPECT_EQ(check.crc32, reader.crc32());
}

TEST(TableUpdate, WritesOnlyWhatChangedAndLeavesExactlyTheNewTable) {
    constexpr int kBase = 600;
    struct Case {
        const char* what;
        std::function<Records(Records)> change;
        TableUpdate::Written written;
    };
    const std::vector<Case> cases = {
        {"nothing changed", [](Records r) { return r; }, TableUpdate::Written::Nothing},
        {"one record changed",
         [](Records r) {
             r[300].FDataTime += 1;
             return r;
         },
         TableUpdate::Written::InPlace},
        {"records changed here and there",
         [](Records r) {
             for (int i = 0; i < kBase; i += 37) r[static_cast<std::size_t>(i)].SizeFile += 5;
             return r;
         },
         TableUpdate::Written::InPlace},
        {"records added at the end",
         [](Records r) {
             for (int i = kBase; i < kBase + 10; ++i) r.push_back(recordOf(i));
             return r;
         },
         TableUpdate::Written::InPlace},
        {"records gone from the end",
         [](Records r) {
             r.resize(kBase - 250);
             return r;
         },
         TableUpdate::Written::InPlace},
        {"one record inserted near the top (the rest moves down)",
         [](Records r) {
             r.insert(r.begin() + 2, recordOf(9999));
             return r;
         },
         TableUpdate::Written::InPlace},
        {"every record gone", [](Records) { return Records{}; }, TableUpdate::Written::InPlace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir / "WTabFile_1.dat";
        const Records before = recordsOf(kBase);
        EXPECT_EQ(update(path, before), TableUpdate::Written::Whole) << "a new table is written whole";
        const auto checkBefore = bytesOf(tableCheckPath(path));
        const Records after = c.change(before);
        EXPECT_EQ(update(path, after), c.written);
        expectTable(path, after);
        if (c.written == TableUpdate::Written::Nothing) {
            EXPECT_EQ(bytesOf(tableCheckPath(path)), checkBefore);
        }
    }
}

// Records the caller says the table holds stand in for reading it: where they are the table, only
// the changes are written; where they are not (another table of as many records), the result is
// still exactly the new table, written whole.
TEST(TableUpdate, KnownRecordsStandInForTheTableOnlyWhenTheCheckFileVouchesForThem) {
    TempDir dir;
    const std::string path = dir / "HTabFile_1.dat";
    const Records before = recordsOf(500);
    update(path, before);
    Records after = before;
    after[7].SizeFile += 1;
    after.push_back(recordOf(777));
    EXPECT_EQ(update(path, after, {}, &before), TableUpdate::Written::InPlace);
    expectTable(path, after);

    // Not what the table holds: as many records, one of them already as the new table has it (so
    // that taking them on trust would leave the table's old record there).
    Records stale = after;
    stale[100].FDataTime += 1;
    Records next = after;
    next[3].SizeFile += 2;
    next[100].FDataTime += 1;
    EXPECT_EQ(update(path, next, {}, &stale), TableUpdate::Written::Whole);
    expectTable(path, next);

    // Fewer known records than the table holds: the table is read and compared as without them.
    const Records shorter(next.begin(), next.end() - 1);
    Records last = next;
    last[9].SizeFile += 3;
    EXPECT_EQ(update(path, last, {}, &shorter), TableUpdate::Written::InPlace);
    expectTable(path, last);
}

TEST(TableUpdate, AChangedListOfFoldersNotReadRewritesTheCheckFileOnly) {
    TempDir dir;
    const std::string path = dir / "T.dat";
    update(path, recordsOf(20));
    EXPECT_EQ(update(path, recordsOf(20), {"sub/"}), TableUpdate::Written::Nothing);
    TableCheck check;
    ASSERT_EQ(readTableCheck(path, check), TableCheckState::Read);
    EXPECT_EQ(check.unreadableFolders, std::vector<std::string>{"sub/"});
    expectTable(path, recordsOf(20));
}

// A table its check file does not vouch for is never patched: what stands there may be anything.
TEST(TableUpdate, ATableItsCheckFileDoesNotVouchForIsWrittenWhole) {
    struct Case {
        const char* what;
        std::function<void(const std::string& table)> spoil;
    };
    const std::vector<Case> cases = {
        {"no check file (an older program's table)",
         [](const std::string& table) { std::filesystem::remove(tableCheckPath(table)); }},
        {"a byte of a record changed",
         [](const std::string& table) {
             std::fstream f(table, std::ios::binary | std::ios::in | std::ios::out);
             f.seekp(312 * 7 + 40);
             f.put('#');
         }},
        {"cut short at a record boundary",
         [](const std::string& table) { std::filesystem::resize_file(table, 312 * 30); }},
        {"a damaged check file",
         [](const std::string& table) { std::ofstream(tableCheckPath(table)) << "tarvela table check 1\nrecords x\n"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir / "T.dat";
        update(path, recordsOf(100));
        c.spoil(path);
        Records after = recordsOf(100);
        after[50].FDataTime += 2;
        EXPECT_EQ(update(path, after), TableUpdate::Written::Whole);
        expectTable(path, after);
    }
}

TEST(TableUpdate, MoreChangesThanAreKeptInMemoryWriteTheTableWhole) {
    TempDir dir;
    const std::string path = dir / "T.dat";
    constexpr int kRecords = 16000; // more changed records than the 4 MB kept for writing in place
    update(path, recordsOf(kRecords));
    Records after = recordsOf(kRecords);
    after.insert(after.begin() + 100, recordOf(-1)); // every record after it moves
    EXPECT_EQ(update(path, after), TableUpdate::Written::Whole);
    expectTable(path, after);
}

} // namespace
} // namespace tarvela
