#pragma once
// One trip of the medium as a send sees it: how much of the medium its copies may fill, which of
// a pair's files go this time (sync/trip_plan.h), and what the send stored against what it had to
// carry. A send whose files do not all fit stores what fits and ends normally with the partial
// trip's line; the rest differs at the next send and goes then.
//
// The free space is read when the send first chooses (the old store is gone by then, the tables
// are written), and again for every later pair, so that each pair gets what is really left. The
// margin is fixed from the first reading.

#include "base/run_host.h"
#include "scan/packed_file_list.h"
#include "sync/trip_plan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvela {

class SendTrip {
public:
    // `medium`: a folder on the medium (the transfer store folder, or its nearest existing parent
    // is measured). A dry run copies nothing, so it counts the space its choices would take
    // instead of reading it again; and it leaves in place the earlier store that a real send
    // removes first (`oldStore`, its store root), whose space it counts as free.
    SendTrip(RunHost& host, std::string medium, bool dryRun, std::string oldStore = {})
        : host_(host), medium_(std::move(medium)), oldStore_(std::move(oldStore)), dryRun_(dryRun) {}

    // Which of `files` (a pair's files to store, names relative to `own`) go on this trip. Each
    // file that no trip can take is a red line. Empty when the free space cannot be read at all
    // (the send cannot go on: too little space). A medium that tells no size at all takes
    // everything, after a notice line.
    std::optional<TripChoice> choose(const std::vector<TripFile>& files, const std::string& own);

    // The same for the entries of a compared pair S marked "copy": by position in S, whether it
    // goes on this trip (an entry that is not a file to copy reads true).
    std::optional<std::vector<bool>> chooseCopies(const PackedFileList& S, const std::string& own);

    // A file the send stored; the panel's trip line follows it.
    void stored(std::int64_t size);

    // "Перенесено файлов N из M (X из Y); остальные ..." when the send stored less than it had to
    // carry and some of the rest can go on a later trip (nothing otherwise).
    void endLine() const;

    // A dry run: the line with the number of trips that carry every file of the pairs chosen so far.
    void tripsLine() const;

    std::int64_t toCarryFiles() const { return toCarryFiles_; }
    std::int64_t carriedFiles() const { return carriedFiles_; }

private:
    bool measure();
    void showTotals() const;

    RunHost& host_;
    std::string medium_;
    std::string oldStore_;
    bool dryRun_;
    std::int64_t chosenSpace_ = 0; // what the choices so far take on the medium
    bool partial_ = false;         // some file chosen from waits for a later trip
    bool measured_ = false;
    bool sized_ = true;
    std::int64_t unit_ = 1;
    std::int64_t margin_ = 0;
    std::int64_t largest_ = 0; // what a trip may fill at most: the free space at the first reading, less the margin
    std::int64_t toCarryFiles_ = 0, toCarryBytes_ = 0;
    std::int64_t carriedFiles_ = 0, carriedBytes_ = 0;
    std::int64_t tripFiles_ = 0, tripBytes_ = 0; // chosen for this trip
    std::int64_t neverFiles_ = 0;                // too large for any trip of this medium
    // Every file a dry run was asked about, named with its pair, for the count of trips.
    std::vector<std::string> names_;
    std::vector<std::int64_t> sizes_;
};

// "Перенесено файлов N из M (X из Y)": what a trip stored of all there is to carry.
std::string tripTotalsText(std::int64_t files, std::int64_t bytes, std::int64_t ofFiles, std::int64_t ofBytes);
// The same, then "; в эту поездку: файлов K (Z)": the progress panel's line while a trip stores.
std::string tripPanelText(const TripTotals& totals);

// "12,3 МБ": a size for the user, in steps of 1024.
std::string sizeText(std::int64_t bytes);

} // namespace tarvela
