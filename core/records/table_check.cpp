#include "records/table_check.h"

#include "base/errors.h"
#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"

#include <charconv>
#include <string_view>

namespace tarvela {
namespace {

constexpr std::string_view kFirstLine = "tarvela table check 1";
constexpr std::string_view kRecords = "records ";
constexpr std::string_view kCrc = "crc32 ";
constexpr std::string_view kUnreadable = "unreadable\t";
constexpr std::string_view kZone = "zone ";
constexpr std::string_view kMasks = "masks ";
constexpr std::string_view kMask = "mask\t";
// A check file is a few lines; anything much larger is not one of ours.
constexpr std::int64_t kMaxCheckSize = std::int64_t{16} << 20;

std::string escaped(std::string_view s) {
    std::string out;
    for (const char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

bool unescaped(std::string_view s, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) return false;
        if (s[i] == '\\') {
            out += '\\';
        } else if (s[i] == 'n') {
            out += '\n';
        } else if (s[i] == 'r') {
            out += '\r';
        } else {
            return false;
        }
    }
    return true;
}

template <typename T>
bool parseNumber(std::string_view text, T& value, int base) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parse(std::string_view text, TableCheck& out) {
    out = {};
    bool haveRecords = false;
    bool haveCrc = false;
    std::int64_t masksAnnounced = 0;
    bool first = true;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        if (lf == std::string_view::npos) return false; // every line ends with LF
        const std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf + 1);
        if (first) {
            if (line != kFirstLine) return false;
            first = false;
        } else if (line.starts_with(kRecords)) {
            if (haveRecords || !parseNumber(line.substr(kRecords.size()), out.records, 10) || out.records < 0)
                return false;
            haveRecords = true;
        } else if (line.starts_with(kCrc)) {
            const std::string_view hex = line.substr(kCrc.size());
            if (haveCrc || hex.size() != 8 || !parseNumber(hex, out.crc32, 16)) return false;
            haveCrc = true;
        } else if (line.starts_with(kUnreadable)) {
            std::string folder;
            if (!unescaped(line.substr(kUnreadable.size()), folder)) return false;
            out.unreadableFolders.push_back(std::move(folder));
        } else if (line.starts_with(kZone)) {
            if (!out.zone.empty()) return false;
            out.zone = line.substr(kZone.size());
        } else if (line.starts_with(kMasks)) {
            if (out.masks || !parseNumber(line.substr(kMasks.size()), masksAnnounced, 10) || masksAnnounced < 0)
                return false;
            out.masks.emplace();
        } else if (line.starts_with(kMask)) {
            std::string mask;
            if (!out.masks || static_cast<std::int64_t>(out.masks->size()) >= masksAnnounced ||
                !unescaped(line.substr(kMask.size()), mask))
                return false;
            out.masks->push_back(std::move(mask));
        } else {
            return false;
        }
    }
    if (out.masks && static_cast<std::int64_t>(out.masks->size()) != masksAnnounced) return false;
    return haveRecords && haveCrc;
}

} // namespace

std::string tableCheckPath(const std::string& tablePath) {
    std::string path = tablePath;
    if (path.ends_with(".dat")) path.resize(path.size() - 4);
    return path + ".chk";
}

void writeTableCheck(const std::string& tablePath, const TableCheck& check) {
    std::string text(kFirstLine);
    text += '\n';
    text += kRecords;
    text += std::to_string(check.records);
    text += '\n';
    char hex[9];
    const auto end = std::to_chars(hex, hex + 8, check.crc32, 16).ptr;
    text += kCrc;
    text.append(static_cast<std::size_t>(8 - (end - hex)), '0');
    text.append(hex, end);
    text += '\n';
    for (const std::string& folder : check.unreadableFolders) {
        text += kUnreadable;
        text += escaped(folder);
        text += '\n';
    }
    if (!check.zone.empty()) {
        text += kZone;
        text += check.zone;
        text += '\n';
    }
    if (check.masks) {
        text += kMasks;
        text += std::to_string(check.masks->size());
        text += '\n';
        for (const std::string& mask : *check.masks) {
            text += kMask;
            text += escaped(mask);
            text += '\n';
        }
    }
    platform::writeFileAtomically(tableCheckPath(tablePath), text.data(), text.size());
}

TableCheckState readTableCheck(const std::string& tablePath, TableCheck& out) {
    const std::string path = tableCheckPath(tablePath);
    const platform::PathKind kind = platform::pathKindNoFollow(path);
    if (kind == platform::PathKind::Missing) return TableCheckState::Missing;
    if (kind != platform::PathKind::File) return TableCheckState::Damaged;
    try {
        platform::FileReader reader(path);
        if (reader.size() > kMaxCheckSize) return TableCheckState::Damaged;
        std::string text(static_cast<std::size_t>(reader.size()), '\0');
        text.resize(reader.read(text.data(), text.size()));
        return parse(text, out) ? TableCheckState::Read : TableCheckState::Damaged;
    } catch (const FileError&) {
        return TableCheckState::Damaged;
    }
}

void removeTableFile(const std::string& tablePath) {
    platform::removeFile(tablePath);
    platform::removeFile(tableCheckPath(tablePath));
}

} // namespace tarvela
