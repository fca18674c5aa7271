#pragma once
// The progress panel RzPanelProgress under the echo: the file being copied and the folder being
// worked on (both shortened with an ellipsis to their labels' widths), the two progress bars and
// the stop button.

#include "base/run_host.h"

#include <QFrame>

#include <cstdint>
#include <optional>
#include <utility>

class QLabel;
class QProgressBar;
class QTimer;
class QToolButton;

namespace tarvela::ui {

class TProgressPanel final : public QFrame {
    Q_OBJECT
public:
    explicit TProgressPanel(QWidget* parent);

    void setFolderProgress(std::int64_t position, std::int64_t maximum);
    void setFileProgress(std::int64_t position, std::int64_t maximum);
    void setFolderLabel(const QString& path);
    void setFileLabel(const QString& path);
    void resetBars();

    // A send that carries only part of its files this trip: the line under the bars with what is
    // stored so far of all there is to carry and what this trip will carry ("Перенесено файлов N
    // из M (X из Y); в эту поездку: файлов K (Z)"). Hidden until a run sets it; clearTrip() hides
    // it again (the start of every run).
    void setTripTotals(const TripTotals& totals);
    void clearTrip();

    // While a run copies many small files the engine reports every file and every chunk; a
    // progress bar repaints itself at once on each change, and a label shortens its path anew.
    // Deferred, the panel keeps only the latest values (the tooltips at once) and shows them when
    // the event loop next runs (every ~20 ms during a run) or at applyPending().
    void setDeferred(bool deferred);
    void applyPending();

    // ProgressBarFolder's maximum and position in the engine's units (the bar itself may scale).
    std::int64_t folderMaximum() const { return folderMaximum_; }
    std::int64_t folderPosition() const { return folderPosition_; }

    QToolButton* stopButton() const { return RzBtnStopCopy; }

    // A progress bar holds an int: larger values are scaled down together.
    static void setBar(QProgressBar* bar, std::int64_t position, std::int64_t maximum);

private:
    static constexpr int kHeight = 58;         // the two rows of bars
    static constexpr int kTripLineHeight = 18; // the partial trip's line under them
    static void setElided(QLabel* label, const QString& text);

    QLabel* RzLabelNameFile = nullptr;
    QLabel* RzLabelNameFolder = nullptr;
    QLabel* RzLabelTrip = nullptr;
    QProgressBar* ProgressBarFile = nullptr;
    QProgressBar* ProgressBarFolder = nullptr;
    QToolButton* RzBtnStopCopy = nullptr;
    std::int64_t folderMaximum_ = 0;
    std::int64_t folderPosition_ = 0;

    struct Pending {
        std::optional<std::pair<std::int64_t, std::int64_t>> folderBar, fileBar;
        std::optional<QString> folderLabel, fileLabel;
    };
    void schedule();
    bool deferred_ = false;
    Pending pending_;
    QTimer* applyTimer_ = nullptr;
};

} // namespace tarvela::ui
