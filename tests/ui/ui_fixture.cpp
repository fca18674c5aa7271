#include "ui_fixture.h"

#include "copy/disk_tools.h"
#include "echo_pane.h"
#include "records/profile_file.h"

#include <QTextBlock>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarvela::ui::test {

Medium::Medium() {
    if (!dir_.isValid())
        qFatal("no temporary folder");
    root_ = dir_.path().toStdString() + "/";
    program_ = root_ + "medium/";
    std::filesystem::create_directories(program_);
    std::filesystem::create_directories(work());
    std::filesystem::create_directories(home());
}

TProfilLine Medium::profile(const std::string& name, const std::string& id, const std::string& work,
                            const std::string& home, const char* pc) {
    TProfilLine p;
    p.NameConf = ShortString<255>::fromText(name);
    p.Id = ShortString<8>::fromText(id);
    p.IdPC = ShortString<25>::fromText(GetHDSerNo());
    p.PC = ShortString<4>::fromText(pc);
    p.pair(1).PathWork = ShortString<255>::fromText(work);
    p.pair(1).PathHome = ShortString<255>::fromText(home);
    return p;
}

void Medium::writeProfiles(const std::vector<TProfilLine>& profiles) const {
    WriteProfiles(program_, profiles);
}

std::unique_ptr<TFmTarvela> startWindow(const Medium& medium) {
    auto window = std::make_unique<TFmTarvela>(medium.programPath());
    window->modalDriver().setStrict(true);
    window->FormCreate();
    window->show();
    window->FormActivate();
    return window;
}

void writeFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

QStringList echoLines(TFmTarvela& window) {
    QStringList lines;
    for (QTextBlock b = window.echoPane().lines().begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

static QTextCharFormat formatOf(TFmTarvela& window, int line) {
    const QTextBlock block = window.echoPane().lines().findBlockByNumber(line);
    return block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
}

QColor echoColor(TFmTarvela& window, int line) {
    return formatOf(window, line).foreground().color();
}

bool echoBold(TFmTarvela& window, int line) {
    return formatOf(window, line).fontWeight() == QFont::Bold;
}

} // namespace tarvela::ui::test
