#pragma once
// Qt's own texts (the folder dialog, the context menus of edit boxes, the buttons of message boxes)
// in Russian, from Qt's translation catalogue embedded in the program: the program travels on a
// drive to computers that may not have Qt's translations installed.

class QCoreApplication;

namespace tarvela::ui {

// Installs the embedded catalogue into the application; false when this build has none (it was
// built without Qt's translations present) or it cannot be loaded: Qt's texts then stay English.
bool installQtTranslations(QCoreApplication& app);

} // namespace tarvela::ui
