#include "dialog_ful_copy.h"

#include "base/messages.h"
#include "qt_text.h"
#include "style_catalog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <utility>

namespace tarvela::ui {
namespace {

constexpr int kWidth = 754;
constexpr int kHeight = 266;
const QColor kTitleColor(153, 51, 102);
const QColor kPurple(128, 0, 128);

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QColor& color, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TFmDialogFulCopy::TFmDialogFulCopy(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FmDialogFulCopy"));
    // No title text, only the close box. An empty title would let the platform put the program's
    // name in the title bar; a single space shows as nothing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    RzLabel1 = makeLabel(this, "RzLabel1", qs(msg::kFullCopyInfoMissing), kTitleColor, QRect(16, 14, kWidth - 32, 36));
    QFont big = RzLabel1->font();
    big.setBold(true);
    big.setPixelSize(20);
    RzLabel1->setFont(big);

    RzLabel2 = makeLabel(this, "RzLabel2", qs(msg::kFullCopyFolder), kPurple, QRect(40, 62, 60, 22));
    RzLabelNameFolder = makeLabel(this, "RzLabelNameFolder", QString(), kPurple, QRect(104, 62, 600, 22));
    colourLabels();

    // The question holds a carriage return where its line breaks.
    RzCheckBoxCopyAll = new QCheckBox(qs(msg::kFullCopyAllFiles).replace(QLatin1Char('\r'), QLatin1Char('\n')), this);
    RzCheckBoxCopyAll->setObjectName(QStringLiteral("RzCheckBoxCopyAll"));
    RzCheckBoxCopyAll->setGeometry(40, 98, kWidth - 80, 44);
    RzCheckBoxAll = new QCheckBox(qs(msg::kFullCopyForAllFolders), this);
    RzCheckBoxAll->setObjectName(QStringLiteral("RzCheckBoxAll"));
    RzCheckBoxAll->setGeometry(40, 150, kWidth - 80, 26);

    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), qs(msg::kExecute), this);
    ok->setObjectName(QStringLiteral("RzBitBtnOk"));
    ok->setGeometry(kWidth / 2 - 190, 206, 170, 34);
    ok->setDefault(true);
    auto* close = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), qs(msg::kRefuse), this);
    close->setObjectName(QStringLiteral("RzBitBtnClose"));
    close->setGeometry(kWidth / 2 + 20, 206, 170, 34);
    connect(ok, &QPushButton::clicked, this, &TFmDialogFulCopy::RzBitBtnOkClick);
    connect(close, &QPushButton::clicked, this, &TFmDialogFulCopy::RzBitBtnCloseClick);
}

void TFmDialogFulCopy::showEvent(QShowEvent* event) {
    FormShow();
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TFmDialogFulCopy::colourLabels() {
    const QColor window = palette().color(QPalette::Window);
    for (auto [label, fixed] :
         {std::pair{RzLabel1, kTitleColor}, std::pair{RzLabel2, kPurple}, std::pair{RzLabelNameFolder, kPurple}}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, readableOn(fixed, window));
        label->setPalette(p);
    }
}

void TFmDialogFulCopy::FormShow() {
    colourLabels(); // the style may have changed since the last question
    RzLabelNameFolder->setToolTip(NameFolder);
    RzLabelNameFolder->setText(
        RzLabelNameFolder->fontMetrics().elidedText(NameFolder, Qt::ElideMiddle, RzLabelNameFolder->width()));
    MR = kRefused;
}

void TFmDialogFulCopy::RzBitBtnOkClick() {
    All = RzCheckBoxAll->isChecked();
    MR = RzCheckBoxCopyAll->isChecked() ? kCopyAll : kCopyNothing;
    done(MR);
}

void TFmDialogFulCopy::RzBitBtnCloseClick() {
    MR = kRefused;
    done(MR);
}

// The close box and Escape: the window closes with the result it holds (3 unless a button set it).
void TFmDialogFulCopy::closeEvent(QCloseEvent* event) {
    event->accept();
    done(MR);
}

void TFmDialogFulCopy::reject() {
    done(MR);
}

} // namespace tarvela::ui
