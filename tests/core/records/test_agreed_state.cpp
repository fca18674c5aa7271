// The agreed-state file and the store list: written whole, read back exactly, and anything damaged,
// foreign or written for other folders reads as empty (so nothing is ever deleted on its word).
#include "copy/content_checksum.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "records/agreed_state.h"
#include "records/byte_stream.h"
#include "records/store_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarvela {
namespace {

AgreedState sample() {
    AgreedState s{"/w/Документы/", "/h/Документы/", 7, {}};
    s.records.push_back({"отчёт.txt", 1, 1234, 45000.5, 45000.625, {}});
    s.records.push_back({"sub/..", 0, 0, 45001.0, 45001.0, {}});
    s.records.push_back({"sub/a b.bin", 1, 0, 1.0, 2.0, std::string("\x01\x02\x03", 3)});
    return s;
}

TEST(AgreedStateFile, RoundTripsAndIsBoundToTheFolderTexts) {
    test::TempDir dir;
    const std::string path = dir / "Agreed_1.dat";
    writeAgreedState(path, sample());
    const AgreedState back = readAgreedState(path, "/w/Документы/", "/h/Документы/");
    EXPECT_EQ(back.generation, 7u);
    EXPECT_EQ(back.records, sample().records);
    // Another folder on either side: the records describe other folders.
    EXPECT_TRUE(readAgreedState(path, "/w/Документы/", "/h/Other/").records.empty());
    EXPECT_TRUE(readAgreedState(path, "/w/x/", "/h/Документы/").records.empty());
    EXPECT_TRUE(readAgreedState(dir / "missing.dat", "/w/", "/h/").records.empty());
}

// A state written by the earlier version (no zones in its header) reads as before; a state with
// zones keeps them.
TEST(AgreedStateFile, ReadsTheEarlierVersionAndKeepsZones) {
    test::TempDir dir;
    const std::string path = dir / "Agreed_1.dat";
    std::vector<unsigned char> v1 = encodeAgreedState(sample());
    // Version 2 less its two empty zone texts is version 1.
    ASSERT_EQ(v1[8], 2);
    v1[8] = 1;
    const std::size_t zones = 8 + 4 + 8 + 2 + sample().workFolder.size() + 2 + sample().homeFolder.size();
    v1.erase(v1.begin() + static_cast<std::ptrdiff_t>(zones), v1.begin() + static_cast<std::ptrdiff_t>(zones + 4));
    v1.resize(v1.size() - 4);
    appendChecksum(v1);
    platform::writeFileAtomically(path, v1.data(), v1.size());
    const AgreedState old = readAgreedState(path, "/w/Документы/", "/h/Документы/");
    EXPECT_EQ(old.records, sample().records);
    EXPECT_TRUE(old.workZone.empty() && old.homeZone.empty());

    AgreedState zoned = sample();
    zoned.workZone = "10800";
    zoned.homeZone = "3600 1711846800:7200";
    writeAgreedState(path, zoned);
    const AgreedState back = readAgreedState(path, "/w/Документы/", "/h/Документы/");
    EXPECT_EQ(back.records, sample().records);
    EXPECT_EQ(back.workZone, "10800");
    EXPECT_EQ(back.homeZone, "3600 1711846800:7200");
}

TEST(AgreedStateFile, DamagedOrForeignReadsAsEmpty) {
    test::TempDir dir;
    const std::string path = dir / "Agreed_1.dat";
    const std::vector<unsigned char> good = encodeAgreedState(sample());
    const auto readBytes = [&](std::vector<unsigned char> bytes) {
        test::writeFile(path, std::string(bytes.begin(), bytes.end()));
        return readAgreedState(path, "/w/Документы/", "/h/Документы/").records.size();
    };
    EXPECT_EQ(readBytes(good), 3u);
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, good.size() / 2, good.size() - 1}) {
        EXPECT_EQ(readBytes(std::vector<unsigned char>(good.begin(), good.begin() + static_cast<long>(cut))), 0u)
            << "cut at " << cut;
    }
    for (std::size_t at : {std::size_t{0}, std::size_t{9}, good.size() / 2, good.size() - 2}) {
        auto flipped = good;
        flipped[at] ^= 0x40;
        EXPECT_EQ(readBytes(flipped), 0u) << "byte " << at << " changed";
    }
    // A table file or anything else is not an agreed state.
    EXPECT_EQ(readBytes(std::vector<unsigned char>(312 * 3, 0)), 0u);
}

