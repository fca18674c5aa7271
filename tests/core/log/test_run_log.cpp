// The run's RTF log and the profile's log file that collects the runs.
#include "base/echo_color.h"
#include "base/errors.h"
#include "log/rtf_colors.h"
#include "log/run_log.h"
#include "records/store_layout.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <optional>
#include <vector>

namespace tarvela {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

std::size_t count(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

std::string afterMarker(const std::string& doc) {
    return doc.substr(doc.find(RunLog::kMarker) + RunLog::kMarker.size());
}

// What an RTF reader needs of a document: one group from the first byte to the closing brace of
// the tail, a backslash always starting a control word, a control symbol or a \'hh escape, and the
// document's bytes never 8-bit outside \'hh (the file is 7-bit clean apart from the tail's NUL).
::testing::AssertionResult wellFormed(const std::string& doc) {
    if (!doc.starts_with("{\\rtf1"))
        return ::testing::AssertionFailure() << "no {\\rtf1";
    if (!doc.ends_with(RunLog::kTail))
        return ::testing::AssertionFailure() << "no tail";
    const std::size_t end = doc.size() - RunLog::kTail.size() + 1; // just past the closing brace
    long depth = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(doc[i]);
        if (c >= 0x80)
            return ::testing::AssertionFailure() << "8-bit byte at " << i;
        if (c == '\\') {
            const char n = i + 1 < end ? doc[i + 1] : '\0';
            if (n == '\'') {
                if (i + 3 >= end || !std::isxdigit(static_cast<unsigned char>(doc[i + 2])) ||
                    !std::isxdigit(static_cast<unsigned char>(doc[i + 3]))) {
                    return ::testing::AssertionFailure() << "bad \\' at " << i;
                }
                i += 3;
            } else if (n == '\\' || n == '{' || n == '}' || n == '*' || n == '~' || n == '-' || n == '_') {
                ++i; // escaped characters and the control symbols rich-text controls write
            } else if (!std::isalpha(static_cast<unsigned char>(n))) {
                return ::testing::AssertionFailure() << "bad control at " << i;
            }
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0 && i != end - 1)
                return ::testing::AssertionFailure() << "group closed at " << i;
            if (depth < 0)
                return ::testing::AssertionFailure() << "unbalanced at " << i;
        }
    }
    if (depth != 0)
        return ::testing::AssertionFailure() << "depth " << depth << " at the end";
    return ::testing::AssertionSuccess();
}

// The colour table's entries (index 0 is the automatic colour).
std::vector<std::string> colorTable(const std::string& doc) {
    const std::string start = "{\\colortbl ";
    const auto from = doc.find(start) + start.size();
    const auto to = doc.find('}', from);
    std::vector<std::string> out;
    std::size_t at = from;
    for (auto semi = doc.find(';', at); semi < to; semi = doc.find(';', at)) {
        out.push_back(doc.substr(at, semi - at));
        at = semi + 1;
    }
    return out;
}

