// Whole halves driven through the main window's buttons on temporary folders: a send and a
// receive with their echo, the deletion question answered each way, the stop button during a copy,
// the run guard, and the failures that end a half.
#include "dialog_ful_copy.h"
#include "echo_pane.h"
#include "base/echo_color.h"
#include "platform/run_lock.h"
#include "progress_panel.h"
#include "ui_fixture.h"
#include "../e2e/mounted_disk.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <thread>

using namespace tarvela;
using namespace tarvela::ui;
using namespace tarvela::ui::test;

namespace {

constexpr const char* kId = "RUNTEST1";

// Answers the full-copy question with "Выполнить", both boxes ticked as given.
ModalDriver::Driver fullCopy(bool copyAll, bool all) {
    return [copyAll, all](QDialog& d) {
        child<QCheckBox>(d, "RzCheckBoxCopyAll")->setChecked(copyAll);
        child<QCheckBox>(d, "RzCheckBoxAll")->setChecked(all);
        QTest::mouseClick(child<QPushButton>(d, "RzBitBtnOk"), Qt::LeftButton);
    };
}

ModalDriver::Driver press(const char* button, QString* text = nullptr) {
    return [button, text](QDialog& d) {
        if (text != nullptr)
            *text = child<QLabel>(d, "Message")->text();
        QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton);
    };
}

int countLines(TFmTarvela& w, const QString& part) {
    int n = 0;
    for (const QString& line : echoLines(w))
        n += line.contains(part) ? 1 : 0;
    return n;
}

int lineIndex(TFmTarvela& w, const QString& part) {
    const QStringList lines = echoLines(w);
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(part))
            return i;
    return -1;
}

void selectRole(TFmTarvela& w, bool home) {
    QTest::mouseClick(child<QRadioButton>(w, home ? "RzRadioButtonHome" : "RzRadioButtonWork"), Qt::LeftButton);
}

