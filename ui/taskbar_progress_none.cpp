// Taskbar progress without Qt's D-Bus module: the state is kept, nothing is shown.
#include "taskbar_progress.h"

#include "taskbar_progress_common.h"

namespace tarvela::ui {

TaskbarProgress::TaskbarProgress() = default;

TaskbarProgress::~TaskbarProgress() = default;

void TaskbarProgress::send() {}

} // namespace tarvela::ui
