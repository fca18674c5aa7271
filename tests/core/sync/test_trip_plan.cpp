// What one trip of a medium too small for the whole change carries, and how many trips the change
// needs.
#include "sync/trip_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace tarvela {
namespace {

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

std::set<std::string> carriedNames(const std::vector<TripFile>& files, const TripChoice& c) {
    std::set<std::string> out;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (c.carried[i])
            out.insert(std::string(files[i].name));
    }
    return out;
}

struct Case {
    const char* what;
    std::vector<TripFile> files;
    std::int64_t budget;
    std::int64_t unit;
    std::set<std::string> carried;
    std::vector<std::size_t> tooBig;
    std::int64_t largest = kSameAsBudget; // what an otherwise empty trip could take
    static constexpr std::int64_t kSameAsBudget = -2;
};

TEST(TripPlan, ChoosesWholeFoldersSmallestFirstThenFillsWithWhatStillFits) {
    const std::vector<Case> cases = {
        {"everything fits", {{"a/1", 10}, {"b/2", 20}}, 100, 1, {"a/1", "b/2"}, {}},
        {"no limit carries everything", {{"a/1", 10 * kMiB}, {"b/2", 20 * kMiB}}, -1, 4096, {"a/1", "b/2"}, {}},
        // docs (3 small files) arrive whole before the large video; the space left takes the
        // largest video file that still fits, then smaller ones that still do.
        {"small folder whole, then the largest that fits",
         {{"video/v1", 60}, {"docs/d1", 5}, {"video/v2", 40}, {"docs/d2", 5}, {"video/v3", 30}, {"docs/d3", 5}},
         90,
         1,
         {"docs/d1", "docs/d2", "docs/d3", "video/v1"},
         {}},
        {"too large for what is left: skipped for smaller ones that still fit",
         {{"v/1", 60}, {"v/2", 40}, {"v/3", 10}},
         70,
         1,
         {"v/1", "v/3"},
         {}},
        {"a folder that does not fit whole gives its smaller files",
         {{"big/a", 80}, {"big/b", 15}, {"big/c", 4}},
         20,
         1,
         {"big/b", "big/c"},
         {},
         100},
        // Counted in clusters: three 1-byte files take 3 units of 4 KiB, not 3 bytes.
        {"space counted in whole clusters",
         {{"x/1", 1}, {"x/2", 1}, {"x/3", 1}},
         8 * kKiB,
         4 * kKiB,
         {"x/1", "x/2"},
         {}},
        {"empty files need no space", {{"e/1", 0}, {"e/2", 0}, {"f/big", 100}}, 50, 1, {"e/1", "e/2"}, {2}},
        {"a file larger than any trip is named, the others go",
         {{"a/huge", 500}, {"a/small", 10}},
         100,
         1,
         {"a/small"},
         {0}},
        {"files in the pair folder itself form one folder",
         {{"top1", 30}, {"top2", 30}, {"sub/s", 70}},
         60,
         1,
         {"top1", "top2"},
         {2}},
        {"nothing free: only empty files", {{"a/e", 0}, {"a/f", 1}}, 0, 4096, {"a/e"}, {1}},
    };
    for (const Case& c : cases) {
        const TripChoice choice =
            chooseTrip(c.files, c.budget, c.unit, c.largest == Case::kSameAsBudget ? c.budget : c.largest);
        EXPECT_EQ(carriedNames(c.files, choice), c.carried) << c.what;
        EXPECT_EQ(choice.tooBig, c.tooBig) << c.what;
        std::int64_t bytes = 0;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            if (choice.carried[i])
                bytes += c.files[i].size;
        }
        EXPECT_EQ(choice.carriedBytes, bytes) << c.what;
        EXPECT_EQ(choice.carriedFiles, static_cast<std::int64_t>(c.carried.size())) << c.what;
        if (c.budget >= 0) {
            EXPECT_LE(choice.space, c.budget) << c.what;
        }
    }
}

