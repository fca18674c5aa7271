// Window settings and visual styles: the style menu, the default style, a style applied to every
// window, the contrast of every text colour of every named style, the settings written at close
// and read at start-up with the position rules. The settings live in a temporary folder (on
// Windows in the registry of the test's Wine prefix).
#include "dialog_ful_copy.h"
#include "modal_driver.h"
#include "style_catalog.h"
#include "style_manager.h"
#include "tarvela_config.h"
#include "ui_fixture.h"
#include "view_log.h"
#include "window_settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStyle>

#include <algorithm>
#include <set>
#include <tuple>

using namespace tarvela;
using namespace tarvela::ui;
using namespace tarvela::ui::test;

namespace {

QSettings userSettings() {
    return QSettings(QStringLiteral("Korvane"), QStringLiteral("Tarvela"));
}

QAction* styleItem(TFmTarvela& w, const QString& name) {
    for (QAction* a : child<QMenu>(w, "PopupMenuStyleThemes")->actions())
        if (a->text() == name)
            return a;
    qFatal("no style item %s", qPrintable(name));
}

} // namespace

class TestStylesSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void styleMenuHas18ItemsWindowsFirst();
    void defaultStyleWithoutSettings();
    void aStyleAppliesToEveryWindow();
    void everyTextColourReads_data();
    void everyTextColourReads();
    void indicatorsAndQuestionTextsRead_data();
    void indicatorsAndQuestionTextsRead();
    void stylesAreDistinct();
    void settingsRoundTrip();
    void windowsLookIsStored();
    void windowsKeepsTheSettingsInTheUserRegistry();
    void positionRules_data();
    void positionRules();
    void unknownStyleKeepsTheDefault();
    void theEditorFitsItsControlsInEveryStyle_data();
    void theEditorFitsItsControlsInEveryStyle();

private:
    QTemporaryDir settingsDir_;
};

void TestStylesSettings::init() {
    QVERIFY(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
    userSettings().clear();
}

void TestStylesSettings::styleMenuHas18ItemsWindowsFirst() {
    Medium medium;
    auto w = startWindow(medium);
    const QList<QAction*> items = child<QMenu>(*w, "PopupMenuStyleThemes")->actions();
    QCOMPARE(items.size(), 18);
    QCOMPARE(items[0]->text(), QStringLiteral("Windows"));
    QStringList names;
    for (QAction* a : items) {
        QVERIFY(!a->text().contains(QLatin1Char('&')));
        QVERIFY(!a->isCheckable());
        names << a->text();
    }
    QCOMPARE(names, TStyleManager::StyleNames());
    for (const char* n :
         {"Amethyst Kamri", "Aqua Graphite", "Aqua Light Slate", "Auric", "Cyan Dusk", "Golden Graphite",
          "Iceberg Classico", "Lavender Classico", "Light", "Luna", "Metropolis UI Blue", "Obsidian", "Ruby Graphite",
          "Sapphire Kamri", "Silver", "Slate Classico", "Smokey Quartz Kamri"})
        QVERIFY2(names.contains(QString::fromLatin1(n)), n);
    QCOMPARE(child<QWidget>(*w, "img1")->toolTip(), QStringLiteral("Изменить стиль оформления программы"));
    QCOMPARE(child<QWidget>(*w, "img1")->contextMenuPolicy(), Qt::CustomContextMenu);
}

void TestStylesSettings::defaultStyleWithoutSettings() {
    Medium medium;
    auto w = startWindow(medium);
    QCOMPARE(w->styleManager().ActiveStyleName(), QStringLiteral("Smokey Quartz Kamri"));
    QCOMPARE(w->pos(), QPoint(0, 0));
}

void TestStylesSettings::aStyleAppliesToEveryWindow() {
    Medium medium;
    auto w = startWindow(medium);
    styleItem(*w, QStringLiteral("Obsidian"))->trigger();
    QCOMPARE(w->styleManager().ActiveStyleName(), QStringLiteral("Obsidian"));
    const QColor window(0x202124);
    QCOMPARE(w->palette().color(QPalette::Window), window);
    QCOMPARE(w->config().palette().color(QPalette::Window), window);
    QCOMPARE(w->viewLog().palette().color(QPalette::Window), window);
    QVERIFY(qApp->styleSheet().contains(QStringLiteral("#RzPanel1")));
    styleItem(*w, QStringLiteral("Windows"))->trigger();
    QCOMPARE(w->styleManager().ActiveStyleName(), QStringLiteral("Windows"));
    QVERIFY(!qApp->styleSheet().contains(QStringLiteral("#RzPanel1")));
    QCOMPARE(qApp->palette().color(QPalette::Window), QApplication::style()->standardPalette().color(QPalette::Window));
    QCOMPARE(w->palette().color(QPalette::Window), QApplication::style()->standardPalette().color(QPalette::Window));
    QCOMPARE(w->config().palette().color(QPalette::Window), w->palette().color(QPalette::Window));
    styleItem(*w, QStringLiteral("Luna"))->trigger();
    QCOMPARE(w->config().palette().color(QPalette::Window), QColor(0xECE9D8));
    styleItem(*w, QStringLiteral("Windows"))->trigger();
    // A name the manager does not know changes nothing.
    QVERIFY(!w->styleManager().SetStyle(QStringLiteral("Nonexistent")));
    QCOMPARE(w->styleManager().ActiveStyleName(), QStringLiteral("Windows"));
}

void TestStylesSettings::everyTextColourReads_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < static_cast<int>(styleCatalog().size()); ++i)
        QTest::newRow(styleCatalog()[static_cast<std::size_t>(i)].name) << i;
}

