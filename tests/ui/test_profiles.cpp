// The profile list and the profile editor: deleting with and without a store, the editor's slider,
// validation, saving a new and an existing profile, the dependent boxes, clearing the store, the
// log button, and the guards: a cancelled addition, "Добавить"/"Редактировать" while the editor is
// open, a deletion while it is open, and a run in progress.
#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "records/profile_file.h"
#include "tarvela_config.h"
#include "ui_fixture.h"
#include "view_log.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <filesystem>

using namespace tarvela;
using namespace tarvela::ui;
using namespace tarvela::ui::test;

namespace {

ModalDriver::Driver pressYesNo(bool yes, QString* text = nullptr) {
    return [yes, text](QDialog& d) {
        if (text != nullptr)
            *text = d.windowTitle() + QStringLiteral("|") + qobject_cast<QMessageBox*>(&d)->text();
        QTest::mouseClick(child<QPushButton>(d, yes ? "Yes" : "No"), Qt::LeftButton);
    };
}

ModalDriver::Driver acceptOk(QString* text) {
    return [text](QDialog& d) {
        *text = d.windowTitle() + QStringLiteral("|") + qobject_cast<QMessageBox*>(&d)->text();
        d.accept();
    };
}

void click(QObject& window, const char* name) {
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

std::uintmax_t fileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

} // namespace

class TestProfiles : public QObject {
    Q_OBJECT
private slots:
    void deletingAskFirstOnlyWithStore_data();
    void deletingAskFirstOnlyWithStore();
    void deletingTheOnlyProfileLeavesAnEmptyFile();
    void deletingRemovesTheSelectedLineAmongEqualNames();
    void withNoLineHighlightedNothingIsRunEditedOrDeleted();
    void selectingAHomeProfileSavedHere();
    void sliderStoresAndShowsPairs();
    void validation_data();
    void validation();
    void savingANewProfile();
    void savingAnExistingProfileOnAnotherComputer();
    void dependentCheckBoxes();
    void cancelledAdditionLeavesNoRecord();
    void addAndEditWhileTheEditorIsOpenKeepItsProfile();
    void deletionWhileTheEditorIsOpenKeepsItsProfile();
    void clearingFilesOfSavedAndUnsavedProfiles();
    void viewLogButton();
    void nothingChangesProfilesDuringARun();
    void aProfileFileThatCannotBeWrittenChangesNothing();
    void returningFromTheEditorReselectsItsProfile();
    void enterSavesAndEscapeClosesTheEditor();
    void aFolderTheCommandLineToolRefusesIsRefused_data();
    void aFolderTheCommandLineToolRefusesIsRefused();
    void changesMadeByTheCommandLineToolMeanwhileAreKept();
    void clearingFilesAsksWhileABatchIsPending();
    void anIdentifierThatNamesNoStoreIsReplaced_data();
    void anIdentifierThatNamesNoStoreIsReplaced();
};

void TestProfiles::deletingAskFirstOnlyWithStore_data() {
    QTest::addColumn<bool>("store");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("no store: no question") << false << false << true;
    QTest::newRow("store, answer yes") << true << true << true;
    QTest::newRow("store, answer no") << true << false << false;
}

void TestProfiles::deletingAskFirstOnlyWithStore() {
    QFETCH(bool, store);
    QFETCH(bool, yes);
    QFETCH(bool, deleted);
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home())});
    if (store)
        writeFile(medium.pathTask("AAAAAAAA") + "/WFiles/Folder_1/x.txt", "x");
    auto w = startWindow(medium);
    QString asked;
    if (store)
        w->modalDriver().setNextAnswer(pressYesNo(yes, &asked));
    click(*w, "RzBitBtnDelProfil");
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    if (store)
        QCOMPARE(asked, QStringLiteral("Предупреждение|Удалить задание и все связанные с ним файлы?\n\n"
                                       "Профиль: «Первый»"));
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    QCOMPARE(list->count(), deleted ? 1 : 2);
    QCOMPARE(LoadProfiles(medium.programPath()).size(), deleted ? 1u : 2u);
    QCOMPARE(w->profiles().size(), deleted ? 1u : 2u);
    QCOMPARE(exists(medium.pathTask("AAAAAAAA")), store && !deleted);
    if (deleted) {
        QCOMPARE(list->item(0)->text(), QStringLiteral("Второй"));
        QCOMPARE(list->currentRow(), -1);
    }
}

