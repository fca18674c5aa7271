// The full-copy question on its own: its texts, its three results (the close box included), the
// check boxes that keep their states between showings, and `All` that only "Выполнить" writes.
#include "dialog_ful_copy.h"
#include "folder_dialog_columns.h"
#include "modal_driver.h"
#include "qt_translations.h"
#include "select_folder_dialog.h"
#include "ui_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QRegularExpression>
#include <QToolButton>
#include <QTreeView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

using namespace tarvela::ui;
using namespace tarvela::ui::test;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void fullCopyTexts();
    void fullCopyResults();
    void fullCopyCloseBoxRefusesAndKeepsAll();
    void qtsOwnTextsAreRussian();
    void folderDialogInRussianWithItsButtons();
    void folderDialogColumnsInRussianAndNotCut();
};

namespace {

// Latin letters in a caption (the shortcut after a tab, like "Ctrl+Z", does not count).
bool hasLatin(const QString& caption) {
    const QString visible = caption.section(QLatin1Char('\t'), 0, 0);
    for (QChar c : visible)
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            return true;
    return false;
}

} // namespace

void TestDialogs::fullCopyTexts() {
    TFmDialogFulCopy dialog(nullptr);
    // The title bar stays blank: an empty title would make the platform show the program's name.
    QVERIFY(!dialog.windowTitle().isEmpty());
    QVERIFY(dialog.windowTitle().trimmed().isEmpty());
    QCOMPARE(child<QLabel>(dialog, "RzLabel1")->text(),
             QStringLiteral("      Сведенияе об одном из компьютеров отсутствуют. "));
    QVERIFY(child<QLabel>(dialog, "RzLabel1")->font().bold());
    QCOMPARE(child<QLabel>(dialog, "RzLabel1")->palette().color(QPalette::WindowText), QColor(153, 51, 102));
    QCOMPARE(child<QLabel>(dialog, "RzLabel2")->text(), QStringLiteral("Папка:"));
    QCOMPARE(child<QLabel>(dialog, "RzLabel2")->palette().color(QPalette::WindowText), QColor(128, 0, 128));
    QCOMPARE(
        child<QCheckBox>(dialog, "RzCheckBoxCopyAll")->text(),
        QStringLiteral(
            " Выполнить копирование всех файлов из выбранных в профиле папок \n для переноса на другой компьютер?"));
    QCOMPARE(child<QCheckBox>(dialog, "RzCheckBoxAll")->text(),
             QStringLiteral(" Выполнить эту операцию для всех папок указанных в профиле "));
    QCOMPARE(child<QPushButton>(dialog, "RzBitBtnOk")->text(), QStringLiteral("Выполнить"));
    QCOMPARE(child<QPushButton>(dialog, "RzBitBtnClose")->text(), QStringLiteral("Отказаться"));
    QVERIFY(!child<QCheckBox>(dialog, "RzCheckBoxCopyAll")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog, "RzCheckBoxAll")->isChecked());
    QVERIFY(!dialog.All);

    // A long folder is shortened with an ellipsis to the label's width.
    dialog.NameFolder = QStringLiteral("/home/user/") + QString(400, QLatin1Char('d')) + QStringLiteral("/конец/");
    ModalDriver driver;
    driver.setNextAnswer([](QDialog& d) { d.close(); });
    driver.run(dialog);
    auto* name = child<QLabel>(dialog, "RzLabelNameFolder");
    QVERIFY(name->text().contains(QChar(0x2026)));
    QVERIFY(name->fontMetrics().horizontalAdvance(name->text()) <= name->width());
    QVERIFY(name->text().endsWith(QStringLiteral("конец/")));
}

