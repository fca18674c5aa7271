// The Windows platform layer against the real Win32 calls (run under Wine on the build machines).
#include "copy/disk_tools.h"
#include "platform/atomic_file.h"
#include "platform/directory.h"
#include "platform/disk_info.h"
#include "platform/file_copy.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/removal.h"
#include "platform/run_lock.h"
#include "platform/trash.h"
#include "platform/user_folders.h"
#include "platform/win32/wide_path.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace tarvela::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::map<std::string, DirEntry> entriesOf(const Directory& dir) {
    std::map<std::string, DirEntry> out;
    for (DirEntry& e : dir.entries())
        out[e.name] = e;
    return out;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (auto dir = Directory::open(folder))
        for (const DirEntry& e : dir->entries())
            names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

void makeReadOnly(const std::string& path) {
    ASSERT_TRUE(::SetFileAttributesW(win32::widePath(path).c_str(), FILE_ATTRIBUTE_READONLY));
}

// A folder chain deeper than the classic 260-character limit.
std::string deepFolder(const TempDir& dir) {
    std::string path = dir.path();
    while (path.size() < 320)
        path += "каталог-с-длинным-именем/";
    return path;
}

TEST(Win32Paths, Utf8InsideUtf16OutsideAndLongPathsGetThePrefix) {
    EXPECT_EQ(win32::utf8Of(win32::wideOf("Документы/Отчёт ✓.txt")), "Документы/Отчёт ✓.txt");
    EXPECT_EQ(win32::widePath("C:/Users/a/b.txt"), L"C:\\Users\\a\\b.txt");
    const std::wstring longPath = win32::widePath("C:/" + std::string(300, 'x') + "/../y.txt");
    EXPECT_EQ(longPath, L"\\\\?\\C:\\y.txt") << "made absolute and resolved before the prefix";
    EXPECT_EQ(win32::fileTimeOf(win32::filetimeOf({1700000000, 123456700})), (FileTime{1700000000, 123456700}));
}

TEST(Win32Names, NamesWindowsCannotHoldAreKnown) {
    const char* refused[] = {"a<b",  "a>b",    "a:b", "a\"b",    "a|b", "a?b",  "a*b",      "a\\b",        "tab\there",
                             "dot.", "space ", "CON", "con.txt", "Nul", "COM1", "lpt9.doc", "ok/AUX/x.txt"};
    for (const char* name : refused)
        EXPECT_FALSE(canHoldName(name)) << name;
    const char* held[] = {"Отчёт.doc", "a.b.c", ".hidden", "COM10", "CONSOLE", "LPT0", "sub/dir/file.txt", ""};
    for (const char* name : held)
        EXPECT_TRUE(canHoldName(name)) << name;
    EXPECT_EQ(pathSeparator(), '\\');
}

TEST(Win32Directory, ListsUnicodeNamesSizesTimesAndFolders) {
    TempDir dir;
    writeFile(dir / "Отчёт.txt", "12345");
    test::setMtime(dir / "Отчёт.txt", {1700000000, 500000000});
    test::makeFolders(dir / "Папка");
    writeFile(dir / "Папка/вложенный.bin", "x");

    auto root = Directory::open(dir.path());
    ASSERT_TRUE(root);
    const auto entries = entriesOf(*root);
    ASSERT_EQ(entries.size(), 2u);
    const DirEntry& file = entries.at("Отчёт.txt");
    EXPECT_EQ(file.kind, EntryKind::File);
    EXPECT_EQ(file.size, 5);
    EXPECT_EQ(file.mtime, (FileTime{1700000000, 500000000}));
    EXPECT_EQ(entries.at("Папка").kind, EntryKind::Folder);

    auto child = root->openChild("Папка");
    ASSERT_TRUE(child);
    EXPECT_EQ(entriesOf(*child).count("вложенный.bin"), 1u);
    EXPECT_FALSE(root->openChild("Отчёт.txt")) << "a file is no folder";
    EXPECT_FALSE(root->openChild("missing"));
    EXPECT_FALSE(Directory::open(dir / "missing"));
}

TEST(Win32Directory, FoldersBeyondTheClassicPathLimitWork) {
    TempDir dir;
    const std::string deep = deepFolder(dir);
    ASSERT_GT(deep.size(), 260u);
    createFolders(deep);
    EXPECT_TRUE(folderExists(deep));
    writeFileAtomically(deep + "файл.txt", "long", 4);
    EXPECT_TRUE(fileExists(deep + "файл.txt"));
    EXPECT_EQ(namesIn(deep), std::vector<std::string>{"файл.txt"});
    ASSERT_TRUE(copyFile(deep + "файл.txt", deep + "копия.txt", {}, {}).ok());
    EXPECT_EQ(querySize(deep + "копия.txt").size, 4);
    EXPECT_EQ(removeTree(dir / "каталог-с-длинным-именем", {}), 0);
    EXPECT_FALSE(folderExists(dir / "каталог-с-длинным-именем"));
}

