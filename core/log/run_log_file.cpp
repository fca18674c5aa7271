// The profile's log file: one header, the bodies of all logged runs in order, one tail.
#include "log/run_log.h"

#include "base/errors.h"
#include "log/rtf_colors.h"
#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "records/store_layout.h"

namespace tarvela {
namespace {

constexpr std::string_view kDocumentStart = "{\\rtf";

bool isTrailing(char c) {
    return c == '\0' || c == '\r' || c == '\n' || c == ' ';
}

// Position of the brace that closes the document's outermost group, when the document is one
// balanced group from its first byte to that brace followed by nothing but line ends, spaces and
// NULs; npos otherwise. Escaped braces and backslashes ("\{", "\}", "\\") are text.
std::size_t closingBrace(std::string_view doc) {
    if (!doc.starts_with(kDocumentStart))
        return std::string_view::npos;
    std::size_t end = doc.size();
    while (end > 0 && isTrailing(doc[end - 1]))
        --end;
    if (end == 0 || doc[end - 1] != '}')
        return std::string_view::npos;
    long depth = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const char c = doc[i];
        if (c == '\\') {
            ++i;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return i == end - 1 ? i : std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

std::string readAll(platform::FileReader& reader) {
    std::string data(static_cast<std::size_t>(reader.size()), '\0');
    data.resize(reader.read(data.data(), data.size()));
    return data;
}

void writeWhole(const std::string& path, std::string_view data) {
    platform::writeFileAtomically(path, data.data(), data.size());
}

// Moves a log that cannot be extended (too long, or not a document we can extend) to the first free
// name "<Id>-<n>.log" beside it, so that starting the log afresh never discards earlier runs. False
// when it could not be moved.
bool keepAside(const std::string& path) {
    const std::string stem = path.substr(0, path.size() - 4); // without ".log"
    for (int n = 1; n < 10000; ++n) {
        const std::string aside = stem + "-" + std::to_string(n) + ".log";
        if (platform::pathKindNoFollow(aside) != platform::PathKind::Missing) continue;
        return platform::renameNoReplace(path, aside) == platform::RenameResult::Done;
    }
    return false;
}

} // namespace

std::optional<std::string> mergeLogDocument(std::string_view old, std::string_view newDocument) {
    const std::size_t close = closingBrace(old);
    const std::size_t marker = newDocument.find(RunLog::kMarker);
    if (close == std::string_view::npos || marker == std::string_view::npos)
        return std::nullopt;
    const std::string_view appended = newDocument.substr(marker + RunLog::kMarker.size());
    const auto ours = findColorTable(newDocument.substr(0, marker));
    if (!ours)
        return std::nullopt;
    std::string merged;
    merged.reserve(close + appended.size() + 256);
    merged.append(old.substr(0, close));
    // The run's colour indexes refer to its own table; the document keeps the table of whichever
    // writer made it (ours, or a rich-text control that saved it since), so they are translated.
    const std::vector<std::size_t> map =
        mergeColorTable(merged, ours->colors, colorsUsed(appended, ours->colors.size()));
    merged.append(remapColors(appended, map));
    // Whatever the old header held, the log must stay one document: a merge that would break it is
    // not made, and the caller starts the log afresh with the old one kept beside it.
    if (closingBrace(merged) == std::string_view::npos)
        return std::nullopt;
    return merged;
}

LogFileUpdate AddLogTmpToLogFile(const RunLog& log, const std::string& pathTask, const std::string& id) {
    if (!platform::folderExists(pathTask))
        return LogFileUpdate::NoStoreFolder;
    const std::string path = logFile(pathTask, id);
    const std::string document = log.document();
    const platform::PathKind kind = platform::pathKindNoFollow(path);
    if (kind == platform::PathKind::Missing) {
        writeWhole(path, document);
        return LogFileUpdate::Created;
    }
    try {
        // Only a regular file is read: a link there could lead anywhere, and what it points to must
        // not end up in the log on the medium. Anything else is replaced (or, a folder, dropped).
        if (kind == platform::PathKind::File) {
            // The old file is closed before it is replaced: Windows renames over no open file.
            std::optional<std::string> old;
            {
                platform::FileReader reader(path);
                if (reader.size() < kLogRestartSize)
                    old = readAll(reader);
            }
            if (old) {
                if (const auto merged = mergeLogDocument(*old, document)) {
                    writeWhole(path, *merged);
                    return LogFileUpdate::Extended;
                }
            }
            if (!keepAside(path)) return LogFileUpdate::Dropped;
        }
        writeWhole(path, document);
        return LogFileUpdate::Restarted;
    } catch (const FileError&) {
        return LogFileUpdate::Dropped;
    }
}

} // namespace tarvela
