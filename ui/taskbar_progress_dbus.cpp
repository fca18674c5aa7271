// Taskbar progress over the session bus.
#include "taskbar_progress.h"

#include "taskbar_progress_common.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace tarvela::ui {
namespace {

// The desktop file of the program (ui/tarvela.desktop) names the entry the signal is about.
constexpr const char* kAppUri = "application://tarvela.desktop";
constexpr const char* kObjectPath = "/com/canonical/unity/launcherentry/tarvela";
constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";

} // namespace

TaskbarProgress::TaskbarProgress() : available_(QDBusConnection::sessionBus().isConnected()) {}

TaskbarProgress::~TaskbarProgress() = default;

void TaskbarProgress::send() {
    if (!available_)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath), QString::fromLatin1(kInterface),
                                                     QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), fraction_);
    properties.insert(QStringLiteral("progress-visible"), visible_);
    signal << QString::fromLatin1(kAppUri) << properties;
    QDBusConnection::sessionBus().send(signal);
}

} // namespace tarvela::ui