void TestProfiles::deletingTheOnlyProfileLeavesAnEmptyFile() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Один", "AAAAAAAA", medium.work(), medium.home())});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnDelProfil");
    QCOMPARE(child<QListWidget>(*w, "RzListBoxProfile")->count(), 0);
    QVERIFY(w->profiles().empty());
    QVERIFY(exists(medium.programPath() + "Tarvela.cfg"));
    QCOMPARE(fileSize(medium.programPath() + "Tarvela.cfg"), 0u);
    for (const char* name : {"RzBitBtnEditConfig", "RzBitBtnDelProfil", "RzBtnTarvelaWorkHome", "RzBtnTarvelaHomeWork"})
        QVERIFY2(!child<QPushButton>(*w, name)->isEnabled(), name);
    QVERIFY(child<QPushButton>(*w, "RzBitBtnAddProfil")->isEnabled());
    // A profile whose identifier names no folder below Task never removes Task itself.
    medium.writeProfiles({Medium::profile("Пустой Id", "", medium.work(), medium.home())});
    writeFile(medium.programPath() + "Task/OTHER/keep.txt", "k");
    auto again = startWindow(medium);
    click(*again, "RzBitBtnDelProfil");
    QCOMPARE(again->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(exists(medium.programPath() + "Task/OTHER/keep.txt"));
    QVERIFY(again->profiles().empty());
}

// A click on the empty part of the list takes the highlight away but not the list's current row:
// what is highlighted is what counts, so with no line highlighted the direction buttons are
// disabled and "Редактировать", "Удалить" and a direction do nothing.
void TestProfiles::withNoLineHighlightedNothingIsRunEditedOrDeleted() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home())});
    writeFile(medium.work() + "a.txt", "a");
    writeFile(medium.pathTask("AAAAAAAA") + "/WFiles/Folder_1/x.txt", "x");
    writeFile(medium.pathTask("BBBBBBBB") + "/WFiles/Folder_1/x.txt", "x");
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    auto* workHome = child<QPushButton>(*w, "RzBtnTarvelaWorkHome");
    QCOMPARE(list->selectedItems().size(), 1);
    QVERIFY(workHome->isEnabled());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->viewport()->height() - 10));
    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(!workHome->isEnabled());
    QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());
    w->RzBtnTarvelaWorkHomeClick(); // the handler itself refuses too
    QVERIFY(!w->lastResult().has_value());
    click(*w, "RzBitBtnEditConfig");
    QVERIFY(!w->config().isVisible());
    w->RzBitBtnDelProfilClick();
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QCOMPARE(w->profiles().size(), 2u);
    // The role buttons recompute nothing into a runnable state either.
    QTest::mouseClick(child<QRadioButton>(*w, "RzRadioButtonHome"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>(*w, "RzRadioButtonWork"), Qt::LeftButton);
    QVERIFY(!workHome->isEnabled());

    // Highlighting the second line: the question names the profile it deletes.
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QVERIFY(workHome->isEnabled());
    QString asked;
    w->modalDriver().setNextAnswer(pressYesNo(true, &asked));
    click(*w, "RzBitBtnDelProfil");
    QVERIFY(asked.endsWith(QStringLiteral("Профиль: «Второй»")));
    QCOMPARE(w->profiles().size(), 1u);
    QCOMPARE(w->profiles().front().NameConf.text(), std::string("Первый"));
    QVERIFY(exists(medium.pathTask("AAAAAAAA")));
    // After the deletion no line is highlighted, and the direction buttons say so.
    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(!workHome->isEnabled());
}

void TestProfiles::deletingRemovesTheSelectedLineAmongEqualNames() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Same", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Same", "BBBBBBBB", medium.work(), medium.home()),
                          Medium::profile("Same", "CCCCCCCC", medium.work(), medium.home())});
    auto w = startWindow(medium);
    child<QListWidget>(*w, "RzListBoxProfile")->setCurrentRow(1);
    click(*w, "RzBitBtnDelProfil");
    const ProfilArray left = LoadProfiles(medium.programPath());
    QCOMPARE(left.size(), 2u);
    QCOMPARE(left[0].Id.text(), std::string("AAAAAAAA"));
    QCOMPARE(left[1].Id.text(), std::string("CCCCCCCC"));
    QVERIFY(w->profiles() == left);
}

void TestProfiles::selectingAHomeProfileSavedHere() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Работа", "AAAAAAAA", medium.work(), medium.home(), "work"),
                          Medium::profile("Дом", "BBBBBBBB", medium.work(), medium.home(), "home")});
    auto w = startWindow(medium);
    child<QListWidget>(*w, "RzListBoxProfile")->setCurrentRow(1);
    QVERIFY(child<QRadioButton>(*w, "RzRadioButtonHome")->isChecked());
    // Editing it shows the same role in the editor.
    click(*w, "RzBitBtnEditConfig");
    QVERIFY(child<QRadioButton>(w->config(), "RadioButtonPCHome")->isChecked());
    QCOMPARE(w->config().NProf, 1);
}

