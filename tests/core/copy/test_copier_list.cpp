#include "copy/copier.h"
#include "base/errors.h"
#include "base/messages.h"
#include "recording_host.h"
#include "platform/file_system.h"
#include "records/date_time.h"
#include "records/table_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tarvela {
namespace {

namespace fs = std::filesystem;
using test::EchoLine;
using test::green;
using test::ProgressStep;
using test::notice;
using test::red;
using test::TempDir;
using test::writeFile;

struct Entry {
    std::uint8_t nature;
    std::string path;
    std::string storeName; // raw code-page bytes
};

// A table as a scan writes it: a file's record holds its size and time as they are now.
void writeTable(const std::string& path, const std::vector<Entry>& entries) {
    TableWriter writer(path);
    for (const Entry& e : entries) {
        TNameAtribFile record;
        record.Nature = e.nature;
        record.FName = ShortString<255>::fromText(e.path);
        record.FNameTmp = ShortString<25>::fromBytes(e.storeName);
        if (e.nature == kNatureFile && fs::is_regular_file(e.path)) {
            record.SizeFile = static_cast<std::int64_t>(fs::file_size(e.path));
            record.FDataTime = fileTimeToDateTime(*platform::lastWriteTime(e.path));
        }
        writer.append(record);
    }
    writer.commit();
}


class CopyListTest : public ::testing::Test {
protected:
    void SetUp() override {
        pair = dir / "pair";
        writeFile(pair + "/a.txt", "aaa");
        writeFile(pair + "/sub/b.txt", "bb");
        store = dir / "Task/ID/WFiles/Folder_1/";
        table = dir / "Task/ID/WTabFile_1.dat";
        test::makeFolders(dir / "Task/ID");
        copier.SetProgressBar(&host);
        copier.WriteMemoResult(&host);
    }