TEST(Win32FileSystem, KindsOfPathsAndTheProgramFolder) {
    TempDir dir;
    writeFile(dir / "f.txt", "x");
    EXPECT_EQ(pathKindNoFollow(dir / "f.txt"), PathKind::File);
    EXPECT_EQ(pathKindNoFollow(dir.path()), PathKind::Folder);
    EXPECT_EQ(pathKindNoFollow(dir / "none"), PathKind::Missing);
    EXPECT_EQ(pathKindNoFollow(dir / "none/deeper"), PathKind::Missing);
    EXPECT_TRUE(removeFile(dir / "f.txt"));
    EXPECT_TRUE(removeFile(dir / "f.txt")) << "a missing file counts as removed";
    openForWriting(dir / "new.txt");
    EXPECT_TRUE(fileExists(dir / "new.txt"));
    const std::string exe = executableFolder();
    EXPECT_TRUE(exe.ends_with('\\')) << exe;
    EXPECT_TRUE(folderExists(exe));
    EXPECT_GT(availableBytes(dir.path()), 0);
    EXPECT_EQ(availableBytes(dir / "none/deeper"), -1);
}

TEST(Win32FileSystem, RenamesWithoutReplacingAndComparesFiles) {
    TempDir dir;
    writeFile(dir / "a.txt", "same");
    writeFile(dir / "b.txt", "same");
    writeFile(dir / "c.txt", "other");
    EXPECT_TRUE(sameContents(dir / "a.txt", dir / "b.txt"));
    EXPECT_FALSE(sameContents(dir / "a.txt", dir / "c.txt"));
    EXPECT_FALSE(sameContents(dir / "a.txt", dir / "missing.txt"));
    EXPECT_EQ(renameNoReplace(dir / "a.txt", dir / "b.txt"), RenameResult::Taken);
    EXPECT_EQ(readFile(dir / "b.txt"), "same");
    EXPECT_EQ(renameNoReplace(dir / "c.txt", dir / "d.txt"), RenameResult::Done);
    EXPECT_EQ(readFile(dir / "d.txt"), "other");
    EXPECT_EQ(renameNoReplace(dir / "missing.txt", dir / "e.txt"), RenameResult::Failed);
    test::setMtime(dir / "d.txt", {1600000000, 0});
    EXPECT_EQ(lastWriteTime(dir / "d.txt"), (FileTime{1600000000, 0}));
    EXPECT_FALSE(lastWriteTime(dir / "missing.txt"));
    // Windows folders (and Wine's drives) take names differing in case for one; the probe goes again.
    EXPECT_EQ(nameCaseOf(dir.path()), NameCase::Folds);
    EXPECT_TRUE(mountPointsBelow(dir.path()).empty());
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.txt", "b.txt", "d.txt"}));
    const std::string data = userDataFolder();
    EXPECT_TRUE(data.ends_with("tarvela/")) << data;
}

TEST(Win32Copy, TheCopyGetsTheRecordedTimeAndReplacesEvenAReadOnlyDestination) {
    TempDir dir;
    writeFile(dir / "from.txt", "new content");
    writeFile(dir / "to.txt", "old");
    makeReadOnly(dir / "to.txt");
    const FileTime recorded{1600000000, 0};
    int reports = 0;
    const CopyResult r = copyFile(dir / "from.txt", dir / "to.txt", {.bypassCache = false, .lastWrite = recorded},
                                  [&](std::int64_t done) {
                                      ++reports;
                                      EXPECT_EQ(done, 11);
                                      return true;
                                  });
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(readFile(dir / "to.txt"), "new content");
    EXPECT_EQ(test::mtimeOf(dir / "to.txt"), recorded);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"from.txt", "to.txt"})) << "no temporary file left";
    EXPECT_EQ(copyFile(dir / "none.txt", dir / "x.txt", {}, {}).status, CopyStatus::SourceMissing);
}

