#pragma once
// Progress on the program's entry in the desktop's task bar or dock. On Linux the launcher-entry
// signal ("com.canonical.Unity.LauncherEntry" Update) on the session bus, which docks and panels of
// several desktops listen to; on Windows the taskbar button of the attached window, through the
// shell's ITaskbarList3. Without a session bus (a plain X server, the offscreen tests), without Qt's
// D-Bus module or without the taskbar interface, nothing is shown and nothing fails.

#include <cstdint>

class QWidget;

namespace tarvela::ui {

class TaskbarProgress {
public:
    TaskbarProgress();
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // The window whose taskbar button shows the progress (Windows; the bus names the program).
    void attach(QWidget* window) { window_ = window; }

    // Value out of total; total 0 shows nothing done.
    void setProgress(std::int64_t value, std::int64_t total);
    // Removes the progress display.
    void stopProgress();

    // Whether a session bus (Windows: the taskbar interface) was found at start-up.
    bool available() const { return available_; }
    // What was last sent (also recorded without a bus, for the tests).
    double lastFraction() const { return fraction_; }
    bool progressVisible() const { return visible_; }
    // How many updates were meant for the entry (sent when there is a bus).
    int updates() const { return sent_; }

    // value/total clamped to 0..1.
    static double fraction(std::int64_t value, std::int64_t total);

private:
    void send();

    bool available_ = false;
    QWidget* window_ = nullptr;
    void* shell_ = nullptr;    // the ITaskbarList3 on Windows
    bool comStarted_ = false; // Windows: COM set up by this object, to be ended with it
    std::int64_t value_ = 0;
    std::int64_t total_ = 0;
    double fraction_ = 0.0;
    bool visible_ = false;
    int sent_ = 0;
};

} // namespace tarvela::ui
