#include "log/clock_text.h"

#include "base/messages.h"
#include "platform/local_time.h"

#include <array>
#include <string_view>

namespace tarvela {
namespace {

using namespace std::chrono;

// Month names in the form that follows a day number.
constexpr std::array<std::string_view, 12> kMonthNames = {
    "Января", "Февраля", "Марта",    "Апреля",  "Мая",    "Июня",
    "Июля",   "Августа", "Сентября", "Октября", "Ноября", "Декабря",
};

// Indexed by std::chrono::weekday::c_encoding(): Sunday is 0.
constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "воскресенье", "понедельник", "вторник", "среда", "четверг", "пятница", "суббота",
};

struct LocalClock {
    year_month_day date;
    weekday day;
    hh_mm_ss<seconds> time;
};

LocalClock localClock(system_clock::time_point time) {
    const auto utc = floor<seconds>(time);
    const auto local = utc + seconds(platform::utcOffsetAt(utc.time_since_epoch().count()));
    const auto days = floor<std::chrono::days>(local);
    return {year_month_day(days), weekday(days), hh_mm_ss<seconds>(local - days)};
}

void appendTwoDigits(std::string& out, long value) {
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

std::string timeText(const hh_mm_ss<seconds>& t) {
    std::string out = std::to_string(t.hours().count());
    out.push_back(':');
    appendTwoDigits(out, static_cast<long>(t.minutes().count()));
    out.push_back(':');
    appendTwoDigits(out, static_cast<long>(t.seconds().count()));
    return out;
}

} // namespace

std::string longTimeText(system_clock::time_point time) {
    return timeText(localClock(time).time);
}

std::string startLineText(system_clock::time_point time) {
    const LocalClock clock = localClock(time);
    std::string out(msg::kStartLinePrefix);
    out += std::to_string(static_cast<unsigned>(clock.date.day()));
    out.push_back(' ');
    out += kMonthNames[static_cast<unsigned>(clock.date.month()) - 1];
    out.push_back(' ');
    out += std::to_string(static_cast<int>(clock.date.year()));
    out += " г -  ";
    out += kWeekdayNames[clock.day.c_encoding()];
    out += msg::kStartLineTime;
    out += timeText(clock.time);
    out.push_back('.');
    return out;
}

} // namespace tarvela
