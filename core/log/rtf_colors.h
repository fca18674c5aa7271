#pragma once
// The colour table of an RTF document. A document's text refers to its colours by index (\cfN), so
// a run's text appended to a log that another writer saved (a platform's rich-text control keeps a
// table of its own) must have its indexes translated into that document's table.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

struct RtfColor {
    bool automatic = true; // an empty entry: the reader's default colour
    unsigned red = 0, green = 0, blue = 0;
    friend bool operator==(const RtfColor&, const RtfColor&) = default;
};

// The "{\colortbl ...}" group of a document's header (a real group one level inside the document's,
// found and closed with escapes honoured): where it stands and its entries in order.
struct RtfColorTable {
    std::size_t begin = std::string_view::npos; // its '{'; npos when the document has none
    std::size_t end = 0;                        // just past its '}'
    std::vector<RtfColor> colors;
    // Text after the last ';' (a table cut short or hand-made): the entry it becomes once a ';'
    // ends it, as one must before anything is added after it.
    std::optional<RtfColor> unterminated;
};
std::optional<RtfColorTable> findColorTable(std::string_view document);

// Adds the colours of `wanted` that `used` marks and the table of `document` lacks (making a table
// when it has none) and returns, for each index of `wanted`, the index of that colour in the
// document's table (an unused one keeps its own index).
std::vector<std::size_t> mergeColorTable(std::string& document, const std::vector<RtfColor>& wanted,
                                         const std::vector<bool>& used);

// Which of `count` colour indexes the fragment refers to.
std::vector<bool> colorsUsed(std::string_view fragment, std::size_t count);

// The fragment with every colour reference (\cf, \cb, \highlight, \chcbpat) translated through map;
// an index outside the map stays. Escaped characters ("\\", "\{", "\'hh") are text and stay.
std::string remapColors(std::string_view fragment, const std::vector<std::size_t>& map);

} // namespace tarvela
