// The commands of tarvela-cli run in this process against a medium in a temporary folder.
#include "cli_fixture.h"
#include "commands.h"
#include "copy/copier.h"
#include "platform/run_lock.h"
#include "records/store_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tarvela::cli {
namespace {

using test::writeFile;

class Cli : public ::testing::Test {
protected:
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        std::vector<std::string> all = {"--medium", pc.medium};
        all.insert(all.end(), args.begin(), args.end());
        return runCli(all, env);
    }

    std::string pathTask(const std::string& id = "AB12CD34") const { return transferStoreFolder(pc.medium, id); }

    test::Computers pc;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{false};
    TFileCopier copier;
    CliEnvironment env{.in = in,
                       .out = out,
                       .err = err,
                       .executableFolder = "/nonexistent/",
                       .pcIdent = "1234-ABCD",
                       .stop = stop,
                       .copier = copier};
};

TEST_F(Cli, ListShowsOneLinePerProfileInFileOrder) {
    pc.save({pc.profile("AB12CD34", "Документы", "work", "1234-ABCD"), pc.profile("ZZ99YY88", "Tab\there", "home"),
             pc.profile("QQ", "", "xyz", "")});
    EXPECT_EQ(run({"list"}), kExitDone);
    EXPECT_EQ(out.str(), "0\tAB12CD34\tДокументы\twork\t1234-ABCD\n"
                         "1\tZZ99YY88\tTab?here\thome\tOTHER-PC\n"
                         "2\tQQ\t\thome\t\n");
    EXPECT_EQ(err.str(), "");

    pc.save({});
    EXPECT_EQ(run({"list"}), kExitDone);
    EXPECT_EQ(out.str(), "");
}

TEST_F(Cli, UsageErrorsExitTwoWithAMessage) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"list"}, "no profile file"},
        {{"frobnicate"}, "unknown command"},
        {{"state", "#0", "--role", "work"}, "no profile file"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(run(args), kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    pc.save({pc.profile("AB12CD34", "Документы")});
    const std::pair<std::vector<std::string>, std::string> withProfiles[] = {
        {{"state", "Фото", "--role", "work"}, "no profile has the Id or the name 'Фото'"},
        {{"state", "#1", "--role", "work"}, "there is no profile #1"},
        {{"state", "Документы"}, "--role"}, // saved on another computer: the role is needed
        {{"run", "#0", "--direction", "work-home"}, "--role"},
    };
    for (const auto& [args, message] : withProfiles) {
        EXPECT_EQ(run(args), kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    }
}

TEST_F(Cli, HelpGoesToStdoutAndExitsZero) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"run", "--help"}}) {
        EXPECT_EQ(run(args), kExitDone);
        EXPECT_TRUE(out.str().starts_with("Usage: tarvela-cli")) << out.str();
        EXPECT_EQ(err.str(), "");
    }
}

TEST_F(Cli, IdIsThisComputersIdentityAsAProfileHoldsIt) {
    env.pcIdent = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"; // longer than the profile's field
    EXPECT_EQ(run({"id"}), kExitDone);
    EXPECT_EQ(out.str(), "ABCDEFGHIJKLMNOPQRSTUVWXY\n");
}

TEST_F(Cli, StateFollowsTheStoreRootsAndTheRole) {
    pc.save({pc.profile("AB12CD34", "Документы", "home", "1234-ABCD")});
    struct Case {
        bool w, h;
        const char* role;
        const char* output;
    };
    const Case cases[] = {
        {false, false, "work", "work-home\n"},
        {false, false, "home", "home-work\n"},
        {true, false, "work", "work-home\n"},
        {true, false, "home", "work-home\nhome-work\n"},
        {false, true, "work", "work-home\nhome-work\n"},
        {false, true, "home", "home-work\n"},
        {true, true, "work", "work-home\nhome-work\n"},
        {true, true, "home", "work-home\nhome-work\n"},
        {false, false, nullptr, "home-work\n"}, // saved here as home
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(test::fsPath(pathTask()));
        if (c.w)
            test::makeFolders(storeRoot(pathTask(), Side::Work));
        if (c.h)
            test::makeFolders(storeRoot(pathTask(), Side::Home));
        std::vector<std::string> args = {"state", "AB12CD34"};
        if (c.role)
            args.insert(args.end(), {"--role", c.role});
        EXPECT_EQ(run(args), kExitDone);
        EXPECT_EQ(out.str(), c.output) << c.w << c.h << (c.role ? c.role : "-");
    }
}

