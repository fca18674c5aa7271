#include "sync/conflict_name.h"

#include "platform/file_system.h"
#include "platform/local_time.h"
#include "records/cp1251.h"
#include "scan/table_writer.h"

#include <cstdio>

namespace tarvela {
namespace {

std::string localStamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::int64_t utc = duration_cast<seconds>(when.time_since_epoch()).count();
    const std::int64_t local = utc + platform::utcOffsetAt(utc);
    const sys_days day{days{local >= 0 ? local / 86400 : (local - 86399) / 86400}};
    const std::int64_t secs = local - day.time_since_epoch().count() * std::int64_t{86400};
    const year_month_day ymd{day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d-%02d-%02d", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()), static_cast<int>(secs / 3600),
                  static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
    return text;
}

// The longest name one folder entry may have: 255 bytes of UTF-8 on Linux file systems, 255
// UTF-16 units on Windows ones. A name within the bytes is within the units too (no character
// takes more units than bytes), so the bytes are the limit on both.
constexpr std::size_t kMaxNameBytes = 255;

// Drops whole UTF-8 characters from the end until at most `chars` characters in at most `bytes`
// bytes remain; the first character always stays.
std::string cutToFit(const std::string& s, std::size_t chars, std::size_t bytes) {
    std::size_t kept = 0;
    for (std::size_t count = 0; kept < s.size(); ++count) {
        std::size_t next = kept + 1;
        while (next < s.size() && (static_cast<unsigned char>(s[next]) & 0xC0) == 0x80)
            ++next;
        if (count > 0 && (count == chars || next > bytes))
            break;
        kept = next;
    }
    return s.substr(0, kept);
}

} // namespace

std::string conflictCopyPath(const std::string& path, std::string_view computer,
                             std::chrono::system_clock::time_point when, int attempt) {
    // Either separator where the system takes both (Windows).
    const char separators[] = {'/', platform::pathSeparator(), '\0'};
    const std::size_t slash = path.find_last_of(separators);
    const std::string folder = path.substr(0, slash + 1);
    const std::string name = path.substr(slash + 1);
    std::string mark = " (конфликт " + localStamp(when) + " " + std::string(computer) + ")";
    if (attempt > 1)
        mark += " " + std::to_string(attempt);
    // An extension so long that the mark would leave no room beside it counts as part of the stem.
    const std::size_t dot = name.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0 && mark.size() + (name.size() - dot) < kMaxNameBytes;
    const std::string ext = hasExt ? name.substr(dot) : "";
    std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string tail = mark + ext;
    // Two limits, counted each in its own unit: the whole path in a table record (characters, one
    // byte each in the code page) and the name in the folder (bytes of UTF-8), which a Cyrillic name
    // reaches at half the characters.
    const std::size_t fixedChars = utf8CharCount(folder) + utf8CharCount(tail);
    const std::size_t roomChars = fixedChars < kMaxPathChars ? kMaxPathChars - fixedChars : 0;
    const std::size_t roomBytes = tail.size() < kMaxNameBytes ? kMaxNameBytes - tail.size() : 0;
    stem = cutToFit(stem, roomChars, roomBytes);
    return folder + stem + tail;
}

} // namespace tarvela