TEST(TripPlan, AFileThatMerelyDoesNotFitThisTimeWaitsInsteadOfBeingRefused) {
    // Half the trip is taken already (an earlier pair): the 60-byte file waits, it is not too big.
    const std::vector<TripFile> files = {{"a/f", 60}};
    const TripChoice choice = chooseTrip(files, 50, 1, 100);
    EXPECT_FALSE(choice.carried[0]);
    EXPECT_TRUE(choice.tooBig.empty());
}

// Many files of mixed sizes: every trip stays within its budget and fills nearly all of it; the
// trips together carry every file exactly once.
TEST(TripPlan, TripsCarryEveryFileOnceAndFillTheMedium) {
    std::vector<std::string> names;
    std::vector<TripFile> files;
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < 600; ++i)
        names.push_back("f" + std::to_string(i % 17) + "/n" + std::to_string(i));
    for (int i = 0; i < 600; ++i) {
        const std::int64_t size = (next() >> 8) % 4 == 0 ? static_cast<std::int64_t>(next() % (3 * kMiB))
                                                         : static_cast<std::int64_t>(next() % (64 * kKiB));
        files.push_back({names[static_cast<std::size_t>(i)], size});
    }
    const std::int64_t unit = 32 * kKiB;
    const std::int64_t budget = 12 * kMiB;
    std::int64_t total = 0;
    for (const TripFile& f : files)
        total += (f.size + unit - 1) / unit * unit;

    std::vector<int> carriedTimes(files.size(), 0);
    std::vector<std::size_t> left(files.size());
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = i;
    int trips = 0;
    while (!left.empty()) {
        std::vector<TripFile> now;
        for (const std::size_t i : left)
            now.push_back(files[i]);
        const TripChoice choice = chooseTrip(now, budget, unit);
        ASSERT_TRUE(choice.tooBig.empty());
        ASSERT_GT(choice.carriedFiles, 0);
        EXPECT_LE(choice.space, budget);
        std::vector<std::size_t> rest;
        for (std::size_t k = 0; k < left.size(); ++k) {
            if (choice.carried[k])
                ++carriedTimes[left[k]];
            else
                rest.push_back(left[k]);
        }
        // Every trip but the last fills at least 95% of what it may.
        if (!rest.empty()) {
            EXPECT_GE(choice.space, budget * 95 / 100) << "trip " << trips;
        }
        left = std::move(rest);
        ++trips;
    }
    for (const int times : carriedTimes)
        EXPECT_EQ(times, 1);
    EXPECT_EQ(tripsNeeded(files, budget, unit), trips);
    EXPECT_LE(trips, static_cast<int>(total / (budget * 95 / 100)) + 1);
}

TEST(TripPlan, TripsNeededLeavesOutFilesNoTripCanTake) {
    EXPECT_EQ(tripsNeeded({}, 100, 1), 0);
    EXPECT_EQ(tripsNeeded({{"a", 50}, {"b", 50}, {"c", 50}}, 100, 1), 2);
    EXPECT_EQ(tripsNeeded({{"a", 500}, {"b", 50}}, 100, 1), 1);
    EXPECT_EQ(tripsNeeded({{"a", 500}}, 100, 1), 0);
    EXPECT_EQ(tripsNeeded({{"a", 500}}, -1, 1), 1) << "a medium of unknown size: one trip, as far as one can tell";
}

TEST(TripPlan, MarginIsOnePercentAtLeast64MiBAndAtMostFivePercent) {
    EXPECT_EQ(tripMargin(0), 0);
    EXPECT_EQ(tripMargin(12 * kMiB), 12 * kMiB / 20);        // a small drive: 5%
    EXPECT_EQ(tripMargin(1024 * kMiB), 1024 * kMiB / 20);    // 5% < 64 MiB
    EXPECT_EQ(tripMargin(4096 * kMiB), 64 * kMiB);           // 64 MiB > 1%
    EXPECT_EQ(tripMargin(16384 * kMiB), 16384 * kMiB / 100); // 1% > 64 MiB
}

} // namespace
} // namespace tarvela
