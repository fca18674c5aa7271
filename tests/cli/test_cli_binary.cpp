// The real tarvela-cli executable, with arguments outside ASCII.
#include "base/messages.h"
#include "child_process.h"
#include "cli_fixture.h"
#include "records/store_layout.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

TEST(CliBinary, CyrillicMediumAndProfileNameReachTheEngineIntact) {
    test::Computers pc;
    pc.save({pc.profile("AB12CD34", "Рабочие документы"), pc.profile("ZZ99YY88", "Фото")});
    test::writeFile(pc.work + "отчёт.txt", "x");

    const auto list = test::runChild({TARVELA_CLI_PATH, "--medium", pc.medium, "list"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out, "0\tAB12CD34\tРабочие документы\twork\tOTHER-PC\n1\tZZ99YY88\tФото\twork\tOTHER-PC\n");

    const auto sent = test::runChild({TARVELA_CLI_PATH, "--medium", pc.medium, "run", "Рабочие документы", "--role",
                                      "work", "--direction", "work-home", "--full-copy", "all"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_NE(sent.out.find("Копирование файлов из " + pc.work + " завершено\n"), std::string::npos) << sent.out;
    EXPECT_EQ(sent.err, "");

    const auto state =
        test::runChild({TARVELA_CLI_PATH, "--medium", pc.medium, "state", "Рабочие документы", "--role", "home"});
    EXPECT_EQ(state.exitCode, 0) << state.err;
    EXPECT_EQ(state.out, "work-home\nhome-work\n");

    const auto unknown = test::runChild({TARVELA_CLI_PATH, "--medium", pc.medium, "state", "Видео", "--role", "home"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("'Видео'"), std::string::npos) << unknown.err;
}

// A profile file that ends in part of a record (cut one byte short): the whole records before it
// are listed, and a line on the error stream says what became of the rest; the exit stays 0.
TEST(CliBinary, AProfileFileEndingInPartOfARecordIsSaidSo) {
    for (const std::size_t whole : {std::size_t{0}, std::size_t{1}}) {
        SCOPED_TRACE(std::to_string(whole) + " whole record(s) before the part");
        test::Computers pc;
        pc.save({pc.profile("AB12CD34", "Документы"), pc.profile("ZZ99YY88", "Фото")});
        const std::string file = profileFilePath(pc.medium);
        std::string bytes = test::readFile(file);
        ASSERT_EQ(bytes.size(), 2 * TProfilLine::kSize);
        bytes.resize((whole + 1) * TProfilLine::kSize - 1);
        test::writeFile(file, bytes);

        const auto list = test::runChild({TARVELA_CLI_PATH, "--medium", pc.medium, "list"});
        EXPECT_EQ(list.exitCode, 0) << list.err;
        EXPECT_EQ(list.out, whole == 0 ? "" : "0\tAB12CD34\tДокументы\twork\tOTHER-PC\n");
        EXPECT_EQ(list.err, "tarvela-cli: " + std::string(msg::kProfileFilePartialRecord) + file + "\n");
    }
}

} // namespace
} // namespace tarvela
