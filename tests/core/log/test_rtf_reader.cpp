// The RTF reader: what the engine's log writer and rich-text controls write, and hostile input.
#include "base/echo_color.h"
#include "log/rtf_reader.h"
#include "log/run_log.h"
#include "records/utf8.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace tarvela {
namespace {

using Color = std::optional<std::uint32_t>;

std::string firstText(std::string_view document) {
    return readRtf(document).at(0).text();
}

bool isValidUtf8(const std::string& text) {
    Utf8Decoder decoder(text);
    for (char32_t cp = 0; decoder.next(cp);) {
        if (cp == kInvalidCodePoint)
            return false;
    }
    return true;
}

TEST(RtfReader, ReadsTheEngineLog) {
    RunLog log;
    log.AddLogText("Старт программы", color::kMaroon);
    log.AddLogText("Ошибка: {скобки} и \\ обратная черта", color::kRed);
    log.AddLogText("Ёж ☃ 😀", color::kGreen);
    log.AddLogText("", color::kBlue);
    log.AddLogText("две\nстроки", color::kNone);
    const std::vector<RtfParagraph> p = readRtf(log.document());
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].text(), "Старт программы");
    EXPECT_EQ(p[0].runs[0].color, Color(color::kMaroon));
    EXPECT_FALSE(p[0].runs[0].bold);
    EXPECT_EQ(p[1].text(), "Ошибка: {скобки} и \\ обратная черта");
    EXPECT_TRUE(p[1].runs[0].bold);
    EXPECT_EQ(p[1].runs[0].color, Color(color::kRed));
    EXPECT_EQ(p[2].text(), "Ёж ☃ 😀");
    EXPECT_TRUE(p[3].runs.empty());
    EXPECT_EQ(p[4].text(), "две\u2028строки");
    EXPECT_EQ(p[4].runs[0].color, Color(color::kBlack));
}

TEST(RtfReader, ReadsControlWordsOfRichTextControls) {
    const std::string doc = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Tahoma;}}\r\n"
                            "{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                            "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par\r\n"
                            "\\cf2\\b \\'ee\\'e4\\b0 \\cf0 na\\tab b\\~c\\par\r\n"
                            "{\\b inner}\\plain outer\\par\r\n}\r\n";
    const std::vector<RtfParagraph> p = readRtf(doc + std::string(1, '\0'));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].text(), "Привет");
    EXPECT_EQ(p[0].runs[0].color, Color(0x000080));
    ASSERT_EQ(p[1].runs.size(), 2u);
    EXPECT_EQ(p[1].runs[0].text, "од");
    EXPECT_TRUE(p[1].runs[0].bold);
    EXPECT_EQ(p[1].runs[0].color, Color(0xFF0000));
    EXPECT_EQ(p[1].runs[1].text, "na\tb\u00A0c");
    EXPECT_FALSE(p[1].runs[1].color.has_value());
    ASSERT_EQ(p[2].runs.size(), 2u);
    EXPECT_TRUE(p[2].runs[0].bold);
    EXPECT_FALSE(p[2].runs[1].bold);
    EXPECT_EQ(firstText("{\\rtf1 a\\emdash b\\bullet\\ldblquote}"), "a—b•“");
    // Without \ansicpg1251 the bytes are Latin-1.
    EXPECT_EQ(firstText("{\\rtf1\\ansi caf\\'e9}"), "café");
}

TEST(RtfReader, UnicodeWithFallback) {
    EXPECT_EQ(firstText("{\\rtf1\\uc1\\u1046?\\u-10179?\\u-8704?x}"), "Ж😀x");
    EXPECT_EQ(firstText("{\\rtf1\\uc2\\u1046\\'3f\\'3fy}"), "Жy");
    EXPECT_EQ(firstText("{\\rtf1\\uc0\\u1046 z}"), "Жz");
    // A lone surrogate becomes the replacement character.
    EXPECT_EQ(firstText("{\\rtf1\\u-10179?a}"), "\uFFFDa");
}

