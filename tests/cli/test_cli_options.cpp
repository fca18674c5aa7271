// The command line of tarvela-cli and the choice of profile and role.
#include "cli_options.h"
#include "profile_choice.h"

#include <gtest/gtest.h>

namespace tarvela::cli {
namespace {

TEST(CommandLine, AcceptedForms) {
    struct Case {
        std::vector<std::string> args;
        Command command;
        std::optional<std::string> medium;
        std::string profile;
        std::optional<Role> role;
        std::optional<Direction> direction;
        FullCopyChoice fullCopy = FullCopyChoice::Unset;
        DeleteChoice deleteChoice = DeleteChoice::Unset;
        bool noColor = false;
        bool dryRun = false;
    };
    const Case cases[] = {
        {{"list"}, Command::List, {}, {}, {}, {}},
        {{"--medium", "/m", "id"}, Command::Id, "/m", {}, {}, {}},
        {{"--medium=/m", "list"}, Command::List, "/m", {}, {}, {}},
        {{"list", "--medium", "/m"}, Command::List, "/m", {}, {}, {}},
        {{"state", "#0", "--role", "home"}, Command::State, {}, "#0", Role::Home, {}},
        {{"state", "--role=work", "Документы"}, Command::State, {}, "Документы", Role::Work, {}},
        {{"run", "AB12CD34", "--direction", "work-home"}, Command::Run, {}, "AB12CD34", {}, Direction::WorkHome},
        {{"run", "--direction=home-work", "--role", "work", "--full-copy", "none", "--delete", "yes", "--no-color",
          "x", "--dry-run"},
         Command::Run,
         {},
         "x",
         Role::Work,
         Direction::HomeWork,
         FullCopyChoice::None,
         DeleteChoice::Yes,
         true,
         true},
        {{"run", "x", "--direction", "work-home", "--full-copy=all", "--delete=no"},
         Command::Run,
         {},
         "x",
         {},
         Direction::WorkHome,
         FullCopyChoice::All,
         DeleteChoice::No},
        {{"run", "x", "--direction", "work-home", "--full-copy", "refuse", "--delete", "ask"},
         Command::Run,
         {},
         "x",
         {},
         Direction::WorkHome,
         FullCopyChoice::Refuse,
         DeleteChoice::Ask},
        {{"run", "--direction", "work-home", "--full-copy", "ask", "--", "-dash name"},
         Command::Run,
         {},
         "-dash name",
         {},
         Direction::WorkHome,
         FullCopyChoice::Ask},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parseCommandLine(c.args);
        const std::string where = ::testing::PrintToString(c.args);
        ASSERT_EQ(p.error, "") << where;
        EXPECT_EQ(p.options.command, c.command) << where;
        EXPECT_EQ(p.options.medium, c.medium) << where;
        EXPECT_EQ(p.options.profile, c.profile) << where;
        EXPECT_EQ(p.options.role, c.role) << where;
        EXPECT_EQ(p.options.direction, c.direction) << where;
        EXPECT_EQ(p.options.fullCopy, c.fullCopy) << where;
        EXPECT_EQ(p.options.deleteChoice, c.deleteChoice) << where;
        EXPECT_EQ(p.options.noColor, c.noColor) << where;
        EXPECT_EQ(p.options.dryRun, c.dryRun) << where;
        EXPECT_FALSE(p.options.help) << where;
    }
}

TEST(CommandLine, TheGuardsAgainstMassRemovalAreLiftedOnlyByName) {
    const ParsedCommandLine none = parseCommandLine({"run", "x", "--direction", "work-home"});
    EXPECT_FALSE(none.options.allowMassRemoval);
    EXPECT_FALSE(none.options.allowEmptiedFolder);
    const ParsedCommandLine both =
        parseCommandLine({"run", "x", "--allow-empty-folder", "--direction", "work-home", "--allow-mass-removal"});
    ASSERT_EQ(both.error, "");
    EXPECT_TRUE(both.options.allowMassRemoval);
    EXPECT_TRUE(both.options.allowEmptiedFolder);
    EXPECT_NE(parseCommandLine({"run", "x", "--direction", "work-home", "--allow-empty-folder=yes"})
                  .error.find("--allow-empty-folder takes no value"),
              std::string::npos);
    EXPECT_NE(parseCommandLine({"state", "x", "--allow-empty-folder"})
                  .error.find("--allow-empty-folder is not an option of this command"),
              std::string::npos);
}

TEST(CommandLine, HelpOfTheToolAndOfEachCommand) {
    const std::pair<std::vector<std::string>, Command> cases[] = {
        {{"--help"}, Command::None},           {{"-h"}, Command::None},
        {{"list", "--help"}, Command::List},   {{"id", "-h"}, Command::Id},
        {{"state", "--help"}, Command::State}, {{"run", "--help"}, Command::Run}, // no PROFILE needed
    };
    for (const auto& [args, command] : cases) {
        const ParsedCommandLine p = parseCommandLine(args);
        EXPECT_EQ(p.error, "") << ::testing::PrintToString(args);
        EXPECT_TRUE(p.options.help);
        EXPECT_EQ(p.options.command, command);
    }
}

TEST(CommandLine, UsageErrors) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no command"},
        {{"sync"}, "unknown command 'sync'"},
        {{"--verbose", "list"}, "unknown option --verbose"},
        {{"--medium"}, "--medium needs a value"},
        {{"list", "extra"}, "unexpected argument 'extra'"},
        {{"state"}, "no PROFILE"},
        {{"state", "a", "b"}, "unexpected argument 'b'"},
        {{"run", "x"}, "--direction"},
        {{"run", "x", "--direction", "sideways"}, "work-home|home-work, not 'sideways'"},
        {{"run", "x", "--direction", "work-home", "--role", "boss"}, "work|home, not 'boss'"},
        {{"run", "x", "--direction", "work-home", "--full-copy", "some"}, "all|none|refuse|ask"},
        {{"run", "x", "--direction", "work-home", "--delete", "maybe"}, "yes|no|ask"},
        {{"run", "x", "--direction"}, "--direction needs a value"},
        {{"run", "x", "--direction", "work-home", "--no-color=1"}, "--no-color takes no value"},
        {{"state", "x", "--direction", "work-home"}, "--direction is not an option of this command"},
        {{"run", "x", "--direction", "work-home", "--dry-run=yes"}, "--dry-run takes no value"},
        {{"state", "x", "--dry-run"}, "--dry-run is not an option of this command"},
        {{"list", "--role", "work"}, "--role is not an option of this command"},
        {{"--role", "work", "state", "x"}, "--role belongs after a command"},
    };
    for (const auto& [args, error] : cases) {
        const ParsedCommandLine p = parseCommandLine(args);
        EXPECT_NE(p.error.find(error), std::string::npos) << ::testing::PrintToString(args) << " -> " << p.error;
    }
}

