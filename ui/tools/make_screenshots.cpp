// A scripted walk through the program that also makes the pictures of its documentation. On a
// medium in a temporary folder the work computer creates a profile with two folder pairs in the
// profile editor and sends; the home computer, with a settings folder of its own, receives; then
// the work computer starts again and must find its style and place. Every step is checked; the
// exit status is 0 only when the whole walk went as expected.
//
// Pictures: the profile editor, its folder dialog and the full-copy question (in a dark style), the
// main window during a copy, the deletion question and the profile deletion question (in another
// dark style), the log viewer, and the main window in three styles.
// Usage (under an X server such as Xvfb): tarvela_make_screenshots <folder>
#include "qt_translations.h"
#include "style_manager.h"
#include "tarvela_config.h"
#include "tarvela_window.h"
#include "view_log.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWindow>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace tarvela;
using tarvela::ui::TFmTarvela;

namespace {

class Walk {
public:
    explicit Walk(QDir out) : out_(std::move(out)) { out_.mkpath(QStringLiteral(".")); }

    void check(bool ok, const char* what) {
        if (ok)
            return;
        std::fprintf(stderr, "walk: %s\n", what);
        ++failures_;
    }
    // Under an X server with a window manager the picture is taken from the screen, title bar and
    // frame included, once the window is mapped; elsewhere (the offscreen test) from the widget.
    void picture(QWidget& widget, const char* name) {
        QApplication::processEvents();
        QPixmap shot;
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            QWidget& window = *widget.window();
            window.raise();
            window.activateWindow();
            settle(window);
            const QRect frame = window.frameGeometry();
            shot = QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        } else {
            shot = widget.grab();
        }
        const QString path = out_.filePath(QString::fromLatin1(name));
        check(shot.save(path), "a picture could not be written");
    }
    int failures() const { return failures_; }

private:
    // Lets the window manager map and frame the window and the window paint itself.
    static void settle(QWidget& window) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 3000 && (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()))
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        while (waited.elapsed() < 3400)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    QDir out_;
    int failures_ = 0;
};

void writeFile(const std::string& path, std::size_t size, char fill) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, fill);
}

