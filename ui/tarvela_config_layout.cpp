// The controls of the profile editor: four stacked groups (name, pair choice, the two folders,
// options) and the bottom bar of four buttons.
#include "tarvela_config.h"

#include "ui_texts.h"
#include "widget_helpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace tarvela::ui {
namespace {

constexpr int kPathLength = 255;

QGroupBox* group(const char* title, QLayout* content) {
    auto* box = new QGroupBox(tr8(title));
    box->setLayout(content);
    return box;
}

QLineEdit* edit(const char* name, int maxLength) {
    auto* e = named(new QLineEdit, name);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

} // namespace

void TFmConfig::buildControls() {
    setMinimumWidth(560);

    // The profile's name and its identifier.
    EditProfName = edit("EditProfName", kPathLength);
    EditIdProf = edit("EditIdProf", 0);
    EditIdProf->setReadOnly(true);
    EditIdProf->setFixedWidth(110);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(EditProfName, 1);
    nameRow->addWidget(named(new QLabel(tr8(text::kIdLabel)), "RzLabel3"));
    nameRow->addWidget(EditIdProf);

    // The pair on screen.
    RzLabelNomer = named(new QLabel, "RzLabelNomer");
    RzLabelNomer->setMinimumWidth(24);
    RzTrackBarNomFolder = named(new QSlider(Qt::Horizontal), "RzTrackBarNomFolder");
    RzTrackBarNomFolder->setRange(1, 10);
    RzTrackBarNomFolder->setPageStep(1);
    RzTrackBarNomFolder->setTickPosition(QSlider::TicksBelow);
    RzTrackBarNomFolder->setTickInterval(1);
    RzTrackBarNomFolder->setValue(1);
    auto* pairRow = new QHBoxLayout;
    pairRow->addWidget(named(new QLabel(tr8(text::kPairNumber)), "RzLabel1"));
    pairRow->addWidget(RzLabelNomer);
    pairRow->addWidget(RzTrackBarNomFolder, 1);

    // The two folders of the pair.
    auto* ButtonPathWork = named(new QPushButton(tr8(text::kWorkFolder)), "ButtonPathWork");
    auto* ButtonPathHome = named(new QPushButton(tr8(text::kHomeFolder)), "ButtonPathHome");
    EditPathWork = edit("EditPathWork", kPathLength);
    EditPathHome = edit("EditPathHome", kPathLength);
    auto* folders = new QGridLayout;
    folders->addWidget(ButtonPathWork, 0, 0);
    folders->addWidget(EditPathWork, 0, 1);
    folders->addWidget(ButtonPathHome, 1, 0);
    folders->addWidget(EditPathHome, 1, 1);
    folders->setColumnStretch(1, 1);

    // Options.
    RadioButtonPCWork = named(new QRadioButton(tr8(text::kRoleWork)), "RadioButtonPCWork");
    RadioButtonPCHome = named(new QRadioButton(tr8(text::kRoleHome)), "RadioButtonPCHome");
    RadioButtonPCWork->setChecked(true);
    EditFileExcept = edit("EditFileExcept", 0);
    EditFileExcept->setMaxLength(32767);
    EditFileExcept->setPlaceholderText(tr8(text::kExcludedHint));
    RzCheckBoxOperacDel = named(new QCheckBox(tr8(text::kOperacDel)), "RzCheckBoxOperacDel");
    RzCheckBoxDellBasket = named(new QCheckBox(tr8(text::kDellBasket)), "RzCheckBoxDellBasket");
    RzCheckBoxDelConfirm = named(new QCheckBox(tr8(text::kDelConfirm)), "RzCheckBoxDelConfirm");
    RzCheckBoxSaveLog = named(new QCheckBox(tr8(text::kSaveLog)), "RzCheckBoxSaveLog");
    auto* options = new QGridLayout;
    options->addWidget(named(new QLabel(tr8(text::kThisComputerIs)), "RzLabel4"), 0, 0);
    options->addWidget(RadioButtonPCWork, 0, 1);
    options->addWidget(RadioButtonPCHome, 0, 2);
    options->addWidget(named(new QLabel(tr8(text::kExcludedFiles)), "RzLabel2"), 1, 0);
    options->addWidget(EditFileExcept, 1, 1, 1, 2);
    options->addWidget(RzCheckBoxOperacDel, 2, 0);
    options->addWidget(RzCheckBoxDellBasket, 2, 1, 1, 2);
    options->addWidget(RzCheckBoxSaveLog, 3, 0);
    options->addWidget(RzCheckBoxDelConfirm, 3, 1, 1, 2);
    options->setColumnStretch(2, 1);

    // The bottom bar.
    ButtonClearFilesProf = named(new QPushButton(tr8(text::kClearFiles)), "ButtonClearFilesProf");
    ButtonViewLog = named(new QPushButton(tr8(text::kViewProfileLog)), "ButtonViewLog");
    RzBitBtnSaveConfig = named(new QPushButton(tr8(text::kSaveProfile)), "RzBitBtnSaveConfig");
    RzBitBtnCloseConfig = named(new QPushButton(tr8(text::kClose)), "RzBitBtnCloseConfig");
    auto* bar = new QHBoxLayout;
    bar->addWidget(ButtonClearFilesProf);
    bar->addWidget(ButtonViewLog);
    bar->addStretch(1);
    bar->addWidget(RzBitBtnSaveConfig);
    bar->addWidget(RzBitBtnCloseConfig);

    auto* column = new QVBoxLayout(this);
    column->addWidget(named(group(text::kGroupName, nameRow), "GroupBoxName"));
    column->addWidget(named(group(text::kGroupPair, pairRow), "GroupBoxPair"));
    column->addWidget(named(group(text::kGroupFolders, folders), "GroupBoxFolders"));
    column->addWidget(named(group(text::kGroupOptions, options), "GroupBoxOptions"));
    column->addLayout(bar);
    fitToContents();

    // The slider tells the pair it leaves before it shows the new one.
    connect(RzTrackBarNomFolder, &QSlider::valueChanged, this, [this](int position) {
        RzTrackBarNomFolderChanging(shownPair_);
        RzTrackBarNomFolderChange(position);
    });
    connect(RzCheckBoxOperacDel, &QCheckBox::toggled, this, &TFmConfig::RzCheckBoxOperacDelClick);
    connect(ButtonPathWork, &QPushButton::clicked, this, &TFmConfig::ButtonPathWorkClick);
    connect(ButtonPathHome, &QPushButton::clicked, this, &TFmConfig::ButtonPathHomeClick);
    connect(RzBitBtnSaveConfig, &QPushButton::clicked, this, &TFmConfig::RzBitBtnSaveConfigClick);
    connect(ButtonClearFilesProf, &QPushButton::clicked, this, &TFmConfig::ButtonClearFilesProfClick);
    connect(ButtonViewLog, &QPushButton::clicked, this, &TFmConfig::ButtonViewLogClick);
    connect(RzBitBtnCloseConfig, &QPushButton::clicked, this, &TFmConfig::RzBitBtnCloseConfigClick);
}

} // namespace tarvela::ui
