#pragma once
// The parts of TaskbarProgress that do not depend on the bus; included once by the one
// taskbar_progress_*.cpp that CMake picks.

#include "taskbar_progress.h"

#include <algorithm>

namespace tarvela::ui {

double TaskbarProgress::fraction(std::int64_t value, std::int64_t total) {
    if (total <= 0) return 0.0;
    return std::clamp(static_cast<double>(value) / static_cast<double>(total), 0.0, 1.0);
}

void TaskbarProgress::setProgress(std::int64_t value, std::int64_t total) {
    fraction_ = fraction(value, total);
    visible_ = true;
    send();
}

void TaskbarProgress::stopProgress() {
    fraction_ = 0.0;
    visible_ = false;
    send();
}

} // namespace tarvela::ui
