#pragma once
// Progress on the program's entry in the desktop's task bar or dock: the launcher-entry signal
// ("com.canonical.Unity.LauncherEntry" Update) on the session bus, which docks and panels of
// several desktops listen to. Without a session bus (a plain X server, the offscreen tests) or
// without Qt's D-Bus module, nothing is shown and nothing fails.

#include <cstdint>

namespace tarvela::ui {

class TaskbarProgress {
public:
    TaskbarProgress();

    // Value out of total; total 0 shows nothing done.
    void setProgress(std::int64_t value, std::int64_t total);
    // Removes the progress display.
    void stopProgress();

    // Whether a session bus was found at start-up.
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
    double fraction_ = 0.0;
    bool visible_ = false;
    int sent_ = 0;
};

} // namespace tarvela::ui