TEST(RunLog, DocumentIsHeaderMarkerOneParagraphPerLineAndFourByteTail) {
    RunLog log;
    log.AddLogText("first", color::kMaroon);
    log.AddLogText("second", color::kGreen);
    const std::string doc = log.document();

    EXPECT_TRUE(doc.starts_with("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_NE(doc.find("{\\fonttbl{\\f0\\fnil\\fcharset204 Tahoma;}}"), std::string::npos);
    EXPECT_EQ(count(doc, RunLog::kMarker), 1u);
    EXPECT_EQ(RunLog::kTail.size(), 4u);
    EXPECT_NE(RunLog::kTail.find('}'), std::string_view::npos);
    EXPECT_TRUE(doc.ends_with(RunLog::kTail));
    EXPECT_EQ(count(afterMarker(doc), "\\par\r\n"), 2u);
    EXPECT_LT(doc.find("first"), doc.find("second"));
    EXPECT_TRUE(wellFormed(doc));
    EXPECT_TRUE(wellFormed(RunLog().document()));

    // Every document carries the same header, whatever its lines: merged bodies keep their colours.
    RunLog other;
    other.AddLogText("x", color::kRed);
    EXPECT_EQ(doc.substr(0, doc.find(RunLog::kMarker)),
              other.document().substr(0, other.document().find(RunLog::kMarker)));
}

TEST(RunLog, EachColourOfTheEchoPointsAtItsOwnEntryAndOnlyRedIsBold) {
    struct Case {
        std::uint32_t color;
        const char* rgb;
        bool bold;
    };
    const Case cases[] = {
        {color::kMaroon, "\\red128\\green0\\blue0", false}, {color::kBlue, "\\red0\\green0\\blue255", false},
        {color::kTeal, "\\red0\\green128\\blue128", false}, {color::kPurple, "\\red128\\green0\\blue128", false},
        {color::kGreen, "\\red0\\green128\\blue0", false},  {color::kRed, "\\red255\\green0\\blue0", true},
        {color::kBlack, "\\red0\\green0\\blue0", false},    {color::kNone, "\\red0\\green0\\blue0", false},
        {0x123456, "\\red0\\green0\\blue0", false}, // outside the palette: black
    };
    for (const Case& c : cases) {
        RunLog log;
        log.AddLogText("line", c.color);
        const std::string doc = log.document();
        const std::string body = afterMarker(doc);
        const auto cf = body.find("\\cf");
        ASSERT_NE(cf, std::string::npos);
        const std::size_t index = std::stoul(body.substr(cf + 3));
        const auto table = colorTable(doc);
        ASSERT_LT(index, table.size()) << std::hex << c.color;
        EXPECT_EQ(table[index], c.rgb) << std::hex << c.color;
        EXPECT_NE(body.find(c.bold ? "\\b line\\par" : "\\b0 line\\par"), std::string::npos)
            << std::hex << c.color << body;
    }
}

TEST(RunLog, TextIsWrittenInTheCodePageWithEscapes) {
    struct Case {
        const char* text;
        const char* rtf;
    };
    const Case cases[] = {
        {"C:\\{a}", "C:\\\\\\{a\\}"},
        {"Файл ё", "\\'d4\\'e0\\'e9\\'eb \\'b8"},
        {"€ №", "\\'88 \\'b9"},
        {"is it?", "is it?"},
        {"日本", "\\u26085?\\u26412?"},
        {"😀", "\\u-10179?\\u-8704?"}, // outside the BMP: a surrogate pair
        {"a\xff", "a\\u-3?"},         // a byte of no UTF-8 sequence: the replacement character
        {"a\tb\r\nc\nd", "a\\tab b\\line c\\line d"},
        {"\x01", "\\'01"},
    };
    for (const Case& c : cases) {
        RunLog log;
        log.AddLogText(c.text, color::kBlack);
        const std::string doc = log.document();
        EXPECT_NE(doc.find(std::string(" ") + c.rtf + "\\par\r\n"), std::string::npos) << c.text << "\n" << doc;
        EXPECT_TRUE(wellFormed(doc)) << c.text;
    }
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override { test::makeFolders(pathTask); }

    LogFileUpdate add(const RunLog& log) { return AddLogTmpToLogFile(log, pathTask, id); }

    static RunLog logOf(std::initializer_list<const char*> lines) {
        RunLog log;
        for (const char* line : lines)
            log.AddLogText(line, color::kGreen);
        return log;
    }

    test::TempDir dir;
    std::string id = "AB12CD34";
    std::string pathTask = transferStoreFolder(dir.path(), id);
    std::string path = logFile(pathTask, id);
};

TEST_F(LogFile, TwoRunsGiveOneHeaderTwoBodiesAndOneTail) {
    const RunLog first = logOf({"run one"});
    const RunLog second = logOf({"run two", "Файл добавлен: ж"});
    ASSERT_EQ(add(first), LogFileUpdate::Created);
    EXPECT_EQ(readFile(path), first.document());

    ASSERT_EQ(add(second), LogFileUpdate::Extended);
    const std::string merged = readFile(path);
    EXPECT_EQ(merged.size(), first.document().size() - 4 + afterMarker(second.document()).size());
    EXPECT_EQ(count(merged, "{\\rtf1"), 1u);
    EXPECT_EQ(count(merged, RunLog::kMarker), 1u);
    EXPECT_EQ(count(merged, RunLog::kTail), 1u);
    EXPECT_LT(merged.find("run one"), merged.find("run two"));
    EXPECT_TRUE(wellFormed(merged));
    EXPECT_EQ(std::distance(fs::directory_iterator(pathTask), fs::directory_iterator()), 1)
        << "a temporary file stayed";
}

TEST_F(LogFile, RestartsFromThirteenMegabytesAndExtendsBelow) {
    const RunLog run = logOf({"new run"});
    // A document of exactly the given size: one group padded with text, then the classic tail.
    auto documentOf = [](std::int64_t size) {
        const std::string head = "{\\rtf1 ";
        const std::string tail = std::string(RunLog::kTail);
        return head + std::string(static_cast<std::size_t>(size) - head.size() - tail.size(), 'x') + tail;
    };

    writeFile(path, documentOf(kLogRestartSize));
    EXPECT_EQ(add(run), LogFileUpdate::Restarted);
    EXPECT_EQ(readFile(path), run.document());

    writeFile(path, documentOf(kLogRestartSize - 1));
    EXPECT_EQ(add(run), LogFileUpdate::Extended);
    // The padded document has no colour table: one is made for the colour the run uses.
    const std::string table = "{\\colortbl;\\red0\\green128\\blue0;}";
    EXPECT_EQ(fs::file_size(path),
              static_cast<std::uintmax_t>(kLogRestartSize - 1 - 4) + table.size() + afterMarker(run.document()).size());
    EXPECT_TRUE(readFile(path).ends_with(RunLog::kTail));
}

TEST_F(LogFile, ExtendsADocumentOfTheClassicRichTextControl) {
    const std::string classic =
        std::string("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 "
                    "Tahoma;}}\r\n{\\colortbl ;\\red128\\green0\\blue0;}\r\n"
                    "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 old line\\par\r\n}\r\n") +
        '\0';
    ASSERT_TRUE(classic.ends_with(RunLog::kTail));
    writeFile(path, classic);
    const RunLog run = logOf({"new line"});
    ASSERT_EQ(add(run), LogFileUpdate::Extended);
    const std::string merged = readFile(path);
    // Its table lacks the run's green: added at its end, and the run's lines refer to it there.
    std::string expected = classic.substr(0, classic.size() - 4) + afterMarker(run.document());
    expected.replace(expected.find("\\blue0;}"), 8, "\\blue0;\\red0\\green128\\blue0;}");
    expected.replace(expected.find("\\cf6"), 4, "\\cf2");
    EXPECT_EQ(merged, expected);
    EXPECT_TRUE(wellFormed(merged));
}

// The colour that the last \cfN before `at` selects in the document's table.
std::optional<RtfColor> colourAt(const std::string& doc, std::size_t at) {
    const auto table = findColorTable(doc);
    const auto cf = doc.rfind("\\cf", at);
    if (!table || cf == std::string::npos)
        return std::nullopt;
    const std::size_t index = std::stoul(doc.substr(cf + 3));
    if (index >= table->colors.size())
        return std::nullopt;
    return table->colors[index];
}

TEST_F(LogFile, ExtendsALogSavedByWordPadWithTheRunsOwnColours) {
    const std::string saved = readFile(TARVELA_FIXTURES "/log_saved_by_wordpad.rtf");
    const auto before = findColorTable(saved);
    ASSERT_TRUE(before && before->begin != std::string::npos);
    writeFile(path, saved);
    RunLog run;
    const std::pair<const char*, std::uint32_t> lines[] = {
        {"blue start", color::kBlue}, {"teal analysis", color::kTeal}, {"green progress", color::kGreen},
        {"red failure", color::kRed}, {"black notice", color::kBlack}, {"maroon start", color::kMaroon}};
    for (const auto& [text, c] : lines)
        run.AddLogText(text, c);
    ASSERT_EQ(add(run), LogFileUpdate::Extended);

    const std::string merged = readFile(path);
    EXPECT_TRUE(wellFormed(merged));
    EXPECT_LT(merged.find("Edited in WordPad"), merged.find("blue start")) << "the edited document is kept whole";
    const auto after = findColorTable(merged);
    ASSERT_TRUE(after);
    ASSERT_GE(after->colors.size(), before->colors.size());
    EXPECT_TRUE(std::equal(before->colors.begin(), before->colors.end(), after->colors.begin()))
        << "the document's own colours keep their numbers";
    for (const auto& [text, c] : lines) {
        const auto at = merged.find(text);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(colourAt(merged, at), (RtfColor{false, color::red(c), color::green(c), color::blue(c)})) << text;
    }
}

TEST_F(LogFile, MergedRunKeepsItsColoursInTheTableOfAnotherWriter) {
    // A log saved by a rich-text control: its own colour order, a colour of its own, no automatic
    // entry, and our marker gone.
    const std::string foreign =
        std::string("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Tahoma;}}\r\n"
                    "{\\colortbl\\red0\\green128\\blue0;\\red1\\green2\\blue3;\\red0\\green0\\blue255;}\r\n"
                    "\\pard\\cf2 blue line\\par\r\n\\cf0 green \\\\cf1 text\\par\r\n}\r\n") +
        '\0';
    writeFile(path, foreign);
    RunLog run;
    run.AddLogText("blue", color::kBlue);
    run.AddLogText("red \\cf3 text", color::kRed);
    run.AddLogText("green", color::kGreen);
    ASSERT_EQ(add(run), LogFileUpdate::Extended);
    const std::string merged = readFile(path);
    EXPECT_TRUE(wellFormed(merged));
    const auto table = findColorTable(merged);
    ASSERT_TRUE(table && table->begin != std::string_view::npos);
    const std::vector<RtfColor> expectedTable = {
        {false, 0, 128, 0}, {false, 1, 2, 3}, {false, 0, 0, 255}, {false, 255, 0, 0}};
    EXPECT_EQ(table->colors, expectedTable) << "the run's missing colours are added, the others found";
    const std::string body = merged.substr(merged.find("blue line"));
    EXPECT_NE(body.find("\\cf2\\b0 blue\\par"), std::string::npos) << body;
    EXPECT_NE(body.find("\\cf3\\b red \\\\cf3 text\\par"), std::string::npos) << "text is not a colour\n" << body;
    EXPECT_NE(body.find("\\cf0\\b0 green\\par"), std::string::npos) << body;
}

// Old logs whose header was damaged or hand-made, each merged with a well-formed run: the result is
// one document, and the run's lines keep their colours. The first is the fuzzer's finding: a stray
// byte in an entry and an escaped brace inside the colour table, where a search for the table's
// first '}' put the added entries between the backslash and its brace.
TEST_F(LogFile, DamagedHeaderOfAnOldLogNeverBreaksTheMergedDocument) {
    const std::string tail = std::string("\\viewkind4\\uc1\\pard old\\par\r\n}\r\n") + '\0';
    const std::string olds[] = {
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}{\\colortbl ;\\red0\xa6green0\\blue0;\\red0\\green0\\blue255\\}}" + tail,
        // the table's last entry lacks its ';'
        "{\\rtf1{\\colortbl ;\\red0\\green0\\blue255}" + tail,
        // no table, but its word in the text, escaped
        "{\\rtf1{\\fonttbl{\\f0 Tahoma;}}\\pard text \\{\\colortbl ;\\} here\\par " + tail,
        // no table, and a control symbol right after the opening control words
        "{\\rtf1\\ansi\\}\\{ braces\\par " + tail,
        // a table only inside another destination, which is no table of the document
        "{\\rtf1{\\*\\generator {\\colortbl ;\\red9\\green9\\blue9;}}" + tail,
    };
    RunLog run;
    const std::pair<const char*, std::uint32_t> lines[] = {
        {"blue start", color::kBlue}, {"green progress", color::kGreen}, {"red failure", color::kRed}};
    for (const auto& [text, c] : lines)
        run.AddLogText(text, c);
    for (const std::string& old : olds) {
        writeFile(path, old);
        ASSERT_EQ(add(run), LogFileUpdate::Extended) << old;
        std::string merged = readFile(path);
        EXPECT_LT(merged.find("old\\par"), merged.find("blue start")) << "the old text is kept\n" << merged;
        std::erase(merged, '\xa6'); // the old file's own stray byte; everything else must be well-formed
        EXPECT_TRUE(wellFormed(merged)) << old << "\n" << merged;
        for (const auto& [text, c] : lines) {
            const auto at = merged.find(text);
            ASSERT_NE(at, std::string::npos) << text;
            EXPECT_EQ(colourAt(merged, at), (RtfColor{false, color::red(c), color::green(c), color::blue(c)}))
                << text << "\n"
                << merged;
        }
    }
}