void clickDirection(TFmTarvela& w, bool workHome) {
    QPushButton* b = child<QPushButton>(w, workHome ? "RzBtnTarvelaWorkHome" : "RzBtnTarvelaHomeWork");
    QVERIFY(b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestRuns : public QObject {
    Q_OBJECT
private slots:
    void sendAndReceiveThroughButtons();
    void deletionQuestionEachAnswer_data();
    void deletionQuestionEachAnswer();
    void fullCopyQuestionOnWork_data();
    void fullCopyQuestionOnWork();
    void stopButtonDuringCopy();
    void longCallKeepsTheWindowAnswering();
    void panelStaysThroughEveryPairsFullCopy_data();
    void panelStaysThroughEveryPairsFullCopy();
    void runGuardAndCloseDuringRun();
    void wrongPathMessage();
    void profileBusyElsewhere();
    void tableFailureShownAndWindowTidied();
    void massRemovalAskedOnceEachAnswer_data();
    void massRemovalAskedOnceEachAnswer();
    void emptiedFolderAskedBeforeItsEmptinessTravels_data();
    void emptiedFolderAskedBeforeItsEmptinessTravels();
    void failedItemsAreCountedAtTheEndAndNamesShownVisibly();
    void partialTripShownInThePanelAndTheEcho();
};

void TestRuns::sendAndReceiveThroughButtons() {
    Medium medium;
    writeFile(medium.work() + "a.txt", "первый");
    writeFile(medium.work() + "sub/b.txt", "второй");
    medium.writeProfiles({Medium::profile("Профиль", kId, medium.work(), medium.home(), "work")});
    auto w = startWindow(medium);
    QString folderShown;
    w->modalDriver().setNextAnswer([&folderShown](QDialog& d) {
        folderShown = child<QLabel>(d, "RzLabelNameFolder")->toolTip();
        fullCopy(true, true)(d);
    });

    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QCOMPARE(folderShown, QString::fromStdString(medium.work()));
    QCOMPARE(w->pathTask(), medium.pathTask(kId));
    QVERIFY(exists(medium.pathTask(kId) + "/WFiles/Folder_1"));
    const int start = lineIndex(*w, QStringLiteral("]  Начало операции: рабочий=>домашний. Тип: Рабочий компьютер"));
    const int end = lineIndex(*w, QStringLiteral("]  Конец операции: рабочий=>домашний. Тип: Рабочий компьютер"));
    QVERIFY(start > 0 && end > start);
    QVERIFY(echoLines(*w)[start].startsWith(QLatin1Char('[')));
    QCOMPARE(echoColor(*w, start), QColor(0, 0, 255));
    const int analysis = lineIndex(*w, QStringLiteral("Анализ: ") + QString::fromStdString(medium.work()));
    QVERIFY(analysis > start);
    QCOMPARE(echoColor(*w, analysis), QColor(0, 128, 128));
    const int copying = lineIndex(*w, QStringLiteral("Копирование файлов из ") + QString::fromStdString(medium.work()));
    QVERIFY(copying > analysis);
    QCOMPARE(echoColor(*w, copying), QColor(0, 128, 0));
    // The window after the run: panel hidden, normal cursor, the buttons of the new store state.
    QVERIFY(!child<QWidget>(*w, "RzPanelProgress")->isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!w->running());
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());
    QVERIFY(!w->taskbar().progressVisible());

    // The same medium on the home computer.
    selectRole(*w, true);
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QCOMPARE(readFile(medium.home() + "a.txt"), std::string("первый"));
    QCOMPARE(readFile(medium.home() + "sub/b.txt"), std::string("второй"));
    QVERIFY(!exists(medium.pathTask(kId) + "/WFiles"));
    QVERIFY(lineIndex(*w, QStringLiteral("]  Конец операции: рабочий=>домашний. Тип: Домашний компьютер")) > end);
    QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestRuns::deletionQuestionEachAnswer_data() {
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("x1Kept");
    QTest::addColumn<bool>("x2Kept");
    QTest::newRow("Да, Да") << QStringList{"Yes", "Yes"} << 2 << false << false;
    QTest::newRow("Нет, Да") << QStringList{"No", "Yes"} << 2 << true << false;
    QTest::newRow("Да для всех") << QStringList{"YesToAll"} << 1 << false << false;
    QTest::newRow("Нет для всех") << QStringList{"NoToAll"} << 1 << true << true;
    QTest::newRow("закрыто") << QStringList{"close"} << 1 << true << true;
    QTest::newRow("Enter, Нет") << QStringList{"enter", "No"} << 2 << false << true;
    QTest::newRow("Escape") << QStringList{"escape"} << 1 << true << true;
}

// Files present only on the receiving side are removed when the profile says so, each after the
// question "Удалить: ".
void TestRuns::deletionQuestionEachAnswer() {
    QFETCH(QStringList, buttons);
    QFETCH(int, questions);
    QFETCH(bool, x1Kept);
    QFETCH(bool, x2Kept);
    Medium medium;
    writeFile(medium.work() + "keep.txt", "k");
    writeFile(medium.work() + "x1.txt", "1");
    writeFile(medium.work() + "x2.txt", "2");
    TProfilLine p = Medium::profile("Удаления", kId, medium.work(), medium.home(), "work");
    p.OperacDell = true;
    p.DellConfirmat = true;
    medium.writeProfiles({p});
    auto w = startWindow(medium);
    // A first round carries the files home, so that the home computer's table knows them.
    w->modalDriver().setNextAnswer(fullCopy(true, false));
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    selectRole(*w, true);
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QVERIFY(exists(medium.home() + "x1.txt") && exists(medium.home() + "x2.txt"));

    // The work computer removes them; the next round asks before removing them at home.
    std::filesystem::remove(medium.work() + "x1.txt");
    std::filesystem::remove(medium.work() + "x2.txt");
    selectRole(*w, false);
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    selectRole(*w, true);
    std::vector<QString> texts(static_cast<std::size_t>(buttons.size()));
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const QString button = buttons[i];
        QString* text = &texts[static_cast<std::size_t>(i)];
        w->modalDriver().setNextAnswer([button, text](QDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Внимание"));
            *text = child<QLabel>(d, "Message")->text();
            QVERIFY(!child<QLabel>(d, "Image")->pixmap().isNull());
            // The four answers from left to right, "Да" the default button.
            QStringList captions;
            int left = -1;
            for (const char* name : {"Yes", "No", "NoToAll", "YesToAll"}) {
                auto* b = child<QPushButton>(d, name);
                captions << b->text();
                QVERIFY2(b->x() > left, name);
                left = b->x();
                QCOMPARE(b->isDefault(), std::string_view(name) == "Yes");
            }
            QCOMPARE(captions, (QStringList{"Да", "Нет", "Нет для всех", "Да для всех"}));
            if (button == QStringLiteral("close"))
                d.close();
            else if (button == QStringLiteral("enter"))
                QTest::keyClick(&d, Qt::Key_Return);
            else if (button == QStringLiteral("escape"))
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                QTest::mouseClick(child<QPushButton>(d, button.toLatin1().constData()), Qt::LeftButton);
        });
    }
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QVERIFY(!w->modalDriver().hasPendingAnswers());
    QCOMPARE(static_cast<int>(w->modalDriver().shown().size()), 1 + questions);
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QCOMPARE(texts[0], QStringLiteral("Удалить: ") + QString::fromStdString(medium.home()) + QStringLiteral("x1.txt"));
    QCOMPARE(exists(medium.home() + "x1.txt"), x1Kept);
    QCOMPARE(exists(medium.home() + "x2.txt"), x2Kept);
    QVERIFY(exists(medium.home() + "keep.txt"));
}

void TestRuns::fullCopyQuestionOnWork_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("copyAll");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("tableWritten");
    QTest::addColumn<int>("stored");
    QTest::newRow("Выполнить, копировать") << "RzBitBtnOk" << true << int(HalfResult::Completed) << true << 2;
    QTest::newRow("Выполнить, не копировать") << "RzBitBtnOk" << false << int(HalfResult::Completed) << true << 0;
    QTest::newRow("Отказаться") << "RzBitBtnClose" << true << int(HalfResult::Refused) << false << 0;
    QTest::newRow("закрыто") << "close" << true << int(HalfResult::Refused) << false << 0;
}

