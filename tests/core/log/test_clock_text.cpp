// The start line and long time texts: Russian names from fixed tables, local time of the instant.
#include "log/clock_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tarvela {
namespace {

using namespace std::chrono;

// Runs a test in a fixed time zone and puts the old one back afterwards.
class InTimeZone : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ"))
            saved_ = tz;
    }
    void TearDown() override {
        if (saved_) {
            ::setenv("TZ", saved_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    static void use(const char* tz) {
        ::setenv("TZ", tz, 1);
        ::tzset();
    }

private:
    std::optional<std::string> saved_;
};

system_clock::time_point utc(int y, unsigned m, unsigned d, int h, int min, int s) {
    return sys_days(year(y) / month(m) / day(d)) + hours(h) + minutes(min) + seconds(s);
}

TEST_F(InTimeZone, StartLineHasTheDayGenitiveMonthYearTwoSpacesWeekdayAndLongTime) {
    use("UTC0");
    EXPECT_EQ(startLineText(utc(2026, 12, 10, 9, 5, 3) + milliseconds(999)),
              "Старт программы. Сейчас 10 Декабря 2026 г -  четверг. Время: 9:05:03.");
    EXPECT_EQ(longTimeText(utc(2026, 12, 10, 23, 59, 59)), "23:59:59");
    EXPECT_EQ(longTimeText(utc(2026, 12, 10, 0, 0, 0)), "0:00:00");
}

TEST_F(InTimeZone, EveryMonthAndWeekdayName) {
    use("UTC0");
    const char* months[] = {"Января", "Февраля", "Марта",    "Апреля",  "Мая",    "Июня",
                            "Июля",   "Августа", "Сентября", "Октября", "Ноября", "Декабря"};
    for (unsigned m = 1; m <= 12; ++m) {
        const std::string line = startLineText(utc(2025, m, 28, 12, 0, 0));
        EXPECT_NE(line.find(std::string("28 ") + months[m - 1] + " 2025 г -  "), std::string::npos) << line;
    }
    // 2024-09-01 was a Sunday.
    const char* weekdays[] = {"воскресенье", "понедельник", "вторник", "среда", "четверг", "пятница", "суббота"};
    for (unsigned d = 0; d < 7; ++d) {
        const std::string line = startLineText(utc(2024, 9, 1 + d, 12, 0, 0));
        EXPECT_NE(line.find(std::string("г -  ") + weekdays[d] + ". Время: 12:00:00."), std::string::npos) << line;
    }
}

TEST_F(InTimeZone, LocalTimeOfTheInstantDecidesTheDate) {
    use("MSK-3"); // three hours east of UTC
    EXPECT_EQ(startLineText(utc(2026, 12, 31, 21, 0, 7)),
              "Старт программы. Сейчас 1 Января 2027 г -  пятница. Время: 0:00:07.");
    use("EST5EDT,M3.2.0,M11.1.0"); // daylight saving from the second Sunday of March
    EXPECT_EQ(longTimeText(utc(2026, 1, 15, 12, 0, 0)), "7:00:00");
    EXPECT_EQ(longTimeText(utc(2026, 7, 15, 12, 0, 0)), "8:00:00");
}

} // namespace
} // namespace tarvela
