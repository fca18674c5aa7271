// The controls of the main window and where they stand: a fixed 953 x 562 window, the 97-pixel
// strip on the left, the profile area and the computer area at the top, the echo with the
// progress panel beneath it across the bottom.
#include "tarvela_window.h"

#include "echo_pane.h"
#include "progress_panel.h"
#include "ui_texts.h"
#include "widget_helpers.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarvela::ui {
namespace {

constexpr int kClientWidth = 953;
constexpr int kClientHeight = 562;
constexpr int kStripWidth = 97;
constexpr int kTopHeight = 262;

QLabel* caption(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* label = named(new QLabel(tr8(text), parent), name);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setGeometry(geometry);
    return label;
}

QFrame* border(QWidget* parent, const char* name, QRect geometry) {
    auto* frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, const char* icon, QRect geometry) {
    auto* b = named(new QPushButton(tr8(text), parent), name);
    if (icon != nullptr) {
        b->setIcon(QIcon(QString::fromLatin1(icon)));
        b->setIconSize(QSize(20, 20));
    }
    b->setGeometry(geometry);
    return b;
}

} // namespace

void TFmTarvela::buildControls() {
    setFixedSize(kClientWidth, kClientHeight);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // The left strip.
    auto* strip = named(new QFrame(this), "RzPanel1");
    strip->setGeometry(0, 0, kStripWidth, kClientHeight);
    strip->setAutoFillBackground(true);
    QPalette sp = strip->palette();
    sp.setColor(QPalette::Window, QColor(62, 74, 92));
    sp.setColor(QPalette::WindowText, QColor(230, 232, 236));
    strip->setPalette(sp);
    auto* decoration = named(new QLabel(strip), "img2");
    decoration->setPixmap(QPixmap(QStringLiteral(":/art/strip.png")));
    decoration->setGeometry(0, 0, kStripWidth, 400);
    img1 = named(new QLabel(strip), "img1");
    img1->setPixmap(QPixmap(QStringLiteral(":/art/style.png")));
    img1->setToolTip(tr8(text::kStyleHint));
    img1->setGeometry(16, 410, 64, 64);
    RzLblVersion = named(new QLabel(strip), "RzLblVersion");
    RzLblVersion->setToolTip(tr8(text::kAuthorHint));
    RzLblVersion->setAlignment(Qt::AlignCenter);
    RzLblVersion->setGeometry(0, 490, kStripWidth, 20);
    auto* maker = named(new QLabel(tr8(text::kMaker), strip), "RzLabel5");
    maker->setAlignment(Qt::AlignCenter);
    QFont small = maker->font();
    small.setPixelSize(10);
    maker->setFont(small);
    maker->setGeometry(0, 520, kStripWidth, 20);

    // The rest of the window.
    auto* main = named(new QFrame(this), "RzPanel2");
    main->setGeometry(kStripWidth, 0, kClientWidth - kStripWidth, kClientHeight);
    const int width = kClientWidth - kStripWidth;

    // Profiles.
    border(main, "RzBorder1", QRect(8, 8, 420, kTopHeight - 16));
    caption(main, "RzLabel1", text::kChooseProfile, QRect(20, 14, 300, 20));
    RzListBoxProfile = named(new QListWidget(main), "RzListBoxProfile");
    RzListBoxProfile->setGeometry(20, 38, 396, 160);
    RzListBoxProfile->setSelectionMode(QAbstractItemView::SingleSelection);
    RzBitBtnAddProfil = button(main, "RzBitBtnAddProfil", text::kAdd, ":/art/add.png", QRect(20, 206, 124, 34));
    RzBitBtnDelProfil = button(main, "RzBitBtnDelProfil", text::kDelete, ":/art/delete.png", QRect(156, 206, 124, 34));
    RzBitBtnEditConfig = button(main, "RzBitBtnEditConfig", text::kEdit, ":/art/edit.png", QRect(292, 206, 124, 34));

    // This computer and the two directions.
    border(main, "RzBorder2", QRect(440, 8, width - 448, kTopHeight - 16));
    caption(main, "RzLabel6", text::kThisComputer, QRect(456, 14, 300, 20));
    RzRadioButtonWork = named(new QRadioButton(tr8(text::kWorkComputer), main), "RzRadioButtonWork");
    RzRadioButtonWork->setGeometry(470, 40, 300, 22);
    RzRadioButtonWork->setChecked(true);
    RzRadioButtonHome = named(new QRadioButton(tr8(text::kHomeComputer), main), "RzRadioButtonHome");
    RzRadioButtonHome->setGeometry(470, 66, 300, 22);
    caption(main, "RzLabel4", text::kSynchronise, QRect(456, 108, 300, 20));
    RzBtnTarvelaWorkHome =
        button(main, "RzBtnTarvelaWorkHome", text::kWorkWithHome, ":/art/work_home.png", QRect(470, 136, 340, 44));
    RzBtnTarvelaHomeWork =
        button(main, "RzBtnTarvelaHomeWork", text::kHomeWithWork, ":/art/home_work.png", QRect(470, 190, 340, 44));
    for (QPushButton* b : {RzBtnTarvelaWorkHome, RzBtnTarvelaHomeWork})
        b->setIconSize(QSize(32, 32));

    // The echo and the progress panel beneath it.
    auto* bottom = named(new QFrame(main), "RzPanel4");
    bottom->setGeometry(0, kTopHeight, width, kClientHeight - kTopHeight);
    RzRichEditEchoCom = new EchoPane(bottom);
    auto* divider = named(new QFrame(bottom), "RzPanel3");
    divider->setFrameShape(QFrame::HLine);
    divider->setFixedHeight(3);
    RzPanelProgress = new TProgressPanel(bottom);
    RzPanelProgress->hide();
    auto* column = new QVBoxLayout(bottom);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(RzRichEditEchoCom, 1);
    column->addWidget(divider);
    column->addWidget(RzPanelProgress);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);

    PopupMenuLogView = named(new QMenu(this), "PopupMenuLogView");
    N1ViewLog = named(PopupMenuLogView->addAction(tr8(text::kViewLogItem)), "N1ViewLog");
    RzListBoxProfile->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenuStyleThemes = named(new QMenu(this), "PopupMenuStyleThemes");
    img1->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(RzListBoxProfile, &QListWidget::itemSelectionChanged, this, &TFmTarvela::RzListBoxProfileClick);
    // A click on the line already selected looks at the medium again (the store may have changed).
    connect(RzListBoxProfile, &QListWidget::itemClicked, this, [this] {
        if (!running_)
            TestState(Task);
    });
    connect(RzBitBtnAddProfil, &QPushButton::clicked, this, &TFmTarvela::RzBitBtnAddProfilClick);
    connect(RzBitBtnDelProfil, &QPushButton::clicked, this, &TFmTarvela::RzBitBtnDelProfilClick);
    connect(RzBitBtnEditConfig, &QPushButton::clicked, this, &TFmTarvela::RzBitBtnEditConfigClick);
    connect(RzRadioButtonWork, &QRadioButton::clicked, this, &TFmTarvela::RzRadioButtonWorkClick);
    connect(RzRadioButtonHome, &QRadioButton::clicked, this, &TFmTarvela::RzRadioButtonHomeClick);
    connect(RzBtnTarvelaWorkHome, &QPushButton::clicked, this, &TFmTarvela::RzBtnTarvelaWorkHomeClick);
    connect(RzBtnTarvelaHomeWork, &QPushButton::clicked, this, &TFmTarvela::RzBtnTarvelaHomeWorkClick);
    connect(RzPanelProgress->stopButton(), &QToolButton::clicked, this, &TFmTarvela::RzBtnStopCopyClick);
    connect(Timer1, &QTimer::timeout, this, &TFmTarvela::Timer1Timer);
    connect(PopupMenuLogView, &QMenu::aboutToShow, this, &TFmTarvela::PopupMenuLogViewPopup);
    connect(N1ViewLog, &QAction::triggered, this, &TFmTarvela::N1ViewLogClick);
    connect(RzListBoxProfile, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenuLogView->popup(RzListBoxProfile->viewport()->mapToGlobal(at)); });
    connect(img1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenuStyleThemes->popup(img1->mapToGlobal(at)); });
}

} // namespace tarvela::ui