std::vector<AgreedRecord> sortedByName(std::vector<AgreedRecord> records) {
    std::sort(records.begin(), records.end(),
              [](const AgreedRecord& a, const AgreedRecord& b) { return a.name < b.name; });
    return records;
}

AgreedState largeState(int records) {
    AgreedState s{"/w/", "/h/", 1, {}};
    for (int i = 0; i < records; ++i)
        s.records.push_back({"folder/file" + std::to_string(i) + ".txt", 1, i, 45000.5 + i, 45000.25 + i, {}});
    return s;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
    const std::string text = test::readFile(path);
    return {text.begin(), text.end()};
}

// A state that differs in a few records is written as an update appended to the file; it reads
// back as the new state, and a cut or damaged update reads as the state before it.
TEST(AgreedStateFile, AFewChangesAreAppendedAndACutUpdateLeavesTheStateBefore) {
    test::TempDir dir;
    const std::string path = dir / "Agreed_1.dat";
    const AgreedState before = largeState(2000);
    writeAgreedState(path, before);
    const std::size_t wholeSize = fileBytes(path).size();

    AgreedState after = before;
    after.generation = 2;
    after.records[10].homeTime += 1;                         // changed
    after.records[20].checksum = std::string(8, '\x7f');     // changed
    after.records.erase(after.records.begin() + 30);         // no longer agreed on
    after.records.push_back({"new/..", 0, 0, 2.0, 3.0, {}}); // new
    writeAgreedState(path, after);
    const std::vector<unsigned char> updated = fileBytes(path);
    ASSERT_GT(updated.size(), wholeSize);
    EXPECT_LT(updated.size() - wholeSize, 400u) << "only the four changes are written";
    AgreedState back = readAgreedState(path, "/w/", "/h/");
    EXPECT_EQ(back.generation, 2u);
    EXPECT_EQ(sortedByName(back.records), sortedByName(after.records));

    // Nothing changed: an update of the generation alone.
    AgreedState same = after;
    same.generation = 3;
    writeAgreedState(path, same);
    EXPECT_LT(fileBytes(path).size() - updated.size(), 40u);
    EXPECT_EQ(readAgreedState(path, "/w/", "/h/").generation, 3u);

    // Cut anywhere inside the last update, or with a byte of it changed: the state before it.
    const std::vector<unsigned char> two = fileBytes(path);
    const auto readBytes = [&](const std::vector<unsigned char>& bytes) {
        test::writeFile(path, std::string(bytes.begin(), bytes.end()));
        return readAgreedState(path, "/w/", "/h/");
    };
    for (std::size_t cut = updated.size() + 1; cut < two.size(); cut += 3) {
        const AgreedState s = readBytes({two.begin(), two.begin() + static_cast<long>(cut)});
        ASSERT_EQ(s.generation, 2u) << "cut at " << cut;
        ASSERT_EQ(s.records.size(), after.records.size());
    }
    auto flipped = two;
    flipped[two.size() - 6] ^= 0x10;
    EXPECT_EQ(readBytes(flipped).generation, 2u);
    // A cut update is dropped by the next write, which appends in its place.
    readBytes({two.begin(), two.end() - 2});
    same.generation = 4;
    writeAgreedState(path, same);
    back = readAgreedState(path, "/w/", "/h/");
    EXPECT_EQ(back.generation, 4u);
    EXPECT_EQ(sortedByName(back.records), sortedByName(after.records));
    // The whole state itself damaged: nothing, whatever follows it.
    auto base = fileBytes(path);
    base[wholeSize / 2] ^= 0x01;
    EXPECT_TRUE(readBytes(base).records.empty());
}

TEST(AgreedStateFile, UpdatesGrowingPastHalfTheStateAreCompactedIntoAWholeState) {
    test::TempDir dir;
    const std::string path = dir / "Agreed_1.dat";
    AgreedState state = largeState(4000);
    writeAgreedState(path, state);
    const std::size_t wholeSize = fileBytes(path).size();
    std::size_t largest = 0;
    for (int round = 0; round < 40; ++round) {
        ++state.generation;
        for (int i = 0; i < 200; ++i) state.records[static_cast<std::size_t>(round * 97 + i) % 4000].workTime += 1;
        writeAgreedState(path, state);
        const std::size_t size = fileBytes(path).size();
        largest = std::max(largest, size);
        const AgreedState back = readAgreedState(path, "/w/", "/h/");
        ASSERT_EQ(back.generation, state.generation);
        ASSERT_EQ(sortedByName(back.records), sortedByName(state.records)) << "round " << round;
    }
    EXPECT_LE(largest, wholeSize + wholeSize / 2 + 1);
    // A state of other folders is never updated: it is written whole.
    AgreedState other = state;
    other.homeFolder = "/h2/";
    writeAgreedState(path, other);
    EXPECT_EQ(fileBytes(path), encodeAgreedState(other));
}

