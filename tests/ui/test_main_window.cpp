// The main window on its own: start-up with and without profiles, the list click, the enabling
// rule, the echo pane, the progress panel and its timer, the log menu.
#include "base/echo_color.h"
#include "base/messages.h"
#include "echo_pane.h"
#include "progress_panel.h"
#include "style_catalog.h"
#include "tarvela_config.h"
#include "ui_fixture.h"
#include "view_log.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <filesystem>

using namespace tarvela;
using namespace tarvela::ui;
using namespace tarvela::ui::test;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsWithoutProfileFile();
    void startsWithProfiles();
    void reportsUnreadableProfileFile();
    void saysTheProfileFileEndsInPartOfARecord();
    void listClickSetsTaskRoleAndExclusions();
    void enablingRuleFollowsRoleAndStoreRoots();
    void echoColoursBoldAndScroll();
    void roleOfAProfileSavedElsewhereIsChosenHere();
    void echoKeepsLineStartsInViewAndReadsInEveryStyle();
    void directionsFollowTheMediumOnActivationAndClick();
    void progressPanelAndTimer();
    void logMenuEnabledOnlyWithLogFile();
};

void TestMainWindow::startsWithoutProfileFile() {
    Medium medium;
    auto w = startWindow(medium);
    QCOMPARE(w->size(), QSize(953, 562));
    QCOMPARE(w->windowTitle(), QStringLiteral("Синронизация папок двух компьютеров через внешний носитель"));
    const QStringList lines = echoLines(*w);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].startsWith(QStringLiteral("Старт программы. Сейчас ")));
    QVERIFY(lines[0].contains(QStringLiteral(". Время: ")));
    QCOMPARE(echoColor(*w, 0), QColor(128, 0, 0));
    QCOMPARE(child<QListWidget>(*w, "RzListBoxProfile")->count(), 0);
    QVERIFY(w->task() == TProfilLine{});
    for (const char* name : {"RzBitBtnEditConfig", "RzBitBtnDelProfil", "RzBtnTarvelaWorkHome", "RzBtnTarvelaHomeWork"})
        QVERIFY2(!child<QPushButton>(*w, name)->isEnabled(), name);
    QVERIFY(child<QPushButton>(*w, "RzBitBtnAddProfil")->isEnabled());
    QVERIFY(child<QRadioButton>(*w, "RzRadioButtonWork")->isChecked());
    QCOMPARE(child<QLabel>(*w, "RzLblVersion")->text(), QStringLiteral("v." TARVELA_TEST_VERSION));
    QVERIFY(!child<QWidget>(*w, "RzPanelProgress")->isVisible());
    QVERIFY(!child<QTimer>(*w, "Timer1")->isActive());
    QCOMPARE(child<QTimer>(*w, "Timer1")->interval(), 1000);
    QCOMPARE(w->programPath(), medium.programPath());
    QVERIFY(!w->pcIdent().empty());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestMainWindow::startsWithProfiles() {
    Medium medium;
    TProfilLine first = Medium::profile("Документы", "AAAAAAAA", medium.work(), medium.home());
    first.LineExcept = ShortString<255>::fromText("*.tmp;*.bak");
    medium.writeProfiles({first, Medium::profile("Фото", "BBBBBBBB", medium.work(), medium.home())});
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Документы"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Фото"));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(w->task() == first);
    QCOMPARE(w->listExcept(), (ExclusionList{"*.tmp", "*.bak"}));
    for (const char* name : {"RzBitBtnEditConfig", "RzBitBtnDelProfil"})
        QVERIFY2(child<QPushButton>(*w, name)->isEnabled(), name);
    // Role work, nothing pending: only the sending direction.
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());
    QCOMPARE(echoLines(*w).size(), 1);
}

