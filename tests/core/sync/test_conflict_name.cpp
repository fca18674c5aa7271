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
    const std::string folder = "/h/" + std::string(100, 'f') + "/";
    std::string stem;
    for (int i = 0; i < 140; ++i)
        stem += "ж";
    const std::string path = conflictCopyPath(folder + stem + ".txt", "домашний", when, 12);
    EXPECT_EQ(utf8CharCount(path), 255u);
    EXPECT_TRUE(path.starts_with(folder + "жжж"));
    EXPECT_TRUE(path.ends_with(" домашний) 12.txt")) << path;
}

} // namespace
} // namespace tarvela