// What a receive changed, written as changes: appended as one update that reads back as the state
// with the changes made in it, only the records that differ from the file's state written; and
// nothing written (the caller writes the whole state) where the file does not hold the state the
// changes were made to.
TEST(AgreedStateFile, ChangesAreAppendedOnlyToTheStateTheyWereMadeTo) {
    test::TempDir dir;
    const std::string path = dir / "Agreed_1.dat";
    const AgreedState before = largeState(2000);
    writeAgreedState(path, before);
    const std::size_t wholeSize = fileBytes(path).size();

    AgreedChanges changes;
    changes.set.push_back(before.records[5]); // the same as the file holds: not written again
    changes.set.push_back(before.records[10]);
    changes.set.back().homeTime += 1;                               // changed
    changes.set.push_back({"new/..", 0, 0, 2.0, 3.0, {}});          // new
    changes.dropped.push_back(before.records[30].name);             // no longer agreed on
    changes.dropped.push_back(before.records[30].name);             // ... named twice: one removal
    changes.dropped.push_back("never/agreed.txt");                  // not there: nothing to remove
    changes.dropped.push_back(before.records[40].name);             // respelt: dropped and set anew
    changes.set.push_back(before.records[40]);
    std::optional<AgreedFileEnd> readEnd;
    readAgreedState(path, "/w/", "/h/", &readEnd);
    ASSERT_TRUE(readEnd.has_value());
    EXPECT_EQ(readEnd->size, wholeSize);
    const std::optional<AgreedFileEnd> end = appendAgreedChanges(path, before, 1, 2, changes);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->size, fileBytes(path).size());
    EXPECT_EQ(end->generation, 2u);
    AgreedState expected = before;
    applyAgreedChanges(expected, changes);
    ASSERT_EQ(expected.records.size(), 2000u);
    EXPECT_EQ(expected.records[10].homeTime, before.records[10].homeTime + 1);
    AgreedState back = readAgreedState(path, "/w/", "/h/");
    EXPECT_EQ(back.generation, 2u);
    EXPECT_EQ(sortedByName(back.records), sortedByName(expected.records));
    const std::size_t oneRecord = 1 + 8 + 8 + 8 + 2 + 1 + before.records[10].name.size();
    EXPECT_LE(fileBytes(path).size() - wholeSize, 8 + 8 + 4 + 4 + 4 * oneRecord)
        << "the changed record, the new one and one removal";

    // Not the state the changes were made to: another generation (a checkpoint of another run, an
    // outdated state read as empty), other folders, other zone rules, no file, or a name set twice.
    const std::vector<unsigned char> now = fileBytes(path);
    AgreedState otherFolders = before;
    otherFolders.homeFolder = "/h2/";
    AgreedState otherZones = before;
    otherZones.homeZone = "3600";
    AgreedChanges twice = changes;
    twice.set.push_back(twice.set[1]);
    EXPECT_FALSE(appendAgreedChanges(path, before, 1, 3, changes));
    EXPECT_FALSE(appendAgreedChanges(path, otherFolders, 2, 3, changes));
    EXPECT_FALSE(appendAgreedChanges(path, otherZones, 2, 3, changes));
    EXPECT_FALSE(appendAgreedChanges(path, before, 2, 3, twice));
    EXPECT_FALSE(appendAgreedChanges(dir / "missing.dat", before, 0, 1, changes));
    // Without reading: the same refusals, and a file not as long as it was left.
    AgreedFileEnd shorter = *end;
    --shorter.size;
    EXPECT_FALSE(appendAgreedChangesAt(path, otherZones, *end, 3, changes));
    EXPECT_FALSE(appendAgreedChangesAt(path, before, *end, 3, twice));
    EXPECT_FALSE(appendAgreedChangesAt(path, before, shorter, 3, changes));
    EXPECT_FALSE(appendAgreedChangesAt(dir / "missing.dat", before, *end, 3, changes));
    EXPECT_EQ(fileBytes(path), now) << "nothing written where the changes were refused";
    EXPECT_FALSE(platform::fileExists(dir / "missing.dat"));

    // Changes that would grow the updates past half the state: the state is written whole.
    AgreedChanges many;
    for (std::size_t i = 0; i < 1500; ++i) {
        many.set.push_back(before.records[i]);
        many.set.back().workTime += 1;
    }
    EXPECT_FALSE(appendAgreedChanges(path, before, 2, 3, many));
    EXPECT_FALSE(appendAgreedChangesAt(path, before, *end, 3, many));
    EXPECT_EQ(fileBytes(path), now);

    // Where the end is known, the changes not written yet go after it without a look at the file;
    // the state reads back as both sets of changes made in it.
    AgreedChanges more;
    more.set.push_back(before.records[50]);
    more.set.back().workTime += 5;
    more.dropped.push_back(before.records[60].name);
    const std::optional<AgreedFileEnd> after = appendAgreedChangesAt(path, before, *end, 3, more);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->size, fileBytes(path).size());
    applyAgreedChanges(expected, more);
    back = readAgreedState(path, "/w/", "/h/");
    EXPECT_EQ(back.generation, 3u);
    EXPECT_EQ(sortedByName(back.records), sortedByName(expected.records));
    EXPECT_EQ(back.records.size(), 1999u);
}

