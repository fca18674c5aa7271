#include "qt_translations.h"

#include <QCoreApplication>
#include <QTranslator>

#ifdef TARVELA_HAVE_QT_RU
// The catalogue is compiled into this static library; its resource initialiser must be called
// explicitly, since nothing else pulls it into the program.
static void initQtTranslations() {
    Q_INIT_RESOURCE(qt_translations);
}
#endif

namespace tarvela::ui {

bool installQtTranslations(QCoreApplication& app) {
#ifdef TARVELA_HAVE_QT_RU
    initQtTranslations();
    // Owned by the application, so that it lives as long as the texts it translates.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/translations/qtbase_ru.qm"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
#else
    (void)app;
    return false;
#endif
}

} // namespace tarvela::ui