void TestMainWindow::reportsUnreadableProfileFile() {
    Medium medium;
    // A folder where the profile file belongs cannot be read as one.
    std::filesystem::create_directories(medium.programPath() + "Tarvela.cfg/x");
    auto w = std::make_unique<TFmTarvela>(medium.programPath());
    QString shown;
    w->modalDriver().setNextAnswer([&shown](QDialog& d) {
        shown = d.windowTitle();
        d.accept();
    });
    w->modalDriver().setStrict(true);
    w->FormCreate();
    QCOMPARE(shown, w->windowTitle());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(!w->modalDriver().hasPendingAnswers());
    QCOMPARE(child<QListWidget>(*w, "RzListBoxProfile")->count(), 0);
    QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QVERIFY(child<QLabel>(*w, "RzLblVersion")->text().startsWith(QStringLiteral("v.")));
}

// A profile file cut one byte short of its second record: the first profile is listed, and a red
// line after the start line says what became of the rest.
void TestMainWindow::saysTheProfileFileEndsInPartOfARecord() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Документы", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Фото", "BBBBBBBB", medium.work(), medium.home())});
    const std::string file = medium.programPath() + "Tarvela.cfg";
    std::filesystem::resize_file(file, 2 * TProfilLine::kSize - 1);
    auto w = startWindow(medium);
    QCOMPARE(child<QListWidget>(*w, "RzListBoxProfile")->count(), 1);
    const QStringList lines = echoLines(*w);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1], QString::fromUtf8(std::string(msg::kProfileFilePartialRecord) + file));
    QCOMPARE(echoColor(*w, 1), EchoPane::shownColor(color::kRed));
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestMainWindow::listClickSetsTaskRoleAndExclusions() {
    Medium medium;
    TProfilLine masked = Medium::profile("С масками", "AAAAAAAA", medium.work(), medium.home(), "work");
    masked.LineExcept = ShortString<255>::fromText("*.tmp");
    TProfilLine homeHere = Medium::profile("Дом", "BBBBBBBB", medium.work(), medium.home(), "home");
    TProfilLine elsewhere = Medium::profile("Чужой", "CCCCCCCC", medium.work(), medium.home(), "work");
    elsewhere.IdPC = ShortString<25>::fromText("0000-0000-other");
    medium.writeProfiles({masked, homeHere, elsewhere});
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    auto* work = child<QRadioButton>(*w, "RzRadioButtonWork");
    auto* home = child<QRadioButton>(*w, "RzRadioButtonHome");

    list->setCurrentRow(1);
    QVERIFY(w->task() == homeHere);
    QVERIFY(home->isChecked());
    QVERIFY(w->listExcept().empty());
    QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());

    // Saved on another computer: which computer this is was never said here, so no role is on
    // (the one left over from the last profile would be a guess) and no direction may run.
    list->setCurrentRow(2);
    QVERIFY(w->task() == elsewhere);
    QVERIFY(!home->isChecked());
    QVERIFY(!work->isChecked());

    list->setCurrentRow(0);
    QVERIFY(work->isChecked());
    QCOMPARE(w->listExcept(), ExclusionList{"*.tmp"});
}

void TestMainWindow::enablingRuleFollowsRoleAndStoreRoots() {
    Medium medium;
    medium.writeProfiles({Medium::profile("П", "AAAAAAAA", medium.work(), medium.home())});
    auto w = startWindow(medium);
    auto* workHome = child<QPushButton>(*w, "RzBtnTarvelaWorkHome");
    auto* homeWork = child<QPushButton>(*w, "RzBtnTarvelaHomeWork");
    auto* work = child<QRadioButton>(*w, "RzRadioButtonWork");
    auto* home = child<QRadioButton>(*w, "RzRadioButtonHome");
    struct Row {
        bool w, h, roleHome, workHomeEnabled, homeWorkEnabled;
    };
    const Row rows[] = {
        {false, false, false, true, false}, {false, false, true, false, true}, {true, false, false, true, false},
        {true, false, true, true, true},    {false, true, false, true, true},  {false, true, true, false, true},
        {true, true, false, true, true},    {true, true, true, true, true},
    };
    const std::string task = medium.pathTask("AAAAAAAA");
    for (const Row& r : rows) {
        std::filesystem::remove_all(task);
        if (r.w)
            std::filesystem::create_directories(task + "/WFiles");
        if (r.h)
            std::filesystem::create_directories(task + "/HFiles");
        QTest::mouseClick(r.roleHome ? home : work, Qt::LeftButton);
        QVERIFY((r.roleHome ? home : work)->isChecked());
        QCOMPARE(workHome->isEnabled(), r.workHomeEnabled);
        QCOMPARE(homeWork->isEnabled(), r.homeWorkEnabled);
    }
}

