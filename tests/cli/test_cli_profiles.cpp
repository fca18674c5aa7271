// "tarvela-cli profile …" and "tarvela-cli log" through the real binary: the editor's rules, the
// errors a user meets, and the refusal while a run of the profile is in progress.
#include "child_process.h"
#include "cli_fixture.h"
#include "copy/disk_tools.h"
#include "log/run_log.h"
#include "log_command.h"
#include "platform/run_lock.h"
#include "records/store_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <unistd.h>

namespace tarvela {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class CliProfiles : public ::testing::Test {
protected:
    test::ChildResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), {TARVELA_CLI_PATH, "--medium", pc.medium});
        return test::runChild(args);
    }

    std::string cfg() const { return readFile(pc.medium + "Tarvela.cfg"); }

    // Adds a profile and returns its Id.
    std::string add(std::vector<std::string> args) {
        args.insert(args.begin(), {"profile", "add"});
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.size(), 9u) << r.out;
        return r.out.substr(0, 8);
    }

    test::Computers pc;
    const std::string thisPc = GetHDSerNo();
};

TEST_F(CliProfiles, AddFollowsTheEditorsRulesAndPrintsTheNewId) {
    const std::string id = add({"Документы", "--work", pc.work + "docs", "--home", pc.home + "docs/", "--pair", "3",
                                "--home", "/mnt/Фото", "--exclude", "*.tmp;*.bak"});
    EXPECT_EQ(id.find_first_not_of("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << id;

    const ProfilArray profiles = LoadProfiles(pc.medium);
    ASSERT_EQ(profiles.size(), 1u);
    const TProfilLine& p = profiles[0];
    EXPECT_EQ(p.Id.text(), id);
    EXPECT_EQ(p.NameConf.text(), "Документы");
    EXPECT_EQ(p.pair(1).PathWork.text(), pc.work + "docs/") << "the separator is appended";
    EXPECT_EQ(p.pair(1).PathHome.text(), pc.home + "docs/");
    EXPECT_EQ(p.pair(3).PathWork.text(), "") << "one side of a pair is enough";
    EXPECT_EQ(p.pair(3).PathHome.text(), "/mnt/Фото/");
    EXPECT_EQ(p.LineExcept.text(), "*.tmp;*.bak");
    // The editor's defaults for a new profile, saved on this computer.
    EXPECT_TRUE(p.isWorkRole());
    EXPECT_EQ(p.IdPC.text(), thisPc);
    EXPECT_FALSE(p.OperacDell);
    EXPECT_FALSE(p.DellBasket);
    EXPECT_TRUE(p.DellConfirmat);
    EXPECT_FALSE(p.SaveLog);

    // A second profile is appended, the first stays byte for byte.
    const std::string before = cfg();
    const std::string second = add({"Фото", "--home", "/h/", "--role", "home", "--delete", "on", "--trash", "on",
                                    "--confirm", "off", "--log", "on"});
    EXPECT_NE(second, id);
    const std::string after = cfg();
    ASSERT_EQ(after.size(), 2 * TProfilLine::kSize);
    EXPECT_EQ(after.substr(0, TProfilLine::kSize), before);
    const TProfilLine q = LoadProfiles(pc.medium)[1];
    EXPECT_FALSE(q.isWorkRole());
    EXPECT_TRUE(q.OperacDell && q.DellBasket && !q.DellConfirmat && q.SaveLog);
}

TEST_F(CliProfiles, ShowPrintsEveryFieldAsTextOrJson) {
    const std::string id = add({"Доку\"менты", "--work", "/w/a", "--home", "/h/a", "--pair", "10", "--work", "/w/z",
                                "--exclude", "*.tmp", "--log", "on"});
    const auto text = cli({"profile", "show", id});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "index: 0\nname: Доку\"менты\nid: " + id + "\nrole: work\nsaved-on: " + thisPc +
                            "\npair 1 work: /w/a/\npair 1 home: /h/a/\npair 10 work: /w/z/\npair 10 home: \n"
                            "exclude: *.tmp\ndelete: off\ntrash: off\nconfirm: on\nlog: on\n");
    const auto json = cli({"profile", "show", "#0", "--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out, "{\"index\":0,\"id\":\"" + id +
                            "\",\"name\":\"Доку\\\"менты\",\"role\":\"work\",\"saved_on\":\"" + thisPc +
                            "\",\"pairs\":[{\"pair\":1,\"work\":\"/w/a/\",\"home\":\"/h/a/\"},"
                            "{\"pair\":10,\"work\":\"/w/z/\",\"home\":\"\"}],\"exclude\":\"*.tmp\","
                            "\"delete\":false,\"trash\":false,\"confirm\":true,\"log\":true}\n");
}

TEST_F(CliProfiles, SetChangesOnlyWhatIsGiven) {
    const std::string id = add({"Документы", "--work", "/w/a", "--home", "/h/a", "--pair", "2", "--work", "/w/b",
                                "--exclude", "*.tmp", "--log", "on"});
    const TProfilLine before = LoadProfiles(pc.medium)[0];

    const auto r = cli({"profile", "set", "Документы", "--name", "Бумаги", "--pair", "2", "--clear", "--pair", "5",
                        "--home", "/h/e", "--confirm", "off"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    TProfilLine expected = before;
    expected.NameConf = ShortString<255>::fromText("Бумаги");
    expected.pair(2) = TFolderDual{};
    expected.pair(5).PathHome = ShortString<255>::fromText("/h/e/");
    expected.DellConfirmat = false;
    EXPECT_EQ(LoadProfiles(pc.medium)[0], expected);

    // Clearing the last folder leaves a profile the editor would refuse to save.
    const auto empty = cli({"profile", "set", id, "--pair", "1", "--clear", "--pair", "5", "--clear"});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.err.find("at least one folder"), std::string::npos) << empty.err;
    EXPECT_EQ(LoadProfiles(pc.medium)[0], expected);
}

TEST_F(CliProfiles, SetOnTheOtherComputerNeedsTheRoleAndMakesThisComputerTheSaver) {
    pc.save({pc.profile("AB12CD34", "Документы", "work", "OTHER-PC")});
    const auto noRole = cli({"profile", "set", "AB12CD34", "--log", "on"});
    EXPECT_EQ(noRole.exitCode, 2);
    EXPECT_NE(noRole.err.find("--role"), std::string::npos) << noRole.err;
    EXPECT_FALSE(LoadProfiles(pc.medium)[0].SaveLog);

    const auto r = cli({"profile", "set", "AB12CD34", "--role", "home"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const TProfilLine p = LoadProfiles(pc.medium)[0];
    EXPECT_EQ(p.IdPC.text(), thisPc);
    EXPECT_FALSE(p.isWorkRole());
    EXPECT_EQ(p.Id.text(), "AB12CD34") << "the Id never changes";
    // Saved here as home: the role now follows from the profile.
    EXPECT_EQ(cli({"profile", "set", "#0", "--log", "on"}).exitCode, 0);
    EXPECT_FALSE(LoadProfiles(pc.medium)[0].isWorkRole());
}

TEST_F(CliProfiles, SetRepairsAnIdThatNamesNoStoreOfItsOwn) {
    for (const char* bad : {"", "..", "a/b", "."}) {
        pc.save({pc.profile(bad, "Документы", "work", thisPc)});
        const auto r = cli({"profile", "set", "Документы", "--log", "on"});
        ASSERT_EQ(r.exitCode, 0) << bad << r.err;
        const std::string id = LoadProfiles(pc.medium)[0].Id.text();
        EXPECT_EQ(id.size(), 8u) << bad;
        EXPECT_TRUE(isPlainStoreName(id)) << bad;
    }
}

TEST_F(CliProfiles, ErrorsLeaveTheProfileFileAsItWas) {
    pc.save({pc.profile("AB12CD34", "Документы")});
    const std::string before = cfg();
    const std::string tooLong = "/" + std::string(254, 'x');
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // unknown profile
        {{"profile", "show", "Видео"}, "no profile has the Id or the name 'Видео'"},
        {{"profile", "set", "#3", "--log", "on"}, "there is no profile #3"},
        {{"profile", "remove", "Видео"}, "'Видео'"},
        {{"profile", "clear", "Видео"}, "'Видео'"},
        {{"log", "Видео"}, "'Видео'"},
        // invalid folder text
        {{"profile", "add", "X", "--work", "relative/docs"},
         "'relative/docs' of pair 1 is not an absolute folder path"},
        {{"profile", "add", "X", "--work", "/a\nb"}, "control character"},
        {{"profile", "add", "X", "--home", "/mnt/日本"}, "Windows-1251"},
        {{"profile", "set", "#0", "--pair", "4", "--home", tooLong}, "255 bytes"},
        // the editor's "Не все параметры введены"
        {{"profile", "add", "", "--work", "/w"}, "a profile needs a name"},
        {{"profile", "add", "X", "--exclude", "*.tmp"}, "at least one folder"},
        // the command line itself
        {{"profile", "add", "X", "--work", "/w", "--pair", "11", "--work", "/v"}, "1..10"},
        {{"profile", "add", "X", "--pair", "2", "--clear"}, "--clear is not an option of profile add"},
        {{"profile", "set", "#0", "--pair", "2", "--clear", "--work", "/w"}, "both cleared and given"},
        {{"profile", "set", "#0", "--delete", "maybe"}, "on|off"},
        {{"profile", "set", "#0"}, "something to change"},
        {{"profile", "show", "#0", "--keep-store"}, "not an option of profile show"},
        {{"profile", "rename", "#0"}, "unknown profile action"},
        {{"profile"}, "needs an action"},
        {{"log"}, "no PROFILE"},
    };
    for (const auto& [args, message] : cases) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << ::testing::PrintToString(args) << "\n" << r.err;
        EXPECT_EQ(r.out, "") << ::testing::PrintToString(args);
    }
    EXPECT_EQ(cfg(), before);
    EXPECT_NE(cli({"profile", "add", "X"}).err.find("Try 'tarvela-cli profile add --help'."), std::string::npos)
        << "the hint names the action's own help";
}

TEST_F(CliProfiles, AProfileFileThatCannotBeWrittenChangesNothing) {
    // A folder in place of the profile file cannot be opened for writing, whoever runs the test.
    fs::create_directory(pc.medium + "Tarvela.cfg");
    const auto add = cli({"profile", "add", "X", "--work", "/w"});
    EXPECT_EQ(add.exitCode, 3);
    EXPECT_NE(add.err.find("Tarvela.cfg"), std::string::npos) << add.err;
    EXPECT_EQ(add.out, "") << "no Id for a profile that was not saved";
    fs::remove(pc.medium + "Tarvela.cfg");

    // A read-only profile file: the atomic rename could replace it, but the editor's rule refuses.
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    pc.save({pc.profile("AB12CD34", "Документы")});
    const std::string before = cfg();
    fs::permissions(pc.medium + "Tarvela.cfg", fs::perms::owner_read | fs::perms::group_read);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"profile", "set", "#0", "--log", "on", "--role", "work"},
          {"profile", "remove", "#0"},
          {"profile", "add", "Y", "--work", "/w"}}) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 3) << ::testing::PrintToString(args) << r.err;
        EXPECT_NE(r.err.find("Не удалось открыть файл"), std::string::npos) << r.err;
    }
    EXPECT_EQ(cfg(), before);
}

