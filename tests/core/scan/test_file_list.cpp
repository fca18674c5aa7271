#include "base/errors.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "records/table_file.h"
#include "scan/file_list.h"
#include "scan/packed_file_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tarvela {
namespace {

using test::TempDir;

void writeTable(const std::string& path, const std::vector<std::pair<std::string, std::int64_t>>& entries) {
    TableWriter writer(path);
    for (const auto& [name, size] : entries) {
        TNameAtribFile r;
        r.Nature = name.ends_with("..") ? kNatureFolder : kNatureFile;
        r.FName = ShortString<255>::fromText(name);
        r.FDataTime = 45000.25;
        r.SizeFile = size;
        r.FNameTmp = ShortString<25>::fromText("ABCDEFGHIJKL.txt");
        writer.append(r);
    }
    writer.commit();
}

TEST(CreateListOfFiles, KeysAreRelativeToThePairFolder) {
    TempDir dir;
    writeTable(dir / "T.dat", {{"/w/Папка/a.txt", 5}, {"/w/Папка/..", 0}, {"/w/Папка/sub/b.txt", 7}});
    TFileList list;
    CreateListOfFiles(list, dir / "T.dat", "/w/Папка/");
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list.key(0), "a.txt");
    EXPECT_EQ(list.key(1), "..");
    EXPECT_EQ(list.key(2), "sub/b.txt");
    EXPECT_EQ(list.object(2)->SizeFile, 7);
    EXPECT_EQ(list.object(0)->FileDataTime, 45000.25);
    EXPECT_EQ(list.object(0)->FNameTmp.text(), "ABCDEFGHIJKL.txt");
    EXPECT_EQ(list.object(1)->Nature, kNatureFolder);
    for (std::size_t i = 0; i < list.count(); ++i) EXPECT_EQ(list.object(i)->Action, TAction::None);

    TFileList longer;
    CreateListOfFiles(longer, dir / "T.dat", "/w/Папка1/");
    EXPECT_EQ(longer.key(0), ".txt") << "the prefix is cut by its length alone";
}

TEST(CreateListOfFiles, EachSidesTableIsReadInItsOwnForm) {
    TempDir dir;
    // Written on Windows: '\\' separates folders below a Windows folder text.
    writeTable(dir / "W.dat",
               {{"C:\\Документы\\a.txt", 1}, {"C:\\Документы\\Папка\\b.txt", 2}, {"C:\\Документы\\Папка\\..", 0}});
    TFileList windows;
    test::RecordingHost host;
    CreateListOfFiles(windows, dir / "W.dat", "C:\\Документы\\", &host);
    ASSERT_EQ(windows.count(), 3u);
    EXPECT_EQ(windows.key(1), "Папка/b.txt");
    EXPECT_EQ(windows.key(2), "Папка/..");
    // Written on Linux: a '\\' is part of a name there.
    writeTable(dir / "L.dat", {{"/home/u/docs/back\\slash.txt", 1}, {"/home/u/docs/sub/c.txt", 2}});
    TFileList linux;
    CreateListOfFiles(linux, dir / "L.dat", "/home/u/docs/", &host);
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < linux.count(); ++i)
        keys.push_back(linux.key(i));
    if (platform::canHoldName("back\\slash.txt")) {
        EXPECT_EQ(keys, (std::vector<std::string>{"back\\slash.txt", "sub/c.txt"}));
        EXPECT_TRUE(host.lines.empty());
    } else {
        // Windows cannot hold it: one red line, and the entry is left out.
        EXPECT_EQ(keys, std::vector<std::string>{"sub/c.txt"});
        ASSERT_EQ(host.lines.size(), 1u);
        EXPECT_EQ(host.lines[0].text, "Имя недопустимо в этой системе, пропущено: /home/u/docs/back\\slash.txt");
        EXPECT_EQ(host.lines[0].color, 0x0000FFu);
    }
}

