#include "sync/trip_plan.h"

#include "copy/disk_tools.h"

#include <algorithm>
#include <numeric>

namespace tarvela {
namespace {

std::string_view folderOf(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : name.substr(0, slash);
}

struct Folder {
    std::string_view name;
    std::int64_t space = 0;
    std::vector<std::size_t> files;
};

// The files grouped by the folder they lie in, each folder with the space its files take.
std::vector<Folder> byFolder(const std::vector<TripFile>& files, const std::vector<std::int64_t>& space,
                             const std::vector<bool>& excluded) {
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return folderOf(files[a].name) < folderOf(files[b].name); });
    std::vector<Folder> folders;
    for (const std::size_t i : order) {
        if (excluded[i])
            continue;
        const std::string_view folder = folderOf(files[i].name);
        if (folders.empty() || folders.back().name != folder)
            folders.push_back({folder, 0, {}});
        folders.back().space += space[i];
        folders.back().files.push_back(i);
    }
    return folders;
}

} // namespace

std::int64_t tripMargin(std::int64_t available) {
    if (available <= 0)
        return 0;
    constexpr std::int64_t kAtLeast = std::int64_t{64} << 20;
    return std::max(available / 100, std::min(kAtLeast, available / 20));
}

TripChoice chooseTrip(const std::vector<TripFile>& files, std::int64_t budget, std::int64_t unit,
                      std::int64_t largest) {
    TripChoice choice;
    choice.carried.assign(files.size(), false);
    std::vector<std::int64_t> space(files.size());
    std::vector<bool> excluded(files.size(), false);
    for (std::size_t i = 0; i < files.size(); ++i) {
        space[i] = SpaceTaken(files[i].size, unit);
        if (budget >= 0 && space[i] > std::max<std::int64_t>(largest, 0)) {
            choice.tooBig.push_back(i);
            excluded[i] = true;
        }
    }
    std::int64_t left = budget;
    const auto take = [&](std::size_t i) {
        choice.carried[i] = true;
        ++choice.carriedFiles;
        choice.carriedBytes += files[i].size;
        choice.space += space[i];
        if (left >= 0)
            left -= space[i];
    };
    if (budget < 0) {
        for (std::size_t i = 0; i < files.size(); ++i)
            take(i);
        return choice;
    }

    std::vector<Folder> folders = byFolder(files, space, excluded);
    std::stable_sort(folders.begin(), folders.end(),
                     [](const Folder& a, const Folder& b) { return a.space < b.space; });
    std::vector<std::size_t> rest;
    for (const Folder& folder : folders) {
        if (folder.space <= left) {
            for (const std::size_t i : folder.files)
                take(i);
        } else {
            rest.insert(rest.end(), folder.files.begin(), folder.files.end());
        }
    }
    std::stable_sort(rest.begin(), rest.end(), [&](std::size_t a, std::size_t b) { return space[a] > space[b]; });
    for (const std::size_t i : rest) {
        if (space[i] <= left)
            take(i);
    }
    return choice;
}

int tripsNeeded(std::vector<TripFile> files, std::int64_t budget, std::int64_t unit) {
    if (budget < 0)
        return files.empty() ? 0 : 1;
    const std::int64_t largest = budget;
    int trips = 0;
    while (!files.empty() && trips <= kTripsCounted) {
        const TripChoice choice = chooseTrip(files, budget, unit, largest);
        std::vector<bool> never(files.size(), false);
        for (const std::size_t i : choice.tooBig)
            never[i] = true;
        std::vector<TripFile> rest;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!choice.carried[i] && !never[i])
                rest.push_back(files[i]);
        }
        if (choice.carriedFiles == 0)
            break; // only files too large for any trip are left
        ++trips;
        files = std::move(rest);
    }
    return trips;
}

} // namespace tarvela