TEST_F(CliProfiles, CommandsAtTheSameTimeLoseNoProfile) {
    add({"Первый", "--work", "/w/0"});
    std::vector<std::unique_ptr<test::ChildProcess>> children;
    for (int i = 1; i <= 12; ++i) {
        children.push_back(std::make_unique<test::ChildProcess>(
            std::vector<std::string>{TARVELA_CLI_PATH, "--medium", pc.medium, "profile", "add", "p" + std::to_string(i),
                                     "--work", "/w/" + std::to_string(i)},
            std::vector<std::string>{}));
    }
    // One more changes the first profile meanwhile.
    children.push_back(std::make_unique<test::ChildProcess>(
        std::vector<std::string>{TARVELA_CLI_PATH, "--medium", pc.medium, "profile", "set", "Первый", "--log", "on"},
        std::vector<std::string>{}));
    for (auto& child : children)
        EXPECT_EQ(child->finish().exitCode, 0);
    const ProfilArray profiles = LoadProfiles(pc.medium);
    ASSERT_EQ(profiles.size(), 13u);
    EXPECT_TRUE(profiles[0].SaveLog);
    std::set<std::string> ids;
    for (const TProfilLine& p : profiles)
        ids.insert(p.Id.text());
    EXPECT_EQ(ids.size(), 13u);
}