// Every text colour the style uses against every background it stands on: the palette roles of
// the controls and the colours only the style sheet uses (button shading, the strip, the paper).
void TestStylesSettings::everyTextColourReads() {
    QFETCH(int, index);
    const StyleColors& s = styleCatalog()[static_cast<std::size_t>(index)];
    const QPalette p = TStyleManager::paletteOf(s);
    struct Pair {
        const char* what;
        QColor text, background;
    };
    std::vector<Pair> pairs;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pairs.push_back({"window text", p.color(g, QPalette::WindowText), p.color(g, QPalette::Window)});
        pairs.push_back({"text on base", p.color(g, QPalette::Text), p.color(g, QPalette::Base)});
        pairs.push_back({"text on alternate base", p.color(g, QPalette::Text), p.color(g, QPalette::AlternateBase)});
        pairs.push_back({"hint on base", p.color(g, QPalette::PlaceholderText), p.color(g, QPalette::Base)});
        pairs.push_back({"button text", p.color(g, QPalette::ButtonText), p.color(g, QPalette::Button)});
        pairs.push_back({"selection", p.color(g, QPalette::HighlightedText), p.color(g, QPalette::Highlight)});
        pairs.push_back({"tooltip", p.color(g, QPalette::ToolTipText), p.color(g, QPalette::ToolTipBase)});
        pairs.push_back({"window text on button", p.color(g, QPalette::WindowText), p.color(g, QPalette::Button)});
    }
    pairs.push_back({"button text, shaded top", QColor(s.buttonText), buttonTop(s)});
    pairs.push_back({"strip", QColor(s.stripText), QColor(s.strip)});
    pairs.push_back({"strip picture's arrows and word", QColor(kStripArtColor), QColor(s.strip)});
    pairs.push_back({"log ink on paper", QColor(s.ink), QColor(s.paper)});
    // The echo's own colours (maroon, blue, teal, purple, green, black) stand on the paper.
    for (QRgb echo : {0x800000u, 0x0000FFu, 0x008080u, 0x800080u, 0x008000u, 0x000000u})
        pairs.push_back({"echo colour on paper", QColor(echo), QColor(s.paper)});
    for (const Pair& pair : pairs) {
        const double ratio = contrastRatio(pair.text, pair.background);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2 on %3 is %4:1")
                                              .arg(QLatin1String(pair.what), pair.text.name(), pair.background.name(),
                                                   QString::number(ratio, 'f', 2))));
    }
    // A disabled button's caption is visibly fainter than an enabled one's: of the two direction
    // buttons the one that may be pressed stands out. The sheet draws that colour.
    const QColor disabled = p.color(QPalette::Disabled, QPalette::ButtonText);
    const QColor button(s.button);
    const double enabledRatio = contrastRatio(QColor(s.buttonText), button);
    const double disabledRatio = contrastRatio(disabled, button);
    QVERIFY2(disabledRatio <= 3.0 && enabledRatio >= 2 * disabledRatio,
             qPrintable(QStringLiteral("disabled caption %1 on %2 is %3:1, enabled %4:1")
                            .arg(disabled.name(), button.name(), QString::number(disabledRatio, 'f', 2),
                                 QString::number(enabledRatio, 'f', 2))));
    QVERIFY(TStyleManager::styleSheetOf(s).contains(
        QStringLiteral("QPushButton:disabled { color: %1; }").arg(disabled.name())));
}

