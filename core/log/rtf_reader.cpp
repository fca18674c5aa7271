#include "log/rtf_reader.h"

#include "records/cp1251.h"
#include "records/utf8.h"

#include <algorithm>
#include <array>
#include <climits>
#include <utility>

namespace tarvela {
namespace {

constexpr std::size_t kMaxDepth = 256;     // deeper groups are counted, not kept
constexpr std::size_t kMaxWordLength = 32; // a longer control word is cut (the rest is consumed)
constexpr int kMaxSkip = 16;               // \uc beyond this is taken as this

enum class Destination { Text, FontTable, ColorTable, Skip };

struct GroupState {
    Destination destination = Destination::Text;
    bool bold = false;
    long colorIndex = 0;
    long font = -1; // \fN of the text; -1: the document's default font (\deff)
    int unicodeSkip = 1;
    bool ignorable = false; // the group began with \*
    bool firstWord = true;  // no control word seen in this group yet
};

// Destinations whose content is not text of the document.
constexpr std::array<std::string_view, 36> kSkippedDestinations = {
    "stylesheet",
    "info",
    "pict",
    "object",
    "header",
    "headerl",
    "headerr",
    "headerf",
    "footer",
    "footerl",
    "footerr",
    "footerf",
    "footnote",
    "annotation",
    "xe",
    "tc",
    "fldinst",
    "themedata",
    "colorschememapping",
    "datastore",
    "latentstyles",
    "listtable",
    "listoverridetable",
    "rsidtbl",
    "generator",
    "mmathPr",
    "filetbl",
    "revtbl",
    "bkmkstart",
    "bkmkend",
    "author",
    "operator",
    "title",
    "pntext",
    "listtext",
    "nonshppict",
};

// Control words that stand for one character.
constexpr std::pair<std::string_view, char32_t> kSymbolWords[] = {
    {"emdash", 0x2014}, {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
    {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Reader {
public:
    explicit Reader(std::string_view doc) : doc_(doc) { paragraphs_.emplace_back(); }

    std::vector<RtfParagraph> read() {
        while (pos_ < doc_.size()) {
            const char c = doc_[pos_];
            if (c == '{') {
                ++pos_;
                openGroup();
            } else if (c == '}') {
                ++pos_;
                closeGroup();
            } else if (c == '\\') {
                control();
            } else {
                ++pos_;
                if (c != '\r' && c != '\n' && c != '\0')
                    byte(static_cast<unsigned char>(c));
            }
        }
        flushHighSurrogate();
        if (paragraphs_.size() > 1 && paragraphs_.back().runs.empty())
            paragraphs_.pop_back();
        return std::move(paragraphs_);
    }

private:
    GroupState& state() { return stack_.back(); }

    void openGroup() {
        skip_ = 0;
        if (stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        GroupState inner = state();
        inner.ignorable = false;
        inner.firstWord = true;
        stack_.push_back(inner);
    }

    void closeGroup() {
        skip_ = 0;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (stack_.size() > 1)
            stack_.pop_back();
    }

    void control() {
        if (pos_ + 1 >= doc_.size()) {
            pos_ = doc_.size();
            return;
        }
        const char d = doc_[pos_ + 1];
        if (isLetter(d)) {
            controlWord();
            return;
        }
        pos_ += 2;
        switch (d) {
        case '\'': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < doc_.size() && hexValue(doc_[pos_]) >= 0) {
                value = value * 16 + hexValue(doc_[pos_]);
                ++pos_;
                ++digits;
            }
            if (digits > 0)
                byte(static_cast<unsigned char>(value));
            break;
        }
        case '*':
            state().ignorable = true;
            break;
        case '\\':
        case '{':
        case '}':
            byte(static_cast<unsigned char>(d));
            break;
        case '~':
            character(0x00A0);
            break;
        case '_':
            character(0x2011);
            break;
        case '\n':
        case '\r':
            paragraph();
            break;
        default:
            break; // \- (optional hyphen) and unknown symbols
        }
    }

    void controlWord() {
        ++pos_; // the backslash
        std::string word;
        while (pos_ < doc_.size() && isLetter(doc_[pos_])) {
            if (word.size() < kMaxWordLength)
                word.push_back(doc_[pos_]);
            ++pos_;
        }
        bool negative = false;
        if (pos_ + 1 < doc_.size() && doc_[pos_] == '-' && isDigit(doc_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        bool hasParam = false;
        long long param = 0;
        while (pos_ < doc_.size() && isDigit(doc_[pos_])) {
            hasParam = true;
            param = std::min<long long>(param * 10 + (doc_[pos_] - '0'), INT_MAX);
            ++pos_;
        }
        if (negative)
            param = -param;
        if (pos_ < doc_.size() && doc_[pos_] == ' ')
            ++pos_;
        apply(word, hasParam, static_cast<long>(param));
    }

    void apply(const std::string& word, bool hasParam, long param) {
        GroupState& s = state();
        const bool first = s.firstWord;
        s.firstWord = false;
        if (s.destination == Destination::Skip)
            return;
        if (first && s.ignorable) {
            s.destination = Destination::Skip;
            return;
        }
        if (word == "fonttbl") {
            s.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            s.destination = Destination::ColorTable;
            colors_.clear();
            resetColor();
        } else if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
                   kSkippedDestinations.end()) {
            s.destination = Destination::Skip;
        } else if (s.destination == Destination::ColorTable) {
            colorComponent(word, param);
        } else if (s.destination == Destination::FontTable) {
            fontEntry(word, param);
        } else if (s.destination != Destination::Text) {
            return;
        } else if (word == "ansicpg") {
            codePage_ = param;
        } else if (word == "deff") {
            defaultFont_ = param;
        } else if (word == "f") {
            s.font = param;
        } else if (word == "par") {
            paragraph();
        } else if (word == "line") {
            character(0x2028);
        } else if (word == "tab") {
            character('\t');
        } else if (word == "plain") {
            s.bold = false;
            s.colorIndex = 0;
        } else if (word == "b") {
            s.bold = !hasParam || param != 0;
        } else if (word == "cf") {
            s.colorIndex = param;
        } else if (word == "uc") {
            s.unicodeSkip = static_cast<int>(std::clamp<long>(param, 0, kMaxSkip));
        } else if (word == "u") {
            unicode(param);
        } else {
            for (const auto& [name, cp] : kSymbolWords) {
                if (word == name)
                    character(cp);
            }
        }
    }

    // A font of the font table and its character set: a rich-text control may save Cyrillic text
    // under \ansicpg1252 with a font of charset 204 (Windows-1251).
    void fontEntry(const std::string& word, long param) {
        if (word == "f") {
            tableFont_ = param;
        } else if (word == "fcharset" && tableFont_ >= 0 && fontCharsets_.size() < 4096) {
            fontCharsets_.emplace_back(tableFont_, param);
        }
    }

    // Whether a byte of the current text is Windows-1251: the font's character set says so, or
    // the font leaves it to the document's code page (ANSI 0, default 1, or no charset) and that
    // is 1251.
    bool textIsCp1251() const {
        const long font = stack_.back().font >= 0 ? stack_.back().font : defaultFont_;
        long charset = -1;
        for (const auto& [number, set] : fontCharsets_) {
            if (number == font)
                charset = set;
        }
        if (charset == 204)
            return true;
        return (charset < 0 || charset == 0 || charset == 1) && codePage_ == 1251;
    }

    void resetColor() {
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }

    void colorComponent(const std::string& word, long param) {
        const auto part = static_cast<std::uint32_t>(std::clamp<long>(param, 0, 255));
        if (word == "red") {
            red_ = part;
        } else if (word == "green") {
            green_ = part;
        } else if (word == "blue") {
            blue_ = part;
        } else {
            return;
        }
        colorSet_ = true;
    }

    // One byte of text in the current destination.
    void byte(unsigned char b) {
        GroupState& s = state();
        if (s.destination == Destination::ColorTable) {
            if (b == ';') {
                if (colors_.size() < 4096)
                    colors_.push_back(colorSet_ ? std::optional<std::uint32_t>(red_ | green_ << 8 | blue_ << 16)
                                                : std::nullopt);
                resetColor();
            }
            return;
        }
        if (s.destination != Destination::Text)
            return;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        flushHighSurrogate();
        if (b < 0x80) {
            append(std::string(1, static_cast<char>(b)));
        } else if (textIsCp1251()) {
            append(cp1251ToUtf8(std::string(1, static_cast<char>(b))));
        } else {
            std::string out;
            appendUtf8(out, b);
            append(out);
        }
    }

    void character(char32_t cp) {
        if (state().destination != Destination::Text)
            return;
        flushHighSurrogate();
        std::string out;
        appendUtf8(out, cp);
        append(out);
    }

    // \uN: a signed 16-bit UTF-16 unit; the next \uc characters are the fallback for readers
    // without Unicode and are skipped.
    void unicode(long param) {
        const auto unit = static_cast<char32_t>(param < 0 ? param + 65536 : param) & 0xFFFF;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            flushHighSurrogate();
            high_ = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (high_ != 0) {
                const char32_t cp = 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00);
                high_ = 0;
                character(cp);
            } else {
                character(0xFFFD);
            }
        } else {
            character(unit);
        }
        skip_ = state().unicodeSkip;
    }

    void flushHighSurrogate() {
        if (high_ == 0)
            return;
        high_ = 0;
        std::string out;
        appendUtf8(out, 0xFFFD);
        append(out);
    }

    void paragraph() {
        flushHighSurrogate();
        skip_ = 0;
        paragraphs_.emplace_back();
    }

    void append(const std::string& text) {
        const GroupState& s = state();
        std::optional<std::uint32_t> color;
        if (s.colorIndex > 0 && static_cast<std::size_t>(s.colorIndex) < colors_.size())
            color = colors_[static_cast<std::size_t>(s.colorIndex)];
        std::vector<RtfRun>& runs = paragraphs_.back().runs;
        if (!runs.empty() && runs.back().color == color && runs.back().bold == s.bold) {
            runs.back().text += text;
        } else {
            runs.push_back({text, color, s.bold});
        }
    }

    std::string_view doc_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_{GroupState{}};
    std::size_t overflow_ = 0;
    std::vector<std::optional<std::uint32_t>> colors_;
    std::uint32_t red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    long codePage_ = 1252;
    long defaultFont_ = 0;
    long tableFont_ = -1;
    std::vector<std::pair<long, long>> fontCharsets_; // font number, \fcharset
    int skip_ = 0;
    char32_t high_ = 0;
    std::vector<RtfParagraph> paragraphs_;
};

} // namespace

std::string RtfParagraph::text() const {
    std::string all;
    for (const RtfRun& r : runs)
        all += r.text;
    return all;
}

std::vector<RtfParagraph> readRtf(std::string_view document) {
    return Reader(document).read();
}

} // namespace tarvela
