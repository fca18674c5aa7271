#include "records/date_time.h"
#include "records/zone_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace tarvela {
namespace {

// Runs a test body in a given time zone (POSIX rule strings need no zone database).
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old, hadOld_ = true;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (hadOld_) ::setenv("TZ", old_.c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

constexpr std::int64_t kJuly1st2024 = 1719792000;   // 2024-07-01 00:00:00 UTC
constexpr std::int64_t kJanuary1st2024 = 1704067200; // 2024-01-01 00:00:00 UTC
constexpr double kDaysJuly1st2024 = 45474;            // date-time number of 2024-07-01
constexpr double kDaysJanuary1st2024 = 45292;

TEST(DateTime, DaysSince1899PlusFractionOfTheDay) {
    TimeZone utc("UTC0");
    EXPECT_EQ(fileTimeToDateTime({0, 0}), 25569.0);
    EXPECT_EQ(fileTimeToDateTime({kJuly1st2024 + 12 * 3600, 0}), kDaysJuly1st2024 + 0.5);
    EXPECT_EQ(fileTimeToDateTime({kJuly1st2024, 999'999'999}), kDaysJuly1st2024 + 999.0 / 86400000.0)
        << "to the millisecond, cut not rounded";
}

TEST(DateTime, LocalTimeUsesTheOffsetInForceAtTheFilesOwnInstant) {
    TimeZone cet(kCentralEurope);
    // 10:00 UTC is 12:00 in summer (UTC+2) and 11:00 in winter (UTC+1), whatever the date today.
    EXPECT_EQ(fileTimeToDateTime({kJuly1st2024 + 10 * 3600, 0}), kDaysJuly1st2024 + 0.5);
    EXPECT_EQ(fileTimeToDateTime({kJanuary1st2024 + 10 * 3600, 0}), kDaysJanuary1st2024 + 11.0 / 24.0);
}

TEST(DateTime, RoundTripsToTheMillisecondInSummerAndWinter) {
    TimeZone cet(kCentralEurope);
    const platform::FileTime cases[] = {
        {kJuly1st2024 + 12345, 678'000'000},
        {kJanuary1st2024 + 54321, 1'000'000},
        {kJanuary1st2024 - 1, 999'000'000},
        {946684800, 0}, // 2000-01-01
    };
    for (const auto& t : cases) {
        EXPECT_EQ(dateTimeToFileTime(fileTimeToDateTime(t)), t) << t.seconds;
    }
}

// A table time taken under one zone's rules and taken again under another's is bit for bit what a
// scan under the other rules gives, in summer, in winter and right around the changes of offset;
// the rules survive their text form.
TEST(ZoneRules, ATimeTakenAgainUnderOtherRulesIsWhatAScanThereGives) {
    ZoneRules central;
    {
        TimeZone cet(kCentralEurope);
        central = currentZoneRules();
    }
    ZoneRules farEast;
    {
        TimeZone vladivostok("VLAT-10");
        farEast = currentZoneRules();
    }
    EXPECT_GE(central.changes.size(), 100u) << "two changes a year";
    EXPECT_TRUE(farEast.changes.empty());
    EXPECT_EQ(ZoneRules::parse(central.text()), central);
    EXPECT_EQ(ZoneRules::parse(farEast.text()), farEast);
    EXPECT_FALSE(ZoneRules::parse("3600 100:7200 50:3600")) << "changes out of order";
    EXPECT_FALSE(ZoneRules::parse("x"));

    const std::int64_t march31st2024 = 1711846800; // 01:00 UTC, the change to summer time
    const platform::FileTime cases[] = {
        {kJuly1st2024 + 12345, 678'000'000}, {kJanuary1st2024 + 54321, 1'000'000}, {march31st2024 - 1, 0},
        {march31st2024, 0},                  {march31st2024 + 1, 999'000'000},      {946684800, 0},
    };
    for (const auto& t : cases) {
        double there = 0;
        double here = 0;
        {
            TimeZone cet(kCentralEurope);
            there = fileTimeToDateTime(t);
        }
        {
            TimeZone vladivostok("VLAT-10");
            here = fileTimeToDateTime(t);
        }
        EXPECT_EQ(retime(there, central, farEast), here) << t.seconds;
        EXPECT_EQ(retime(here, farEast, central), there) << t.seconds;
        EXPECT_EQ(retime(here, farEast, farEast), here);
    }
}

} // namespace
} // namespace tarvela