TEST_F(CliProfiles, ABusyProfileIsNeitherChangedNorRemovedNorCleared) {
    pc.save({pc.profile("AB12CD34", "Документы", "work", GetHDSerNo())});
    const std::string store = transferStoreFolder(pc.medium, "AB12CD34");
    writeFile(tableFile(store, Side::Work, 1), "table");
    const std::string before = cfg();
    {
        // A run of the profile holds its store, here or in another process.
        const auto run = platform::RunLock::tryAcquire(store);
        ASSERT_TRUE(run);
        for (const std::vector<std::string>& args : {std::vector<std::string>{"profile", "set", "#0", "--log", "on"},
                                                     {"profile", "remove", "#0"},
                                                     {"profile", "clear", "#0"}}) {
            const auto r = cli(args);
            EXPECT_EQ(r.exitCode, 1) << ::testing::PrintToString(args) << r.err;
            EXPECT_NE(r.err.find("a run of this profile is in progress"), std::string::npos) << r.err;
        }
        EXPECT_EQ(cfg(), before);
        EXPECT_TRUE(fs::exists(tableFile(store, Side::Work, 1)));
        EXPECT_EQ(cli({"profile", "show", "#0"}).exitCode, 0) << "reading is never refused";
    }
    EXPECT_EQ(cli({"profile", "set", "#0", "--log", "on"}).exitCode, 0) << "the run has ended";
}