void TestProfiles::sliderStoresAndShowsPairs() {
    Medium medium;
    TProfilLine p = Medium::profile("Пары", "AAAAAAAA", "/w1/", "/h1/");
    p.pair(5).PathWork = ShortString<255>::fromText("/w5/");
    p.pair(7).PathHome = ShortString<255>::fromText("/h7/");
    medium.writeProfiles({p});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    QVERIFY(c.isVisible());
    auto* slider = child<QSlider>(c, "RzTrackBarNomFolder");
    auto* work = child<QLineEdit>(c, "EditPathWork");
    auto* home = child<QLineEdit>(c, "EditPathHome");
    auto* number = child<QLabel>(c, "RzLabelNomer");
    QCOMPARE(slider->minimum(), 1);
    QCOMPARE(slider->maximum(), 10);
    QCOMPARE(slider->value(), 1);
    QCOMPARE(number->text(), QStringLiteral("1"));
    QCOMPARE(work->text(), QStringLiteral("/w1/"));

    work->setText(QStringLiteral("/изменено"));
    slider->setValue(5);
    QCOMPARE(c.profilLine().pair(1).PathWork.text(), std::string("/изменено"));
    QCOMPARE(number->text(), QStringLiteral("5"));
    QCOMPARE(work->text(), QStringLiteral("/w5/"));
    QCOMPARE(home->text(), QString());
    slider->setValue(7);
    QCOMPARE(home->text(), QStringLiteral("/h7/"));
    home->setText(QStringLiteral("/не сохранится"));

    // Closing saves nothing; reopening shows pair 1 of the profile as loaded, pair 7 its own.
    click(c, "RzBitBtnCloseConfig");
    QVERIFY(!c.isVisible());
    QVERIFY(LoadProfiles(medium.programPath())[0] == p);
    QVERIFY(w->profiles()[0] == p);
    click(*w, "RzBitBtnEditConfig");
    QCOMPARE(slider->value(), 1);
    QCOMPARE(number->text(), QStringLiteral("1"));
    QCOMPARE(work->text(), QStringLiteral("/w1/"));
    slider->setValue(7);
    QCOMPARE(home->text(), QStringLiteral("/h7/"));
}

void TestProfiles::validation_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pair");
    QTest::addColumn<bool>("homeSide");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("every path empty") << QStringLiteral("Имя") << 0 << false << false;
    QTest::newRow("empty name, path set") << QString() << 1 << false << false;
    QTest::newRow("a space is a name") << QStringLiteral(" ") << 1 << false << true;
    QTest::newRow("work side of pair 1") << QStringLiteral("Имя") << 1 << false << true;
    QTest::newRow("home side of pair 10") << QStringLiteral("Имя") << 10 << true << true;
    QTest::newRow("work side of pair 4") << QStringLiteral("Имя") << 4 << false << true;
}

void TestProfiles::validation() {
    QFETCH(QString, name);
    QFETCH(int, pair);
    QFETCH(bool, homeSide);
    QFETCH(bool, accepted);
    Medium medium;
    auto w = startWindow(medium);
    click(*w, "RzBitBtnAddProfil");
    TFmConfig& c = w->config();
    child<QLineEdit>(c, "EditProfName")->setText(name);
    if (pair > 0) {
        child<QSlider>(c, "RzTrackBarNomFolder")->setValue(pair);
        child<QLineEdit>(c, homeSide ? "EditPathHome" : "EditPathWork")->setText(QStringLiteral("/папка"));
    }
    QString shown;
    if (!accepted)
        w->modalDriver().setNextAnswer(acceptOk(&shown));
    click(c, "RzBitBtnSaveConfig");
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QCOMPARE(w->profiles().size(), accepted ? 1u : 0u);
    QCOMPARE(exists(medium.programPath() + "Tarvela.cfg"), accepted);
    QCOMPARE(c.isVisible(), !accepted);
    if (!accepted) {
        QCOMPARE(shown, QStringLiteral("Ошибка|Не все параметры введены"));
    } else {
        const TFolderDual& saved = w->profiles()[0].pair(static_cast<std::size_t>(pair));
        QCOMPARE((homeSide ? saved.PathHome : saved.PathWork).text(), std::string("/папка/"));
    }
}