// The first run of a pair on the work computer: the question's answer decides what is stored;
// refusing ends the half at once, before anything is scanned.
void TestRuns::fullCopyQuestionOnWork() {
    QFETCH(QString, button);
    QFETCH(bool, copyAll);
    QFETCH(int, result);
    QFETCH(bool, tableWritten);
    QFETCH(int, stored);
    Medium medium;
    writeFile(medium.work() + "a.txt", "a");
    writeFile(medium.work() + "b.txt", "b");
    medium.writeProfiles({Medium::profile("Первый раз", kId, medium.work(), medium.home(), "work")});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer([=](QDialog& d) {
        child<QCheckBox>(d, "RzCheckBoxCopyAll")->setChecked(copyAll);
        if (button == QStringLiteral("close"))
            d.close();
        else
            QTest::mouseClick(child<QPushButton>(d, button.toLatin1().constData()), Qt::LeftButton);
    });
    clickDirection(*w, true);
    QCOMPARE(int(*w->lastResult()), result);
    QCOMPARE(exists(medium.pathTask(kId) + "/WTabFile_1.dat"), tableWritten);
    const std::string store = medium.pathTask(kId) + "/WFiles/Folder_1";
    int count = 0;
    if (exists(store)) {
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(store))
            ++count;
    }
    QCOMPARE(count, stored);
    QCOMPARE(countLines(*w, QStringLiteral("Конец операции")), tableWritten ? 1 : 0);
    // "Выполнить" without "copy all": the echo says that nothing was stored, only the table written.
    const bool declined = tableWritten && !copyAll;
    QCOMPARE(countLines(*w, QStringLiteral("Полное копирование не выбрано: записаны только таблицы файлов, в "
                                           "хранилище ничего не помещено: ") +
                                QString::fromStdString(medium.work())),
             declined ? 1 : 0);
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestRuns::stopButtonDuringCopy() {
    Medium medium;
    {
        std::string big(32u << 20, 'z');
        writeFile(medium.work() + "a_big.bin", big);
    }
    for (int i = 0; i < 5; ++i)
        writeFile(medium.work() + "small_" + std::to_string(i) + ".txt", "s");
    medium.writeProfiles({Medium::profile("Стоп", kId, medium.work(), medium.home(), "work")});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer(fullCopy(true, true));
    bool pressed = false;
    w->setOnFileProgress([&] {
        auto* stop = child<QToolButton>(*w, "RzBtnStopCopy");
        if (!pressed && stop->isVisible()) {
            pressed = true;
            QCOMPARE(stop->toolTip(), QStringLiteral("Остановить копирование"));
            QTest::mouseClick(stop, Qt::LeftButton);
        }
    });
    clickDirection(*w, true);
    w->setOnFileProgress({});
    QVERIFY(pressed);
    QVERIFY(w->stopCopy());
    QCOMPARE(w->lastResult(), HalfResult::Stopped);
    // The big file was abandoned and no later file was copied.
    std::size_t stored = 0;
    for (const auto& e : std::filesystem::directory_iterator(medium.pathTask(kId) + "/WFiles/Folder_1")) {
        QVERIFY(e.file_size() < (32u << 20));
        ++stored;
    }
    QCOMPARE(stored, std::size_t{0});
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!child<QWidget>(*w, "RzPanelProgress")->isVisible());
    // A stop reads as a stop: no failure, no "завершено"; the half ends with its end line and
    // a last line, in notice colour, that says what the stop left.
    const QStringList lines = echoLines(*w);
    for (const QString& line : lines) {
        QVERIFY2(!line.contains(QStringLiteral("Ошибка")), qPrintable(line));
        QVERIFY2(!line.endsWith(QStringLiteral(" завершено")), qPrintable(line));
    }
    const int abandoned = lineIndex(*w, QStringLiteral("Копирование файла остановлено, файл не скопирован: ") +
                                            QString::fromStdString(medium.work()) + QStringLiteral("a_big.bin"));
    QVERIFY(abandoned > 0);
    QCOMPARE(echoColor(*w, abandoned), EchoPane::shownColor(color::kOrange));
    QVERIFY(!echoBold(*w, abandoned));
    QVERIFY(lineIndex(*w, QStringLiteral("]  Конец операции: рабочий=>домашний")) > abandoned);
    QVERIFY(lines.last().startsWith(QStringLiteral("Синхронизация остановлена пользователем.")));
    QCOMPARE(echoColor(*w, static_cast<int>(lines.size()) - 1), EchoPane::shownColor(color::kOrange));
}

