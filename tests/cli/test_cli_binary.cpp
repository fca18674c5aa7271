// The real tarvela-cli executable, with arguments outside ASCII.
#include "child_process.h"
#include "cli_fixture.h"

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

} // namespace
} // namespace tarvela