void TestProfiles::savingANewProfile() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Старый", "AAAAAAAA", medium.work(), medium.home())});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnAddProfil");
    TFmConfig& c = w->config();
    QVERIFY(c.ProfNew);
    QCOMPARE(c.windowTitle(), QStringLiteral("Настройка профиля"));
    auto* id = child<QLineEdit>(c, "EditIdProf");
    QVERIFY(id->isReadOnly());
    QCOMPARE(id->text().size(), 8);
    QVERIFY(child<QCheckBox>(c, "RzCheckBoxDelConfirm")->isChecked());
    QVERIFY(!child<QCheckBox>(c, "RzCheckBoxOperacDel")->isChecked());
    QVERIFY(child<QRadioButton>(c, "RadioButtonPCWork")->isChecked());
    QCOMPARE(child<QLineEdit>(c, "EditFileExcept")->placeholderText(), QStringLiteral("пример *.pas;*.zip;proba.bmp"));

    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Новый"));
    // The folder dialog opens at the program's folder whatever the box holds; cancel changes nothing.
    c.folderDialog().setNextFileName(QString::fromStdString(medium.root() + "work"));
    click(c, "ButtonPathWork");
    QCOMPARE(c.folderDialog().lastStartFolder(), QString::fromStdString(medium.programPath()));
    c.folderDialog().setNextFileName(QString());
    click(c, "ButtonPathWork");
    QCOMPARE(child<QLineEdit>(c, "EditPathWork")->text(), QString::fromStdString(medium.root() + "work"));
    child<QSlider>(c, "RzTrackBarNomFolder")->setValue(2);
    c.folderDialog().setNextFileName(QString::fromStdString(medium.root() + "home"));
    click(c, "ButtonPathHome");
    QCOMPARE(c.folderDialog().lastStartFolder(), QString::fromStdString(medium.programPath()));
    child<QLineEdit>(c, "EditFileExcept")->setText(QStringLiteral("*.tmp;*.bak"));
    const std::string newId = id->text().toStdString();
    QVERIFY(c.RzBitBtnSaveConfigClick());

    QVERIFY(!c.isVisible());
    QVERIFY(!c.ProfNew);
    const ProfilArray saved = LoadProfiles(medium.programPath());
    QCOMPARE(saved.size(), 2u);
    QVERIFY(saved == w->profiles());
    const TProfilLine& p = saved[1];
    QCOMPARE(p.NameConf.text(), std::string("Новый"));
    QCOMPARE(p.Id.text(), newId);
    QCOMPARE(p.IdPC.bytes(), w->pcIdent());
    QCOMPARE(p.PC.text(), std::string("work"));
    // The editor ends a folder with this system's separator.
    const char sep = platform::pathSeparator();
    QCOMPARE(p.pair(1).PathWork.text(), medium.root() + "work" + sep);
    QCOMPARE(p.pair(1).PathHome.text(), std::string());
    QCOMPARE(p.pair(2).PathHome.text(), medium.root() + "home" + sep);
    QCOMPARE(p.LineExcept.text(), std::string("*.tmp;*.bak"));
    QVERIFY(p.DellConfirmat && !p.OperacDell && !p.DellBasket && !p.SaveLog);
    QCOMPARE(w->listExcept(), (ExclusionList{"*.tmp", "*.bak"}));
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), QStringLiteral("Новый"));
    QCOMPARE(list->currentRow(), -1);
    // Activation selects line NProf again (0 here), not the new profile.
    w->FormActivate();
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(w->task().Id.text(), std::string("AAAAAAAA"));
}

void TestProfiles::savingAnExistingProfileOnAnotherComputer() {
    Medium medium;
    TProfilLine other = Medium::profile("Чужой", "AAAAAAAA", medium.work(), medium.home(), "work");
    other.IdPC = ShortString<25>::fromText("другой-компьютер");
    medium.writeProfiles({Medium::profile("Первый", "FIRST001", medium.work(), medium.home()), other});
    auto w = startWindow(medium);
    child<QListWidget>(*w, "RzListBoxProfile")->setCurrentRow(1);
    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    QCOMPARE(child<QLineEdit>(c, "EditIdProf")->text(), QStringLiteral("AAAAAAAA"));
    child<QRadioButton>(c, "RadioButtonPCHome")->setChecked(true);
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Переименован"));
    QVERIFY(c.RzBitBtnSaveConfigClick());
    const ProfilArray saved = LoadProfiles(medium.programPath());
    QCOMPARE(saved.size(), 2u);
    QCOMPARE(saved[0].NameConf.text(), std::string("Первый"));
    QCOMPARE(saved[1].NameConf.text(), std::string("Переименован"));
    QCOMPARE(saved[1].Id.text(), std::string("AAAAAAAA"));
    QCOMPARE(saved[1].IdPC.bytes(), w->pcIdent());
    QCOMPARE(saved[1].PC.text(), std::string("home"));
    QCOMPARE(saved[1].pair(1).PathWork.text(), medium.work());
    w->FormActivate();
    QCOMPARE(child<QListWidget>(*w, "RzListBoxProfile")->currentRow(), 1);
    QVERIFY(child<QRadioButton>(*w, "RzRadioButtonHome")->isChecked());
}