void TestDialogs::fullCopyResults() {
    TFmDialogFulCopy dialog(nullptr);
    ModalDriver driver;
    auto answer = [&](bool copyAll, bool all, const char* button) {
        driver.setNextAnswer([=](QDialog& d) {
            if (copyAll != child<QCheckBox>(d, "RzCheckBoxCopyAll")->isChecked())
                QTest::mouseClick(child<QCheckBox>(d, "RzCheckBoxCopyAll"), Qt::LeftButton);
            if (all != child<QCheckBox>(d, "RzCheckBoxAll")->isChecked())
                QTest::mouseClick(child<QCheckBox>(d, "RzCheckBoxAll"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton);
        });
        return driver.run(dialog);
    };
    QCOMPARE(answer(true, false, "RzBitBtnOk"), 1);
    QCOMPARE(dialog.MR, 1);
    QVERIFY(!dialog.All);
    QCOMPARE(answer(false, true, "RzBitBtnOk"), 7);
    QVERIFY(dialog.All);
    // The boxes keep their states for the next showing.
    driver.setNextAnswer([](QDialog& d) {
        QVERIFY(!child<QCheckBox>(d, "RzCheckBoxCopyAll")->isChecked());
        QVERIFY(child<QCheckBox>(d, "RzCheckBoxAll")->isChecked());
        QTest::mouseClick(child<QCheckBox>(d, "RzCheckBoxAll"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(d, "RzBitBtnClose"), Qt::LeftButton);
    });
    QCOMPARE(driver.run(dialog), 3);
    // "Отказаться" does not write All.
    QVERIFY(dialog.All);
}

void TestDialogs::fullCopyCloseBoxRefusesAndKeepsAll() {
    TFmDialogFulCopy dialog(nullptr);
    ModalDriver driver;
    driver.setNextAnswer([](QDialog& d) {
        QTest::mouseClick(child<QCheckBox>(d, "RzCheckBoxCopyAll"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(d, "RzCheckBoxAll"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(d, "RzBitBtnOk"), Qt::LeftButton);
    });
    QCOMPARE(driver.run(dialog), 1);
    QVERIFY(dialog.All);
    driver.setNextAnswer([](QDialog& d) { d.close(); });
    QCOMPARE(driver.run(dialog), 3);
    QCOMPARE(dialog.MR, 3);
    driver.setNextAnswer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(driver.run(dialog), 3);
    QVERIFY(dialog.All);
    QVERIFY(!dialog.isVisible());
}

// Qt's own texts come from the catalogue embedded in the program: the context menus of edit boxes
// and text panes, and the buttons of message boxes.
void TestDialogs::qtsOwnTextsAreRussian() {
    QVERIFY(installQtTranslations(*qApp));
    QLineEdit edit;
    QTextEdit pane;
    for (QMenu* menu : {edit.createStandardContextMenu(), pane.createStandardContextMenu()}) {
        QVERIFY(menu->actions().size() >= 5);
        for (QAction* a : menu->actions())
            QVERIFY2(a->isSeparator() || !hasLatin(a->text()), qPrintable(a->text()));
        delete menu;
    }
    // Qt's Russian catalogue keeps "OK" as it is (it reads the same in Russian); the other standard
    // buttons are translated.
    QMessageBox box(QMessageBox::Question, QStringLiteral("Вопрос"), QStringLiteral("текст"),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Close);
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::Close})
        QVERIFY2(!hasLatin(box.button(b)->text()), qPrintable(box.button(b)->text()));
}

// The editor's folder dialog: Russian throughout, with "Создать папку" and "Удалить" as buttons
// that create and delete a folder.
void TestDialogs::folderDialogInRussianWithItsButtons() {
    QVERIFY(installQtTranslations(*qApp));
    QTemporaryDir start;
    QVERIFY(QDir(start.path()).mkdir(QStringLiteral("пустая")));
    ModalDriver driver;
    TSelectFolderDialog folders(driver);
    driver.setNextAnswer([&](QDialog& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Выберите папку"));
        auto* create = child<QPushButton>(d, "CreateFolderButton");
        auto* remove = child<QPushButton>(d, "DeleteButton");
        QCOMPARE(create->text(), QStringLiteral("Создать папку"));
        QCOMPARE(remove->text(), QStringLiteral("Удалить"));
        QVERIFY(create->isVisible() && remove->isVisible());
        for (QLabel* label : d.findChildren<QLabel*>())
            QVERIFY2(!label->isVisible() || !hasLatin(label->text()), qPrintable(label->text()));
        for (QAbstractButton* b : d.findChildren<QPushButton*>())
            QVERIFY2(!b->isVisible() || !hasLatin(b->text()), qPrintable(b->text()));

        // "Создать папку" makes a new folder under a Russian name in the folder shown.
        create->click();
        QStringList made = QDir(start.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        made.removeAll(QStringLiteral("пустая"));
        QCOMPARE(made.size(), 1);
        QVERIFY2(!hasLatin(made.front()), qPrintable(made.front()));
        if (QWidget* naming = QApplication::focusWidget())
            QTest::keyClick(naming, Qt::Key_Escape); // leaves the name as it is

        // "Удалить" removes the highlighted empty folder after asking ("Да").
        auto* view = d.findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view != nullptr);
        QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) == 2);
        QModelIndex target;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
            const QModelIndex i = view->model()->index(row, 0, view->rootIndex());
            if (i.data().toString() == QStringLiteral("пустая"))
                target = i;
        }
        QVERIFY(target.isValid());
        view->setCurrentIndex(target);
        QTimer::singleShot(0, [] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(question != nullptr);
            QVERIFY2(!hasLatin(question->text().remove(QStringLiteral("пустая"))), qPrintable(question->text()));
            question->button(QMessageBox::Yes)->click();
        });
        remove->click();
        QVERIFY(!QDir(start.path()).exists(QStringLiteral("пустая")));
        d.reject();
    });
    QVERIFY(!folders.execute(nullptr, start.path()).has_value());
}

