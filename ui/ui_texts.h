#pragma once
// Every Russian text that the windows show (captions, hints, menus, message boxes), exactly as the
// program shows them. The engine's own texts (echo lines, the questions' wording) are in
// core/base/messages.h. UTF-8.

namespace tarvela::ui::text {

// Program and main window.
inline constexpr const char* kAppTitle = "Синронизация папок двух компьютеров через внешний носитель";
inline constexpr const char* kStyleHint = "Изменить стиль оформления программы";
inline constexpr const char* kVersionPrefix = "v.";
inline constexpr const char* kAuthorHint = "Автор: Korvane";
inline constexpr const char* kMaker = "Korvane © 2026";
inline constexpr const char* kChooseProfile = "Выберите профиль";
inline constexpr const char* kAdd = "Добавить";
inline constexpr const char* kDelete = "Удалить";
inline constexpr const char* kEdit = "Редактировать";
inline constexpr const char* kThisComputer = "Этот компьютер";
inline constexpr const char* kWorkComputer = "  Рабочий компьютер";
inline constexpr const char* kHomeComputer = "  Домашний компьютер";
inline constexpr const char* kSynchronise = "синхронизировать";
inline constexpr const char* kWorkWithHome = "рабочий с домашним";
inline constexpr const char* kHomeWithWork = "домашний с рабочим";
inline constexpr const char* kFileLabel = "Файл: ";
inline constexpr const char* kFolderLabel = "Папка:";
inline constexpr const char* kStopHint = "Остановить копирование";
inline constexpr const char* kViewLogItem = "Просмотр лога операций профиля";

// Message boxes.
inline constexpr const char* kErrorTitle = "Ошибка";
// Closing the window while a half runs (our own wording).
inline constexpr const char* kStopAndClose = "Выполняется синхронизация. Остановить её и закрыть программу?";
// Another copy of the program (or the command-line tool) runs this profile (our own wording).
inline constexpr const char* kProfileBusy =
    "Синхронизация этого профиля уже выполняется другой копией программы. Повторите позже.";

// Profile list.
inline constexpr const char* kWarningTitle = "Предупреждение";
inline constexpr const char* kDeleteProfileQuestion = "Удалить задание и все связанные с ним файлы?";
// The second line of that question: the profile it is about (our own wording; %1 is its name).
inline constexpr const char* kProfileNamed = "Профиль: «%1»";

// Profile editor.
inline constexpr const char* kConfigCaption = "Настройка профиля";
inline constexpr const char* kGroupName = "Имя профиля";
inline constexpr const char* kIdLabel = "ID";
inline constexpr const char* kGroupPair = "Выбор группы папок для синронизации 1-10";
inline constexpr const char* kPairNumber = "Группа папок №";
inline constexpr const char* kGroupFolders = "Выберите папки расположения данных";
inline constexpr const char* kWorkFolder = "Папка рабочая";
inline constexpr const char* kHomeFolder = "Папка домашняя";
inline constexpr const char* kGroupOptions = "Опции";
inline constexpr const char* kThisComputerIs = "Этот компьютер является:";
inline constexpr const char* kRoleWork = "  Рабочим";
inline constexpr const char* kRoleHome = "  Домашним";
inline constexpr const char* kExcludedFiles = "Файлы исключения";
inline constexpr const char* kExcludedHint = "пример *.pas;*.zip;proba.bmp";
inline constexpr const char* kOperacDel = "Удалять папки и файлы";
inline constexpr const char* kDellBasket = "Удалять в корзину";
inline constexpr const char* kDelConfirm = "Спросить при удалении";
inline constexpr const char* kSaveLog = "Сохранить лог операции";
inline constexpr const char* kClearFiles = "Очистить файлы профиля";
inline constexpr const char* kViewProfileLog = "Просмотр лог файла профиля";
inline constexpr const char* kSaveProfile = "Сохранить профиль";
inline constexpr const char* kNotAllEntered = "Не все параметры введены";
inline constexpr const char* kChooseFolder = "Выберите папку";
inline constexpr const char* kCreateFolder = "Создать папку";

// Log viewer.
inline constexpr const char* kViewLogCaption = "Просмотр лога операций профиля";
inline constexpr const char* kFileMenu = "Файл";
inline constexpr const char* kSaveWithChanges = "Сохранить с изменениями";
inline constexpr const char* kClose = "Закрыть";

} // namespace tarvela::ui::text