void TestProfiles::dependentCheckBoxes() {
    Medium medium;
    auto w = startWindow(medium);
    click(*w, "RzBitBtnAddProfil");
    TFmConfig& c = w->config();
    auto* del = child<QCheckBox>(c, "RzCheckBoxOperacDel");
    auto* basket = child<QCheckBox>(c, "RzCheckBoxDellBasket");
    auto* confirm = child<QCheckBox>(c, "RzCheckBoxDelConfirm");
    QVERIFY(!basket->isEnabled() && !confirm->isEnabled());
    QTest::mouseClick(del, Qt::LeftButton);
    QVERIFY(basket->isEnabled() && confirm->isEnabled());
    basket->setChecked(true);
    confirm->setChecked(false);
    QTest::mouseClick(del, Qt::LeftButton);
    QVERIFY(!basket->isEnabled() && !confirm->isEnabled());
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("П"));
    child<QLineEdit>(c, "EditPathWork")->setText(QStringLiteral("/w"));
    QVERIFY(c.RzBitBtnSaveConfigClick());
    const TProfilLine& p = w->profiles()[0];
    QVERIFY(!p.OperacDell && p.DellBasket && !p.DellConfirmat);
}

void TestProfiles::cancelledAdditionLeavesNoRecord() {
    Medium medium;
    const TProfilLine first = Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home());
    medium.writeProfiles({first});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnAddProfil");
    click(w->config(), "RzBitBtnCloseConfig");
    QCOMPARE(w->profiles().size(), 1u);
    // "Редактировать" afterwards edits the selected profile, not a new one.
    click(*w, "RzBitBtnEditConfig");
    QVERIFY(!w->config().ProfNew);
    QCOMPARE(child<QLineEdit>(w->config(), "EditIdProf")->text(), QStringLiteral("AAAAAAAA"));
    QVERIFY(w->config().RzBitBtnSaveConfigClick());
    const ProfilArray saved = LoadProfiles(medium.programPath());
    QCOMPARE(saved.size(), 1u);
    QCOMPARE(saved[0].Id.text(), std::string("AAAAAAAA"));
}

void TestProfiles::addAndEditWhileTheEditorIsOpenKeepItsProfile() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home())});
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    list->setCurrentRow(1);
    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Второй изменён"));
    list->setCurrentRow(0);
    click(*w, "RzBitBtnEditConfig");
    click(*w, "RzBitBtnAddProfil");
    QVERIFY(!c.ProfNew);
    QCOMPARE(c.NProf, 1);
    QCOMPARE(child<QLineEdit>(c, "EditProfName")->text(), QStringLiteral("Второй изменён"));
    QVERIFY(c.RzBitBtnSaveConfigClick());
    const ProfilArray saved = LoadProfiles(medium.programPath());
    QCOMPARE(saved.size(), 2u);
    QCOMPARE(saved[0].NameConf.text(), std::string("Первый"));
    QCOMPARE(saved[1].NameConf.text(), std::string("Второй изменён"));
    QCOMPARE(saved[1].Id.text(), std::string("BBBBBBBB"));
}

void TestProfiles::deletionWhileTheEditorIsOpenKeepsItsProfile() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home()),
                          Medium::profile("Третий", "CCCCCCCC", medium.work(), medium.home())});
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    list->setCurrentRow(2);
    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    list->setCurrentRow(0);
    click(*w, "RzBitBtnDelProfil");
    QVERIFY(c.isVisible());
    QCOMPARE(c.NProf, 1);
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Третий изменён"));
    QVERIFY(c.RzBitBtnSaveConfigClick());
    ProfilArray saved = LoadProfiles(medium.programPath());
    QCOMPARE(saved.size(), 2u);
    QCOMPARE(saved[0].NameConf.text(), std::string("Второй"));
    QCOMPARE(saved[1].NameConf.text(), std::string("Третий изменён"));

    // Deleting the profile shown closes the editor: nothing can be saved into another one.
    list->setCurrentRow(1);
    click(*w, "RzBitBtnEditConfig");
    click(*w, "RzBitBtnDelProfil");
    QVERIFY(!c.isVisible());
    saved = LoadProfiles(medium.programPath());
    QCOMPARE(saved.size(), 1u);
    QCOMPARE(saved[0].NameConf.text(), std::string("Второй"));
}

