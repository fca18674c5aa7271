#include "progress_panel.h"

#include "ui_texts.h"

#include "sync/send_trip.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <climits>

namespace tarvela::ui {

TProgressPanel::TProgressPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("RzPanelProgress"));
    setFrameShape(QFrame::StyledPanel);
    setFixedHeight(kHeight);

    auto* fileCaption = new QLabel(QString::fromUtf8(text::kFileLabel), this);
    fileCaption->setObjectName(QStringLiteral("RzLabel2"));
    auto* folderCaption = new QLabel(QString::fromUtf8(text::kFolderLabel), this);
    folderCaption->setObjectName(QStringLiteral("RzLabel3"));

    RzLabelNameFile = new QLabel(this);
    RzLabelNameFile->setObjectName(QStringLiteral("RzLabelNameFile"));
    RzLabelNameFolder = new QLabel(this);
    RzLabelNameFolder->setObjectName(QStringLiteral("RzLabelNameFolder"));
    for (QLabel* l : {RzLabelNameFile, RzLabelNameFolder}) {
        l->setTextFormat(Qt::PlainText);
        l->setFixedWidth(400);
    }

    ProgressBarFile = new QProgressBar(this);
    ProgressBarFile->setObjectName(QStringLiteral("ProgressBarFile"));
    ProgressBarFolder = new QProgressBar(this);
    ProgressBarFolder->setObjectName(QStringLiteral("ProgressBarFolder"));
    for (QProgressBar* b : {ProgressBarFile, ProgressBarFolder}) {
        b->setRange(0, 100);
        b->setValue(0);
        b->setTextVisible(false);
        b->setFixedHeight(16);
    }

    RzLabelTrip = new QLabel(this);
    RzLabelTrip->setObjectName(QStringLiteral("RzLabelTrip"));
    RzLabelTrip->setTextFormat(Qt::PlainText);
    RzLabelTrip->hide();

    RzBtnStopCopy = new QToolButton(this);
    RzBtnStopCopy->setObjectName(QStringLiteral("RzBtnStopCopy"));
    RzBtnStopCopy->setToolTip(QString::fromUtf8(text::kStopHint));
    RzBtnStopCopy->setIcon(QIcon(QStringLiteral(":/art/stop.png")));
    RzBtnStopCopy->setIconSize(QSize(28, 28));
    RzBtnStopCopy->setFixedSize(40, 40);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    grid->addWidget(fileCaption, 0, 0);
    grid->addWidget(RzLabelNameFile, 0, 1);
    grid->addWidget(ProgressBarFile, 0, 2);
    grid->addWidget(folderCaption, 1, 0);
    grid->addWidget(RzLabelNameFolder, 1, 1);
    grid->addWidget(ProgressBarFolder, 1, 2);
    grid->addWidget(RzBtnStopCopy, 0, 3, 2, 1);
    grid->addWidget(RzLabelTrip, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    applyTimer_ = new QTimer(this);
    applyTimer_->setSingleShot(true);
    applyTimer_->setInterval(0);
    connect(applyTimer_, &QTimer::timeout, this, &TProgressPanel::applyPending);
}

void TProgressPanel::setBar(QProgressBar* bar, std::int64_t position, std::int64_t maximum) {
    maximum = std::max<std::int64_t>(maximum, 0);
    position = std::clamp<std::int64_t>(position, 0, maximum);
    while (maximum > INT_MAX) {
        maximum >>= 1;
        position >>= 1;
    }
    // A range of 0..0 would turn the bar into a busy indicator.
    bar->setRange(0, std::max(1, static_cast<int>(maximum)));
    bar->setValue(static_cast<int>(position));
}

void TProgressPanel::setFolderProgress(std::int64_t position, std::int64_t maximum) {
    folderMaximum_ = maximum;
    folderPosition_ = position;
    if (deferred_) {
        pending_.folderBar = {position, maximum};
        schedule();
        return;
    }
    setBar(ProgressBarFolder, position, maximum);
}

void TProgressPanel::setFileProgress(std::int64_t position, std::int64_t maximum) {
    if (deferred_) {
        pending_.fileBar = {position, maximum};
        schedule();
        return;
    }
    setBar(ProgressBarFile, position, maximum);
}

void TProgressPanel::setElided(QLabel* label, const QString& text) {
    label->setToolTip(text);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
}

void TProgressPanel::setFolderLabel(const QString& path) {
    if (deferred_) {
        RzLabelNameFolder->setToolTip(path);
        pending_.folderLabel = path;
        schedule();
        return;
    }
    setElided(RzLabelNameFolder, path);
}
void TProgressPanel::setFileLabel(const QString& path) {
    if (deferred_) {
        RzLabelNameFile->setToolTip(path);
        pending_.fileLabel = path;
        schedule();
        return;
    }
    setElided(RzLabelNameFile, path);
}

void TProgressPanel::resetBars() {
    pending_.folderBar.reset();
    pending_.fileBar.reset();
    ProgressBarFolder->setValue(0);
    ProgressBarFile->setValue(0);
    folderPosition_ = 0;
}

void TProgressPanel::setTripTotals(const TripTotals& totals) {
    RzLabelTrip->setText(QString::fromStdString(tripPanelText(totals)));
    if (RzLabelTrip->isHidden()) {
        RzLabelTrip->show();
        setFixedHeight(kHeight + kTripLineHeight);
    }
}

void TProgressPanel::clearTrip() {
    RzLabelTrip->clear();
    RzLabelTrip->hide();
    setFixedHeight(kHeight);
}

void TProgressPanel::setDeferred(bool deferred) {
    if (!deferred)
        applyPending();
    deferred_ = deferred;
}

void TProgressPanel::schedule() {
    if (!applyTimer_->isActive())
        applyTimer_->start();
}

void TProgressPanel::applyPending() {
    applyTimer_->stop();
    Pending p = std::exchange(pending_, {});
    if (p.folderBar)
        setBar(ProgressBarFolder, p.folderBar->first, p.folderBar->second);
    if (p.fileBar)
        setBar(ProgressBarFile, p.fileBar->first, p.fileBar->second);
    if (p.folderLabel)
        setElided(RzLabelNameFolder, *p.folderLabel);
    if (p.fileLabel)
        setElided(RzLabelNameFile, *p.fileLabel);
}

} // namespace tarvela::ui