// A first run of three pairs copies each pair in full: the panel, and its stop button, stay for the
// whole half even when a pair's copy outlasts the one-second hide asked for after the pair before.
// Flushing the medium at the end of a half may take seconds: the window's events keep running
// meanwhile (a timer fires, the stop button answers), with the busy cursor shown; a failure of the
// call reaches the caller.
void TestRuns::longCallKeepsTheWindowAnswering() {
    Medium medium;
    auto w = startWindow(medium);
    std::atomic<bool> answered{false};
    bool busyMeanwhile = false;
    QTimer::singleShot(30, w.get(), [&] {
        busyMeanwhile =
            QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        QTest::mouseClick(child<QToolButton>(*w, "RzBtnStopCopy"), Qt::LeftButton);
        answered = true;
    });
    w->runLongCall([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!answered && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    QVERIFY(answered);
    QVERIFY(busyMeanwhile);
    QVERIFY(w->stopCopy());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, w->runLongCall([] { throw std::runtime_error("сбой"); }));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestRuns::panelStaysThroughEveryPairsFullCopy_data() {
    QTest::addColumn<bool>("home");
    QTest::newRow("work computer sends") << false;
    QTest::newRow("home computer sends") << true;
}

void TestRuns::panelStaysThroughEveryPairsFullCopy() {
    QFETCH(bool, home);
    Medium medium;
    TProfilLine p = Medium::profile("Три пары", kId, medium.work(), medium.home(), home ? "home" : "work");
    for (std::size_t n = 2; n <= 3; ++n) {
        const std::string root = medium.root() + "pair" + std::to_string(n) + "/";
        p.pair(n).PathWork = ShortString<255>::fromText(root + "work/");
        p.pair(n).PathHome = ShortString<255>::fromText(root + "home/");
    }
    for (std::size_t n = 1; n <= 3; ++n) {
        const std::string own = home ? p.pair(n).PathHome.text() : p.pair(n).PathWork.text();
        for (int i = 0; i < 4; ++i)
            writeFile(own + "f" + std::to_string(i) + ".txt", "x");
    }
    medium.writeProfiles({p});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer(fullCopy(true, true));
    auto* panel = child<QWidget>(*w, "RzPanelProgress");
    auto* stop = child<QToolButton>(*w, "RzBtnStopCopy");
    QSet<QString> waitedIn;
    int files = 0;
    int hidden = 0;
    w->setOnFileProgress([&] {
        // The first file of every pair takes longer than the panel timer's interval.
        const QString folder = child<QLabel>(*w, "RzLabelNameFolder")->toolTip();
        if (folder.isEmpty())
            return; // the bars reset before the first copy
        if (!waitedIn.contains(folder)) {
            waitedIn.insert(folder);
            QTest::qWait(1300);
        }
        ++files;
        hidden += panel->isVisible() && stop->isVisible() ? 0 : 1;
    });
    QVERIFY(child<QRadioButton>(*w, home ? "RzRadioButtonHome" : "RzRadioButtonWork")->isChecked());
    clickDirection(*w, !home);
    w->setOnFileProgress({});
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QCOMPARE(waitedIn.size(), 3);
    QVERIFY(files >= 12); // at least one progress step per file
    QCOMPARE(hidden, 0);
    QVERIFY(!panel->isVisible());
    QVERIFY(!child<QTimer>(*w, "Timer1")->isActive());
}

// While a half runs nothing starts a second one, the profile and the role stay, and closing the
// window asks; after "Да" the run stops and the window closes when it has ended.
void TestRuns::runGuardAndCloseDuringRun() {
    Medium medium;
    writeFile(medium.work() + "a_big.bin", std::string(24u << 20, 'q'));
    writeFile(medium.work() + "b.txt", "b");
    medium.writeProfiles({Medium::profile("Первый", kId, medium.work(), medium.home(), "work"),
                          Medium::profile("Второй", "SECOND22", medium.work(), medium.home(), "work")});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer(fullCopy(true, true));
    const TProfilLine running = w->task();
    bool acted = false;
    w->setOnFileProgress([&] {
        // Once a copy is under way (the copier also resets the bar before the run asks anything).
        if (acted || !child<QWidget>(*w, "RzPanelProgress")->isVisible())
            return;
        acted = true;
        QVERIFY(w->running());
        QVERIFY(!child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
        w->RzBtnTarvelaWorkHomeClick(); // ignored: a run is in progress
        w->RzBtnTarvelaHomeWorkClick();
        child<QListWidget>(*w, "RzListBoxProfile")->setCurrentRow(1);
        w->RzListBoxProfileClick();
        w->FormActivate();
        QVERIFY(w->task() == running);
        // Closing: first "Нет" keeps the run going, then "Да" stops it.
        w->modalDriver().setNextAnswer(press("No"));
        QVERIFY(!w->close());
        QVERIFY(!w->stopCopy());
        w->modalDriver().setNextAnswer(press("Yes"));
        QVERIFY(!w->close());
        QVERIFY(w->stopCopy());
        QVERIFY(w->isVisible());
    });
    clickDirection(*w, true);
    w->setOnFileProgress({});
    QVERIFY(acted);
    QCOMPARE(countLines(*w, QStringLiteral("Начало операции")), 1);
    QCOMPARE(w->lastResult(), HalfResult::Stopped);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(!exists(medium.pathTask("SECOND22")));
}

void TestRuns::wrongPathMessage() {
    Medium medium;
    const std::string missing = medium.root() + "нет такой/";
    medium.writeProfiles({Medium::profile("Ошибочный", kId, missing, medium.home(), "work")});
    auto w = startWindow(medium);
    QString title;
    QString text;
    w->modalDriver().setNextAnswer([&](QDialog& d) {
        auto& box = dynamic_cast<QMessageBox&>(d);
        title = box.windowTitle();
        text = box.text();
        QCOMPARE(box.icon(), QMessageBox::Critical);
        box.button(QMessageBox::Ok)->click();
    });
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::WrongPath);
    QCOMPARE(title, QStringLiteral("Ошибка"));
    QCOMPARE(text, QStringLiteral("В профиле ошибочный путь:\n\r") + QString::fromStdString(missing));
}

// Another copy of the program (or the command-line tool) runs the profile: nothing is done and the
// user is told so.
void TestRuns::profileBusyElsewhere() {
    Medium medium;
    writeFile(medium.work() + "a.txt", "a");
    medium.writeProfiles({Medium::profile("Занят", kId, medium.work(), medium.home(), "work")});
    std::filesystem::create_directories(medium.pathTask(kId));
    const auto lock = platform::RunLock::tryAcquire(medium.pathTask(kId));
    QVERIFY(lock != nullptr);
    auto w = startWindow(medium);
    QString text;
    w->modalDriver().setNextAnswer([&](QDialog& d) {
        text = dynamic_cast<QMessageBox&>(d).text();
        d.accept();
    });
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Busy);
    QCOMPARE(text,
             QStringLiteral("Синхронизация этого профиля уже выполняется другой копией программы. Повторите позже."));
    QCOMPARE(countLines(*w, QStringLiteral("Начало операции")), 0);
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

// A table file that cannot be written ends the half; the failure is shown with the system's text
// and the window is left as after any run.
void TestRuns::tableFailureShownAndWindowTidied() {
    Medium medium;
    writeFile(medium.work() + "a.txt", "a");
    medium.writeProfiles({Medium::profile("Сбой", kId, medium.work(), medium.home(), "home")});
    auto w = startWindow(medium);
    QVERIFY(child<QRadioButton>(*w, "RzRadioButtonHome")->isChecked());
    // A folder stands where this computer's table of pair 1 is written.
    writeFile(medium.pathTask(kId) + "/HTabFile_1.dat/inside", "x");
    QString text;
    w->modalDriver().setNextAnswer([&](QDialog& d) {
        text = dynamic_cast<QMessageBox&>(d).text();
        d.accept();
    });
    clickDirection(*w, false);
    QVERIFY(text.contains(QStringLiteral("HTabFile_1.dat")));
    QVERIFY(!w->lastResult().has_value());
    QVERIFY(!w->running());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!child<QWidget>(*w, "RzPanelProgress")->isVisible());
    QVERIFY(child<QPushButton>(*w, "RzBtnTarvelaHomeWork")->isEnabled());
    QVERIFY(child<QListWidget>(*w, "RzListBoxProfile")->isEnabled());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

// A receive that would remove most files of a pair asks once, with the numbers, even with the
// per-item question off: "Нет" keeps every file (and asks again next time), "Да" removes them.
void TestRuns::massRemovalAskedOnceEachAnswer_data() {
    QTest::addColumn<bool>("allow");
    QTest::newRow("Нет") << false;
    QTest::newRow("Да") << true;
}

void TestRuns::massRemovalAskedOnceEachAnswer() {
    QFETCH(bool, allow);
    Medium medium;
    for (int i = 0; i < 10; ++i) writeFile(medium.work() + "f" + std::to_string(i) + ".txt", std::to_string(i));
    TProfilLine p = Medium::profile("Много", kId, medium.work(), medium.home(), "work");
    p.OperacDell = true;
    medium.writeProfiles({p});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer(fullCopy(true, false));
    clickDirection(*w, true);
    selectRole(*w, true);
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);

    for (int i = 0; i < 8; ++i) std::filesystem::remove(medium.work() + "f" + std::to_string(i) + ".txt");
    selectRole(*w, false);
    clickDirection(*w, true);
    selectRole(*w, true);
    QString text;
    w->modalDriver().setNextAnswer([&](QDialog& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Внимание"));
        text = dynamic_cast<QMessageBox&>(d).text();
        QTest::mouseClick(child<QPushButton>(d, allow ? "Yes" : "No"), Qt::LeftButton);
    });
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(!w->modalDriver().hasPendingAnswers());
    QCOMPARE(text, QStringLiteral("Удалить файлов: 8 из 10 в папке ") + QString::fromStdString(medium.home()) +
                       QStringLiteral("?"));
    QCOMPARE(exists(medium.home() + "f0.txt"), !allow);
    QCOMPARE(exists(medium.home() + "f9.txt"), true);
    QCOMPARE(countLines(*w, QStringLiteral("Удаления не выполнены")), allow ? 0 : 1);
}

void TestRuns::emptiedFolderAskedBeforeItsEmptinessTravels_data() {
    QTest::addColumn<bool>("onPurpose");
    QTest::newRow("Нет") << false;
    QTest::newRow("Да") << true;
}

// The user empties the work folder on purpose. The send asks (default "Нет": a folder that reads
// empty may be a disk that is not mounted); "Да" lets the emptiness travel, and the receive at home
// asks its own question before it removes every file there.
void TestRuns::emptiedFolderAskedBeforeItsEmptinessTravels() {
    QFETCH(bool, onPurpose);
    Medium medium;
    for (int i = 0; i < 10; ++i) writeFile(medium.work() + "f" + std::to_string(i) + ".txt", std::to_string(i));
    TProfilLine p = Medium::profile("Пустая", kId, medium.work(), medium.home(), "work");
    p.OperacDell = true;
    medium.writeProfiles({p});
    auto w = startWindow(medium);
    w->modalDriver().setStrict(true);
    w->modalDriver().setNextAnswer(fullCopy(true, false));
    clickDirection(*w, true);
    selectRole(*w, true);
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);

    for (int i = 0; i < 10; ++i) std::filesystem::remove(medium.work() + "f" + std::to_string(i) + ".txt");
    selectRole(*w, false);
    QString text;
    QString defaultButton;
    w->modalDriver().setNextAnswer([&](QDialog& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Внимание"));
        auto& box = dynamic_cast<QMessageBox&>(d);
        text = box.text();
        defaultButton = box.defaultButton()->objectName();
        QTest::mouseClick(child<QPushButton>(d, onPurpose ? "Yes" : "No"), Qt::LeftButton);
    });
    clickDirection(*w, true);
    QCOMPARE(text, QStringLiteral("Папка пуста, хотя в ней были файлы: ") + QString::fromStdString(medium.work()) +
                       QStringLiteral("\nУдалить файлы на другом компьютере?"));
    QCOMPARE(defaultButton, QStringLiteral("No"));
    QCOMPARE(countLines(*w, QStringLiteral("Папка пуста, хотя в ней были файлы. Пара пропущена: ")), onPurpose ? 0 : 1);

    selectRole(*w, true);
    if (onPurpose) {
        QString removal;
        w->modalDriver().setNextAnswer([&](QDialog& d) {
            removal = dynamic_cast<QMessageBox&>(d).text();
            QTest::mouseClick(child<QPushButton>(d, "Yes"), Qt::LeftButton);
        });
        clickDirection(*w, true);
        QCOMPARE(w->lastResult(), HalfResult::Completed);
        QCOMPARE(removal, QStringLiteral("Удалить файлов: 10 из 10 в папке ") + QString::fromStdString(medium.home()) +
                              QStringLiteral("?"));
    } else {
        QVERIFY2(!child<QPushButton>(*w, "RzBtnTarvelaWorkHome")->isEnabled(), "nothing was sent");
    }
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(!w->modalDriver().hasPendingAnswers());
    for (int i = 0; i < 10; ++i) QCOMPARE(exists(medium.home() + "f" + std::to_string(i) + ".txt"), !onPurpose);
}