void TestProfiles::clearingFilesOfSavedAndUnsavedProfiles() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home())});
    writeFile(medium.pathTask("AAAAAAAA") + "/WTabFile_1.dat", "t");
    // What this computer remembers of the agreed states' generations, of this profile and another.
    const std::string memory = platform::userDataFolder() + "agreed-generations";
    const std::string remembered = "7\tAAAAAAAA|1|/w/|/h/\n9\tBBBBBBBB|1|/w/|/h/\n";
    writeFile(memory, remembered);
    auto w = startWindow(medium);
    // A new profile has no store yet: the button removes nothing, also not the profile seen before.
    click(*w, "RzBitBtnEditConfig");
    click(w->config(), "RzBitBtnCloseConfig");
    click(*w, "RzBitBtnAddProfil");
    click(w->config(), "ButtonClearFilesProf");
    QVERIFY(exists(medium.pathTask("AAAAAAAA") + "/WTabFile_1.dat"));
    QVERIFY(exists(medium.programPath() + "Task"));
    QCOMPARE(readFile(memory), remembered);
    click(w->config(), "RzBitBtnCloseConfig");
    // A saved profile loses its store and this computer forgets its generations, nothing else; no
    // question is asked.
    click(*w, "RzBitBtnEditConfig");
    click(w->config(), "ButtonClearFilesProf");
    QVERIFY(!exists(medium.pathTask("AAAAAAAA")));
    QVERIFY(exists(medium.programPath() + "Task"));
    QCOMPARE(readFile(memory), std::string("9\tBBBBBBBB|1|/w/|/h/\n"));
    QCOMPARE(w->profiles().size(), 1u);
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestProfiles::aFolderTheCommandLineToolRefusesIsRefused_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("relative") << QStringLiteral("Документы") << QStringLiteral("Папку нужно указать полным путём");
    QTest::newRow("relative with dot") << QStringLiteral("./Документы") << QStringLiteral("Папку нужно указать полным путём");
    QTest::newRow("drive without separator") << QStringLiteral("C:Документы")
                                             << QStringLiteral("Папку нужно указать полным путём");
    QTest::newRow("tab") << QStringLiteral("/папка\tвторая") << QStringLiteral("управляющий символ");
    QTest::newRow("outside the code page") << QStringLiteral("/папка/日本") << QStringLiteral("Windows-1251");
    // 255 characters, the most the box takes: no room for the trailing separator.
    QTest::newRow("too long") << QStringLiteral("/") + QString(254, QLatin1Char('x')) << QStringLiteral("длиннее 255 байт");
    QTest::newRow("absolute, posix") << QStringLiteral("/home/user/Документы") << QString();
    QTest::newRow("absolute, drive") << QStringLiteral("D:\\Документы") << QString();
    QTest::newRow("absolute, network") << QStringLiteral("\\\\server\\share") << QString();
}

// The editor applies the command-line tool's rule to every typed folder: a relative one would be
// taken from the folder the program happened to be started in. The refusal names the reason, the
// pair and the side, shows that pair, and saves nothing.
void TestProfiles::aFolderTheCommandLineToolRefusesIsRefused() {
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    Medium medium;
    auto w = startWindow(medium);
    click(*w, "RzBitBtnAddProfil");
    TFmConfig& c = w->config();
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Имя"));
    child<QLineEdit>(c, "EditPathWork")->setText(QString::fromStdString(medium.work()));
    auto* slider = child<QSlider>(c, "RzTrackBarNomFolder");
    slider->setValue(3);
    child<QLineEdit>(c, "EditPathHome")->setText(folder);
    slider->setValue(1);
    QString shown;
    if (!reason.isEmpty())
        w->modalDriver().setNextAnswer(acceptOk(&shown));
    const bool saved = c.RzBitBtnSaveConfigClick();
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QCOMPARE(saved, reason.isEmpty());
    if (saved) {
        QCOMPARE(QString::fromStdString(w->profiles()[0].pair(3).PathHome.text()).left(folder.size()), folder);
        return;
    }
    QVERIFY2(shown.startsWith(QStringLiteral("Ошибка|")), qPrintable(shown));
    QVERIFY2(shown.contains(reason), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("Группа папок № 3, папка домашняя: «") + folder + QStringLiteral("»")),
             qPrintable(shown));
    QVERIFY(c.isVisible());
    QCOMPARE(slider->value(), 3);
    QCOMPARE(child<QLineEdit>(c, "EditPathHome")->text(), folder);
    QVERIFY(w->profiles().empty());
    QVERIFY(!exists(medium.programPath() + "Tarvela.cfg"));
}