TEST_F(Cli, RunEndingsGiveTheirExitStatus) {
    pc.save({pc.profile("AB12CD34", "Документы")});
    writeFile(pc.work + "a.txt", "a");
    const std::vector<std::string> send = {"run", "#0", "--role", "work", "--direction", "work-home"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = send;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };

    // The direction the rule does not enable.
    EXPECT_EQ(run({"run", "#0", "--role", "home", "--direction", "work-home"}), kExitEndedEarly);
    EXPECT_NE(err.str().find("work-home may not run in the home role now"), std::string::npos) << err.str();

    // A first run without a terminal and without --full-copy is refused, with a word on why.
    EXPECT_EQ(run(send), kExitEndedEarly);
    EXPECT_NE(err.str().find("--full-copy"), std::string::npos) << err.str();

    // Another run holds the profile's store.
    {
        const auto lock = platform::RunLock::tryAcquire(pathTask());
        ASSERT_TRUE(lock);
        EXPECT_EQ(run(with({"--full-copy", "all"})), kExitEndedEarly);
        EXPECT_NE(err.str().find("another run"), std::string::npos) << err.str();
    }

    // The stop requested before the copies.
    stop = true;
    EXPECT_EQ(run(with({"--full-copy", "all"})), kExitEndedEarly);
    EXPECT_NE(err.str().find("stopped"), std::string::npos) << err.str();
    stop = false;

    EXPECT_EQ(run(with({"--full-copy", "all"})), kExitDone) << err.str();
    EXPECT_NE(out.str().find("Конец операции: рабочий=>домашний"), std::string::npos) << out.str();

    // A table that cannot be written is a file failure, not an early end.
    std::filesystem::remove(test::fsPath(tableFile(pathTask(), Side::Work, 1)));
    test::makeFolders(tableFile(pathTask(), Side::Work, 1) + "/blocked");
    EXPECT_EQ(run(with({"--full-copy", "all"})), kExitFileFailure);
    EXPECT_NE(err.str().find("WTabFile_1.dat"), std::string::npos) << err.str();
    std::filesystem::remove_all(test::fsPath(tableFile(pathTask(), Side::Work, 1)));

    // A folder of the profile that does not exist.
    std::filesystem::remove_all(test::fsPath(pc.work));
    EXPECT_EQ(run(with({"--full-copy", "all"})), kExitEndedEarly);
    EXPECT_NE(err.str().find("В профиле ошибочный путь:"), std::string::npos) << err.str();
}

TEST_F(Cli, EchoIsColouredOnlyOnATerminalWithoutNoColor) {
    pc.save({pc.profile("AB12CD34", "Документы")});
    writeFile(pc.work + "a.txt", "a");
    struct Case {
        bool terminal;
        bool noColorEnv;
        bool noColorOption;
        bool coloured;
    };
    const Case cases[] = {
        {true, false, false, true},
        {true, true, false, false},
        {true, false, true, false},
        {false, false, false, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(test::fsPath(pathTask()));
        env.stdoutIsTerminal = c.terminal;
        env.noColor = c.noColorEnv;
        std::vector<std::string> args = {"run",         "#0",        "--role",      "work",
                                         "--direction", "work-home", "--full-copy", "all"};
        if (c.noColorOption)
            args.push_back("--no-color");
        ASSERT_EQ(run(args), kExitDone) << err.str();
        const std::string text = out.str();
        EXPECT_EQ(text.find("\033[") != std::string::npos, c.coloured) << text;
        // The blue end line of the half, as the engine wrote it.
        const std::string end = "]  Конец операции: рабочий=>домашний. Тип: Рабочий компьютер";
        EXPECT_NE(text.find(c.coloured ? end + "\033[0m\n" : end + "\n"), std::string::npos) << text;
        if (c.coloured) {
            EXPECT_NE(text.find("\033[34m["), std::string::npos) << text;
        }
    }
}

TEST_F(Cli, ProgressGoesToStderrOnlyOnATerminal) {
    pc.save({pc.profile("AB12CD34", "Документы")});
    writeFile(pc.work + "a.txt", std::string(1000, 'a'));
    for (const bool terminal : {false, true}) {
        std::filesystem::remove_all(test::fsPath(pathTask()));
        env.stderrIsTerminal = terminal;
        ASSERT_EQ(run({"run", "#0", "--role", "work", "--direction", "work-home", "--full-copy", "all"}), kExitDone);
        if (terminal) {
            // The line shows the bar, the files and the bytes, and is erased again when the run ends.
            EXPECT_TRUE(err.str().starts_with("\r\033[K[....................]  0/")) << err.str();
            EXPECT_NE(err.str().find(" B"), std::string::npos) << err.str();
            EXPECT_TRUE(err.str().ends_with("\r\033[K")) << err.str();
        } else {
            EXPECT_EQ(err.str(), "");
        }
        EXPECT_EQ(out.str().find('\r'), std::string::npos);
    }
}

} // namespace
} // namespace tarvela::cli