TProfilLine profile(const char* id, const char* name, const char* pc = "work", const char* idPc = "") {
    TProfilLine p;
    p.Id = ShortString<8>::fromText(id);
    p.NameConf = ShortString<255>::fromText(name);
    p.PC = ShortString<4>::fromText(pc);
    p.IdPC = ShortString<25>::fromText(idPc);
    return p;
}

TEST(ProfileChoice, IndexThenIdThenExactName) {
    const ProfilArray profiles = {profile("AAAA1111", "Документы"), profile("BBBB2222", "AAAA1111"),
                                  profile("CCCC3333", "Фото"), profile("DDDD4444", "Фото")};
    const std::pair<const char*, std::optional<std::size_t>> cases[] = {
        {"#0", 0},         {"#3", 3},    {"#4", {}},      {"#", {}},       {"#x", {}},
        {"#-1", {}},       {"#1x", {}},  {"AAAA1111", 0}, {"BBBB2222", 1}, {"Документы", 0},
        {"документы", {}}, {"Фото", {}}, {"CCCC3333", 2}, {"nothing", {}}, {"", {}},
    };
    for (const auto& [argument, index] : cases) {
        const ProfileChoice c = chooseProfile(profiles, argument);
        if (index) {
            EXPECT_EQ(c.error, "") << argument;
            EXPECT_EQ(c.index, *index) << argument;
        } else {
            EXPECT_NE(c.error, "") << argument;
        }
    }
    EXPECT_NE(chooseProfile(profiles, "Фото").error.find("#2, #3"), std::string::npos);
}

TEST(ProfileChoice, RoleFromTheCommandLineOrFromAProfileSavedHere) {
    struct Case {
        std::optional<Role> given;
        const char* pc;
        const char* idPc;
        std::optional<Role> role; // empty: an error
    };
    const Case cases[] = {
        {Role::Home, "work", "OTHER", Role::Home},
        {{}, "work", "1234-ABCD", Role::Work},
        {{}, "home", "1234-ABCD", Role::Home},
        {{}, "hOme", "1234-ABCD", Role::Home},
        {{}, "work", "OTHER", {}},
        {{}, "work", "", {}},
    };
    for (const Case& c : cases) {
        const RoleChoice r = chooseRole(c.given, profile("ID", "n", c.pc, c.idPc), "1234-ABCD");
        EXPECT_EQ(r.error.empty(), c.role.has_value()) << c.pc << " " << c.idPc;
        if (c.role) {
            EXPECT_EQ(r.role, *c.role) << c.pc << " " << c.idPc;
        }
    }
}

} // namespace
} // namespace tarvela::cli
