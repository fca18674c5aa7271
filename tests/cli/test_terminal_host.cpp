// The questions of a run on a terminal, and the answers given by options instead.
#include "terminal_host.h"
#include "terminal_questions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarvela::cli {
namespace {

bool operator==(const FullCopyAnswer& a, const FullCopyAnswer& b) {
    return a.result == b.result && a.all == b.all;
}

TEST(TerminalQuestions, FullCopyAnswers) {
    const std::pair<const char*, FullCopyAnswer> cases[] = {
        {"a\n", {FullCopyResult::CopyAll, false}},
        {"a!\n", {FullCopyResult::CopyAll, true}},
        {"  n \n", {FullCopyResult::CopyNothing, false}},
        {"n!\n", {FullCopyResult::CopyNothing, true}},
        {"r\n", {FullCopyResult::Refused, false}},
        {"yes\n\nq\na\n", {FullCopyResult::CopyAll, false}}, // asked again until understood
        {"", {FullCopyResult::Refused, false}},              // end of input: refused
        {"what\n", {FullCopyResult::Refused, false}},
    };
    for (const auto& [input, expected] : cases) {
        std::istringstream in(input);
        std::ostringstream err;
        EXPECT_TRUE(askFullCopyOn(in, err, "/data/Документы/") == expected) << input;
        EXPECT_NE(err.str().find("Папка: /data/Документы/"), std::string::npos) << err.str();
    }
}

TEST(TerminalQuestions, DeleteAnswers) {
    const std::pair<const char*, DeleteAnswer> cases[] = {
        {"y\n", DeleteAnswer::Yes},     {"n\n", DeleteAnswer::No},         {"a\n", DeleteAnswer::YesToAll},
        {"x\n", DeleteAnswer::NoToAll}, {"maybe\ny\n", DeleteAnswer::Yes}, {"", DeleteAnswer::Closed},
        {"\n\n", DeleteAnswer::Closed},
    };
    for (const auto& [input, expected] : cases) {
        std::istringstream in(input);
        std::ostringstream err;
        EXPECT_EQ(askDeleteOn(in, err, "/home/u/old.txt"), expected) << input;
        EXPECT_NE(err.str().find("Удалить: /home/u/old.txt"), std::string::npos) << err.str();
    }
}

TEST(TerminalHost, QuestionsAnsweredByOptionsOrByTheTerminal) {
    struct Case {
        FullCopyChoice fullCopy;
        DeleteChoice deleteChoice;
        bool canAsk;
        const char* input;
        FullCopyAnswer fullCopyAnswer;
        DeleteAnswer deleteAnswer;
        bool told; // a word on stderr why nothing was asked
    };
    const Case cases[] = {
        {FullCopyChoice::All,
         DeleteChoice::Yes,
         false,
         "",
         {FullCopyResult::CopyAll, true},
         DeleteAnswer::YesToAll,
         false},
        {FullCopyChoice::None,
         DeleteChoice::No,
         true,
         "",
         {FullCopyResult::CopyNothing, true},
         DeleteAnswer::NoToAll,
         false},
        {FullCopyChoice::Refuse,
         DeleteChoice::No,
         true,
         "",
         {FullCopyResult::Refused, false},
         DeleteAnswer::NoToAll,
         false},
        {FullCopyChoice::Unset,
         DeleteChoice::Unset,
         false,
         "a\ny\n",
         {FullCopyResult::Refused, false},
         DeleteAnswer::NoToAll,
         true},
        {FullCopyChoice::Unset,
         DeleteChoice::Unset,
         true,
         "a\ny\n",
         {FullCopyResult::CopyAll, false},
         DeleteAnswer::Yes,
         false},
        // Asked for explicitly: read from the input even when it is no terminal (a script answers).
        {FullCopyChoice::Ask,
         DeleteChoice::Ask,
         false,
         "n!\nx\n",
         {FullCopyResult::CopyNothing, true},
         DeleteAnswer::NoToAll,
         false},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out, err;
        const std::atomic<bool> stop{false};
        TerminalHost host(in, out, err, stop,
                          {.canAsk = c.canAsk, .fullCopy = c.fullCopy, .deleteChoice = c.deleteChoice});
        EXPECT_TRUE(host.askFullCopy("/w/") == c.fullCopyAnswer) << c.input;
        EXPECT_EQ(host.askDelete("/h/x"), c.deleteAnswer) << c.input;
        EXPECT_EQ(err.str().find("without a terminal") != std::string::npos, c.told) << err.str();
        EXPECT_EQ(out.str(), "");
    }
}

TEST(TerminalHost, EchoLinesShowControlCharactersVisiblyWithOrWithoutColours) {
    const std::atomic<bool> stop{false};
    std::istringstream in;
    for (const bool terminal : {false, true}) {
        std::ostringstream out, err;
        TerminalHost host(in, out, err, stop, {.color = terminal});
        host.echo("Файл добавлен: a\033]0;title\x07\xc2\x9b"
                  "b\n]  Конец операции: x",
                  0x008000);
        const std::string visible = R"(Файл добавлен: a\x1b]0;title\x07\u009bb\n]  Конец операции: x)";
        EXPECT_EQ(out.str(), terminal ? "\033[32m" + visible + "\033[0m\n" : visible + "\n");
    }
}

// The two guards against removing a whole folder's files by mistake are answered by options; when
// an option is missing, the line the engine writes about the skip names it.
TEST(TerminalHost, GuardsAnsweredByTheirOptionsWhichTheirLinesName) {
    const std::atomic<bool> stop{false};
    std::istringstream in;
    for (const bool allow : {false, true}) {
        std::ostringstream out, err;
        TerminalHost host(in, out, err, stop, {.allowMassRemoval = allow, .allowEmptiedFolder = allow});
        EXPECT_EQ(host.askEmptiedFolder("/w/"), allow);
        EXPECT_EQ(host.askEmptiedFolder("/w2/"), allow);
        EXPECT_EQ(host.askMassRemoval("/w/", 8, 10), allow);
        EXPECT_EQ(err.str().find("--allow-empty-folder") != std::string::npos, !allow) << err.str();
        EXPECT_EQ(err.str().find("--allow-empty-folder"), err.str().rfind("--allow-empty-folder")) << "told once";
        EXPECT_EQ(err.str().find("--allow-mass-removal") != std::string::npos, !allow) << err.str();
    }
    std::ostringstream out, err;
    TerminalHost host(in, out, err, stop, {});
    host.echo("Папка пуста, хотя в ней были файлы. Пара пропущена: /w/", 0x0000FF);
    host.echo("Удаления не выполнены (слишком много файлов: 8 из 10), папка: /h/", 0x0000FF);
    host.echo("Анализ: /w/", 0x808000);
    EXPECT_EQ(out.str(), "Папка пуста, хотя в ней были файлы. Пара пропущена: /w/ (--allow-empty-folder)\n"
                         "Удаления не выполнены (слишком много файлов: 8 из 10), папка: /h/ (--allow-mass-removal)\n"
                         "Анализ: /w/\n");
}

} // namespace
} // namespace tarvela::cli
