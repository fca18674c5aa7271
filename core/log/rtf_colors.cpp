#include "log/rtf_colors.h"

#include <cctype>

namespace tarvela {
namespace {

constexpr std::string_view kColorTable = "{\\colortbl";
constexpr std::string_view kFontTable = "{\\fonttbl";

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// One control word at text[i] == '\\': its name, its numeric parameter and where it ends (past the
// one space that may delimit it).
struct ControlWord {
    std::string_view name;
    std::optional<long> parameter;
    std::size_t end = 0;
};

ControlWord readControlWord(std::string_view text, std::size_t i) {
    ControlWord w;
    std::size_t j = i + 1;
    while (j < text.size() && isLetter(text[j]))
        ++j;
    w.name = text.substr(i + 1, j - i - 1);
    const std::size_t digits = j;
    if (j < text.size() && text[j] == '-')
        ++j;
    const std::size_t numberStart = j;
    long value = 0;
    while (j < text.size() && isDigit(text[j]) && j - numberStart < 9)
        value = value * 10 + (text[j++] - '0');
    if (j > numberStart) {
        w.parameter = text[digits] == '-' ? -value : value;
    } else {
        j = digits;
    }
    w.end = j < text.size() && text[j] == ' ' ? j + 1 : j;
    return w;
}

RtfColor parseEntry(std::string_view entry) {
    RtfColor c;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] != '\\')
            continue;
        const ControlWord w = readControlWord(entry, i);
        if (w.parameter) {
            const auto v = static_cast<unsigned>(*w.parameter) & 0xFF;
            if (w.name == "red")
                c.red = v, c.automatic = false;
            if (w.name == "green")
                c.green = v, c.automatic = false;
            if (w.name == "blue")
                c.blue = v, c.automatic = false;
        }
        i = w.end - 1;
    }
    return c;
}

std::string entryText(const RtfColor& c) {
    if (c.automatic)
        return ";";
    return "\\red" + std::to_string(c.red) + "\\green" + std::to_string(c.green) + "\\blue" + std::to_string(c.blue) +
           ";";
}

// Just past the group that opens at `open`, or npos when it is not closed.
std::size_t groupEnd(std::string_view text, std::size_t open) {
    long depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// The first group of the document's header that opens with `word` ("{\colortbl"): a real brace
// one level inside the document's own group, not an escaped "\{" of the text, not a table nested
// in another destination, and the word whole. npos when there is none.
std::size_t headerGroup(std::string_view document, std::string_view word) {
    long depth = 0;
    for (std::size_t i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (c == '\\') {
            ++i;
        } else if (c == '}') {
            --depth;
        } else if (c == '{' && ++depth == 2 && document.substr(i).starts_with(word) &&
                   (i + word.size() == document.size() || !isLetter(document[i + word.size()]))) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Where a colour table goes in a document without one: after the font table, else after the
// control words that open the document (never inside a control symbol or an escape).
std::size_t colorTablePlace(std::string_view document) {
    if (const auto fonts = headerGroup(document, kFontTable); fonts != std::string_view::npos) {
        if (const auto end = groupEnd(document, fonts); end != std::string_view::npos)
            return end;
    }
    std::size_t i = 1; // past the document's '{'
    while (i + 1 < document.size() && document[i] == '\\' && isLetter(document[i + 1]))
        i = readControlWord(document, i).end;
    return i;
}

} // namespace

std::optional<RtfColorTable> findColorTable(std::string_view document) {
    const auto begin = headerGroup(document, kColorTable);
    if (begin == std::string_view::npos)
        return RtfColorTable{};
    const auto end = groupEnd(document, begin);
    if (end == std::string_view::npos)
        return std::nullopt;
    RtfColorTable table;
    table.begin = begin;
    table.end = end;
    // Entries end at a ';' that is no escaped character; "\;" and "\'3b" belong to an entry.
    const std::string_view entries = document.substr(begin + kColorTable.size(), end - 1 - begin - kColorTable.size());
    std::size_t from = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == '\\') {
            ++i;
        } else if (entries[i] == ';') {
            table.colors.push_back(parseEntry(entries.substr(from, i - from)));
            from = i + 1;
        }
    }
    const std::string_view rest = entries.substr(from);
    if (rest.find_first_not_of(" \r\n\t") != std::string_view::npos)
        table.unterminated = parseEntry(rest);
    return table;
}

std::vector<std::size_t> mergeColorTable(std::string& document, const std::vector<RtfColor>& wanted,
                                         const std::vector<bool>& used) {
    auto table = findColorTable(document);
    if (!table)
        table = RtfColorTable{};
    std::vector<RtfColor> colors = table->colors;
    std::string added;
    // Text after the last ';' would run into the first added entry: it is ended as an entry of
    // its own, which is how it counts once anything follows it.
    if (table->unterminated) {
        colors.push_back(*table->unterminated);
        added = ";";
    }
    // A new table starts with the automatic colour, as rich-text writers make theirs.
    if (table->begin == std::string_view::npos) {
        colors.push_back(RtfColor{});
        added = ";";
    }
    std::vector<std::size_t> map;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const RtfColor& c = wanted[i];
        if (i >= used.size() || !used[i]) {
            map.push_back(i);
            continue;
        }
        std::size_t index = 0;
        while (index < colors.size() && !(colors[index] == c))
            ++index;
        if (index == colors.size()) {
            colors.push_back(c);
            added += entryText(c);
        }
        map.push_back(index);
    }
    if (table->begin != std::string_view::npos) {
        document.insert(table->end - 1, added); // before the table's '}'
    } else if (added.size() > 1) {
        document.insert(colorTablePlace(document), std::string(kColorTable) + added + "}");
    }
    return map;
}

std::vector<bool> colorsUsed(std::string_view fragment, std::size_t count) {
    std::vector<bool> used(count, false);
    for (std::size_t i = 0; i < fragment.size(); ++i) {
        if (fragment[i] != '\\')
            continue;
        if (i + 1 < fragment.size() && !isLetter(fragment[i + 1])) {
            ++i;
            continue;
        }
        const ControlWord w = readControlWord(fragment, i);
        const bool colour = w.name == "cf" || w.name == "cb" || w.name == "highlight" || w.name == "chcbpat";
        if (colour && w.parameter && *w.parameter >= 0 && static_cast<std::size_t>(*w.parameter) < count) {
            used[static_cast<std::size_t>(*w.parameter)] = true;
        }
        i = w.end - 1;
    }
    return used;
}

std::string remapColors(std::string_view fragment, const std::vector<std::size_t>& map) {
    std::string out;
    out.reserve(fragment.size());
    for (std::size_t i = 0; i < fragment.size(); ++i) {
        const char c = fragment[i];
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i + 1 < fragment.size() && !isLetter(fragment[i + 1])) {
            out.append(fragment.substr(i, 2)); // "\\", "\{", "\}", "\'" and the like: text
            ++i;
            continue;
        }
        const ControlWord w = readControlWord(fragment, i);
        const bool colour = w.name == "cf" || w.name == "cb" || w.name == "highlight" || w.name == "chcbpat";
        if (colour && w.parameter && *w.parameter >= 0 && static_cast<std::size_t>(*w.parameter) < map.size()) {
            out += "\\";
            out += w.name;
            out += std::to_string(map[static_cast<std::size_t>(*w.parameter)]);
            if (w.end > 0 && fragment[w.end - 1] == ' ')
                out.push_back(' ');
        } else {
            out.append(fragment.substr(i, w.end - i));
        }
        i = w.end - 1;
    }
    return out;
}

} // namespace tarvela
