#pragma once
// The parts of TaskbarProgress that do not depend on the bus; included once by the one
// taskbar_progress_*.cpp that CMake picks.

#include "taskbar_progress.h"

#include <algorithm>

namespace tarvela::ui {

double TaskbarProgress::fraction(std::int64_t value, std::int64_t total) {
    if (total <= 0)
        return 0.0;
    return std::clamp(static_cast<double>(value) / static_cast<double>(total), 0.0, 1.0);
}

// The run reports every file; the entry is told only when what it shows changes (in steps of
// 1/1000), so a run of a million files does not send a million bus messages.
void TaskbarProgress::setProgress(std::int64_t value, std::int64_t total) {
    const double f = fraction(value, total);
    const bool changed = !visible_ || static_cast<long>(f * 1000) != static_cast<long>(fraction_ * 1000);
    fraction_ = f;
    value_ = std::clamp<std::int64_t>(value, 0, std::max<std::int64_t>(total, 0));
    total_ = std::max<std::int64_t>(total, 0);
    visible_ = true;
    if (changed) {
        ++sent_;
        send();
    }
}

void TaskbarProgress::stopProgress() {
    const bool changed = visible_;
    fraction_ = 0.0;
    value_ = 0;
    visible_ = false;
    if (changed) {
        ++sent_;
        send();
    }
}

} // namespace tarvela::ui
