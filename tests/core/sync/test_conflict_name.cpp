// The conflict copy's name: beside the original, valid on Windows, within the table's path limit.
#include "records/cp1251.h"
#include "sync/conflict_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tarvela {
namespace {

TEST(ConflictCopyName, FormSortsBesideTheOriginalAndSuitsWindows) {
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz != nullptr ? oldTz : "";
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1765371903)); // 2025-12-10 13:05:03
    EXPECT_EQ(conflictCopyPath("/h/Документы/отчёт.docx", "домашний", when, 1),
              "/h/Документы/отчёт (конфликт 2025-12-10 13-05-03 домашний).docx");
    EXPECT_EQ(conflictCopyPath("/h/a/.gitignore", "рабочий", when, 3),
              "/h/a/.gitignore (конфликт 2025-12-10 13-05-03 рабочий) 3");
    EXPECT_EQ(conflictCopyPath("/h/a/Makefile", "рабочий", when, 1),
              "/h/a/Makefile (конфликт 2025-12-10 13-05-03 рабочий)");
    for (const char c : std::string(":?*\"<>|\\")) {
        EXPECT_EQ(conflictCopyPath("/h/x.txt", "рабочий", when, 2).find(c), std::string::npos) << c;
    }
    if (oldTz != nullptr) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

TEST(ConflictCopyName, ALongStemIsShortenedSoThePathFitsATableRecord) {
    const auto when = std::chrono::system_clock::now();
    // A folder long enough that the path's characters, not the name's bytes, decide.
    const std::string folder = "/h/" + std::string(150, 'f') + "/";
    std::string stem;
    for (int i = 0; i < 140; ++i)
        stem += "ж";
    const std::string path = conflictCopyPath(folder + stem + ".txt", "домашний", when, 12);
    EXPECT_EQ(utf8CharCount(path), 255u);
    EXPECT_TRUE(path.starts_with(folder + "жжж"));
    EXPECT_TRUE(path.ends_with(" домашний) 12.txt")) << path;
}

std::string repeated(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Both limits hold whichever is reached first: the path's characters in a table record and the
// name's bytes in the folder (UTF-8, where a Cyrillic letter takes two and some characters four).
// A 110-letter Cyrillic name fits both as it is, but not with the mark beside it, and once went
// to the file system 280 bytes long.
TEST(ConflictCopyName, TheNameFitsTheFolderInBytesAndThePathTheTableInCharacters) {
    const auto when = std::chrono::system_clock::now();
    struct Case {
        std::string folder, stem, ext, why;
    };
    const Case cases[] = {
        {"/h/", repeated("ж", 110), ".txt", "a long Cyrillic name: the name's bytes decide"},
        {"/h/" + std::string(150, 'f') + "/", repeated("ж", 110), ".txt", "a long folder too: the path decides"},
        {"/h/", std::string(240, 'a'), ".txt", "a long Latin name"},
        {"/h/", repeated("😀", 60), ".txt", "four bytes a character: never cut inside one"},
        {"/h/", "a", "." + repeated("ж", 120), "an extension longer than the room left: part of the stem"},
    };
    for (const Case& c : cases) {
        for (const int attempt : {1, 999}) {
            const std::string path = conflictCopyPath(c.folder + c.stem + c.ext, "домашний", when, attempt);
            const std::string name = path.substr(path.rfind('/') + 1);
            EXPECT_LE(utf8CharCount(path), 255u) << c.why;
            EXPECT_LE(name.size(), 255u) << c.why;
            EXPECT_TRUE(fitsCp1251(path) || c.stem.starts_with("😀")) << c.why;
            EXPECT_TRUE(path.starts_with(c.folder + c.stem.substr(0, 4))) << c.why << "\n" << path;
            const std::string ends = attempt > 1 ? " домашний) 999" : " домашний)";
            EXPECT_NE(name.find(ends), std::string::npos) << c.why << "\n" << name;
            const bool keepsExt = c.ext.size() < 100;
            EXPECT_EQ(name.ends_with(ends + c.ext), keepsExt) << c.why << "\n" << name;
            // Valid UTF-8 to its end: no character was cut in two.
            std::size_t continuation = 0;
            for (const char ch : name)
                continuation += (static_cast<unsigned char>(ch) & 0xC0) == 0x80;
            EXPECT_EQ(utf8CharCount(name), name.size() - continuation) << c.why;
        }
    }
}

} // namespace
} // namespace tarvela