void TestRuns::failedItemsAreCountedAtTheEndAndNamesShownVisibly() {
#ifdef Q_OS_WIN
    QSKIP("a name with control characters cannot be made on Windows");
#endif
    Medium medium;
    writeFile(medium.work() + "a.txt", "a");
    writeFile(medium.work() + "b\nx\x1b[2J.txt", "b");
    medium.writeProfiles({Medium::profile("Профиль", kId, medium.work(), medium.home(), "work")});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer(fullCopy(true, true));
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QCOMPARE(countLines(*w, QStringLiteral("Операция завершена с ошибками")), 0);
    QCOMPARE(countLines(*w, QStringLiteral("b\\nx\\x1b[2J.txt")), 0); // a full copy names no file

    // The stored copies are lost before the home computer receives them.
    std::filesystem::remove_all(medium.pathTask(kId) + "/WFiles/Folder_1");
    selectRole(*w, true);
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    const QStringList lines = echoLines(*w);
    QCOMPARE(lines.last(), QStringLiteral("Операция завершена с ошибками, не выполнено: 2"));
    QCOMPARE(echoColor(*w, static_cast<int>(lines.size()) - 1), EchoPane::shownColor(color::kRed));
    QVERIFY(lineIndex(*w, QStringLiteral("]  Конец операции: рабочий=>домашний. Тип: Домашний компьютер")) <
            static_cast<int>(lines.size()) - 1);
    for (const QString& line : lines)
        QVERIFY2(!line.contains(QChar(0x1b)), qPrintable(line));
}