// Size, Type and Date in Russian whatever the system's language, each column wide enough for what
// it shows in every row.
void TestDialogs::folderDialogColumnsInRussianAndNotCut() {
    QTemporaryDir start;
    QVERIFY(QDir(start.path()).mkdir(QStringLiteral("папка")));
    {
        QFile file(start.path() + QStringLiteral("/отчёт.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'x'));
    }
    ModalDriver driver;
    TSelectFolderDialog folders(driver);
    driver.setNextAnswer([&](QDialog& d) {
        auto* details = d.findChild<QToolButton*>(QStringLiteral("detailModeButton"));
        QVERIFY(details != nullptr);
        details->click();
        auto* view = d.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(view != nullptr);
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
        QMap<QString, QStringList> rows;
        for (int row = 0; row < 2; ++row) {
            QStringList cells;
            for (int column = 0; column < 4; ++column)
                cells << view->model()->index(row, column, view->rootIndex()).data().toString();
            rows.insert(cells[0], cells);
        }
        // Every column wider than its widest text (with the item's margins).
        const QFontMetrics fm(view->font());
        for (const QStringList& cells : rows) {
            for (int column = 1; column < 4; ++column)
                QTRY_VERIFY2(fm.horizontalAdvance(cells[column]) + 6 <= view->header()->sectionSize(column),
                             qPrintable(cells[column]));
        }
        QCOMPARE(rows[QStringLiteral("папка")][2], QStringLiteral("Папка"));
        QCOMPARE(rows[QStringLiteral("отчёт.txt")][1], QStringLiteral("2,0 КБ"));
        QCOMPARE(rows[QStringLiteral("отчёт.txt")][2], QStringLiteral("Файл TXT"));
        const QRegularExpression date(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$"));
        QVERIFY2(date.match(rows[QStringLiteral("отчёт.txt")][3]).hasMatch(), qPrintable(rows[QStringLiteral("отчёт.txt")][3]));
        d.reject();
    });
    QVERIFY(!folders.execute(nullptr, start.path()).has_value());
    QCOMPARE(FolderDialogColumns::sizeText(512), QStringLiteral("512 байт"));
    QCOMPARE(FolderDialogColumns::sizeText(15LL << 20), QStringLiteral("15 МБ"));
    QCOMPARE(FolderDialogColumns::sizeText(3LL << 30), QStringLiteral("3,0 ГБ"));
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
