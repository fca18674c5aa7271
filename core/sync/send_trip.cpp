#include "sync/send_trip.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "copy/disk_tools.h"
#include "platform/directory.h"
#include "platform/disk_info.h"
#include "platform/file_system.h"
#include "records/table_record.h"

#include <algorithm>
#include <cstdio>

namespace tarvela {
namespace {

// The folder itself when it exists, otherwise its nearest existing parent (a dry run's store
// folder is not made).
std::string nearestExistingFolder(std::string folder) {
    while (!folder.empty() && !platform::folderExists(folder)) {
        while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
            folder.pop_back();
        const std::size_t cut = folder.find_last_of("/\\");
        if (cut == std::string::npos)
            return ".";
        folder.resize(cut + 1);
    }
    return folder;
}

// What the files below `folder` take on its file system.
std::int64_t spaceHeldBy(const platform::Directory& folder, std::int64_t unit) {
    std::int64_t total = 0;
    for (const platform::DirEntry& e : folder.entries()) {
        if (e.kind == platform::EntryKind::File) {
            total += SpaceTaken(e.size, unit);
        } else if (e.kind == platform::EntryKind::Folder) {
            if (const auto child = folder.openChild(e.name))
                total += spaceHeldBy(*child, unit);
        }
    }
    return total;
}

} // namespace

std::string tripTotalsText(std::int64_t files, std::int64_t bytes, std::int64_t ofFiles, std::int64_t ofBytes) {
    return std::string(msg::kTripCarried) + std::to_string(files) + std::string(msg::kTripOf) +
           std::to_string(ofFiles) + " (" + sizeText(bytes) + std::string(msg::kTripOf) + sizeText(ofBytes) + ")";
}

std::string sizeText(std::int64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + std::string(msg::kSizeBytes);
    const std::string_view units[] = {msg::kSizeKiB, msg::kSizeMiB, msg::kSizeGiB};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t u = 0;
    while (value >= 1024 && u + 1 < std::size(units)) {
        value /= 1024;
        ++u;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 100 ? "%.1f" : "%.0f", value);
    std::string out(text);
    for (char& c : out) {
        if (c == '.')
            c = ','; // the decimal comma of a Russian text
    }
    return out + std::string(units[u]);
}

std::string tripPanelText(const TripTotals& t) {
    return tripTotalsText(t.storedFiles, t.storedBytes, t.allFiles, t.allBytes) + std::string(msg::kTripThisTrip) +
           std::to_string(t.tripFiles) + " (" + sizeText(t.tripBytes) + ")";
}

bool SendTrip::measure() {
    if (measured_)
        return true;
    const platform::DiskSpace space = platform::diskSpace(nearestExistingFolder(medium_));
    if (space.available < 0)
        return false;
    measured_ = true;
    sized_ = space.sized;
    unit_ = space.unit;
    std::int64_t available = space.available;
    if (!oldStore_.empty()) {
        if (const auto store = platform::Directory::open(oldStore_))
            available += spaceHeldBy(*store, unit_);
    }
    margin_ = tripMargin(available);
    largest_ = available - margin_;
    return true;
}

std::optional<TripChoice> SendTrip::choose(const std::vector<TripFile>& files, const std::string& own) {
    if (!measure())
        return std::nullopt;
    std::int64_t budget = -1;
    if (!sized_) {
        host_.echo(std::string(msg::kFreeSpaceUnknown) + medium_, color::kBlack);
    } else if (dryRun_) {
        budget = std::max<std::int64_t>(largest_ - chosenSpace_, 0);
    } else {
        const platform::DiskSpace now = platform::diskSpace(nearestExistingFolder(medium_));
        if (now.available < 0)
            return std::nullopt;
        budget = std::max<std::int64_t>(now.available - margin_, 0);
    }
    TripChoice choice = chooseTrip(files, budget, unit_, largest_);
    for (const std::size_t i : choice.tooBig)
        host_.echo(std::string(msg::kFileLargerThanMedium) + own + std::string(files[i].name), color::kRed);
    toCarryFiles_ += static_cast<std::int64_t>(files.size());
    for (const TripFile& f : files)
        toCarryBytes_ += f.size;
    chosenSpace_ += choice.space;
    tripFiles_ += choice.carriedFiles;
    neverFiles_ += static_cast<std::int64_t>(choice.tooBig.size());
    tripBytes_ += choice.carriedBytes;
    if (dryRun_) {
        for (const TripFile& f : files) {
            names_.push_back(own + std::string(f.name));
            sizes_.push_back(f.size);
        }
    }
    if (choice.carriedFiles < static_cast<std::int64_t>(files.size()))
        partial_ = true;
    showTotals();
    return choice;
}

std::optional<std::vector<bool>> SendTrip::chooseCopies(const PackedFileList& S, const std::string& own) {
    std::vector<TripFile> files;
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < S.count(); ++i) {
        const TAtrib& entry = *S.object(i);
        if (entry.Action != TAction::Copy || entry.Nature != kNatureFile)
            continue;
        files.push_back({S.key(i), entry.SizeFile});
        at.push_back(i);
    }
    const std::optional<TripChoice> choice = choose(files, own);
    if (!choice)
        return std::nullopt;
    std::vector<bool> carried(S.count(), true);
    for (std::size_t k = 0; k < at.size(); ++k)
        carried[at[k]] = choice->carried[k];
    return carried;
}

void SendTrip::stored(std::int64_t size) {
    ++carriedFiles_;
    carriedBytes_ += size;
    showTotals();
}

void SendTrip::showTotals() const {
    if (!partial_)
        return; // a trip that carries everything shows the usual panel
    host_.setTripProgress({carriedFiles_, carriedBytes_, tripFiles_, tripBytes_, toCarryFiles_, toCarryBytes_});
}

void SendTrip::endLine() const {
    // Files that no trip can take have their red lines: no later trip is promised for them.
    if (carriedFiles_ + neverFiles_ >= toCarryFiles_)
        return;
    host_.echo(tripTotalsText(carriedFiles_, carriedBytes_, toCarryFiles_, toCarryBytes_) +
                   std::string(msg::kTripRestNextTime),
               color::kBlack);
}

void SendTrip::tripsLine() const {
    if (!measured_ || !sized_ || names_.empty())
        return;
    std::vector<TripFile> files;
    files.reserve(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i)
        files.push_back({names_[i], sizes_[i]});
    const int trips = tripsNeeded(std::move(files), largest_, unit_);
    if (trips == 0) {
        host_.echo(msg::kTripsNone, color::kBlack);
        return;
    }
    const std::string count = trips > kTripsCounted ? std::string(msg::kTripsMoreThan) + std::to_string(kTripsCounted)
                                                    : std::to_string(trips);
    host_.echo(std::string(msg::kTripsNeeded) + count + std::string(msg::kTripsFreeSpace) +
                   sizeText(std::max<std::int64_t>(largest_, 0)) + ")",
               color::kBlack);
}

} // namespace tarvela