// The window settings of one computer live in a folder of their own.
void useSettings(const std::string& folder) {
    const QString path = QString::fromStdString(folder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

std::unique_ptr<TFmTarvela> start(const std::string& medium) {
    auto window = std::make_unique<TFmTarvela>(medium);
    // A dialog the walk does not expect is answered with a cancel and counted.
    window->modalDriver().setStrict(true);
    window->FormCreate();
    window->show();
    window->FormActivate();
    return window;
}

template <class T> T* find(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("no control named %s", name);
    return found;
}

void chooseStyle(TFmTarvela& window, const char* name) {
    for (QAction* item : find<QMenu>(window, "PopupMenuStyleThemes")->actions())
        if (item->text() == QLatin1String(name))
            item->trigger();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QStringLiteral("tarvela"));
    ui::installQtTranslations(app);
    Walk walk(QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")));
    QTemporaryDir temp;
    const std::string root = temp.path().toStdString();
    const std::string medium = root + "/Флешка/";
    const std::string workDocs = root + "/Работа/Документы";
    const std::string workPhotos = root + "/Работа/Фото";
    const std::string homeDocs = root + "/Дом/Документы";
    const std::string homePhotos = root + "/Дом/Фото";
    std::filesystem::create_directories(medium);
    // The drive holds the program beside its profiles, as scripts/install-to leaves it.
    writeFile(medium + "tarvela", std::size_t{3} << 20, 'e');
    writeFile(medium + "tarvela-cli", std::size_t{1} << 20, 'c');
    writeFile(medium + "tarvela.desktop", 240, 'd');
    for (const char* name : {"Отчёт за год.docx", "Смета.xlsx", "Договоры/Договор 12.pdf", "Договоры/Договор 13.pdf"})
        writeFile(workDocs + "/" + name, 4096, 'w');
    writeFile(workDocs + "/Архив/фото 2026.zip", std::size_t{48} << 20, 'z');
    writeFile(workPhotos + "/Море.jpg", 20000, 'p');
    std::filesystem::create_directories(homeDocs);
    std::filesystem::create_directories(homePhotos);

    // The work computer: a new profile with two pairs, then the sending half.
    useSettings(root + "/settings-work");
    {
        auto w = start(medium);
        walk.check(w->styleManager().ActiveStyleName() == QLatin1String("Smokey Quartz Kamri"), "default style");
        // The editor and the question in a dark style.
        chooseStyle(*w, "Obsidian");
        find<QPushButton>(*w, "RzBitBtnAddProfil")->click();
        ui::TFmConfig& editor = w->config();
        walk.check(editor.isVisible(), "the editor opens");
        find<QLineEdit>(editor, "EditProfName")->setText(QStringLiteral("Документы и фото"));
        // The folder dialog itself, once, closed with "Закрыть".
        w->modalDriver().setNextAnswer([&](QDialog& d) {
            walk.check(d.findChild<QPushButton*>(QStringLiteral("CreateFolderButton")) != nullptr &&
                           d.findChild<QPushButton*>(QStringLiteral("DeleteButton")) != nullptr,
                       "the folder dialog has its two buttons");
            // The folder's items are read in the background: the picture shows them.
            if (auto* view = d.findChild<QTreeView*>(QStringLiteral("treeView"))) {
                QElapsedTimer waited;
                waited.start();
                while (view->model()->rowCount(view->rootIndex()) < 3 && waited.elapsed() < 5000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                walk.check(view->model()->rowCount(view->rootIndex()) >= 3, "the folder dialog lists the drive");
            }
            walk.picture(d, "folder_dialog.png");
            d.reject();
        });
        find<QPushButton>(editor, "ButtonPathWork")->click();
        walk.check(find<QLineEdit>(editor, "EditPathWork")->text().isEmpty(), "closing the folder dialog chose nothing");
        editor.folderDialog().setNextFileName(QString::fromStdString(workDocs));
        find<QPushButton>(editor, "ButtonPathWork")->click();
        find<QLineEdit>(editor, "EditPathHome")->setText(QString::fromStdString(homeDocs));
        find<QSlider>(editor, "RzTrackBarNomFolder")->setValue(2);
        editor.folderDialog().setNextFileName(QString::fromStdString(workPhotos));
        find<QPushButton>(editor, "ButtonPathWork")->click();
        editor.folderDialog().setNextFileName(QString::fromStdString(homePhotos));
        find<QPushButton>(editor, "ButtonPathHome")->click();
        find<QLineEdit>(editor, "EditFileExcept")->setText(QStringLiteral("*.tmp;~$*"));
        find<QCheckBox>(editor, "RzCheckBoxOperacDel")->click();
        find<QCheckBox>(editor, "RzCheckBoxSaveLog")->click();
        walk.picture(editor, "profile_editor.png");
        find<QPushButton>(editor, "RzBitBtnSaveConfig")->click();
        walk.check(!editor.isVisible(), "the save closes the editor");
        walk.check(w->profiles().size() == 1, "one profile saved");
        walk.check(w->profiles()[0].pair(2).PathHome.text() == homePhotos + "/", "pair 2 saved with its separator");
        w->FormActivate();

        w->modalDriver().setNextAnswer([&](QDialog& d) {
            find<QCheckBox>(d, "RzCheckBoxCopyAll")->setChecked(true);
            find<QCheckBox>(d, "RzCheckBoxAll")->setChecked(true);
            walk.picture(d, "full_copy_question.png");
            find<QPushButton>(d, "RzBitBtnOk")->click();
        });
        find<QPushButton>(*w, "RzBtnTarvelaWorkHome")->click();
        walk.check(w->lastResult() == HalfResult::Completed, "the work computer sent");
        walk.check(std::filesystem::exists(medium + "Task/" + w->profiles()[0].Id.text() + "/WFiles"),
                   "the store is on the medium");
        chooseStyle(*w, "Smokey Quartz Kamri");
        walk.picture(*w, "style_smokey_quartz_kamri.png");
        chooseStyle(*w, "Obsidian");
        walk.picture(*w, "style_obsidian.png");
        w->move(120, 80);
        w->close();
        walk.check(w->modalDriver().unexpectedDialogs() == 0, "no unexpected dialog on the work computer");
    }

    // The home computer: its own settings, the receiving half with the deletion question.
    useSettings(root + "/settings-home");
    {
        auto w = start(medium);
        walk.check(w->styleManager().ActiveStyleName() == QLatin1String("Smokey Quartz Kamri"),
                   "the home computer starts with the default style");
        walk.check(w->pos() == QPoint(0, 0), "the home computer starts at the corner");
        find<QRadioButton>(*w, "RzRadioButtonHome")->click();
        bool grabbed = false;
        w->setOnFileProgress([&] {
            if (grabbed || !find<QWidget>(*w, "RzPanelProgress")->isVisible())
                return;
            grabbed = true;
            w->setFileProgress(std::int64_t{20} << 20, std::int64_t{48} << 20);
            walk.picture(*w, "main_window.png");
        });
        find<QPushButton>(*w, "RzBtnTarvelaWorkHome")->click();
        w->setOnFileProgress({});
        walk.check(grabbed, "the copy showed its progress");
        walk.check(w->lastResult() == HalfResult::Completed, "the home computer received");
        walk.check(std::filesystem::file_size(homeDocs + "/Архив/фото 2026.zip") == (std::size_t{48} << 20),
                   "the large file arrived");
        walk.check(std::filesystem::exists(homePhotos + "/Море.jpg"), "pair 2 arrived");
        walk.check(!std::filesystem::exists(medium + "Task/" + w->profiles()[0].Id.text() + "/WFiles"),
                   "the applied store is gone");

        w->N1ViewLogClick();
        walk.check(w->viewLog().isVisible(), "the profile keeps a log");
        walk.picture(w->viewLog(), "log_viewer.png");
        w->viewLog().close();
        chooseStyle(*w, "Iceberg Classico");
        walk.picture(*w, "style_iceberg_classico.png");
        w->close();
        walk.check(w->modalDriver().unexpectedDialogs() == 0, "no unexpected dialog on the home computer");
    }

    // The work computer again: its style and place come back; a removed file travels as a removal.
    useSettings(root + "/settings-work");
    {
        auto w = start(medium);
        walk.check(w->styleManager().ActiveStyleName() == QLatin1String("Obsidian"), "the work style came back");
        walk.check(w->pos() == QPoint(120, 80), "the work window's place came back");
        find<QPushButton>(*w, "RzBitBtnEditConfig")->click();
        walk.check(w->config().profilLine().pair(2).PathWork.text() == workPhotos + "/", "the editor shows pair 2");
        w->config().close();
        std::filesystem::remove(workDocs + "/Смета.xlsx");
        find<QPushButton>(*w, "RzBtnTarvelaWorkHome")->click();
        walk.check(w->lastResult() == HalfResult::Completed, "the work computer sent again");
        w->close();
        walk.check(w->modalDriver().unexpectedDialogs() == 0, "no unexpected dialog on the second send");
    }
    useSettings(root + "/settings-home");
    {
        auto w = start(medium);
        walk.check(w->styleManager().ActiveStyleName() == QLatin1String("Iceberg Classico"),
                   "the home style came back");
        find<QRadioButton>(*w, "RzRadioButtonHome")->click();
        chooseStyle(*w, "Ruby Graphite");
        bool asked = false;
        w->modalDriver().setNextAnswer([&](QDialog& d) {
            asked = true;
            walk.picture(d, "delete_question.png");
            walk.check(find<QPushButton>(d, "Yes")->isDefault(), "Да is the default answer");
            find<QPushButton>(d, "Yes")->click();
        });
        find<QPushButton>(*w, "RzBtnTarvelaWorkHome")->click();
        walk.check(asked, "the removal was asked");
        walk.check(!std::filesystem::exists(homeDocs + "/Смета.xlsx"), "the removed file is gone at home");
        walk.check(std::filesystem::exists(homeDocs + "/Отчёт за год.docx"), "the other files stay");
        // The question before a profile and its store are deleted, answered "Нет".
        bool profileAsked = false;
        w->modalDriver().setNextAnswer([&](QDialog& d) {
            profileAsked = true;
            walk.picture(d, "delete_profile_question.png");
            find<QPushButton>(d, "No")->click();
        });
        find<QPushButton>(*w, "RzBitBtnDelProfil")->click();
        walk.check(profileAsked, "the profile deletion was asked");
        walk.check(w->profiles().size() == 1, "the profile stays after Нет");
        w->close();
        walk.check(w->modalDriver().unexpectedDialogs() == 0, "no unexpected dialog on the second receive");
    }
    std::fprintf(stderr, "walk: %s\n", walk.failures() == 0 ? "passed" : "FAILED");
    return walk.failures() == 0 ? 0 : 1;
}