// A medium smaller than the change: the panel shows what the trip has stored of all there is to
// carry while it copies, and the echo ends with the partial trip's line. The medium is a small
// exFAT image mounted over the program's folder (root and FUSE; skipped without them).
void TestRuns::partialTripShownInThePanelAndTheEcho() {
    Medium medium;
    const auto mount = tarvela::test::MountedMedium::exfat(medium.programPath(), medium.root() + "medium.img", 12);
    if (!mount.mounted())
        QSKIP("needs root, FUSE, exfatprogs and exfat-fuse");
    for (int i = 0; i < 5; ++i)
        writeFile(medium.work() + "docs/d" + std::to_string(i) + ".txt", std::string(20000, 'd'));
    for (int i = 0; i < 6; ++i)
        writeFile(medium.work() + "photos/p" + std::to_string(i) + ".jpg", std::string(3 << 20, 'p'));
    medium.writeProfiles({Medium::profile("Маленький носитель", kId, medium.work(), medium.home(), "work")});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer(fullCopy(true, true));
    auto* trip = child<QLabel>(*w, "RzLabelTrip");
    QVERIFY(!trip->isVisible());
    QStringList shown;
    w->setOnFileProgress([&] {
        if (trip->isVisible() && (shown.isEmpty() || shown.back() != trip->text()))
            shown << trip->text();
    });
    clickDirection(*w, true);
    w->setOnFileProgress({});
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QVERIFY2(!shown.isEmpty(), "the trip's totals were shown while it copied");
    QVERIFY2(shown.front().startsWith(QStringLiteral("Перенесено файлов ")), qPrintable(shown.front()));
    QVERIFY2(shown.back().contains(QStringLiteral(" из 11 (")), qPrintable(shown.back()));
    QVERIFY2(shown.size() > 2, "the totals follow the stored files");
    const int line = lineIndex(*w, QStringLiteral("; остальные будут перенесены в следующий раз"));
    QVERIFY(line > 0);
    // The panel's last totals are the line's, and say what this trip carried.
    const QString stored = echoLines(*w)[line].left(echoLines(*w)[line].indexOf(QStringLiteral("; ")));
    QVERIFY2(trip->text().startsWith(stored), qPrintable(trip->text()));
    const QString count = stored.section(QLatin1Char(' '), 2, 2);
    QVERIFY2(trip->text().contains(QStringLiteral("; в эту поездку: файлов ") + count + QStringLiteral(" (")),
             qPrintable(trip->text()));
    QVERIFY(!echoBold(*w, line));
    QVERIFY(lineIndex(*w, QStringLiteral("]  Конец операции: рабочий=>домашний")) > line);

    // The next run starts without the last trip's totals.
    selectRole(*w, true);
    clickDirection(*w, true);
    QCOMPARE(w->lastResult(), HalfResult::Completed);
    QVERIFY(trip->text().isEmpty());
}

QTEST_MAIN(TestRuns)
#include "test_runs.moc"