TEST(StoreListFile, FindsACopyOnlyForTheSameNameSizeAndTime) {
    test::TempDir dir;
    StoreList list;
    list.add({"a.txt", 10, 45000.5, "ABCDEFGHIJKL.txt", std::nullopt});
    list.add({"sub/b", 0, 45000.75, "MNOPQRSTUVWX", std::nullopt});
    writeStoreList(storeListFile(dir.path(), 1), list);
    const auto back = readStoreList(storeListFile(dir.path(), 1));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->files(), list.files());
    ASSERT_NE(back->find("a.txt", 10, 45000.5), nullptr);
    EXPECT_EQ(back->find("a.txt", 10, 45000.5)->storeName, "ABCDEFGHIJKL.txt");
    EXPECT_EQ(back->find("a.txt", 11, 45000.5), nullptr);
    EXPECT_EQ(back->find("a.txt", 10, 45000.6), nullptr);
    EXPECT_EQ(back->find("A.txt", 10, 45000.5), nullptr);

    test::writeFile(storeListFile(dir.path(), 2), "TarvelaS garbage");
    EXPECT_FALSE(readStoreList(storeListFile(dir.path(), 2)).has_value());
    EXPECT_FALSE(readStoreList(storeListFile(dir.path(), 3)).has_value());
}

TEST(StoreListFile, KeepsChecksumsAndStillReadsAListWrittenWithoutThem) {
    test::TempDir dir;
    StoreList list;
    list.add({"a.txt", 10, 45000.5, "ABCDEFGHIJKL.txt", contentChecksumOf("0123456789", 10)});
    list.add({"zero", 0, 1.0, "MNOPQRSTUVWX", 0});               // a checksum of 0 is still a checksum
    list.add({"unknown", 5, 2.0, "YZABCDEFGHIJ", std::nullopt}); // a copy whose checksum was not taken
    writeStoreList(storeListFile(dir.path(), 1), list);
    const auto back = readStoreList(storeListFile(dir.path(), 1));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->files(), list.files());

    // The list as an older version wrote it: version 1, entries without the checksum field.
    ByteWriter w;
    w.raw("TarvelaS");
    w.u32(1);
    w.u32(1);
    w.i64(10);
    w.f64(45000.5);
    w.text16("a.txt");
    w.text16("ABCDEFGHIJKL.txt");
    std::vector<unsigned char> bytes = w.bytes();
    appendChecksum(bytes);
    platform::writeFileAtomically(storeListFile(dir.path(), 2), bytes.data(), bytes.size());
    const auto old = readStoreList(storeListFile(dir.path(), 2));
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->files(), (std::vector<StoredFile>{{"a.txt", 10, 45000.5, "ABCDEFGHIJKL.txt", std::nullopt}}));
}

TEST(ContentChecksum, PiecesGiveTheChecksumOfTheWhole) {
    const std::string data = "the data passes once, in pieces of any size";
    ContentChecksum sum;
    sum.add(reinterpret_cast<const unsigned char*>(data.data()), 7);
    sum.add(reinterpret_cast<const unsigned char*>(data.data()) + 7, data.size() - 7);
    EXPECT_EQ(sum.value(), contentChecksumOf(data.data(), data.size()));
    EXPECT_NE(sum.value(), contentChecksumOf(data.data(), data.size() - 1));
    // XXH3-64 of nothing, as the library documents it: the format is the library's, not ours.
    EXPECT_EQ(contentChecksumOf("", 0), 0x2D06800538D394C2ull);
}

} // namespace
} // namespace tarvela
