#pragma once
// Which of the files a send should store go on this trip of the medium, when they do not all fit.
// The rest stays where it is: the next send finds it still different and carries it then.
//
// The order of choice, so that every trip is useful on its own:
//  1. whole folders (the files directly in one folder), the smallest folder first: most folders
//     arrive complete, and small files (documents) come before large ones (video, archives);
//  2. then the space left is filled from the files of folders that did not fit whole, the
//     largest file that still fits first, down to the smallest (so the drive is filled, and a
//     file too large for what is left is skipped for smaller ones that still fit).
// Removals need no space: they travel in the table on every trip.
// Space is counted as the medium's file system counts it: every file that is not empty takes a
// whole number of allocation units.

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvela {

struct TripFile {
    std::string_view name; // relative name, '/' between folders
    std::int64_t size = 0;
};

struct TripChoice {
    std::vector<bool> carried;       // by position in the list of files
    std::vector<std::size_t> tooBig; // positions of files larger than the whole trip can ever take
    std::int64_t carriedFiles = 0;
    std::int64_t carriedBytes = 0; // the files' own sizes
    std::int64_t space = 0;        // what they take on the medium, in whole units
};

// The space a send leaves free on a medium on which `available` bytes were free when it began to
// store: 1% of it, but at least 64 MiB, and never more than 5% (a small drive keeps most of
// itself usable). What stays free takes the store lists, the log, the folders' entries.
std::int64_t tripMargin(std::int64_t available);

// Chooses what fits into `budget` bytes of a file system with allocation unit `unit`. A file
// larger than `largest` (the budget of a trip on an otherwise empty store) is never carried and is
// listed in tooBig; one that is merely larger than what is left this time waits for a later trip.
// A negative budget means no limit: everything is carried.
TripChoice chooseTrip(const std::vector<TripFile>& files, std::int64_t budget, std::int64_t unit, std::int64_t largest);
inline TripChoice chooseTrip(const std::vector<TripFile>& files, std::int64_t budget, std::int64_t unit) {
    return chooseTrip(files, budget, unit, budget);
}

// How many trips with `budget` bytes each carry all the files, the files too large for any trip
// left out (0 when there is nothing to carry). Counting stops at kTripsCounted + 1.
inline constexpr int kTripsCounted = 100;
int tripsNeeded(std::vector<TripFile> files, std::int64_t budget, std::int64_t unit);

} // namespace tarvela