void TestMainWindow::echoColoursBoldAndScroll() {
    Medium medium;
    auto w = startWindow(medium);
    EchoPane& pane = w->echoPane();
    QVERIFY(pane.isReadOnly());
    QCOMPARE(pane.palette().color(QPalette::Text), QColor(128, 0, 128));
    w->AddEchoText("красная", color::kRed);
    w->AddEchoText("зелёная", color::kGreen);
    w->AddEchoText("без цвета", color::kNone);
    w->AddEchoText("с переводом\nстроки", color::kBlue);
    const QStringList lines = echoLines(*w);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QStringLiteral("красная"));
    // Red, darkened just enough to read on every style's paper (pure red reads 4:1 on white).
    QCOMPARE(echoColor(*w, 1), EchoPane::shownColor(color::kRed));
    QVERIFY(echoColor(*w, 1).red() >= 200 && echoColor(*w, 1).green() == 0 && echoColor(*w, 1).blue() == 0);
    QVERIFY(echoBold(*w, 1));
    QCOMPARE(echoColor(*w, 2), QColor(0, 128, 0));
    QVERIFY(!echoBold(*w, 2));
    QCOMPARE(echoColor(*w, 3), QColor(0, 0, 0));
    QVERIFY(!echoBold(*w, 3));
    QCOMPARE(echoColor(*w, 4), QColor(0, 0, 255));
    QVERIFY(lines[4].contains(QChar::LineSeparator));

    // The newest line is in view after each append, even when the user scrolled up.
    for (int i = 0; i < 300; ++i)
        w->AddEchoText("строка " + std::to_string(i), color::kGreen);
    // The lines reach the document when the event loop runs.
    QCOMPARE(pane.document()->blockCount(), 5);
    QCoreApplication::processEvents();
    QCOMPARE(pane.document()->blockCount(), 305);
    QScrollBar* bar = pane.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    bar->setValue(0);
    w->AddEchoText("последняя", color::kTeal);
    pane.flush();
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(!pane.textCursor().hasSelection());
    QVERIFY(pane.textCursor().atEnd());
}