TEST_F(CliProfiles, RemoveAndClearTakeTheStoreAsTheEditorsButtonsDo) {
    pc.save({pc.profile("AB12CD34", "Документы"), pc.profile("ZZ99YY88", "Фото"), pc.profile("QQ11WW22", "Видео")});
    for (const char* id : {"AB12CD34", "ZZ99YY88", "QQ11WW22"})
        writeFile(storeFolder(transferStoreFolder(pc.medium, id), Side::Work, 1) + "XYZ.txt", "carried");

    const auto clear = cli({"profile", "clear", "Фото"});
    EXPECT_EQ(clear.exitCode, 0) << clear.err;
    EXPECT_EQ(clear.out, "Удаления папки: " + transferStoreFolder(pc.medium, "ZZ99YY88") + "\n");
    EXPECT_FALSE(fs::exists(transferStoreFolder(pc.medium, "ZZ99YY88")));
    EXPECT_EQ(LoadProfiles(pc.medium).size(), 3u) << "clearing keeps the profile";
    EXPECT_EQ(cli({"profile", "clear", "Фото"}).exitCode, 0) << "nothing left to clear is no failure";

    const auto kept = cli({"profile", "remove", "AB12CD34", "--keep-store"});
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_TRUE(fs::exists(transferStoreFolder(pc.medium, "AB12CD34")));

    const auto removed = cli({"profile", "remove", "Видео"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_FALSE(fs::exists(transferStoreFolder(pc.medium, "QQ11WW22")));
    const ProfilArray left = LoadProfiles(pc.medium);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].Id.text(), "ZZ99YY88");

    EXPECT_EQ(cli({"profile", "remove", "#0"}).exitCode, 0);
    EXPECT_EQ(cfg(), "") << "the last removal leaves an empty profile file";
}

