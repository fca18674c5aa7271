// A profile made by tarvela-cli opens in the profile editor exactly as one made there: every field
// in its control, every pair under the slider, the role of this computer; and the editor's save of
// the unchanged profile writes the same bytes.
#include "platform/file_system.h"
#include "records/profile_file.h"
#include "tarvela_config.h"
#include "ui_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using namespace tarvela;
using namespace tarvela::ui;
using namespace tarvela::ui::test;

namespace {

// Runs tarvela-cli on the medium; its stdout, or a failed test.
QString cli(const Medium& medium, const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(TARVELA_CLI_PATH),
                  QStringList{QStringLiteral("--medium"), QString::fromStdString(medium.programPath())} + args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("tarvela-cli failed: %s", process.readAllStandardError().constData());
    // Lines as text: the Windows console program ends them with CR LF.
    return QString::fromUtf8(process.readAllStandardOutput()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestCliProfileInEditor : public QObject {
    Q_OBJECT
private slots:
    void opensIdenticallyInTheEditor_data();
    void opensIdenticallyInTheEditor();
};

void TestCliProfileInEditor::opensIdenticallyInTheEditor_data() {
    QTest::addColumn<QString>("role");
    QTest::addColumn<bool>("options");
    QTest::newRow("home, every option on") << QStringLiteral("home") << true;
    QTest::newRow("work, the defaults") << QStringLiteral("work") << false;
}

void TestCliProfileInEditor::opensIdenticallyInTheEditor() {
    QFETCH(QString, role);
    QFETCH(bool, options);
    Medium medium;
    const QString work = QString::fromStdString(medium.work());
    const QString home = QString::fromStdString(medium.home());
    QStringList args = {QStringLiteral("profile"),
                        QStringLiteral("add"),
                        QStringLiteral("Рабочие документы"),
                        QStringLiteral("--work"),
                        work + QStringLiteral("Документы"),
                        QStringLiteral("--home"),
                        home + QStringLiteral("Документы"),
                        QStringLiteral("--pair"),
                        QStringLiteral("4"),
                        QStringLiteral("--home"),
                        QStringLiteral("/mnt/архив"),
                        QStringLiteral("--pair"),
                        QStringLiteral("10"),
                        QStringLiteral("--work"),
                        QStringLiteral("/srv/десять"),
                        QStringLiteral("--exclude"),
                        QStringLiteral("*.tmp;*.bak"),
                        QStringLiteral("--role"),
                        role};
    if (options) {
        args << QStringLiteral("--delete") << QStringLiteral("on") << QStringLiteral("--trash") << QStringLiteral("on")
             << QStringLiteral("--confirm") << QStringLiteral("off") << QStringLiteral("--log") << QStringLiteral("on");
    }
    const QString id = cli(medium, args).trimmed();
    QCOMPARE(id.size(), 8);
    const std::string made = readFile(medium.programPath() + "Tarvela.cfg");

    auto w = startWindow(medium);
    auto* list = child<QListWidget>(*w, "RzListBoxProfile");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Рабочие документы"));
    // Saved on this computer: selecting it sets the main window's role too.
    QCOMPARE(child<QRadioButton>(*w, role == QStringLiteral("home") ? "RzRadioButtonHome" : "RzRadioButtonWork")
                 ->isChecked(),
             true);

    QTest::mouseClick(child<QPushButton>(*w, "RzBitBtnEditConfig"), Qt::LeftButton);
    TFmConfig& c = w->config();
    QVERIFY(c.isVisible());
    QCOMPARE(child<QLineEdit>(c, "EditProfName")->text(), QStringLiteral("Рабочие документы"));
    QCOMPARE(child<QLineEdit>(c, "EditIdProf")->text(), id);
    QCOMPARE(child<QLineEdit>(c, "EditFileExcept")->text(), QStringLiteral("*.tmp;*.bak"));
    QCOMPARE(child<QRadioButton>(c, "RadioButtonPCHome")->isChecked(), role == QStringLiteral("home"));
    QCOMPARE(child<QRadioButton>(c, "RadioButtonPCWork")->isChecked(), role == QStringLiteral("work"));
    QCOMPARE(child<QCheckBox>(c, "RzCheckBoxOperacDel")->isChecked(), options);
    QCOMPARE(child<QCheckBox>(c, "RzCheckBoxDellBasket")->isChecked(), options);
    QCOMPARE(child<QCheckBox>(c, "RzCheckBoxDelConfirm")->isChecked(), !options);
    QCOMPARE(child<QCheckBox>(c, "RzCheckBoxSaveLog")->isChecked(), options);
    QCOMPARE(child<QCheckBox>(c, "RzCheckBoxDellBasket")->isEnabled(), options);

    auto* slider = child<QSlider>(c, "RzTrackBarNomFolder");
    auto* pathWork = child<QLineEdit>(c, "EditPathWork");
    auto* pathHome = child<QLineEdit>(c, "EditPathHome");
    // tarvela-cli ends a folder with this system's separator, a folder written the Linux way ("/...")
    // with '/' on both systems.
    const QChar sep = QLatin1Char(platform::pathSeparator());
    const struct {
        int pair;
        QString work;
        QString home;
    } pairs[] = {
        {1, work + QStringLiteral("Документы") + sep, home + QStringLiteral("Документы") + sep},
        {2, QString(), QString()},
        {4, QString(), QStringLiteral("/mnt/архив/")},
        {10, QStringLiteral("/srv/десять/"), QString()},
    };
    for (const auto& p : pairs) {
        slider->setValue(p.pair);
        QCOMPARE(child<QLabel>(c, "RzLabelNomer")->text(), QString::number(p.pair));
        QCOMPARE(pathWork->text(), p.work);
        QCOMPARE(pathHome->text(), p.home);
    }

    // The editor's save of what the terminal made changes no byte of the profile file.
    QVERIFY(c.RzBitBtnSaveConfigClick());
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
    QVERIFY(readFile(medium.programPath() + "Tarvela.cfg") == made);

    // And the terminal reads back what the editor saved.
    QVERIFY(cli(medium, {QStringLiteral("profile"), QStringLiteral("show"), id})
                .contains(QStringLiteral("pair 4 home: /mnt/архив/\n")));
}

QTEST_MAIN(TestCliProfileInEditor)
#include "test_cli_profile_in_editor.moc"