// The work computer saved the profile and sent; at home the window must not offer the work
// computer's send (which would throw the carried batch away) before the user says which computer
// this is. The choice then holds for the profile while the program runs.
void TestMainWindow::roleOfAProfileSavedElsewhereIsChosenHere() {
    Medium medium;
    TProfilLine fromWork = Medium::profile("С работы", "WORKSAVE", medium.work(), medium.home(), "work");
    fromWork.IdPC = ShortString<25>::fromText("0000-0000-work");
    TProfilLine own = Medium::profile("Свой", "OWNSAVED", medium.work(), medium.home(), "work");
    medium.writeProfiles({fromWork, own});
    std::filesystem::create_directories(medium.pathTask("WORKSAVE") + "/WFiles/Folder_1");
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    auto* work = child<QRadioButton>(*w, "RzRadioButtonWork");
    auto* home = child<QRadioButton>(*w, "RzRadioButtonHome");
    auto* workHome = child<QPushButton>(*w, "RzBtnTarvelaWorkHome");
    auto* homeWork = child<QPushButton>(*w, "RzBtnTarvelaHomeWork");

    QCOMPARE(list->currentRow(), 0);
    QVERIFY(!work->isChecked() && !home->isChecked());
    QVERIFY(!workHome->isEnabled());
    QVERIFY(!homeWork->isEnabled());
    // A pressed direction does nothing either (a click that reached a stale button, a script).
    w->RzBtnTarvelaWorkHomeClick();
    QVERIFY(!w->lastResult().has_value());
    QVERIFY(exists(medium.pathTask("WORKSAVE") + "/WFiles/Folder_1"));
    // Said once in the echo, in notice colour.
    const QStringList lines = echoLines(*w);
    QCOMPARE(lines.filter(QStringLiteral("«С работы» сохранён на другом компьютере")).size(), 1);
    QCOMPARE(echoColor(*w, static_cast<int>(lines.size()) - 1), EchoPane::shownColor(color::kOrange));

    // The user says "home": the carried batch may be received, and home may send.
    QTest::mouseClick(home, Qt::LeftButton);
    QVERIFY(workHome->isEnabled());
    QVERIFY(homeWork->isEnabled());

    // Another profile, saved here in the work role, then back: the choice made here comes back.
    list->setCurrentRow(1);
    QVERIFY(work->isChecked());
    list->setCurrentRow(0);
    QVERIFY(home->isChecked());
    QVERIFY(workHome->isEnabled());
    QCOMPARE(echoLines(*w).filter(QStringLiteral("сохранён на другом компьютере")).size(), 1);

    // The editor shows that role for the profile, not the one left over from another profile.
    QTest::mouseClick(child<QPushButton>(*w, "RzBitBtnEditConfig"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(w->config(), "RadioButtonPCHome")->isChecked());
    w->config().RzBitBtnCloseConfigClick();
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

// Long lines wrap inside the pane instead of running past its right edge; the failure and notice
// colours read at 4.5:1 or more on the pane's paper in every style.
void TestMainWindow::echoKeepsLineStartsInViewAndReadsInEveryStyle() {
    Medium medium;
    auto w = startWindow(medium);
    w->resize(953, 562);
    EchoPane& pane = w->echoPane();
    const std::string tail = "конфликт-копия.txt";
    w->AddEchoText("Конфликт: /очень/длинный/путь/" + std::string(400, 'x') + "/" + tail, color::kOrange);
    pane.flush();
    QCoreApplication::processEvents();
    QVERIFY(pane.horizontalScrollBar()->maximum() == 0 || !pane.horizontalScrollBar()->isVisible());
    QCOMPARE(pane.horizontalScrollBar()->value(), 0);
    const QTextBlock last = pane.document()->lastBlock();
    QVERIFY(last.layout()->lineCount() > 1);
    for (int i = 0; i < last.layout()->lineCount(); ++i)
        QVERIFY(last.layout()->lineAt(i).naturalTextWidth() <= pane.viewport()->width());

    for (const StyleColors& s : styleCatalog()) {
        for (const std::uint32_t c : {color::kRed, color::kOrange, color::kGreen, color::kTeal, color::kBlue,
                                      color::kPurple, color::kMaroon, color::kBlack}) {
            const double ratio = contrastRatio(EchoPane::shownColor(c), QColor(s.paper));
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: colour %2 reads %3:1")
                                                  .arg(QLatin1String(s.name))
                                                  .arg(c, 6, 16, QLatin1Char('0'))
                                                  .arg(ratio)));
        }
    }
}

