// The RTF reader: what the engine's log writer and rich-text controls write, and hostile input.
#include "base/echo_color.h"
#include "rtf_reader.h"
#include "log/run_log.h"

#include <fstream>
#include <iterator>

#include <QTest>

#include <random>

using namespace tarvela;
using namespace tarvela::ui;

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void readsTheEngineLog();
    void readsControlWordsOfRichTextControls();
    void unicodeWithFallback();
    void skipsIgnorableAndNonTextDestinations();
    void survivesHostileInput();
    void survivesRandomBytes();
    void readsARunMergedIntoALogSavedByWordPad();
};

void TestRtfReader::readsTheEngineLog() {
    RunLog log;
    log.AddLogText("Старт программы", color::kMaroon);
    log.AddLogText("Ошибка: {скобки} и \\ обратная черта", color::kRed);
    log.AddLogText("Ёж ☃ 😀", color::kGreen);
    log.AddLogText("", color::kBlue);
    log.AddLogText("две\nстроки", color::kNone);
    const std::vector<RtfParagraph> p = readRtf(log.document());
    QCOMPARE(p.size(), std::size_t{5});
    QCOMPARE(QString::fromStdString(p[0].text()), QStringLiteral("Старт программы"));
    QCOMPARE(p[0].runs[0].color, std::optional<std::uint32_t>(color::kMaroon));
    QVERIFY(!p[0].runs[0].bold);
    QCOMPARE(QString::fromStdString(p[1].text()), QStringLiteral("Ошибка: {скобки} и \\ обратная черта"));
    QVERIFY(p[1].runs[0].bold);
    QCOMPARE(p[1].runs[0].color, std::optional<std::uint32_t>(color::kRed));
    QCOMPARE(QString::fromStdString(p[2].text()), QStringLiteral("Ёж ☃ 😀"));
    QVERIFY(p[3].runs.empty());
    QCOMPARE(QString::fromStdString(p[4].text()), QStringLiteral("две\u2028строки"));
    QCOMPARE(p[4].runs[0].color, std::optional<std::uint32_t>(color::kBlack));
}

void TestRtfReader::readsControlWordsOfRichTextControls() {
    const std::string doc = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Tahoma;}}\r\n"
                            "{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                            "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par\r\n"
                            "\\cf2\\b \\'ee\\'e4\\b0 \\cf0 na\\tab b\\~c\\par\r\n"
                            "{\\b inner}\\plain outer\\par\r\n}\r\n";
    const std::vector<RtfParagraph> p = readRtf(doc + std::string(1, '\0'));
    QCOMPARE(p.size(), std::size_t{3});
    QCOMPARE(QString::fromStdString(p[0].text()), QStringLiteral("Привет"));
    QCOMPARE(p[0].runs[0].color, std::optional<std::uint32_t>(0x000080));
    QCOMPARE(p[1].runs.size(), std::size_t{2});
    QCOMPARE(QString::fromStdString(p[1].runs[0].text), QStringLiteral("од"));
    QVERIFY(p[1].runs[0].bold);
    QCOMPARE(p[1].runs[0].color, std::optional<std::uint32_t>(0xFF0000));
    QCOMPARE(QString::fromStdString(p[1].runs[1].text), QStringLiteral("na\tb\u00A0c"));
    QVERIFY(!p[1].runs[1].color.has_value());
    QCOMPARE(p[2].runs.size(), std::size_t{2});
    QVERIFY(p[2].runs[0].bold);
    QVERIFY(!p[2].runs[1].bold);
    QCOMPARE(QString::fromStdString(readRtf("{\\rtf1 a\\emdash b\\bullet\\ldblquote}")[0].text()),
             QStringLiteral("a—b•“"));
    // Without \ansicpg1251 the bytes are Latin-1.
    QCOMPARE(QString::fromStdString(readRtf("{\\rtf1\\ansi caf\\'e9}")[0].text()), QStringLiteral("café"));
}

