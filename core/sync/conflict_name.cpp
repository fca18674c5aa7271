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

// Drops whole UTF-8 characters from the end until at most `chars` remain.
std::string cutToChars(const std::string& s, std::size_t chars) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (count == chars)
                return s.substr(0, i);
            ++count;
        }
    }
    return s;
}

} // namespace

std::string conflictCopyPath(const std::string& path, std::string_view computer,
                             std::chrono::system_clock::time_point when, int attempt) {
    // Either separator where the system takes both (Windows).
    const char separators[] = {'/', platform::pathSeparator(), '\0'};
    const std::size_t slash = path.find_last_of(separators);
    const std::string folder = path.substr(0, slash + 1);
    const std::string name = path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0;
    const std::string ext = hasExt ? name.substr(dot) : "";
    std::string stem = hasExt ? name.substr(0, dot) : name;
    std::string tail = " (конфликт " + localStamp(when) + " " + std::string(computer) + ")";
    if (attempt > 1)
        tail += " " + std::to_string(attempt);
    tail += ext;
    const std::size_t fixed = utf8CharCount(folder) + utf8CharCount(tail);
    const std::size_t room = fixed < kMaxPathChars ? kMaxPathChars - fixed : 0;
    if (utf8CharCount(stem) > room)
        stem = cutToChars(stem, room > 0 ? room : 1);
    return folder + stem + tail;
}

} // namespace tarvela
