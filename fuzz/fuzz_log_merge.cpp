// The log file: any two documents merge into one well-formed group or not at all, the RTF reader
// takes any bytes, and our own documents read back line for line after a merge.
#include "records/cp1251.h"
#include "fuzz_target.h"
#include "log/rtf_reader.h"
#include "log/run_log.h"
#include "records/utf8.h"

#include <string_view>

namespace {

// One group from the first byte to the last closing brace, escapes honoured; only CR, LF, NUL and
// spaces after it.
bool oneGroup(std::string_view doc) {
    if (doc.empty() || doc.front() != '{') return false;
    long depth = 0;
    std::size_t i = 0;
    for (; i < doc.size(); ++i) {
        const char c = doc[i];
        if (c == '\\') {
            ++i; // the escaped character, whatever it is
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            break;
        }
    }
    if (depth != 0) return false;
    return doc.find_first_not_of(std::string_view("\r\n\0 ", 4), i + 1) == std::string_view::npos;
}

// Our writer's shape: one group whose first marker stands at its top level.
bool oursInShape(std::string_view doc) {
    const auto marker = doc.find(tarvela::RunLog::kMarker);
    if (marker == std::string_view::npos || !oneGroup(doc)) return false;
    long depth = 0;
    for (std::size_t i = 0; i < marker; ++i) {
        if (doc[i] == '\\') {
            ++i;
        } else if (doc[i] == '{') {
            ++depth;
        } else if (doc[i] == '}') {
            --depth;
        }
    }
    return depth == 1;
}

// Lines of text that survive a log unchanged: valid UTF-8 without control characters.
std::vector<std::string> linesOf(std::string_view input) {
    std::vector<std::string> lines(1);
    tarvela::Utf8Decoder decoder(input);
    char32_t cp = 0;
    while (decoder.next(cp) && lines.size() < 50) {
        if (cp == '\n') {
            lines.emplace_back();
        } else if (cp != tarvela::kInvalidCodePoint && cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) &&
                   cp != 0x2028 && cp != 0x2029) {
            tarvela::appendUtf8(lines.back(), cp);
        }
    }
    return lines;
}

// The text with the numbers of colour references left out.
std::string withoutColorNumbers(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        for (const std::string_view word : {"\\cf", "\\cb", "\\highlight", "\\chcbpat"}) {
            if (text.substr(i).starts_with(word)) {
                out.append(word.substr(1));
                i += word.size();
                while (i < text.size() && (text[i] == '-' || (text[i] >= '0' && text[i] <= '9'))) ++i;
                --i;
                break;
            }
        }
    }
    return out;
}

std::string documentOf(const std::vector<std::string>& lines, std::uint32_t color) {
    tarvela::RunLog log;
    for (const auto& l : lines) log.AddLogText(l, color);
    return log.document();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tarvela::readRtf(input); // never crashes, never hangs

    // The first part (up to a 0x01 byte) plays an old log file of any origin, the rest a new run's
    // document (always our writer's in the program, so only one of its shape must merge well-formed).
    const auto split = input.find('\x01');
    const std::string_view old = input.substr(0, split);
    const std::string_view fresh = split == std::string_view::npos ? std::string_view{} : input.substr(split + 1);
    if (const auto merged = tarvela::mergeLogDocument(old, fresh)) {
        FUZZ_CHECK(!oursInShape(fresh) || oneGroup(*merged));
        // The run is appended whole; only its colour numbers may be translated into the old table.
        const std::string_view run =
            fresh.substr(fresh.find(tarvela::RunLog::kMarker) + tarvela::RunLog::kMarker.size());
        FUZZ_CHECK(withoutColorNumbers(*merged).ends_with(withoutColorNumbers(run)));
    }

    // Two runs of our own writer, merged, read back as their lines in order.
    const auto first = linesOf(old);
    const auto second = linesOf(fresh);
    const auto merged = tarvela::mergeLogDocument(documentOf(first, 0x0000FF), documentOf(second, 0x008000));
    FUZZ_CHECK(merged.has_value());
    FUZZ_CHECK(oneGroup(*merged));
    const auto paragraphs = tarvela::readRtf(*merged);
    FUZZ_CHECK(paragraphs.size() == first.size() + second.size());
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const std::string& expected = i < first.size() ? first[i] : second[i - first.size()];
        FUZZ_CHECK(paragraphs[i].text() == expected);
    }
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    tarvela::RunLog a;
    a.AddLogText("Старт программы. Сейчас 10 Декабря 2026 г -  четверг. Время: 9:05:03.", 0x000080);
    a.AddLogText("Анализ: /home/u/docs/", 0x808000);
    tarvela::RunLog b;
    b.AddLogText("Ошибка копирования файла: /x/{y}\\z 漢字", 0x0000FF);
    const std::string classic = "{\\rtf1\\ansi\\ansicpg1251{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard"
                                "\\cf1 \\'c0\\par\r\n}\r\n";
    // An old log whose colour table holds a stray byte and an escaped brace: the merge once put the
    // run's colours between that backslash and its brace, and the document fell apart.
    const std::string strayByte = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}{\\colortbl ;\\red0\xa6green0\\blue0;"
                                  "\\red0\\green0\\blue255\\}}\\viewkind4\\uc1\\pard old\\par\r\n}\r\n";
    return {a.document() + "\x01" + b.document(), classic + std::string(1, '\0') + "\x01" + b.document(),
            "{\\rtf1 {\\*\\x \\u-3?}\\'zz\\", "Line one\nLine two\x01Третья",
            strayByte + std::string(1, '\0') + "\x01" + a.document()};
}