TEST(CreateListOfFiles, EmptyAndTruncatedTables) {
    TempDir dir;
    test::writeFile(dir / "empty.dat", "");
    TFileList list;
    CreateListOfFiles(list, dir / "empty.dat", "/w/");
    EXPECT_EQ(list.count(), 0u);

    writeTable(dir / "T.dat", {{"/w/a", 1}, {"/w/b", 2}});
    test::writeFile(dir / "T.dat", test::readFile(dir / "T.dat").substr(0, 312 + 200));
    CreateListOfFiles(list, dir / "T.dat", "/w/");
    EXPECT_EQ(list.count(), 1u) << "a trailing partial record is ignored";

    EXPECT_THROW(CreateListOfFiles(list, dir / "missing.dat", "/w/"), FileError);
}

TEST(FileList, LookupsIgnoreCaseAndReturnTheFirstMatch) {
    TFileList list;
    list.add("Sub/A.TXT", std::make_unique<TAtrib>());
    list.add("Папка/Файл.doc", std::make_unique<TAtrib>());
    list.add("sub/a.txt", std::make_unique<TAtrib>());
    list.add("other", nullptr);

    EXPECT_EQ(list.indexOf("sub/a.txt"), 0);
    EXPECT_EQ(list.indexOf("SUB/A.txt"), 0);
    EXPECT_EQ(list.indexOf("ПАПКА/файл.DOC"), 1);
    EXPECT_EQ(list.indexOf("missing"), -1);
    EXPECT_EQ(list.indexOfExact("sub/a.txt"), 2);
    EXPECT_EQ(list.indexOfExact("SUB/A.TXT"), -1);

    list.erase(0);
    EXPECT_EQ(list.indexOf("SUB/A.TXT"), 1) << "indexes follow an erase";
    list.add("SUB/a.txt", std::make_unique<TAtrib>());
    EXPECT_EQ(list.indexOf("sub/A.txt"), 1) << "a later duplicate never shadows the first";
    EXPECT_EQ(list.indexOfExact("SUB/a.txt"), 3);
}

TEST(FileList, AnObjectGivenUpSurvivesTheList) {
    std::unique_ptr<TAtrib> moved;
    {
        TFileList d;
        d.add("a", std::make_unique<TAtrib>());
        d.add("b", std::make_unique<TAtrib>());
        d.object(1)->SizeFile = 42;
        moved = d.releaseObject(1);
        EXPECT_EQ(d.object(1), nullptr);
    } // destroying d destroys "a" only (the sanitizers check for double frees and leaks)
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->SizeFile, 42);

    TFileList s;
    s.add("b", std::move(moved));
    EXPECT_EQ(s.object(0)->SizeFile, 42);
}

TEST(FileList, ManyEntriesStayFindable) {
    TFileList list;
    constexpr int kCount = 50000;
    for (int i = 0; i < kCount; ++i) list.add("dir/File" + std::to_string(i), std::make_unique<TAtrib>());
    for (int i = 0; i < kCount; i += 997) EXPECT_EQ(list.indexOf("DIR/file" + std::to_string(i)), i);
}

} // namespace
} // namespace tarvela

namespace tarvela {
namespace {

TEST(PackedFileList, KeepsEveryKeyAndEntryAcrossItsBlocksOfNames) {
    PackedFileList list;
    std::vector<std::string> keys;
    // Enough names to fill several blocks and chunks of entries, of every length up to a long one,
    // and an empty one.
    for (std::size_t i = 0; i < 20000; ++i) keys.push_back(std::string(i % 700, static_cast<char>('a' + i % 26)) + std::to_string(i));
    keys.emplace_back();
    const TAtrib* first = nullptr;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        TAtrib a;
        a.SizeFile = static_cast<std::int64_t>(i);
        a.FNameTmp = ShortString<25>::fromText("ABCDEFGHIJKL.txt");
        EXPECT_EQ(list.add(keys[i], a), i);
        if (i == 0)
            first = list.object(0);
    }
    ASSERT_EQ(list.count(), keys.size());
    // An entry stays where it is while the list grows: growing copies nothing.
    EXPECT_EQ(list.object(0), first);
    EXPECT_THROW(list.object(keys.size()), std::out_of_range);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ASSERT_EQ(list.key(i), keys[i]) << i;
        ASSERT_EQ(list.object(i)->SizeFile, static_cast<std::int64_t>(i));
    }
    EXPECT_EQ(list.releaseObject(5)->FNameTmp.text(), "ABCDEFGHIJKL.txt");
}

} // namespace
} // namespace tarvela
