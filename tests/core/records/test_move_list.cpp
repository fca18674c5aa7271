// The move list a send leaves beside its store list: read back as written, and read as empty when
// it is anything else (it comes from the medium).
#include "platform/atomic_file.h"
#include "records/byte_stream.h"
#include "records/move_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

TEST(MoveListFile, ReadsBackWhatWasWritten) {
    test::TempDir dir;
    const std::vector<Move> moves = {
        {0, "Фото 2025", "Фото/2025", 0, 0, 0},
        {1, "Фото 2025/a.jpg", "Фото/2025/a.jpg", 1234, 45000.5, 0x0123456789abcdefULL},
        {1, "x", "y/z", 0, 1.0, 0}, // an empty file's checksum is still one
    };
    writeMoveList(moveListFile(dir.path(), 3), moves);
    EXPECT_EQ(moveListFile(dir.path(), 3), dir.path() + "/Moves_3.dat");
    EXPECT_EQ(readMoveList(moveListFile(dir.path(), 3)), moves);
}

// The new names of a list: moved files, moved folders and every folder below one, by the names
// tables give them; nothing that merely shares a prefix, nor the old names.
TEST(MoveListFile, MovedNamesAreTheNewNamesAndTheFoldersBelowAMovedOne) {
    const MovedNames moved({
        {0, "Фото 2025", "Фото/2025", 0, 0, 0},
        {1, "Фото 2025/a.jpg", "Фото/2025/a.jpg", 1, 1.0, 1},
        {1, "docs/r.pdf", "archive/r.pdf", 1, 1.0, 1},
    });
    for (const char* name :
         {"Фото/2025/..", "Фото/2025/RAW/..", "Фото/2025/RAW/deeper/..", "Фото/2025/a.jpg", "archive/r.pdf"})
        EXPECT_TRUE(moved.contains(name)) << name;
    for (const char* name : {"Фото/..", "Фото/20250/..", "Фото/2025", "Фото/2025/b.jpg", "Фото 2025/..", "docs/r.pdf",
                             "archive/..", "..", "archive/r.pdf/.."})
        EXPECT_FALSE(moved.contains(name)) << name;
    EXPECT_TRUE(MovedNames().empty());
    EXPECT_FALSE(moved.empty());
}

TEST(MoveListFile, AnythingButASoundListReadsAsNoMoves) {
    test::TempDir dir;
    const std::string path = moveListFile(dir.path(), 1);
    writeMoveList(path, {{1, "a", "b", 1, 2.0, 3}});
    const std::string sound = test::readFile(path);
    ASSERT_EQ(readMoveList(path).size(), 1u);

    const auto write = [&](const std::string& bytes) { test::writeFile(path, bytes); };
    write(sound.substr(0, sound.size() - 1)); // cut short
    EXPECT_TRUE(readMoveList(path).empty());
    std::string flipped = sound;
    flipped[20] = static_cast<char>(flipped[20] ^ 1); // damaged
    write(flipped);
    EXPECT_TRUE(readMoveList(path).empty());
    write("TarvelaS" + sound.substr(8)); // another file of ours
    EXPECT_TRUE(readMoveList(path).empty());
    EXPECT_TRUE(readMoveList(moveListFile(dir.path(), 2)).empty()); // missing

    // Sound bytes, unsound contents: a nature of neither file nor folder, an empty name, a count
    // larger than the entries.
    const auto list = [&](std::uint8_t nature, const std::string& from, std::uint32_t count) {
        ByteWriter w;
        w.raw("TarvelaM");
        w.u32(1);
        w.u32(count);
        w.u8(nature);
        w.text16(from);
        w.text16("b");
        w.i64(1);
        w.f64(2.0);
        w.u64(3);
        std::vector<unsigned char> bytes = w.bytes();
        appendChecksum(bytes);
        platform::writeFileAtomically(path, bytes.data(), bytes.size());
        return readMoveList(path);
    };
    EXPECT_EQ(list(1, "a", 1).size(), 1u);
    EXPECT_TRUE(list(2, "a", 1).empty());
    EXPECT_TRUE(list(1, "", 1).empty());
    EXPECT_TRUE(list(1, "a", 2).empty());
}

} // namespace
} // namespace tarvela