void TestStylesSettings::indicatorsAndQuestionTextsRead_data() {
    everyTextColourReads_data();
}

namespace {

// The strongest contrast any pixel of `area` in the widget's picture has against `background`.
double strongestContrast(QWidget& w, const QRect& area, const QColor& background) {
    const QImage picture = w.grab().toImage();
    const qreal scale = picture.devicePixelRatio();
    double best = 1.0;
    const QRect pixels(QPoint(qRound(area.left() * scale), qRound(area.top() * scale)),
                       QSize(qRound(area.width() * scale), qRound(area.height() * scale)));
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            if (picture.rect().contains(x, y))
                best = std::max(best, contrastRatio(picture.pixelColor(x, y), background));
    return best;
}

} // namespace

// As drawn in each named style: an unticked check box, an unselected radio button and the slider's
// groove stand out from the window (3:1, as any control a user must find); the full-copy
// question's fixed colours read on its window (4.5:1).
void TestStylesSettings::indicatorsAndQuestionTextsRead() {
    QFETCH(int, index);
    const StyleColors& s = styleCatalog()[static_cast<std::size_t>(index)];
    TStyleManager styles;
    QVERIFY(styles.SetStyle(QString::fromLatin1(s.name)));
    const QColor window(s.window);

    QWidget host;
    host.resize(300, 120);
    auto* box = new QCheckBox(&host);
    box->setGeometry(10, 10, 24, 24);
    auto* radio = new QRadioButton(&host);
    radio->setGeometry(50, 10, 24, 24);
    auto* slider = new QSlider(Qt::Horizontal, &host);
    slider->setRange(1, 10);
    slider->setValue(10); // the handle at the right end: the left part shows only the groove
    slider->setGeometry(10, 50, 260, 30);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    for (auto [what, widget, area] : {std::tuple{"check box", static_cast<QWidget*>(box), box->rect()},
                                      std::tuple{"radio button", static_cast<QWidget*>(radio), radio->rect()},
                                      std::tuple{"slider groove", static_cast<QWidget*>(slider),
                                                 QRect(0, 0, slider->width() / 2, slider->height())}}) {
        const double ratio = strongestContrast(*widget, area, window);
        QVERIFY2(ratio >= 3.0,
                 qPrintable(QStringLiteral("%1 stands at %2:1 on %3")
                                .arg(QLatin1String(what), QString::number(ratio, 'f', 2), window.name())));
    }

    TFmDialogFulCopy question(nullptr);
    ModalDriver driver;
    driver.setNextAnswer([&](QDialog& d) {
        const QColor background = d.palette().color(QPalette::Window);
        QCOMPARE(background, window);
        for (const char* name : {"RzLabel1", "RzLabel2", "RzLabelNameFolder"}) {
            const QColor ink = child<QLabel>(d, name)->palette().color(QPalette::WindowText);
            const double ratio = contrastRatio(ink, background);
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2 on %3 is %4:1")
                                                  .arg(QLatin1String(name), ink.name(), background.name(),
                                                       QString::number(ratio, 'f', 2))));
        }
        d.reject();
    });
    question.NameFolder = QStringLiteral("/home/user/Документы/");
    driver.run(question);
    QVERIFY(!driver.hasPendingAnswers());
}

