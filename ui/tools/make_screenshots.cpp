// Makes the pictures of the program for its documentation: a medium in a temporary folder, a send
// from the work computer and a receive on the home computer driven through the main window's
// buttons, and a PNG of each window as it shows during that: the main window during a copy, the
// full-copy question, the deletion question and the log viewer.
// Usage (under an X server such as Xvfb): tarvela_make_screenshots <folder>
#include "disk_tools.h"
#include "profile_file.h"
#include "tarvela_window.h"
#include "view_log.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace tarvela;

namespace {

void writeFile(const std::string& path, std::size_t size, char fill) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, fill);
}

TProfilLine profile(const char* name, const char* id, const std::string& work, const std::string& home) {
    TProfilLine p;
    p.NameConf = ShortString<255>::fromText(name);
    p.Id = ShortString<8>::fromText(id);
    p.IdPC = ShortString<25>::fromText(GetHDSerNo());
    p.PC = ShortString<4>::fromText("work");
    p.pair(1).PathWork = ShortString<255>::fromText(work);
    p.pair(1).PathHome = ShortString<255>::fromText(home);
    return p;
}

bool save(QWidget& widget, const QDir& out, const char* name) {
    QApplication::processEvents();
    const QString path = out.filePath(QString::fromLatin1(name));
    if (widget.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir temp;
    const std::string root = temp.path().toStdString();
    const std::string medium = root + "/Флешка/";
    const std::string work = root + "/Работа/Документы/";
    const std::string home = root + "/Дом/Документы/";
    std::filesystem::create_directories(medium);
    for (const char* name : {"Отчёт за год.docx", "Смета.xlsx", "Договоры/Договор 12.pdf", "Договоры/Договор 13.pdf"})
        writeFile(work + name, 4096, 'w');
    writeFile(work + "Архив/фото 2026.zip", std::size_t{48} << 20, 'z');
    writeFile(home + "Старый черновик.txt", 100, 'h');
    TProfilLine docs = profile("Документы", "DOCS2026", work, home);
    docs.OperacDell = true;
    docs.DellConfirmat = true;
    docs.SaveLog = true;
    WriteProfiles(medium, {docs, profile("Фотографии", "FOTO2026", root + "/Работа/Фото/", root + "/Дом/Фото/"),
                           profile("Проекты", "PROJ2026", root + "/Работа/Проекты/", root + "/Дом/Проекты/")});

    ui::TFmTarvela window(medium);
    window.FormCreate();
    window.move(0, 0);
    window.show();
    window.FormActivate();
    bool ok = true;

    // The work computer sends; the first run asks the full-copy question.
    window.modalDriver().setNextAnswer([&](QDialog& d) {
        d.findChild<QCheckBox*>(QStringLiteral("RzCheckBoxCopyAll"))->setChecked(true);
        d.findChild<QCheckBox*>(QStringLiteral("RzCheckBoxAll"))->setChecked(true);
        ok = save(d, out, "full_copy_question.png") && ok;
        d.findChild<QPushButton*>(QStringLiteral("RzBitBtnOk"))->click();
    });
    window.findChild<QPushButton*>(QStringLiteral("RzBtnTarvelaWorkHome"))->click();

    // The home computer receives: the main window during the copy, then the deletion question.
    window.findChild<QRadioButton*>(QStringLiteral("RzRadioButtonHome"))->click();
    bool grabbed = false;
    window.setOnFileProgress([&] {
        if (grabbed || !window.findChild<QWidget*>(QStringLiteral("RzPanelProgress"))->isVisible())
            return;
        grabbed = true;
        window.setFileProgress(std::int64_t{20} << 20, std::int64_t{48} << 20);
        ok = save(window, out, "main_window.png") && ok;
    });
    window.modalDriver().setNextAnswer([&](QDialog& d) {
        ok = save(d, out, "delete_question.png") && ok;
        d.findChild<QPushButton*>(QStringLiteral("Yes"))->click();
    });
    window.findChild<QPushButton*>(QStringLiteral("RzBtnTarvelaWorkHome"))->click();
    window.setOnFileProgress({});

    window.N1ViewLogClick();
    ok = save(window.viewLog(), out, "log_viewer.png") && ok;
    window.viewLog().close();
    return ok && grabbed ? 0 : 1;
}