// The command-line tool adds a profile and changes another while the window is open: the window's
// next save and deletion change the file as it is then, and lose neither.
void TestProfiles::changesMadeByTheCommandLineToolMeanwhileAreKept() {
    Medium medium;
    const TProfilLine first = Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home());
    const TProfilLine second = Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home());
    medium.writeProfiles({first, second});
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    list->setCurrentRow(1);
    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Второй, из окна"));

    TProfilLine firstChanged = first;
    firstChanged.NameConf = ShortString<255>::fromText("Первый, из терминала");
    const TProfilLine added = Medium::profile("Из терминала", "CCCCCCCC", medium.work(), medium.home());
    medium.writeProfiles({added, firstChanged, second});

    QVERIFY(c.RzBitBtnSaveConfigClick());
    ProfilArray onDisk = LoadProfiles(medium.programPath());
    QCOMPARE(onDisk.size(), 3u);
    QCOMPARE(onDisk[0].NameConf.text(), std::string("Из терминала"));
    QCOMPARE(onDisk[1].NameConf.text(), std::string("Первый, из терминала"));
    QCOMPARE(onDisk[2].NameConf.text(), std::string("Второй, из окна"));
    QCOMPARE(list->count(), 3);
    QCOMPARE(c.NProf, 2);

    // The terminal removes the first profile; the window deletes "Второй, из окна" by its line.
    medium.writeProfiles({added, onDisk[2]});
    w->FormActivate();
    list->setCurrentRow(2);
    QVERIFY(w->task().Id.text() == "BBBBBBBB");
    click(*w, "RzBitBtnDelProfil");
    onDisk = LoadProfiles(medium.programPath());
    QCOMPARE(onDisk.size(), 1u);
    QCOMPARE(onDisk[0].NameConf.text(), std::string("Из терминала"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

// A batch one computer sent and the other has not received would be lost with the store: the
// editor asks first, and "Нет" keeps everything.
void TestProfiles::clearingFilesAsksWhileABatchIsPending() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home())});
    writeFile(medium.pathTask("AAAAAAAA") + "/WTabFile_1.dat", "t");
    writeFile(medium.pathTask("AAAAAAAA") + "/HFiles/Folder_1/XXXXXXXXXXXX.txt", "carried");
    auto w = startWindow(medium);
    click(*w, "RzBitBtnEditConfig");
    QString shown;
    w->modalDriver().setNextAnswer(pressYesNo(false, &shown));
    click(w->config(), "ButtonClearFilesProf");
    QVERIFY2(shown.contains(QStringLiteral("ещё не приняты")), qPrintable(shown));
    QVERIFY(exists(medium.pathTask("AAAAAAAA") + "/HFiles/Folder_1/XXXXXXXXXXXX.txt"));
    w->modalDriver().setNextAnswer(pressYesNo(true));
    click(w->config(), "ButtonClearFilesProf");
    QVERIFY(!exists(medium.pathTask("AAAAAAAA")));
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestProfiles::viewLogButton() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home())});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnEditConfig");
    click(w->config(), "ButtonViewLog");
    QVERIFY(!w->viewLog().isVisible());
    writeFile(medium.pathTask("AAAAAAAA") + "/AAAAAAAA.log", "{\\rtf1 строка\\par}\r\n");
    click(w->config(), "ButtonViewLog");
    QVERIFY(w->viewLog().isVisible());
    QCOMPARE(w->viewLog().NameFileLog, QString::fromStdString(medium.pathTask("AAAAAAAA") + "/AAAAAAAA.log"));
    w->viewLog().close();
}

void TestProfiles::nothingChangesProfilesDuringARun() {
    Medium medium;
    writeFile(medium.work() + "big.bin", std::string(std::size_t{3} << 20, 'b'));
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home())});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("во время работы"));
    bool tried = false;
    bool saveEnabled = true;
    bool clearEnabled = true;
    w->setOnFileProgress([&] {
        if (tried)
            return;
        tried = true;
        saveEnabled = child<QPushButton>(c, "RzBitBtnSaveConfig")->isEnabled();
        clearEnabled = child<QPushButton>(c, "ButtonClearFilesProf")->isEnabled();
        // The handlers refuse as well, whoever calls them.
        QVERIFY(!c.RzBitBtnSaveConfigClick());
        c.ButtonClearFilesProfClick();
        w->RzBitBtnDelProfilClick();
        w->RzBitBtnAddProfilClick();
        w->RzBitBtnEditConfigClick();
    });
    w->modalDriver().setNextAnswer([](QDialog& d) {
        child<QCheckBox>(d, "RzCheckBoxCopyAll")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(d, "RzBitBtnOk"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(*w, "RzBtnTarvelaWorkHome"), Qt::LeftButton);
    QVERIFY(tried);
    QVERIFY(!saveEnabled && !clearEnabled);
    QCOMPARE(LoadProfiles(medium.programPath()).size(), 2u);
    QCOMPARE(LoadProfiles(medium.programPath())[0].NameConf.text(), std::string("Первый"));
    QVERIFY(exists(medium.pathTask("AAAAAAAA") + "/WFiles"));
    QVERIFY(!c.ProfNew);
    // After the run the editor saves again.
    QVERIFY(child<QPushButton>(c, "RzBitBtnSaveConfig")->isEnabled());
    QVERIFY(c.RzBitBtnSaveConfigClick());
    QCOMPARE(LoadProfiles(medium.programPath())[0].NameConf.text(), std::string("во время работы"));
}

// Something that is not a file stands where the profile file belongs: the save and the deletion
// report it, and the array and the list stay as the file was.
void TestProfiles::aProfileFileThatCannotBeWrittenChangesNothing() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home())});
    auto w = startWindow(medium);
    const ProfilArray before = w->profiles();
    const std::string file = medium.programPath() + "Tarvela.cfg";
    std::filesystem::remove(file);
    std::filesystem::create_directories(file + "/blocked");

    click(*w, "RzBitBtnEditConfig");
    TFmConfig& c = w->config();
    child<QLineEdit>(c, "EditProfName")->setText(QStringLiteral("Не сохранится"));
    QString shown;
    w->modalDriver().setNextAnswer(acceptOk(&shown));
    QVERIFY(!c.RzBitBtnSaveConfigClick());
    QVERIFY(shown.startsWith(QStringLiteral("Ошибка|")));
    QVERIFY(c.isVisible());
    QVERIFY(w->profiles() == before);
    click(c, "RzBitBtnCloseConfig");

    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    list->setCurrentRow(1);
    w->modalDriver().setNextAnswer(acceptOk(&shown));
    click(*w, "RzBitBtnDelProfil");
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(!w->modalDriver().hasPendingAnswers());
    QVERIFY(w->profiles() == before);
    QCOMPARE(list->count(), 2);
}

