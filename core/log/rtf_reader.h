#pragma once
// Reads the RTF that rich-text controls write (our run logs, logs edited elsewhere) into
// paragraphs of coloured runs: groups, the font and colour tables, \cf, \b, \plain, \par, \line,
// \tab, \'hh in the current font's character set (\fcharset204: Windows-1251) or else the
// document's code page (\ansicpg: Windows-1251, otherwise Latin-1), \u with \uc,
// and ignorable destinations ({\*...}) and the usual non-text destinations, which are skipped.
// Everything else is ignored. Any input is accepted: the reader makes one pass over it, never
// reads past its end and bounds its group nesting, so a damaged or hostile file yields some text,
// never a crash or a hang.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

struct RtfRun {
    std::string text;                   // UTF-8; a line break inside the paragraph is U+2028
    std::optional<std::uint32_t> color; // 0x00BBGGRR from the colour table; empty: the default colour
    bool bold = false;
    friend bool operator==(const RtfRun&, const RtfRun&) = default;
};

struct RtfParagraph {
    std::vector<RtfRun> runs;
    std::string text() const; // the runs' text together
};

// The paragraphs of the document; a paragraph mark at the very end opens no further paragraph.
std::vector<RtfParagraph> readRtf(std::string_view document);

} // namespace tarvela
