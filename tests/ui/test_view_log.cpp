// The log viewer: opened from the profile list's menu, loading the profile's log with its colours,
// editing and saving it with the engine's writer (a later run extends the saved file), reloading on
// every request, and a file that cannot be read or saved.
#include "base/echo_color.h"
#include "log_document.h"
#include "log/run_log.h"
#include "ui_fixture.h"
#include "view_log.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include <filesystem>

using namespace tarvela;
using namespace tarvela::ui;
using namespace tarvela::ui::test;

namespace {

constexpr const char* kId = "LOGTEST1";

std::string logPath(const Medium& m) {
    return m.pathTask(kId) + "/" + kId + ".log";
}

std::string twoLineLog() {
    RunLog log;
    log.AddLogText("Первая строка", color::kBlue);
    log.AddLogText("Ошибка", color::kRed);
    return log.document();
}

} // namespace

class TestViewLog : public QObject {
    Q_OBJECT
private slots:
    void menusAndCaption();
    void opensLoadsEditsAndSaves();
    void reloadsOnEveryRequest();
    void savedLogIsExtendedByTheNextRun();
    void unreadableAndUnwritableFiles();
    void returningFromTheViewerReselectsTheEditorsProfile();
};

void TestViewLog::menusAndCaption() {
    Medium medium;
    auto w = startWindow(medium);
    TFmViewLog& viewer = w->viewLog();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Просмотр лога операций профиля"));
    QCOMPARE(child<QMenu>(viewer, "C1")->title(), QStringLiteral("Файл"));
    const QList<QAction*> items = child<QMenu>(viewer, "C1")->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->objectName(), QStringLiteral("N1Save"));
    QCOMPARE(items[0]->text(), QStringLiteral("Сохранить с изменениями"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("N3"));
    QCOMPARE(items[1]->text(), QStringLiteral("Закрыть"));
    QVERIFY(!viewer.isVisible());
    QVERIFY(viewer.NameFileLog.isEmpty());
}