void TestStylesSettings::stylesAreDistinct() {
    std::set<std::tuple<QRgb, QRgb, QRgb, QRgb>> looks;
    std::set<QString> sheets;
    for (const StyleColors& s : styleCatalog()) {
        looks.insert({s.window, s.button, s.highlight, s.strip});
        sheets.insert(TStyleManager::styleSheetOf(s));
    }
    QCOMPARE(looks.size(), styleCatalog().size());
    QCOMPARE(sheets.size(), styleCatalog().size());
    QCOMPARE(styleCatalog().size(), 17u);
}

void TestStylesSettings::settingsRoundTrip() {
    Medium medium;
    {
        auto w = startWindow(medium);
        w->move(200, 150);
        styleItem(*w, QStringLiteral("Obsidian"))->trigger();
        // Only the close writes.
        QVERIFY(!userSettings().contains(QStringLiteral("TarvelaStyle")));
        QVERIFY(w->close());
    }
    QSettings s = userSettings();
    QCOMPARE(s.value(QStringLiteral("TarvelaStyle")).toString(), QStringLiteral("Obsidian"));
    QCOMPARE(s.value(QStringLiteral("TarvelaX")).toInt(), 200);
    QCOMPARE(s.value(QStringLiteral("TarvelaY")).toInt(), 150);

    auto again = startWindow(medium);
    QCOMPARE(again->pos(), QPoint(200, 150));
    QCOMPARE(again->styleManager().ActiveStyleName(), QStringLiteral("Obsidian"));
    QCOMPARE(again->palette().color(QPalette::Window), QColor(0x202124));
}

void TestStylesSettings::windowsLookIsStored() {
    Medium medium;
    auto w = startWindow(medium);
    styleItem(*w, QStringLiteral("Windows"))->trigger();
    QVERIFY(w->close());
    QCOMPARE(userSettings().value(QStringLiteral("TarvelaStyle")).toString(), QStringLiteral("Windows"));
    auto again = startWindow(medium);
    QCOMPARE(again->styleManager().ActiveStyleName(), QStringLiteral("Windows"));
}

// On Windows the settings are values of the user's own registry key, the place as numbers.
void TestStylesSettings::windowsKeepsTheSettingsInTheUserRegistry() {
#ifndef Q_OS_WIN
    QSKIP("the registry is Windows's");
#else
    QVERIFY(writeWindowSettings(QStringLiteral("Luna"), QPoint(30, -40)));
    const QSettings key(QStringLiteral("HKEY_CURRENT_USER\\Software\\Korvane\\Tarvela"), QSettings::NativeFormat);
    QCOMPARE(key.value(QStringLiteral("TarvelaStyle")).toString(), QStringLiteral("Luna"));
    const QVariant x = key.value(QStringLiteral("TarvelaX"));
    const QVariant y = key.value(QStringLiteral("TarvelaY"));
    QCOMPARE(x.typeId(), QMetaType::Int);
    QCOMPARE(x.toInt(), 30);
    QCOMPARE(y.toInt(), -40);
    const WindowSettings read = readWindowSettings();
    QCOMPARE(read.style, QStringLiteral("Luna"));
    QCOMPARE(read.position, std::optional<QPoint>(QPoint(30, -40)));
#endif
}

