#pragma once
// Every Russian text that the engine writes (echo lines, questions, message boxes), in one place
// and exactly as the program shows them. UTF-8.

#include <string_view>

namespace tarvela::msg {

// Folder scan and table files.
inline constexpr std::string_view kPathTooLong = "Ошибка! Уменьшите длину пути\\имени файла: ";

// A file or folder whose name the table's code page cannot hold: left out of the table rather than
// written under a lossy name that could collide with a real one (our own wording).
inline constexpr std::string_view kNameNotInCodePage = "Имя не может быть записано в таблицу, пропущено: ";

// A folder the scan could not read, or not wholly (our own wording).
inline constexpr std::string_view kFolderUnreadable = "Ошибка чтения папки: ";

// Copier.
inline constexpr std::string_view kFileNotFound = "Файл не найден: ";
inline constexpr std::string_view kFileAccessError = "Ошибка доступа к файлу: ";
inline constexpr std::string_view kFileNotCopied = "Файл не скопирован: ";
inline constexpr std::string_view kFileCopyError = "Ошибка копирования файла: ";
inline constexpr std::string_view kCopyingFilesFrom = "Копирование файлов из ";
inline constexpr std::string_view kCopyingFilesTo = "Копирование файлов в ";
inline constexpr std::string_view kCompletedSuffix = " завершено";
inline constexpr std::string_view kCopyingFilesCompleted = "Копирование файлов завершено";
// Copier failures named by their cause (our own wording): the disk is full; the folder went away
// with its disk (the medium was pulled); a file over the 4 GiB limit of FAT32.
inline constexpr std::string_view kDiskFull = "Нет места на диске, копирование прекращено: ";
inline constexpr std::string_view kFolderUnreachable = "Папка недоступна (носитель отключён?): ";
inline constexpr std::string_view kFileTooBigForFileSystem =
    "Файл больше 4 ГБ, файловая система назначения (FAT32) его не примет: ";

// Disk helpers.
inline constexpr std::string_view kDeletingFolder = "Удаления папки: ";
inline constexpr std::string_view kFolderDeleteError = "Ошибка удаления папки: ";
inline constexpr std::string_view kFileDeleteError = "Ошибка удаления файла: ";

// Start line of the program and of each logged run.
inline constexpr std::string_view kStartLinePrefix = "Старт программы. Сейчас ";
inline constexpr std::string_view kStartLineTime = ". Время: ";

// The halves.
inline constexpr std::string_view kWrongPathInProfile = "В профиле ошибочный путь:";
inline constexpr std::string_view kAnalysis = "Анализ: ";
inline constexpr std::string_view kFolderAnalysis = "Анализ папки: ";
inline constexpr std::string_view kFolderPrefix = "Папка ";
inline constexpr std::string_view kFolderEmptySuffix = " пуста. Конец анализа";
inline constexpr std::string_view kNotEnoughSpace = "На диске не достаточно свободного места для выполнения операций";
inline constexpr std::string_view kFileMissing = "Отсутствует файл: ";
// A disk that reports no size at all: its free space cannot be checked (our own wording).
inline constexpr std::string_view kFreeSpaceUnknown = "Свободное место на диске неизвестно, проверка пропущена: ";
inline constexpr std::string_view kFilesDiffer = "Файлы отличаются: ";
inline constexpr std::string_view kFilesDifferSeparator = " <==> ";
inline constexpr std::string_view kFileAdded = "Файл добавлен: ";
// A record of a table on the medium that would lead out of its pair folder (our own wording).
inline constexpr std::string_view kUnacceptableTableEntry = "Недопустимая запись в таблице, пропущена: ";
// A profile whose identifier cannot name a folder below "Task" (our own wording).
inline constexpr std::string_view kBadProfileId = "Недопустимый идентификатор профиля: ";
// A table entry whose name this computer's file system cannot hold, written by the other system
// (Windows refuses <>:"|?* and more); our own wording.
inline constexpr std::string_view kNameNotHoldable = "Имя недопустимо в этой системе, пропущено: ";
// A target reached through a symbolic link to a folder, which could lead out of the pair folder.
inline constexpr std::string_view kOutsideFolder = "Путь ведёт за пределы папки, пропущен: ";
// A file (or anything but a folder) stands where a folder of the target's path must go.
inline constexpr std::string_view kFileInPlaceOfFolder = "На месте папки стоит файл, пропущен: ";

// Both computers changed something (our own wording).
inline constexpr std::string_view kConflictKept = "Конфликт: изменён на обоих компьютерах, версия этого сохранена как ";
inline constexpr std::string_view kConflictNotSetAside =
    "Конфликт: версию этого компьютера не удалось отложить, новая версия не установлена: ";
inline constexpr std::string_view kKeptChangedHere = "Удалён на другом компьютере, но изменён здесь, оставлен: ";
inline constexpr std::string_view kRestoredChangedThere = "Изменён на другом компьютере, удалённый здесь восстановлен: ";
inline constexpr std::string_view kFolderNotEmptyKept = "Папка не пуста, оставлена: ";
inline constexpr std::string_view kCaseTwin = "Имя совпадает с другим без учёта регистра, пропущено: ";
// A pair folder that cannot stand for what the computers agreed on: the pair is left alone.
inline constexpr std::string_view kFolderReadsEmpty = "Папка пуста, хотя в ней были файлы. Пара пропущена: ";
inline constexpr std::string_view kFolderMissingListed = "Папка отсутствует, хотя в ней были файлы. Пара пропущена: ";
// A pair folder that is missing together with the folder above it (a disk that is not mounted):
// nothing is made in its place on the system disk (our own wording).
inline constexpr std::string_view kPairFolderParentMissing =
    "Папка отсутствует, и папки над ней тоже нет (диск не подключён?). Пара пропущена: ";
// A file that changed while the send copied it into the store: its copy is not kept (our own
// wording).
inline constexpr std::string_view kChangedWhileStored =
    "Файл изменился во время копирования, будет перенесён в следующий раз: ";
// Files the sender's table lists as changed that this store does not carry (a send that ended
// early, or changed after it): they come with a later send (our own wording); the count follows.
inline constexpr std::string_view kNotCarriedByStore = "Не перенесено этим хранилищем (придёт со следующей передачей), файлов: ";
// An agreed state older than one this computer has seen (a second medium for the profile).
inline constexpr std::string_view kAgreedStateOutdated =
    "Сведения о согласованном состоянии устарели (другой носитель?), удаления по ним не выполняются: ";
// Removal of more than half of a pair's files.
inline constexpr std::string_view kMassRemovalQuestion = "Удалить файлов: ";
inline constexpr std::string_view kMassRemovalOf = " из ";
inline constexpr std::string_view kMassRemovalIn = " в папке ";
inline constexpr std::string_view kMassRemovalSkipped = "Удаления не выполнены (слишком много файлов: ";
inline constexpr std::string_view kMassRemovalSkippedIn = "), папка: ";

inline constexpr std::string_view kStartWorkHomeOnWork = "]  Начало операции: рабочий=>домашний. Тип: Рабочий компьютер";
inline constexpr std::string_view kEndWorkHomeOnWork = "]  Конец операции: рабочий=>домашний. Тип: Рабочий компьютер";
inline constexpr std::string_view kStartHomeWorkOnHome = "]  Начало операции: домашний=>рабочий. Тип: Домашний компьютер";
inline constexpr std::string_view kEndHomeWorkOnHome = "]  Конец операции: домашний=>рабочий. Тип: Домашний компьютер";
inline constexpr std::string_view kStartWorkHomeOnHome = "]  Начало операции: рабочий=>домашний. Тип: Домашний компьютер";
inline constexpr std::string_view kEndWorkHomeOnHome = "]  Конец операции: рабочий=>домашний. Тип: Домашний компьютер";
inline constexpr std::string_view kStartHomeWorkOnWork = "]  Начало операции: домашний=>рабочий. Тип: Рабочий компьютер";
inline constexpr std::string_view kEndHomeWorkOnWork = "]  Конец операции: домашний=>рабочий. Тип: Рабочий компьютер";

// The sender's table of a pair that a receive cannot trust (our own wording); its path follows.
inline constexpr std::string_view kTableNotAFile = "Таблица другого компьютера не является файлом, пара пропущена: ";
inline constexpr std::string_view kTableCut = "Таблица другого компьютера обрезана, удаления в паре не выполняются: ";
inline constexpr std::string_view kTableCheckMismatch =
    "Таблица другого компьютера не совпадает со своим контрольным файлом, удаления в паре не выполняются: ";
inline constexpr std::string_view kTableEmpty = "Таблица другого компьютера пуста, удаления в паре не выполняются: ";
inline constexpr std::string_view kTableRefusedRecords =
    "В таблице другого компьютера есть недопустимые записи, удаления в паре не выполняются: ";
// A folder the sender could not read; this computer's folder of that name follows.
inline constexpr std::string_view kFolderNotReadOnSender =
    "Папка не прочитана на другом компьютере, удаления в ней не выполняются: ";

// A stored copy whose size is not the one its table record gives: cut short on the medium (our own
// wording); the file it was meant to become follows.
inline constexpr std::string_view kStoredCopyWrongSize =
    "Копия в хранилище не совпадает по размеру с таблицей, файл не скопирован: ";
// A file the store's list names whose stored copy is gone (our own wording); the file it was
// meant to become follows.
inline constexpr std::string_view kStoredCopyMissing = "Копия в хранилище пропала, файл не скопирован: ";
// A stored copy whose content checksum differs from the one recorded when it was stored.
inline constexpr std::string_view kStoredCopyDamaged =
    "Копия в хранилище повреждена (контрольная сумма не совпадает), файл не скопирован: ";

// The device did not take the copies just made (our own wording); the system's text follows.
inline constexpr std::string_view kFlushFailed = "Ошибка записи на диск, данные не сохранены: ";

// The last line of a half that reached its end with failures: how many items failed (our own wording).
inline constexpr std::string_view kCompletedWithFailures = "Операция завершена с ошибками, не выполнено: ";
// The line before it (or the last line) of a half that kept both versions of a file or kept a
// file here against the other computer's word: how many such notices the run gave (our own wording).
inline constexpr std::string_view kCompletedWithNotices = "Конфликтов и оставленных файлов: ";

// The deletion question.
inline constexpr std::string_view kAttention = "Внимание";
inline constexpr std::string_view kDeleteQuestion = "Удалить: ";
inline constexpr std::string_view kYes = "Да";
inline constexpr std::string_view kNo = "Нет";
inline constexpr std::string_view kYesToAll = "Да для всех";
inline constexpr std::string_view kNoToAll = "Нет для всех";

// The full-copy question.
inline constexpr std::string_view kFullCopyInfoMissing = "      Сведенияе об одном из компьютеров отсутствуют. ";
inline constexpr std::string_view kFullCopyFolder = "Папка:";
inline constexpr std::string_view kFullCopyAllFiles =
    " Выполнить копирование всех файлов из выбранных в профиле папок \r для переноса на другой компьютер?";
inline constexpr std::string_view kFullCopyForAllFolders = " Выполнить эту операцию для всех папок указанных в профиле ";
inline constexpr std::string_view kExecute = "Выполнить";
inline constexpr std::string_view kRefuse = "Отказаться";

// Failures of the profile, table and log files (our own wording; the platform's text follows).
inline constexpr std::string_view kCannotOpenFile = "Не удалось открыть файл ";
inline constexpr std::string_view kCannotReadFile = "Не удалось прочитать файл ";
inline constexpr std::string_view kCannotWriteFile = "Не удалось записать файл ";
inline constexpr std::string_view kCannotCreateFolder = "Не удалось создать папку ";
// A file of the medium (profile, table, log, stored copy, run lock) that is a link, a folder or a
// device: it is neither followed nor read.
// A folder of the transfer store that is a symbolic link: it could lead anywhere, so it is not used.
inline constexpr std::string_view kLinkOnMedium = "Ссылка вместо папки на носителе, не используется: ";
// A medium that may only be read: no half can run from it.
inline constexpr std::string_view kReadOnlyMedium = "Носитель доступен только для чтения: ";
inline constexpr std::string_view kNotRegularFile = "Не обычный файл (ссылка, папка или устройство): ";

// A dry run (our own wording): its first line, the lines of items a real run does without a line of
// their own, and its summary ("... Скопировать: файлов 3, байт 1200; удалить: 2; конфликтов: 1").
inline constexpr std::string_view kPlanHeading = "Пробный запуск: ничего не копируется, не удаляется и не записывается";
inline constexpr std::string_view kPlanStore = "Будет скопирован в хранилище: ";
inline constexpr std::string_view kPlanRemoval = "Будет удалено: ";
inline constexpr std::string_view kPlanSummary = "Пробный запуск, ничего не изменено. ";
inline constexpr std::string_view kPlanSummaryStore = "В хранилище: файлов ";
inline constexpr std::string_view kPlanSummaryCopy = "Скопировать: файлов ";
inline constexpr std::string_view kPlanSummaryBytes = ", байт ";
inline constexpr std::string_view kPlanSummaryRemovals = "; удалить: ";
inline constexpr std::string_view kPlanSummaryConflicts = "; конфликтов: ";

// A run stopped by the user (our own wording), in notice colour. The copy abandoned at the stop
// (its path follows), the end of a list's copying instead of " завершено", and the run's last line:
// what the stop left and what to do next, for a send and for a receive.
inline constexpr std::string_view kFileCopyStopped = "Копирование файла остановлено, файл не скопирован: ";
inline constexpr std::string_view kStoppedSuffix = " остановлено";
inline constexpr std::string_view kCopyingFilesStopped = "Копирование файлов остановлено";
inline constexpr std::string_view kSendStopped =
    "Синхронизация остановлена пользователем. В хранилище только часть изменений: повторите отправку, чтобы "
    "перенести всё.";
inline constexpr std::string_view kReceiveStopped =
    "Синхронизация остановлена пользователем. Хранилище на носителе сохранено: приём можно повторить, он "
    "применит оставшиеся изменения.";
// "Выполнить" with "copy all files" unticked on the first run: nothing was stored for these folders,
// only their tables were written (our own wording).
inline constexpr std::string_view kFullCopyDeclined =
    "Полное копирование не выбрано: записаны только таблицы файлов, в хранилище ничего не помещено: ";

// A file the send carries to a computer whose folder is a Windows path, under a name Windows cannot
// hold (our own wording, a notice in black); its path follows.
inline constexpr std::string_view kNameNotForWindows =
    "Имя недопустимо в Windows, другой компьютер не сможет принять файл (переименуйте его): ";

// An agreed state whose generation lies far above any this computer has seen (a hand-made or
// damaged medium): it is not used, so that it cannot make this computer remember it.
inline constexpr std::string_view kAgreedStateTooNew =
    "Сведения о согласованном состоянии не приняты (их номер намного больше известного этому компьютеру), "
    "удаления по ним не выполняются: ";

// A send that stores only what fits on the medium this time (our own wording). The trip's line:
// "Перенесено файлов N из M (X из Y); остальные будут перенесены в следующий раз", a notice.
// A file that no trip can take (larger than all the free space, less the margin kept free), in red,
// its path after the text. The dry run's count of trips, with the free space it counted on.
inline constexpr std::string_view kTripCarried = "Перенесено файлов ";
inline constexpr std::string_view kTripOf = " из ";
inline constexpr std::string_view kTripRestNextTime = "; остальные будут перенесены в следующий раз";
// The progress panel's line adds what this trip will carry: "...; в эту поездку: файлов K (Z)".
inline constexpr std::string_view kTripThisTrip = "; в эту поездку: файлов ";
inline constexpr std::string_view kFileLargerThanMedium =
    "Файл больше свободного места на носителе, перенести его нельзя: ";
inline constexpr std::string_view kTripsNeeded = "Поездок с этим носителем понадобится: ";
inline constexpr std::string_view kTripsMoreThan = "больше ";
inline constexpr std::string_view kTripsFreeSpace = " (свободно для файлов за поездку: ";
inline constexpr std::string_view kTripsNone = "Ни один файл не помещается на этот носитель";
// Sizes in the trip lines, in steps of 1024.
inline constexpr std::string_view kSizeBytes = " байт";
inline constexpr std::string_view kSizeKiB = " КБ";
inline constexpr std::string_view kSizeMiB = " МБ";
inline constexpr std::string_view kSizeGiB = " ГБ";

// A profile file whose end holds part of a record (cut short, or written by something else): the
// whole records before it are read; the part is not, and the next save of the profiles drops it.
inline constexpr std::string_view kProfileFilePartialRecord =
    "Файл профилей заканчивается частью записи, она не прочитана (целые записи до неё прочитаны): ";

// Pairs follow their folders, not their places in the profile. A pair pointed at other folders
// starts from nothing agreed, said once; a table made for a pair's earlier folders is not read.
inline constexpr std::string_view kPairStartsAfresh =
    "Папки пары изменены в профиле, согласованное состояние пары начато заново: ";
inline constexpr std::string_view kTableForOtherFolders =
    "Таблица составлена для других папок пары (пара изменена в профиле), не используется: ";

// A pair folder that reads empty although it held files, when the user may have emptied it on
// purpose: the question before its emptiness counts as removals (our own wording); the folder
// stands between the two parts.
inline constexpr std::string_view kEmptiedFolderQuestion = "Папка пуста, хотя в ней были файлы: ";
inline constexpr std::string_view kEmptiedFolderQuestionEnd = "\nУдалить файлы на другом компьютере?";
// A removal held because the masks the sender's table was made with and this computer's masks now
// treat the name differently: the sender may still have the file (our own wording); its path follows.
inline constexpr std::string_view kMasksChangedKept =
    "Маски исключений изменились после отправки, файл не удалён: ";
// Moves (our own wording): a file or folder renamed or moved on one computer is renamed on the
// other instead of travelling again. The send says which moves it passes on, the receive which it
// made; a move the receive cannot make leaves the old item where it is and the new name due (its
// bytes come with the next send). Old and new paths are joined by kMoveArrow.
inline constexpr std::string_view kMoveSent = "Перемещение передано без копирования: ";
inline constexpr std::string_view kMoved = "Перемещён: ";
inline constexpr std::string_view kMoveArrow = " → ";
inline constexpr std::string_view kMoveNotMade =
    "Перемещение не выполнено, прежний файл оставлен, новый придёт со следующей отправкой: ";
inline constexpr std::string_view kPlanSummaryMoves = "; перемещений: ";
// After a pair's move lines: how many moves the half passed on or made (a folder is one).
inline constexpr std::string_view kMovesCounted = "Перемещений: ";

} // namespace tarvela::msg
