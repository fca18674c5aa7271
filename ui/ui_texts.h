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

// A profile saved on another computer is selected and this computer's role for it is not known yet
// (our own wording; %1 is the profile's name). Echoed once per profile in notice colour.
inline constexpr const char* kChooseRoleNotice =
    "Профиль «%1» сохранён на другом компьютере. Отметьте, какой это компьютер — рабочий или домашний, "
    "затем нажмите направление синхронизации.";

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
// "Очистить файлы профиля" while a sent batch waits on the medium (our own wording).
inline constexpr const char* kClearPendingQuestion =
    "В хранилище профиля есть переданные изменения, которые ещё не приняты. Удалить их вместе с таблицами "
    "файлов? Принять эти изменения после этого будет нельзя.";
// A folder typed into the editor that a profile cannot hold as it is (our own wording; the same rule
// as the command-line tool's). The line after it names the pair, the side and the text:
// "Группа папок № 2, папка рабочая: «Документы»".
inline constexpr const char* kFolderNotAbsolute =
    "Папку нужно указать полным путём, от корня диска (например /home/user/Документы или C:\\Документы): "
    "путь без корня отсчитывался бы от папки, из которой запущена программа.";
inline constexpr const char* kFolderControlCharacter =
    "В пути папки есть управляющий символ (перевод строки, табуляция и т. п.).";
inline constexpr const char* kFolderNotInCodePage =
    "В пути папки есть символ, который файл профилей (кодировка Windows-1251) сохранить не может.";
inline constexpr const char* kFolderTooLong = "Путь папки длиннее 255 байт, которые вмещает профиль (вместе с «/» в конце).";
inline constexpr const char* kFolderWhere = "Группа папок № %1, %2: «%3»";
inline constexpr const char* kWorkFolderLower = "папка рабочая";
inline constexpr const char* kHomeFolderLower = "папка домашняя";
// Saving a profile of another computer before its role here was chosen (our own wording).
inline constexpr const char* kChooseRoleInEditor = "Отметьте, каким является этот компьютер: рабочим или домашним.";
inline constexpr const char* kChooseFolder = "Выберите папку";
inline constexpr const char* kCreateFolder = "Создать папку";

// Log viewer.
inline constexpr const char* kViewLogCaption = "Просмотр лога операций профиля";
inline constexpr const char* kFileMenu = "Файл";
inline constexpr const char* kSaveWithChanges = "Сохранить с изменениями";
inline constexpr const char* kClose = "Закрыть";

} // namespace tarvela::ui::text
