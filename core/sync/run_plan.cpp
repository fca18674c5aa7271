#include "sync/run_plan.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/run_host.h"
#include "records/random_names.h"

#include <filesystem>
#include <system_error>

namespace tarvela {

namespace fs = std::filesystem;

PlanTableFolder::PlanTableFolder() {
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    if (error)
        throw FileError(msg::kCannotCreateFolder, "", error.value());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = temp / ("tarvela-dry-run-" + RandomID(12));
        if (fs::create_directory(folder, error)) {
            const std::u8string text = folder.generic_u8string();
            path_.assign(text.begin(), text.end());
            return;
        }
        if (error)
            throw FileError(msg::kCannotCreateFolder, folder.string(), error.value());
    }
    throw FileError(msg::kCannotCreateFolder, temp.string(), 0);
}

PlanTableFolder::~PlanTableFolder() {
    std::error_code ignored;
    fs::remove_all(fs::path(std::u8string(path_.begin(), path_.end())), ignored);
}

void echoPlannedStore(RunHost& host, const std::string& path) {
    host.echo(std::string(msg::kPlanStore) + path, color::kBlack);
}

void echoPlannedRemoval(RunHost& host, const std::string& path) {
    host.echo(std::string(msg::kPlanRemoval) + path, color::kBlack);
}

// The moves, said only where there are any (a summary without them reads as before).
static std::string movesSaid(const RunPlan& plan) {
    return plan.moves == 0 ? std::string() : std::string(msg::kPlanSummaryMoves) + std::to_string(plan.moves);
}

std::string planSummary(const RunPlan& plan, bool sending) {
    std::string text(msg::kPlanSummary);
    if (sending) {
        text += std::string(msg::kPlanSummaryStore) + std::to_string(plan.storeFiles) +
                std::string(msg::kPlanSummaryBytes) + std::to_string(plan.storeBytes);
        return text + movesSaid(plan);
    }
    text += std::string(msg::kPlanSummaryCopy) + std::to_string(plan.copyFiles) + std::string(msg::kPlanSummaryBytes) +
            std::to_string(plan.copyBytes) + std::string(msg::kPlanSummaryRemovals) + std::to_string(plan.removals) +
            std::string(msg::kPlanSummaryConflicts) + std::to_string(plan.conflicts);
    return text + movesSaid(plan);
}

} // namespace tarvela