void TestRtfReader::unicodeWithFallback() {
    QCOMPARE(QString::fromStdString(readRtf("{\\rtf1\\uc1\\u1046?\\u-10179?\\u-8704?x}")[0].text()),
             QStringLiteral("Ж😀x"));
    QCOMPARE(QString::fromStdString(readRtf("{\\rtf1\\uc2\\u1046\\'3f\\'3fy}")[0].text()), QStringLiteral("Жy"));
    QCOMPARE(QString::fromStdString(readRtf("{\\rtf1\\uc0\\u1046 z}")[0].text()), QStringLiteral("Жz"));
    // A lone surrogate becomes the replacement character.
    QCOMPARE(QString::fromStdString(readRtf("{\\rtf1\\u-10179?a}")[0].text()), QStringLiteral("\uFFFDa"));
}

void TestRtfReader::skipsIgnorableAndNonTextDestinations() {
    const std::string doc = "{\\rtf1{\\*\\generator Writer 1.0;}{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}"
                            "{\\*\\unknown {deep {deeper}} text}{\\pict 89504e47}visible\\par}";
    const std::vector<RtfParagraph> p = readRtf(doc);
    QCOMPARE(p.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(p[0].text()), QStringLiteral("visible"));
}

void TestRtfReader::survivesHostileInput() {
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
    for (const std::string& input : inputs) {
        const std::vector<RtfParagraph> p = readRtf(input);
        QVERIFY(!p.empty());
    }
    QCOMPARE(QString::fromStdString(readRtf(std::string(100000, '{') + "x" + std::string(100000, '}'))[0].text()),
             QStringLiteral("x"));
    QCOMPARE(QString::fromStdString(readRtf(std::string(100000, '}') + "after")[0].text()), QStringLiteral("after"));
}

void TestRtfReader::survivesRandomBytes() {
    std::mt19937 random(20261210);
    const std::string alphabet = "{}\\'*abcuf0123456789- ;\r\n\xcf\xff";
    for (int round = 0; round < 2000; ++round) {
        std::string input(static_cast<std::size_t>(random() % 400), '\0');
        for (char& c : input) {
            const auto r = random();
            c = (r & 1) != 0 ? static_cast<char>(r >> 8) : alphabet[(r >> 8) % alphabet.size()];
        }
        const std::vector<RtfParagraph> p = readRtf(input);
        QVERIFY(!p.empty());
        for (const RtfParagraph& paragraph : p) {
            for (const RtfRun& run : paragraph.runs)
                QVERIFY(QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size())).toUtf8() ==
                        QByteArray::fromStdString(run.text));
        }
    }
}

// A log that WordPad (Wine's RichEdit) saved, extended by a run: the viewer shows the old lines and
// the run's lines, each in its own colour.
void TestRtfReader::readsARunMergedIntoALogSavedByWordPad() {
    std::ifstream in(TARVELA_FIXTURES "/log_saved_by_wordpad.rtf", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(!saved.empty());
    RunLog run;
    run.AddLogText("Анализ: /дом/", color::kTeal);
    run.AddLogText("Копирование файлов завершено", color::kGreen);
    run.AddLogText("Отсутствует файл: x", color::kRed);
    const auto merged = mergeLogDocument(saved, run.document());
    QVERIFY(merged.has_value());
    const std::vector<RtfParagraph> p = readRtf(*merged);
    QVERIFY(p.size() >= 3);
    QCOMPARE(QString::fromStdString(p[0].text()),
             QStringLiteral("Старт программы. Сейчас 10 декабря 2026 г - четверг. Время: 14:00:00."));
    QCOMPARE(p[0].runs[0].color, std::optional<std::uint32_t>(color::kMaroon));
    const std::size_t n = p.size();
    QCOMPARE(QString::fromStdString(p[n - 3].text()), QStringLiteral("Анализ: /дом/"));
    QCOMPARE(p[n - 3].runs[0].color, std::optional<std::uint32_t>(color::kTeal));
    QCOMPARE(p[n - 2].runs[0].color, std::optional<std::uint32_t>(color::kGreen));
    QCOMPARE(QString::fromStdString(p[n - 1].text()), QStringLiteral("Отсутствует файл: x"));
    QCOMPARE(p[n - 1].runs[0].color, std::optional<std::uint32_t>(color::kRed));
    QVERIFY(p[n - 1].runs[0].bold);
}

QTEST_MAIN(TestRtfReader)
#include "test_rtf_reader.moc"
