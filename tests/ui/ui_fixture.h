#pragma once
// What the window tests share: a medium in a temporary folder with a work and a home folder, the
// profiles on it, and a main window on that medium whose dialogs are answered by the test.

#include "records/profile.h"
#include "tarvela_window.h"

#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace tarvela::ui::test {

class Medium {
public:
    Medium();

    // The program's folder on the medium (ending with '/'), and two folders of the computers.
    const std::string& programPath() const { return program_; }
    std::string work() const { return root_ + "work/"; }
    std::string home() const { return root_ + "home/"; }
    std::string root() const { return root_; }

    // A profile with pair 1 = work()/home(), saved on this computer in the given role.
    static TProfilLine profile(const std::string& name, const std::string& id, const std::string& work,
                               const std::string& home, const char* pc = "work");
    void writeProfiles(const std::vector<TProfilLine>& profiles) const;
    std::string pathTask(const std::string& id) const { return program_ + "Task/" + id; }

private:
    QTemporaryDir dir_;
    std::string root_;
    std::string program_;
};

// A started main window on the medium. Strict: a dialog the test did not answer is rejected and
// counted.
std::unique_ptr<TFmTarvela> startWindow(const Medium& medium);

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool exists(const std::string& path);

template <class T> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("no control named %s", name);
    return found;
}

// Texts of the echo pane's paragraphs, and the colour and weight of one of them.
QStringList echoLines(TFmTarvela& window);
QColor echoColor(TFmTarvela& window, int line);
bool echoBold(TFmTarvela& window, int line);

} // namespace tarvela::ui::test