TEST_F(CliProfiles, LogPrintsOneLinePerEchoLine) {
    pc.save({pc.profile("AB12CD34", "Документы")});
    const auto none = cli({"log", "#0"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("keeps no log (its log option is off)"), std::string::npos) << none.err;

    RunLog run;
    run.AddLogText("Старт программы. Сейчас", 0x000080);
    run.AddLogText("Ошибка копирования файла: /w/a\x1b[2Jb", 0x0000FF);
    run.AddLogText("две\nстроки", 0x008000);
    const std::string store = transferStoreFolder(pc.medium, "AB12CD34");
    test::makeFolders(store);
    ASSERT_EQ(AddLogTmpToLogFile(run, store, "AB12CD34"), LogFileUpdate::Created);
    RunLog second;
    second.AddLogText("второй запуск", 0xFF0000);
    ASSERT_EQ(AddLogTmpToLogFile(second, store, "AB12CD34"), LogFileUpdate::Extended);

    const auto log = cli({"log", "Документы"});
    EXPECT_EQ(log.exitCode, 0) << log.err;
    EXPECT_EQ(log.out,
              "Старт программы. Сейчас\nОшибка копирования файла: /w/a\\x1b[2Jb\nдве\\nстроки\nвторой запуск\n")
        << "plain text through a pipe, with control characters made visible";
}

TEST(LogLines, OnATerminalEachLineKeepsItsEchoColour) {
    RunLog log;
    log.AddLogText("старт", 0x000080);
    log.AddLogText("ошибка", 0x0000FF);
    log.AddLogText("заметка", 0x000000);
    log.AddLogText("готово", 0x008000);
    EXPECT_EQ(cli::logLines(log.document(), true),
              "\033[31mстарт\033[0m\n\033[1;91mошибка\033[0m\nзаметка\n\033[32mготово\033[0m\n");
    EXPECT_EQ(cli::logLines(log.document(), false), "старт\nошибка\nзаметка\nготово\n");
    // A log edited elsewhere: a bold run of another colour stays bold.
    EXPECT_EQ(cli::logLines("{\\rtf1{\\colortbl ;\\red0\\green128\\blue0;}\\cf1\\b x\\b0 y\\par}", true),
              "\033[32m\033[1mx\033[0m\033[32my\033[0m\n");
}

TEST_F(CliProfiles, EveryCommandHasItsHelp) {
    const std::vector<std::vector<std::string>> cases = {
        {"profile", "--help"},
        {"profile", "add", "--help"},
        {"profile", "show", "--help"},
        {"profile", "set", "--help"},
        {"profile", "remove", "--help"},
        {"profile", "clear", "--help"},
        {"log", "--help"},
        {"--help", "profile"},
        {"--help", "log"},
    };
    std::vector<std::string> texts;
    for (const auto& args : cases) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << ::testing::PrintToString(args) << r.err;
        EXPECT_TRUE(r.out.starts_with("Usage: tarvela-cli")) << ::testing::PrintToString(args) << r.out;
        texts.push_back(r.out);
    }
    EXPECT_NE(texts[1].find("--pair N"), std::string::npos);
    EXPECT_NE(texts[4].find("--keep-store"), std::string::npos);
    EXPECT_EQ(texts[0], texts[7]);
    EXPECT_EQ(texts[6], texts[8]);
    const auto top = cli({"--help"});
    EXPECT_NE(top.out.find("profile ACTION"), std::string::npos);
}

} // namespace
} // namespace tarvela