TEST(RtfReader, SkipsIgnorableAndNonTextDestinations) {
    const std::string doc = "{\\rtf1{\\*\\generator Writer 1.0;}{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}"
                            "{\\*\\unknown {deep {deeper}} text}{\\pict 89504e47}visible\\par}";
    const std::vector<RtfParagraph> p = readRtf(doc);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].text(), "visible");
}

TEST(RtfReader, SurvivesHostileInput) {
    const std::vector<std::string> inputs = {
        "",
        "\\",
        "{",
        "}}}}}",
        "{\\rtf1\\'",
        "{\\rtf1\\'z",
        "{\\rtf1\\u",
        "{\\rtf1\\u-",
        "{\\rtf1\\u99999999999999999999 x}",
        "{\\rtf1\\uc99999999999\\u65 abc}",
        "{\\rtf1\\cf-5 x\\cf99999999999 y}",
        "{\\colortbl\\red999\\green-4\\blue;}{\\rtf1\\cf1 z}",
        std::string(100000, '{') + "x" + std::string(100000, '}'),
        std::string(100000, '}') + "after",
        "{\\" + std::string(100000, 'a') + " x}",
        "{\\rtf1 \\" + std::string(5000, '9') + "}",
        std::string("{\\rtf1 a\0b}", 11),
    };
    for (const std::string& input : inputs)
        EXPECT_FALSE(readRtf(input).empty()) << input.substr(0, 40);
    EXPECT_EQ(firstText(std::string(100000, '{') + "x" + std::string(100000, '}')), "x");
    EXPECT_EQ(firstText(std::string(100000, '}') + "after"), "after");
}

TEST(RtfReader, SurvivesRandomBytesAndYieldsValidUtf8) {
    std::mt19937 random(20261210);
    const std::string alphabet = "{}\\'*abcuf0123456789- ;\r\n\xcf\xff";
    for (int round = 0; round < 2000; ++round) {
        std::string input(static_cast<std::size_t>(random() % 400), '\0');
        for (char& c : input) {
            const auto r = random();
            c = (r & 1) != 0 ? static_cast<char>(r >> 8) : alphabet[(r >> 8) % alphabet.size()];
        }
        const std::vector<RtfParagraph> p = readRtf(input);
        ASSERT_FALSE(p.empty());
        for (const RtfParagraph& paragraph : p) {
            for (const RtfRun& run : paragraph.runs)
                ASSERT_TRUE(isValidUtf8(run.text)) << "round " << round;
        }
    }
}

// A log that WordPad (Wine's RichEdit) saved, extended by a run: the reader shows the old lines and
// the run's lines, each in its own colour.
TEST(RtfReader, ReadsARunMergedIntoALogSavedByWordPad) {
    std::ifstream in(TARVELA_FIXTURES "/log_saved_by_wordpad.rtf", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(saved.empty());
    RunLog run;
    run.AddLogText("Анализ: /дом/", color::kTeal);
    run.AddLogText("Копирование файлов завершено", color::kGreen);
    run.AddLogText("Отсутствует файл: x", color::kRed);
    const auto merged = mergeLogDocument(saved, run.document());
    ASSERT_TRUE(merged.has_value());
    const std::vector<RtfParagraph> p = readRtf(*merged);
    ASSERT_GE(p.size(), 3u);
    EXPECT_EQ(p[0].text(), "Старт программы. Сейчас 10 декабря 2026 г - четверг. Время: 14:00:00.");
    EXPECT_EQ(p[0].runs[0].color, Color(color::kMaroon));
    const std::size_t n = p.size();
    EXPECT_EQ(p[n - 3].text(), "Анализ: /дом/");
    EXPECT_EQ(p[n - 3].runs[0].color, Color(color::kTeal));
    EXPECT_EQ(p[n - 2].runs[0].color, Color(color::kGreen));
    EXPECT_EQ(p[n - 1].text(), "Отсутствует файл: x");
    EXPECT_EQ(p[n - 1].runs[0].color, Color(color::kRed));
    EXPECT_TRUE(p[n - 1].runs[0].bold);
}

} // namespace
} // namespace tarvela