void TestStylesSettings::positionRules_data() {
    QTest::addColumn<QVariant>("x");
    QTest::addColumn<QVariant>("y");
    QTest::addColumn<QPoint>("expected");
    const QVariant none;
    QTest::newRow("both saved") << QVariant(300) << QVariant(40) << QPoint(300, 40);
    QTest::newRow("x is 0") << QVariant(0) << QVariant(40) << QPoint(0, 0);
    QTest::newRow("x left of the screen") << QVariant(-20) << QVariant(40) << QPoint(0, 0);
    QTest::newRow("only x") << QVariant(300) << none << QPoint(0, 0);
    QTest::newRow("only y") << none << QVariant(40) << QPoint(0, 0);
    QTest::newRow("x not a number") << QVariant(QStringLiteral("abc")) << QVariant(40) << QPoint(0, 0);
    QTest::newRow("y 0 is used with x") << QVariant(5) << QVariant(0) << QPoint(5, 0);
}

void TestStylesSettings::positionRules() {
    QFETCH(QVariant, x);
    QFETCH(QVariant, y);
    QFETCH(QPoint, expected);
    {
        QSettings s = userSettings();
        if (x.isValid())
            s.setValue(QStringLiteral("TarvelaX"), x);
        if (y.isValid())
            s.setValue(QStringLiteral("TarvelaY"), y);
    }
    Medium medium;
    auto w = startWindow(medium);
    QCOMPARE(w->pos(), expected);
    QCOMPARE(w->styleManager().ActiveStyleName(), QStringLiteral("Smokey Quartz Kamri"));
}

void TestStylesSettings::unknownStyleKeepsTheDefault() {
    userSettings().setValue(QStringLiteral("TarvelaStyle"), QStringLiteral("Style of another build"));
    Medium medium;
    auto w = startWindow(medium);
    QCOMPARE(w->styleManager().ActiveStyleName(), QStringLiteral("Smokey Quartz Kamri"));
    QCOMPARE(w->modalDriver().unexpectedDialogs(), 0);
}

void TestStylesSettings::theEditorFitsItsControlsInEveryStyle_data() {
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("chosen");
    const QStringList names = TStyleManager::StyleNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString next = names[(i + 1) % names.size()];
        QTest::newRow(qPrintable(names[i] + QStringLiteral(", then ") + next)) << names[i] << next;
    }
}

// The editor's fixed size holds every control at its full height, whatever style was saved and
// whatever style is chosen while it is open: no bottom button is cut off.
void TestStylesSettings::theEditorFitsItsControlsInEveryStyle() {
    QFETCH(QString, saved);
    QFETCH(QString, chosen);
    userSettings().setValue(QStringLiteral("TarvelaStyle"), saved);
    Medium medium;
    auto w = startWindow(medium);
    QCOMPARE(w->styleManager().ActiveStyleName(), saved);
    TFmConfig& editor = w->config();
    auto fits = [&editor](const QString& style) {
        const QRect inside = editor.rect();
        for (QWidget* c : editor.findChildren<QWidget*>()) {
            // The groups and what stands in them (not the inner parts of composite controls).
            const bool laidOut = c->parentWidget() == &editor || qobject_cast<QGroupBox*>(c->parentWidget()) != nullptr;
            if (!laidOut || !c->isVisibleTo(&editor))
                continue;
            const QRect at(c->mapTo(&editor, QPoint(0, 0)), c->size());
            const QString what = style + QStringLiteral(": ") + c->objectName() + QLatin1Char(' ') +
                                 QString::fromLatin1(c->metaObject()->className());
            QVERIFY2(inside.contains(at), qPrintable(what + QStringLiteral(" stands outside the window")));
            QVERIFY2(c->height() >= c->minimumSizeHint().height(), qPrintable(what + QStringLiteral(" is squeezed")));
        }
    };
    QTest::mouseClick(child<QPushButton>(*w, "RzBitBtnAddProfil"), Qt::LeftButton);
    QVERIFY(editor.isVisible());
    fits(saved);
    styleItem(*w, chosen)->trigger();
    QCoreApplication::processEvents();
    fits(chosen);
}

QTEST_MAIN(TestStylesSettings)
#include "test_styles_settings.moc"