TEST_F(LogFile, ExistingFileThatIsNoDocumentToExtendIsStartedAfresh) {
    const RunLog run = logOf({"new"});
    struct Case {
        std::string old;
        bool extended;
    };
    const Case cases[] = {
        {"{\\rtf1 a}", true},     // no tail at all: the brace is kept whole
        {"{\\rtf1 a}\r\n", true}, // a tail that lost its NUL
        {"plain text\r\n", false},
        {"", false},
        {"{\\rtf1 unclosed\r\n", false},
        {"{\\rtf1 a}}\r\n", false},          // one brace too many
        {"{\\rtf1 a}{\\rtf1 b}\r\n", false}, // two documents
        {"{\\rtf1 a\\}", false},             // the last brace is text
        {"{\\rtf1 a}xyz", false},            // text after the document
    };
    for (const Case& c : cases) {
        writeFile(path, c.old);
        EXPECT_EQ(add(run), c.extended ? LogFileUpdate::Extended : LogFileUpdate::Restarted) << c.old;
        const std::string now = readFile(path);
        EXPECT_TRUE(wellFormed(now)) << c.old << "\n" << now;
        const std::string expected =
            c.extended ? "{\\rtf1 {\\colortbl;\\red0\\green128\\blue0;}a" + afterMarker(run.document())
                       : run.document();
        std::string remapped = expected;
        if (c.extended)
            remapped.replace(remapped.find("\\cf6"), 4, "\\cf1");
        EXPECT_EQ(now, remapped) << c.old;
    }
}