// The main window becoming active after the editor selects line NProf again, even when the user
// selected another line meanwhile.
void TestProfiles::returningFromTheEditorReselectsItsProfile() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Первый", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Второй", "BBBBBBBB", medium.work(), medium.home(), "home")});
    auto w = startWindow(medium);
    // The offscreen platform does not move the activation between windows by itself.
    QApplication::setActiveWindow(w.get());
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    list->setCurrentRow(1);
    click(*w, "RzBitBtnEditConfig");
    QApplication::setActiveWindow(&w->config());
    QVERIFY(w->config().isActiveWindow());
    list->setCurrentRow(0);
    click(w->config(), "RzBitBtnCloseConfig");
    QApplication::setActiveWindow(w.get());
    QVERIFY(w->isActiveWindow());
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(w->task().Id.text(), std::string("BBBBBBBB"));
    QVERIFY(child<QRadioButton>(*w, "RzRadioButtonHome")->isChecked());
}

void TestProfiles::anIdentifierThatNamesNoStoreIsReplaced_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("kept");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot dot") << QStringLiteral("..") << false;
    QTest::newRow("separator") << QStringLiteral("a/b") << false;
    QTest::newRow("plain") << QStringLiteral("PLAIN123") << true;
}

// A hand-made profile whose identifier cannot name its store below Task gets a fresh one when it
// is edited, so that the save repairs it.
void TestProfiles::anIdentifierThatNamesNoStoreIsReplaced() {
    QFETCH(QString, id);
    QFETCH(bool, kept);
    Medium medium;
    medium.writeProfiles({Medium::profile("Ручной", id.toStdString(), medium.work(), medium.home())});
    auto w = startWindow(medium);
    click(*w, "RzBitBtnEditConfig");
    QVERIFY(w->config().RzBitBtnSaveConfigClick());
    const std::string saved = LoadProfiles(medium.programPath())[0].Id.text();
    if (kept) {
        QCOMPARE(QString::fromStdString(saved), id);
    } else {
        QCOMPARE(saved.size(), 8u);
        QVERIFY(saved.find_first_not_of("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos);
    }
}

// The keys users expect of such a window: Enter saves, Escape closes without saving; Enter on a
// focused button presses that button.
void TestProfiles::enterSavesAndEscapeClosesTheEditor() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Было", "AAAAAAAA", medium.work(), medium.home())});
    auto w = startWindow(medium);
    TFmConfig& editor = w->config();
    auto* name = child<QLineEdit>(editor, "EditProfName");

    click(*w, "RzBitBtnEditConfig");
    QVERIFY(editor.isVisible());
    name->setText(QStringLiteral("Отменено"));
    QTest::keyClick(name, Qt::Key_Escape);
    QVERIFY(!editor.isVisible());
    QCOMPARE(LoadProfiles(medium.programPath()).front().NameConf.text(), std::string("Было"));

    click(*w, "RzBitBtnEditConfig");
    name->setText(QStringLiteral("Стало"));
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(!editor.isVisible());
    QCOMPARE(LoadProfiles(medium.programPath()).front().NameConf.text(), std::string("Стало"));

    // Enter on the focused "Закрыть" closes rather than saves.
    click(*w, "RzBitBtnEditConfig");
    name->setText(QStringLiteral("Не сохранять"));
    auto* closeButton = child<QPushButton>(editor, "RzBitBtnCloseConfig");
    closeButton->setFocus();
    QTest::keyClick(closeButton, Qt::Key_Return);
    QVERIFY(!editor.isVisible());
    QCOMPARE(LoadProfiles(medium.programPath()).front().NameConf.text(), std::string("Стало"));
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

QTEST_MAIN(TestProfiles)
#include "test_profiles.moc"
