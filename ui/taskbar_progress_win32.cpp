// Taskbar progress on the window's taskbar button through the shell's ITaskbarList3.
#include "taskbar_progress.h"

#include "taskbar_progress_common.h"

#include <QWidget>

#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>

namespace tarvela::ui {
namespace {

ITaskbarList3* shellOf(void* p) {
    return static_cast<ITaskbarList3*>(p);
}

// The taskbar object of the shell, or null where it is not offered (before Windows 7, or a shell
// without it). COM is already set up on the GUI thread by Qt's Windows platform; on another
// platform plugin (the offscreen tests) it is set up here, once per TaskbarProgress.
ITaskbarList3* createTaskbarList(bool& comStarted) {
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted = SUCCEEDED(init);
    void* object = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &object)) ||
        object == nullptr)
        return nullptr;
    auto* list = static_cast<ITaskbarList3*>(object);
    if (FAILED(list->HrInit())) {
        list->Release();
        return nullptr;
    }
    return list;
}

} // namespace

TaskbarProgress::TaskbarProgress() {
    shell_ = createTaskbarList(comStarted_);
    available_ = shell_ != nullptr;
}

TaskbarProgress::~TaskbarProgress() {
    if (shell_ != nullptr)
        shellOf(shell_)->Release();
    if (comStarted_)
        ::CoUninitialize();
}

// Until the window has a taskbar button the calls fail; they are harmless and the next change of
// the progress is shown.
void TaskbarProgress::send() {
    if (shell_ == nullptr || window_ == nullptr)
        return;
    const auto hwnd = reinterpret_cast<HWND>(window_->winId());
    if (visible_) {
        shellOf(shell_)->SetProgressState(hwnd, TBPF_NORMAL);
        shellOf(shell_)->SetProgressValue(hwnd, static_cast<ULONGLONG>(value_), static_cast<ULONGLONG>(total_ > 0 ? total_ : 1));
    } else {
        shellOf(shell_)->SetProgressState(hwnd, TBPF_NOPROGRESS);
    }
}

} // namespace tarvela::ui