// The work computer's batch arrives on the medium while the window is open (the command-line tool,
// or the drive was away): the home computer's receive is offered as soon as the window is active
// again, or the profile's line is clicked, without choosing the profile anew.
void TestMainWindow::directionsFollowTheMediumOnActivationAndClick() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Дом", "HOMEPROF", medium.work(), medium.home(), "home")});
    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    auto* workHome = child<QPushButton>(*w, "RzBtnTarvelaWorkHome");
    QVERIFY(child<QRadioButton>(*w, "RzRadioButtonHome")->isChecked());
    QVERIFY(!workHome->isEnabled());

    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    std::filesystem::create_directories(medium.pathTask("HOMEPROF") + "/WFiles");
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QVERIFY(workHome->isEnabled());

    std::filesystem::remove_all(medium.pathTask("HOMEPROF") + "/WFiles");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(!workHome->isEnabled());
}

void TestMainWindow::progressPanelAndTimer() {
    Medium medium;
    auto w = startWindow(medium);
    auto* panel = child<TProgressPanel>(*w, "RzPanelProgress");
    auto* timer = child<QTimer>(*w, "Timer1");
    w->showProgressPanel(true);
    QVERIFY(panel->isVisible());
    const std::string longPath = "/очень/длинный/путь/" + std::string(300, 'x') + "/файл.txt";
    w->setFileLabel(longPath);
    auto* name = child<QLabel>(*w, "RzLabelNameFile");
    QVERIFY(name->text().contains(QChar(0x2026)));
    QVERIFY(name->text().endsWith(QStringLiteral("файл.txt")));
    QCOMPARE(name->toolTip(), QString::fromStdString(longPath));
    // Progress beyond an int is scaled, never wraps.
    w->setFileProgress(std::int64_t{3} << 32, std::int64_t{6} << 32);
    auto* fileBar = child<QProgressBar>(*w, "ProgressBarFile");
    QVERIFY(fileBar->maximum() > 0);
    QCOMPARE(fileBar->value() * 2, fileBar->maximum());
#ifdef Q_OS_WIN
    // The shell's taskbar interface, whose calls the updates below go through.
    QVERIFY(w->taskbar().available());
#endif
    w->setFolderProgress(3, 4);
    w->setTaskProgress(3);
    QCOMPARE(w->taskbar().lastFraction(), 0.75);
    QVERIFY(w->taskbar().progressVisible());
    w->setTaskStopViewProg();
    QVERIFY(!w->taskbar().progressVisible());
    // One update per visible change of the entry, not one per file.
    const int before = w->taskbar().updates();
    w->setFolderProgress(0, 100000);
    for (int i = 1; i <= 100000; ++i)
        w->setTaskProgress(i);
    QCOMPARE(w->taskbar().updates() - before, 1001); // shown, then each 1/1000
    QCOMPARE(w->taskbar().lastFraction(), 1.0);
    w->setTaskStopViewProg();
    w->setTaskStopViewProg();
    QCOMPARE(w->taskbar().updates() - before, 1002);

    w->hideProgressPanelLater();
    QVERIFY(timer->isActive());
    w->Timer1Timer();
    QVERIFY(!panel->isVisible());
    QVERIFY(!timer->isActive());
}

void TestMainWindow::logMenuEnabledOnlyWithLogFile() {
    Medium medium;
    medium.writeProfiles({Medium::profile("С логом", "AAAAAAAA", medium.work(), medium.home()),
                          Medium::profile("Без лога", "BBBBBBBB", medium.work(), medium.home())});
    auto w = startWindow(medium);
    auto* item = child<QAction>(*w, "N1ViewLog");
    QCOMPARE(item->text(), QStringLiteral("Просмотр лога операций профиля"));
    w->PopupMenuLogViewPopup();
    QVERIFY(!item->isEnabled());
    writeFile(medium.pathTask("AAAAAAAA") + "/AAAAAAAA.log", "{\\rtf1 x\\par}\r\n");
    w->PopupMenuLogViewPopup();
    QVERIFY(item->isEnabled());
    child<QListWidget>(*w, "RzListBoxProfile")->setCurrentRow(1);
    w->PopupMenuLogViewPopup();
    QVERIFY(!item->isEnabled());
    w->N1ViewLogClick(); // no log: nothing is shown
    QVERIFY(!w->viewLog().isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