void TestViewLog::opensLoadsEditsAndSaves() {
    Medium medium;
    medium.writeProfiles({Medium::profile("Лог", kId, medium.work(), medium.home())});
    writeFile(logPath(medium), twoLineLog());
    auto w = startWindow(medium);
    w->PopupMenuLogViewPopup();
    QVERIFY(child<QAction>(*w, "N1ViewLog")->isEnabled());
    child<QAction>(*w, "N1ViewLog")->trigger();
    TFmViewLog& viewer = w->viewLog();
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.NameFileLog, QString::fromStdString(logPath(medium)));
    QTextEdit* editor = child<QTextEdit>(viewer, "RzRichEdit1");
    QCOMPARE(editor->toPlainText(), QStringLiteral("Первая строка\nОшибка"));
    const QTextBlock second = editor->document()->findBlockByNumber(1);
    QCOMPARE(second.begin().fragment().charFormat().foreground().color(), QColor(255, 0, 0));
    QCOMPARE(second.begin().fragment().charFormat().fontWeight(), static_cast<int>(QFont::Bold));

    // Edit: a new line at the end, then save.
    QTextCursor cursor(editor->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Дописано"));
    child<QAction>(viewer, "N1Save")->trigger();
    const std::string saved = readFile(logPath(medium));
    QVERIFY(saved.starts_with("{\\rtf1"));
    QVERIFY(saved.ends_with(RunLog::kTail));
    QTextDocument reread;
    fillDocument(reread, saved);
    QCOMPARE(reread.toPlainText(), QStringLiteral("Первая строка\nОшибка\nДописано"));
    QCOMPARE(reread.findBlockByNumber(0).begin().fragment().charFormat().foreground().color(), QColor(0, 0, 255));

    // "Закрыть" hides the viewer; opening again loads the file afresh.
    child<QAction>(viewer, "N3")->trigger();
    QVERIFY(!viewer.isVisible());
    editor->setPlainText(QStringLiteral("stale"));
    w->N1ViewLogClick();
    QVERIFY(viewer.isVisible());
    QCOMPARE(editor->toPlainText(), QStringLiteral("Первая строка\nОшибка\nДописано"));
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestViewLog::reloadsOnEveryRequest() {
    Medium medium;
    TProfilLine second = Medium::profile("Второй", "LOGTEST2", medium.work(), medium.home());
    medium.writeProfiles({Medium::profile("Первый", kId, medium.work(), medium.home()), second});
    writeFile(logPath(medium), twoLineLog());
    RunLog other;
    other.AddLogText("Лог второго", color::kGreen);
    writeFile(medium.pathTask("LOGTEST2") + "/LOGTEST2.log", other.document());
    auto w = startWindow(medium);
    w->N1ViewLogClick();
    QTextEdit* editor = child<QTextEdit>(w->viewLog(), "RzRichEdit1");
    QCOMPARE(editor->document()->blockCount(), 2);
    // Asking for another profile's log while the viewer is open shows that log, and saving writes
    // that file.
    child<QListWidget>(*w, "RzListBoxProfile")->setCurrentRow(1);
    w->N1ViewLogClick();
    QCOMPARE(editor->toPlainText(), QStringLiteral("Лог второго"));
    QCOMPARE(w->viewLog().NameFileLog, QString::fromStdString(medium.pathTask("LOGTEST2") + "/LOGTEST2.log"));
}

void TestViewLog::savedLogIsExtendedByTheNextRun() {
    Medium medium;
    writeFile(medium.work() + "a.txt", "a");
    TProfilLine p = Medium::profile("Лог", kId, medium.work(), medium.home());
    p.SaveLog = true;
    medium.writeProfiles({p});
    auto w = startWindow(medium);
    w->modalDriver().setNextAnswer([](QDialog& d) { d.close(); }); // refuse the full copy
    QTest::mouseClick(child<QPushButton>(*w, "RzBtnTarvelaWorkHome"), Qt::LeftButton);
    QVERIFY(exists(logPath(medium)));
    w->N1ViewLogClick();
    QTextEdit* editor = child<QTextEdit>(w->viewLog(), "RzRichEdit1");
    QVERIFY(editor->toPlainText().startsWith(QStringLiteral("Старт программы. Сейчас ")));
    editor->setPlainText(QStringLiteral("Заменено"));
    w->viewLog().N1SaveClick();
    w->viewLog().close();

    w->modalDriver().setNextAnswer([](QDialog& d) { d.close(); });
    QTest::mouseClick(child<QPushButton>(*w, "RzBtnTarvelaWorkHome"), Qt::LeftButton);
    w->N1ViewLogClick();
    const QStringList lines = editor->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines[0], QStringLiteral("Заменено"));
    QVERIFY(lines[1].startsWith(QStringLiteral("Старт программы. Сейчас ")));
}

void TestViewLog::unreadableAndUnwritableFiles() {
    Medium medium;
    auto w = startWindow(medium);
    TFmViewLog& viewer = w->viewLog();
    // A folder stands where the log should be: it can be neither read nor replaced.
    const std::string folder = medium.root() + "log_is_a_folder";
    std::filesystem::create_directories(folder + "/inside");
    viewer.NameFileLog = QString::fromStdString(folder);
    viewer.editor()->setPlainText(QStringLiteral("текст"));
    QString text;
    w->modalDriver().setNextAnswer([&text](QDialog& d) {
        text = dynamic_cast<QMessageBox&>(d).text();
        d.accept();
    });
    viewer.N1SaveClick();
    QVERIFY(!text.isEmpty());
    QVERIFY(std::filesystem::is_directory(folder));
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

// Coming back to the main window from the viewer re-selects the profile line the editor last
// worked on (line 0 while there is no editor), as on every activation after a modeless window.
void TestViewLog::returningFromTheViewerReselectsTheEditorsProfile() {
    Medium medium;
    const TProfilLine first = Medium::profile("Первый", kId, medium.work(), medium.home());
    medium.writeProfiles({first, Medium::profile("Второй", "LOGTEST2", medium.work(), medium.home())});
    writeFile(medium.pathTask("LOGTEST2") + "/LOGTEST2.log", twoLineLog());
    auto w = startWindow(medium);
    // The offscreen platform does not move the activation between windows by itself.
    QApplication::setActiveWindow(w.get());
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    list->setCurrentRow(1);
    w->N1ViewLogClick();
    QApplication::setActiveWindow(&w->viewLog());
    QVERIFY(w->viewLog().isActiveWindow());
    QCOMPARE(list->currentRow(), 1);
    QApplication::setActiveWindow(w.get());
    QVERIFY(w->isActiveWindow());
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(w->task() == first);
}

QTEST_MAIN(TestViewLog)
#include "test_view_log.moc"