TEST(Win32Copy, AStoppedCopyLeavesTheOldDestinationAndNoTemporaryFile) {
    TempDir dir;
    writeFile(dir / "big.bin", std::string(3 * kCopyChunk, 'b'));
    writeFile(dir / "to.bin", "old");
    std::int64_t lastReport = 0;
    const CopyResult r = copyFile(dir / "big.bin", dir / "to.bin", {}, [&](std::int64_t done) {
        lastReport = done;
        return done < kCopyChunk; // stop after the first chunk or so
    });
    EXPECT_EQ(r.status, CopyStatus::Stopped);
    // Wine's CopyFileExW calls no progress routine: the one report comes when the data is copied,
    // and the stop then still keeps the old destination. Windows reports each chunk.
    EXPECT_GE(lastReport, kCopyChunk);
    EXPECT_TRUE(readFile(dir / "to.bin") == "old");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"big.bin", "to.bin"}));
}

TEST(Win32Copy, ACopyWithoutTheCacheArrivesWhole) {
    TempDir dir;
    std::string data(kCopyChunk + 12345, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    writeFile(dir / "big.bin", data);
    ASSERT_TRUE(copyFile(dir / "big.bin", dir / "copy.bin", {.bypassCache = true, .lastWrite = {}}, {}).ok());
    EXPECT_TRUE(readFile(dir / "copy.bin") == data);
}

// Copies are flushed together by syncFileSystem, not each before its rename. Until then the copier
// holds nothing open: a later step may rename a copy, remove it or remove its folder. A copy that
// cannot be flushed fails every flush until it can be (never a silent success: a receive's quiet
// checkpoint must not let its final flush pass for it).
TEST(Win32Copy, CopiesAreFlushedTogetherWhateverHappenedToThemSince) {
    TempDir dir;
    writeFile(dir / "from.txt", "content");
    ASSERT_EQ(createFolder(dir / "sub"), 0);
    for (const char* to : {"one.txt", "two.txt", "sub/three.txt", "kept.txt"})
        ASSERT_TRUE(copyFile(dir / "from.txt", dir / to, {}, {}).ok()) << to;
    ASSERT_TRUE(::MoveFileW(win32::widePath(dir / "one.txt").c_str(), win32::widePath(dir / "ONE.txt").c_str()));
    ASSERT_TRUE(removeFile(dir / "two.txt"));
    ASSERT_TRUE(::DeleteFileW(win32::widePath(dir / "sub/three.txt").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(win32::widePath(dir / "sub").c_str())) << "no handle keeps the folder";
    int error = -1;
    EXPECT_TRUE(syncFileSystem(dir.path(), &error));
    EXPECT_EQ(readFile(dir / "kept.txt"), "content");

    ASSERT_TRUE(copyFile(dir / "from.txt", dir / "locked.txt", {}, {}).ok());
    {
        // Another program holds it and lets nobody write: it cannot be opened to be flushed.
        const win32::Handle other(::CreateFileW(win32::widePath(dir / "locked.txt").c_str(), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(other.valid());
        for (int attempt = 0; attempt < 2; ++attempt) {
            error = 0;
            EXPECT_FALSE(syncFileSystem(dir.path(), &error)) << attempt;
            EXPECT_NE(error, 0);
        }
    }
    EXPECT_TRUE(syncFileSystem(dir.path(), &error)) << "flushed once it could be opened";
    EXPECT_TRUE(syncFileSystem(dir.path(), &error));
    EXPECT_FALSE(syncFileSystem(dir / "gone", &error)) << "the folder must still be there";
}

// A checksum sees every byte of the copy once, and a refused copy leaves the old destination and
// no temporary file.
TEST(Win32Copy, DataIsShownToTheCheckAndARefusedCopyLeavesTheDestination) {
    TempDir dir;
    std::string data(kCopyChunk + 4321, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 13);
    writeFile(dir / "from.bin", data);
    writeFile(dir / "to.bin", "old");
    for (const bool accepted : {false, true}) {
        std::string seen;
        std::int64_t acceptedBytes = -1;
        CopyOptions options;
        options.onData = [&](const unsigned char* d, std::size_t n) {
            seen.append(reinterpret_cast<const char*>(d), n);
        };
        options.accept = [&](std::int64_t bytes) {
            acceptedBytes = bytes;
            return accepted;
        };
        const CopyResult r = copyFile(dir / "from.bin", dir / "to.bin", options, {});
        EXPECT_TRUE(seen == data);
        EXPECT_EQ(acceptedBytes, static_cast<std::int64_t>(data.size()));
        if (!accepted) {
            EXPECT_EQ(r.status, CopyStatus::Rejected);
            EXPECT_EQ(readFile(dir / "to.bin"), "old");
            EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"from.bin", "to.bin"}));
        } else {
            EXPECT_TRUE(r.ok());
            EXPECT_TRUE(readFile(dir / "to.bin") == data);
        }
    }
}

TEST(Win32AtomicFile, CommitReplacesAndAnAbandonedWriterLeavesTheOldFile) {
    TempDir dir;
    writeFile(dir / "Tarvela.cfg", "old");
    {
        AtomicFileWriter writer(dir / "Tarvela.cfg");
        writer.write("half", 4);
    }
    EXPECT_EQ(readFile(dir / "Tarvela.cfg"), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Tarvela.cfg"});
    {
        // The profile file is rewritten while its lock is held on the old version.
        auto lock = FileLock::lockExisting(dir / "Tarvela.cfg");
        ASSERT_TRUE(lock);
        writeFileAtomically(dir / "Tarvela.cfg", "new", 3);
    }
    EXPECT_EQ(readFile(dir / "Tarvela.cfg"), "new");
    EXPECT_FALSE(FileLock::lockExisting(dir / "missing.cfg"));
}

TEST(Win32RunLock, OneHolderAtATimeEvenWithinOneProcess) {
    TempDir dir;
    auto first = RunLock::tryAcquire(dir.path());
    ASSERT_TRUE(first);
    EXPECT_FALSE(RunLock::tryAcquire(dir.path()));
    first.reset();
    EXPECT_TRUE(RunLock::tryAcquire(dir.path()));
}

TEST(Win32Removal, RemovesATreeWithReadOnlyFilesAndCountsIt) {
    TempDir dir;
    writeFile(dir / "tree/a.txt", "a");
    writeFile(dir / "tree/sub/b.txt", "b");
    makeReadOnly(dir / "tree/sub/b.txt");
    EXPECT_EQ(countTree(dir / "tree"), 4);
    int removed = 0;
    EXPECT_EQ(removeTree(dir / "tree/", [&] { ++removed; }), 0);
    EXPECT_EQ(removed, 4);
    EXPECT_FALSE(folderExists(dir / "tree"));
    EXPECT_EQ(removeTree(dir / "tree", {}), 0) << "nothing there is nothing to fail";
    EXPECT_NE(removeTree("C:\\", {}), 0);
    EXPECT_NE(removeTree(dir / "..", {}), 0);
}

TEST(Win32Trash, AnItemGoesToTheRecycleBin) {
    // Wine's recycle bin is the desktop's trash of the Linux user running it.
    TempDir dir;
    writeFile(dir / "удалить.txt", "x");
    writeFile(dir / "folder/inner.txt", "x");
    EXPECT_EQ(moveToTrash(dir / "удалить.txt"), 0);
    EXPECT_EQ(moveToTrash(dir / "folder/"), 0);
    EXPECT_FALSE(fileExists(dir / "удалить.txt"));
    EXPECT_FALSE(folderExists(dir / "folder"));
    EXPECT_EQ(moveToTrash(dir / "never-there.txt"), 0);
}

TEST(Win32Identity, TheSystemVolumeSerialAsXXXXDashXXXX) {
    EXPECT_EQ(volumeSerialText(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(volumeSerialText(0x0000000F), "0000-000F");
    DWORD serial = 0;
    ASSERT_TRUE(::GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetHDSerNo(), volumeSerialText(serial));
    EXPECT_TRUE(std::regex_match(GetHDSerNo(), std::regex("[0-9A-F]{4}-[0-9A-F]{4}")));
}

TEST(Win32LocalTime, TheOffsetIsTheOneInForceAtTheInstant) {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    ASSERT_NE(::GetDynamicTimeZoneInformation(&zone), TIME_ZONE_ID_INVALID);
    const std::int64_t january = 1705320000; // 2024-01-15 12:00 UTC
    const std::int64_t july = 1721044800;    // 2024-07-15 12:00 UTC
    if (zone.DaylightDate.wMonth == 0) {
        // A zone without daylight saving: one offset all year.
        EXPECT_EQ(utcOffsetAt(january), utcOffsetAt(july));
        EXPECT_EQ(utcOffsetAt(january), -60 * (zone.Bias + zone.StandardBias));
        return;
    }
    const bool north = zone.DaylightDate.wMonth < zone.StandardDate.wMonth;
    const std::int64_t winter = north ? january : july;
    const std::int64_t summer = north ? july : january;
    EXPECT_EQ(utcOffsetAt(winter), -60 * (zone.Bias + zone.StandardBias));
    EXPECT_EQ(utcOffsetAt(summer), -60 * (zone.Bias + zone.DaylightBias));
}

} // namespace
} // namespace tarvela::platform
