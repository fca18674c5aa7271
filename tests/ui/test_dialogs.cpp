// The full-copy question on its own: its texts, its three results (the close box included), the
// check boxes that keep their states between showings, and `All` that only "Выполнить" writes.
#include "dialog_ful_copy.h"
#include "modal_driver.h"
#include "ui_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace tarvela::ui;
using namespace tarvela::ui::test;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void fullCopyTexts();
    void fullCopyResults();
    void fullCopyCloseBoxRefusesAndKeepsAll();
};

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

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