TEST_F(LogFile, NoStoreFolderWritesNothing) {
    fs::remove_all(pathTask);
    EXPECT_EQ(add(logOf({"x"})), LogFileUpdate::NoStoreFolder);
    EXPECT_FALSE(fs::exists(pathTask));
}

TEST_F(LogFile, FailureToCreateThrowsFailureWithAnExistingOneDropsTheRun) {
    // A name the system cannot create (its temporary sibling is longer than a file name may be).
    id = std::string(246, 'L');
    EXPECT_THROW(AddLogTmpToLogFile(logOf({"x"}), pathTask, id), FileError);
    EXPECT_FALSE(fs::exists(logFile(pathTask, id)));

    id = "AB12CD34";
    test::makeFolders(path + "/inside"); // a folder where the log should be
    EXPECT_EQ(add(logOf({"x"})), LogFileUpdate::Dropped);
    EXPECT_TRUE(fs::is_directory(path + "/inside"));
}

TEST_F(LogFile, LinkInPlaceOfTheLogIsReplacedNotFollowed) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a symbolic link, which mingw-w64's std::filesystem cannot make";
#endif
    const std::string outside = dir / "outside.rtf";
    const RunLog old = logOf({"secret"});
    writeFile(outside, old.document());
    fs::create_symlink(outside, path);
    const RunLog run = logOf({"new"});
    EXPECT_EQ(add(run), LogFileUpdate::Restarted);
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(readFile(path), run.document());
    EXPECT_EQ(readFile(outside), old.document());
}

} // namespace
} // namespace tarvela