    std::vector<std::string> storeNames() const {
        std::vector<std::string> names;
        if (!fs::exists(store)) return names;
        for (const auto& entry : fs::directory_iterator(store)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    EchoLine startLine() const { return green(msg::kCopyingFilesFrom, pair); }
    EchoLine endLine() const { return green(msg::kCopyingFilesFrom, pair + std::string(msg::kCompletedSuffix)); }
    static std::string line(const std::string& folder, std::string_view suffix) {
        return std::string(msg::kCopyingFilesFrom) + folder + std::string(suffix);
    }

    TempDir dir;
    std::string pair;
    std::string store;
    std::string table;
    test::RecordingHost host;
    TFileCopier copier;
};

TEST_F(CopyListTest, CopiesEachFileUnderItsStoreNameAndSkipsUnsafeNames) {
    const std::string a = pair + "/a.txt";
    const std::string b = pair + "/sub/b.txt";
    const std::string missing = pair + "/missing.txt";
    writeTable(table, {
                          {kNatureFile, a, "AAAAAAAAAAAA.txt"},
                          {kNatureFolder, pair + "/sub/..", ""},
                          {kNatureFile, b, "BBBBBBBBBBBB.txt"},
                          {kNatureFile, missing, "CCCCCCCCCCCC.txt"},
                          // Hand-made or corrupt records: none may name a path outside the store folder.
                          {kNatureFile, a, "../escaped.txt"},
                          {kNatureFile, a, ".."},
                          {kNatureFile, a, "."},
                          {kNatureFile, a, ""},
                          {kNatureFile, a, "sub/x.txt"},
                          {kNatureFile, a, std::string("ok\0/../x", 8)},
                      });

    const ListCopyResult result = CopyAllFilesofList(copier, host, table, store, pair);

    EXPECT_EQ(result.copied, 2);
    EXPECT_EQ(result.failed, 7);
    EXPECT_FALSE(result.stopped);
    std::vector<EchoLine> expected{startLine(), red(msg::kFileNotFound, missing)};
    for (int i = 0; i < 6; ++i) expected.push_back(red(msg::kFileCopyError, a));
    expected.push_back(endLine());
    EXPECT_EQ(host.lines, expected);

    EXPECT_EQ(storeNames(), (std::vector<std::string>{"AAAAAAAAAAAA.txt", "BBBBBBBBBBBB.txt"}));
    EXPECT_EQ(test::readFile(store + "AAAAAAAAAAAA.txt"), "aaa");
    EXPECT_EQ(test::readFile(store + "BBBBBBBBBBBB.txt"), "bb");
    EXPECT_EQ(test::mtimeOf(store + "BBBBBBBBBBBB.txt"), test::mtimeOf(b));
    EXPECT_FALSE(fs::exists(dir / "Task/ID/WFiles/escaped.txt"));
    EXPECT_FALSE(fs::exists(store + "sub"));

    EXPECT_EQ(host.folderLabels, (std::vector<std::string>{pair}));
    EXPECT_EQ(host.fileLabels, (std::vector<std::string>{a, b, missing}));
    EXPECT_EQ(host.folderProgress.front(), (ProgressStep{0, 10}));
    EXPECT_EQ(host.folderProgress.back(), (ProgressStep{10, 10}));
    EXPECT_EQ(host.taskProgress, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

// A file written to after the scan: its copy may be torn or a later version than the table says,
// so it is not kept in the store, and one line says it waits for the next send.
TEST_F(CopyListTest, AFileChangedSinceItsRecordIsNotKept) {
    const std::string a = pair + "/a.txt";
    writeTable(table, {{kNatureFile, a, "AAAAAAAAAAAA.txt"}, {kNatureFile, pair + "/sub/b.txt", "BBBBBBBBBBBB.txt"}});
    writeFile(a, "aaa, saved again after the scan");
    const ListCopyResult result = CopyAllFilesofList(copier, host, table, store, pair);
    EXPECT_EQ(result.copied, 1);
    EXPECT_EQ(result.stored, (std::unordered_set<std::string>{"BBBBBBBBBBBB.txt"}));
    EXPECT_EQ(storeNames(), (std::vector<std::string>{"BBBBBBBBBBBB.txt"}));
    EXPECT_EQ(std::count(host.lines.begin(), host.lines.end(),
                         EchoLine{std::string(msg::kChangedWhileStored) + a, color::kOrange}),
              1);
}

TEST_F(CopyListTest, StopDuringAFileAbandonsItAndStartsNoOther) {
    writeTable(table, {
                          {kNatureFile, pair + "/a.txt", "AAAAAAAAAAAA.txt"},
                          {kNatureFile, pair + "/sub/b.txt", "BBBBBBBBBBBB.txt"},
                      });
    // The stop button sets the copier's break flag and the run's stop request.
    host.onFileProgress = [&](std::int64_t position) {
        if (position > 0 && !host.stop) {
            copier.SetCopyBreak(true);
            host.stop = true;
        }
    };

    const ListCopyResult result = CopyAllFilesofList(copier, host, table, store, pair);

    EXPECT_EQ(result.copied, 0);
    EXPECT_EQ(result.failed, 1);
    EXPECT_TRUE(result.stopped);
    // Said as a stop, in notice colour: the file abandoned, and the copying "остановлено", not "завершено".
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{startLine(), notice(msg::kFileCopyStopped, pair + "/a.txt"),
                                                 {line(pair, msg::kStoppedSuffix), color::kOrange}}));
    EXPECT_EQ(host.fileLabels, (std::vector<std::string>{pair + "/a.txt"}));
    EXPECT_TRUE(storeNames().empty());
}

TEST_F(CopyListTest, FolderEntriesOnlyCopyNothing) {
    writeTable(table, {{kNatureFolder, pair + "/..", ""}, {kNatureFolder, pair + "/sub/..", ""}});

    const ListCopyResult result = CopyAllFilesofList(copier, host, table, store, pair);

    EXPECT_EQ(result.copied + result.failed, 0);
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{startLine(), endLine()}));
    EXPECT_EQ(host.folderProgress.back(), (ProgressStep{2, 2}));
    EXPECT_FALSE(fs::exists(store));
}

TEST_F(CopyListTest, AnUnreadableTableEndsTheOperation) {
    EXPECT_THROW(CopyAllFilesofList(copier, host, dir / "none.dat", store, pair), FileError);
    EXPECT_EQ(host.lines, (std::vector<EchoLine>{startLine()}));
}

} // namespace
} // namespace tarvela
