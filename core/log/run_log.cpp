#include "log/run_log.h"

#include "records/cp1251.h"
#include "base/echo_color.h"
#include "records/utf8.h"

#include <array>
#include <cstddef>

namespace tarvela {
namespace {

// The colour table of every document: index 0 is the automatic colour, then the echo palette.
constexpr std::array<std::uint32_t, 8> kPalette = {
    color::kBlack, color::kMaroon, color::kBlue, color::kTeal, color::kPurple, color::kGreen, color::kRed, color::kOrange,
};
constexpr std::size_t kBlackIndex = 1;

std::size_t colorIndex(std::uint32_t c) {
    for (std::size_t i = 0; i < kPalette.size(); ++i) {
        if (kPalette[i] == c)
            return i + 1;
    }
    return kBlackIndex;
}

std::string header() {
    std::string h = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Tahoma;}}\r\n"
                    "{\\colortbl ;";
    for (const std::uint32_t c : kPalette) {
        h += "\\red" + std::to_string(color::red(c)) + "\\green" + std::to_string(color::green(c)) + "\\blue" +
             std::to_string(color::blue(c)) + ";";
    }
    h += "}\r\n";
    return h;
}

void appendHexByte(std::string& out, unsigned char b) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\'";
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0xF]);
}

// A character outside the code page: its UTF-16 units as signed 16-bit \u values, each followed by
// the one fallback character that \uc1 announces.
void appendUnicode(std::string& out, char32_t cp) {
    auto unit = [&out](unsigned u) {
        out += "\\u" + std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(u))) + "?";
    };
    if (cp > 0xFFFF) {
        const char32_t v = cp - 0x10000;
        unit(0xD800 + (v >> 10));
        unit(0xDC00 + (v & 0x3FF));
    } else {
        unit(cp);
    }
}

// Line text (UTF-8) as RTF text. The code-page conversion yields exactly one byte per decoded
// character ('?' for one it lacks and for each byte of an invalid sequence), so the two are walked
// side by side.
void appendText(std::string& out, std::string_view utf8) {
    const std::string bytes = utf8ToCp1251(utf8);
    Utf8Decoder decoder(utf8);
    char32_t cp = 0;
    char32_t previous = 0;
    for (std::size_t i = 0; decoder.next(cp); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (cp == kInvalidCodePoint) {
            appendUnicode(out, 0xFFFD);
        } else if (b == '?' && cp != '?') {
            appendUnicode(out, cp);
        } else if (b == '\\' || b == '{' || b == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(b));
        } else if (b == '\t') {
            out += "\\tab ";
        } else if (b == '\n' || b == '\r') {
            // A line break inside the line (a file name may hold one); CR LF is one break.
            if (!(b == '\n' && previous == '\r'))
                out += "\\line ";
        } else if (b < 0x20 || b >= 0x80) {
            appendHexByte(out, b);
        } else {
            out.push_back(static_cast<char>(b));
        }
        previous = cp;
    }
}

} // namespace

void RunLog::AddLogText(std::string_view text, std::uint32_t c) {
    const std::uint32_t normal = color::normalized(c);
    body_ += "\\f0\\fs20\\cf" + std::to_string(colorIndex(normal));
    body_ += color::isBold(normal) ? "\\b " : "\\b0 ";
    appendText(body_, text);
    body_ += "\\par\r\n";
}

std::string RunLog::document() const {
    std::string doc = header();
    doc.reserve(doc.size() + kMarker.size() + body_.size() + kTail.size());
    doc += kMarker;
    doc += body_;
    doc += kTail;
    return doc;
}

} // namespace tarvela
