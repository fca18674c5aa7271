#include "base/errors.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "records/random_names.h"
#include "records/table_file.h"
#include "scan/exclusions.h"
#include "scan/table_writer.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace tarvela {
namespace {

using test::TempDir;
using test::writeFile;

std::vector<TNameAtribFile> readTable(const std::string& path) {
    std::vector<TNameAtribFile> records;
    TableReader reader(path);
    TNameAtribFile r;
    while (reader.next(r)) records.push_back(r);
    return records;
}

// The path with this system's separator (the scan writes '\\' on Windows) read as '/'.
std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), platform::pathSeparator(), '/');
    return path;
}

std::vector<std::string> namesBelow(const std::vector<TNameAtribFile>& records, const std::string& root) {
    std::vector<std::string> out;
    for (const auto& r : records)
        out.push_back(withSlashes(r.FName.text().substr(root.size())));
    return out;
}

TEST(TableFile, ATableLongerThanOneReadComesBackWholeWithTheWritersChecksum) {
    TempDir dir;
    const std::string path = dir / "T.dat";
    constexpr int kRecords = 1000; // several reads of the reader's buffer, the last one partly filled
    TableWriter writer(path);
    TNameAtribFile record;
    for (int i = 0; i < kRecords; ++i) {
        record.FName = ShortString<255>::fromText("/w/f" + std::to_string(i));
        record.SizeFile = i;
        writer.append(record);
    }
    writer.commit();
    TableReader reader(path);
    EXPECT_EQ(reader.recordCount(), kRecords);
    int read = 0;
    while (reader.next(record)) {
        ASSERT_EQ(record.FName.text(), "/w/f" + std::to_string(read));
        ASSERT_EQ(record.SizeFile, read);
        ++read;
    }
    EXPECT_EQ(read, kRecords);
    EXPECT_TRUE(reader.wholeRecords());
    EXPECT_EQ(reader.crc32(), writer.crc32());
}

TEST(CreateListFiles, EmptyFolderGivesItsOwnFolderEntryOnly) {
    TempDir dir;
    test::makeFolders(dir / "pair");
    test::RecordingHost host;
    EXPECT_EQ(CreateListFiles(dir / "pair/", dir / "T.dat", {}, host), 0);
    const auto records = readTable(dir / "T.dat");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].FName.text(), dir / "pair/..");
    EXPECT_EQ(records[0].Nature, kNatureFolder);
    EXPECT_EQ(records[0].SizeFile, 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "T.dat"), 312u);
}

TEST(CreateListFiles, RecordsInScanOrderAndTotalOfWrittenFiles) {
    TempDir dir;
    const std::string pair = dir / "Документы/";
    writeFile(pair + "отчёт.doc", std::string(1000, 'x'));
    writeFile(pair + "sub/b.bin", std::string(24, 'y'));
    test::RecordingHost host;
    EXPECT_EQ(CreateListFiles(pair, dir / "T.dat", {}, host), 1024);
    const auto records = readTable(dir / "T.dat");
    EXPECT_EQ(namesBelow(records, pair), (std::vector<std::string>{"отчёт.doc", "..", "sub/b.bin", "sub/.."}));
    EXPECT_EQ(records[0].SizeFile, 1000);
    EXPECT_EQ(records[0].Nature, kNatureFile);
    EXPECT_TRUE(host.lines.empty());
}

TEST(CreateListFiles, ExclusionsMatchSubstringsCaseSensitively) {
    TempDir dir;
    const std::string pair = dir / "p/";
    for (const char* f : {"a.pas", "a.pasx", "x.pas/inner.txt", "keep.txt", "A.PASCAL", "proba.bmp", "zproba.bmp"}) {
        writeFile(pair + f, "1");
    }
    test::RecordingHost host;
    const std::int64_t total = CreateListFiles(pair, dir / "T.dat", CreateListExcept("*.pas;proba.bmp"), host);
    EXPECT_EQ(namesBelow(readTable(dir / "T.dat"), pair),
              (std::vector<std::string>{"A.PASCAL", "keep.txt", ".."}))
        << "excluded entries are not in the table";
    EXPECT_EQ(total, 2) << "and not in the total";
}

TEST(CreateListFiles, PathOf255CharactersIsWrittenAnd256Refused) {
    TempDir dir;
    const std::string pair = dir / "p/";
    // Cyrillic letters take two bytes in UTF-8 but one in the table: the limit counts characters.
    // A name component holds at most 255 bytes on Linux, so the long name is split into folders.
    auto nameOfLength = [&](std::size_t total) {
        std::string name;
        std::size_t inComponent = 0;
        while (utf8CharCount(pair + name) < total) {
            if (inComponent == 60 && utf8CharCount(pair + name) + 1 < total) {
                name += "/";
                inComponent = 0;
            } else {
                name += "ж";
                ++inComponent;
            }
        }
        return name;
    };
    const std::string fits = nameOfLength(255);
    const std::string tooLong = "y" + nameOfLength(255);
    writeFile(pair + fits, "ok");
    writeFile(pair + tooLong, "no");
    test::RecordingHost host;
    EXPECT_EQ(CreateListFiles(pair, dir / "T.dat", {}, host), 2);
    const auto records = readTable(dir / "T.dat");
    std::vector<std::string> files;
    for (const auto& r : records) {
        if (r.Nature == kNatureFile)
            files.push_back(withSlashes(r.FName.text()));
    }
    EXPECT_EQ(files, std::vector<std::string>{pair + fits});
    ASSERT_EQ(host.lines.size(), 1u);
    EXPECT_EQ(withSlashes(host.lines[0].text),
              withSlashes("Ошибка! Уменьшите длину пути\\имени файла: " + pair + tooLong));
    EXPECT_EQ(host.lines[0].color, 0x0000FFu);
}

TEST(CreateListFiles, StoreNamesKeepTheExtensionAndChangeWithTheEntry) {
    TempDir dir;
    const std::string pair = dir / "p/";
    const std::string longExt = ".abcdefghijklmnopqrstuvwxyz";
    for (const std::string& f : std::vector<std::string>{"report.final.docx", ".gitignore", "README", "x" + longExt, "фото.jpeg"}) {
        writeFile(pair + f, "1");
    }
    test::RecordingHost host;
    CreateListFiles(pair, dir / "T.dat", {}, host);
    const auto first = readTable(dir / "T.dat");
    CreateListFiles(pair, dir / "T.dat", {}, host);
    const auto second = readTable(dir / "T.dat");
    ASSERT_EQ(first.size(), 6u);
    writeFile(pair + "README", "changed");
    CreateListFiles(pair, dir / "T.dat", {}, host);
    const auto third = readTable(dir / "T.dat");
    ASSERT_EQ(third.size(), 6u);

    const std::map<std::string, std::string> expectedTail = {
        {".gitignore", ".gitignore"}, {"README", ""}, {"report.final.docx", ".docx"},
        {"x" + longExt, longExt.substr(0, 13)}, {"фото.jpeg", ".jpeg"}, {"..", "."},
    };
    for (std::size_t i = 0; i < first.size(); ++i) {
        const std::string name = first[i].FName.text().substr(pair.size());
        const std::string store = first[i].FNameTmp.text();
        ASSERT_TRUE(expectedTail.count(name)) << name;
        EXPECT_EQ(store.substr(12), expectedTail.at(name)) << name;
        EXPECT_LE(store.size(), 25u);
        for (char c : store.substr(0, 12)) EXPECT_NE(kStoreNameAlphabet.find(c), std::string_view::npos) << store;
        // An entry the table already holds as it is keeps its store name, so that the table of an
        // unchanged folder is not written again; a changed one gets a fresh name.
        EXPECT_EQ(store, second[i].FNameTmp.text()) << name;
        if (name == "README") {
            EXPECT_NE(store, third[i].FNameTmp.text());
        } else {
            EXPECT_EQ(store, third[i].FNameTmp.text()) << name;
        }
    }
}

TEST(CreateListFiles, ATableThatCannotBeWrittenThrowsAndLeavesNoFile) {
    TempDir dir;
    test::makeFolders(dir / "p");
    test::RecordingHost host;
    EXPECT_THROW(CreateListFiles(dir / "p/", dir / "no/such/folder/T.dat", {}, host), FileError);
}

TEST(ExclusionList, SplitsAtSemicolons) {
    struct Case {
        std::string text;
        ExclusionList expected;
    };
    const Case cases[] = {
        {"", {}},
        {"*.pas;*.zip;proba.bmp", {"*.pas", "*.zip", "proba.bmp"}},
        {"*.pas;;x", {"*.pas", "", "x"}},
        {"*.pas; *.zip", {"*.pas", "*.zip"}},
        {"a*.txt", {"a*.txt"}},
        {"*.pas;", {"*.pas"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CreateListExcept(c.text), c.expected) << c.text;
}

TEST(ExclusionList, ShortEntriesExcludeNothing) {
    EXPECT_FALSE(isExcluded({"", "*", "x"}, "/any/x/path.txt"));
    EXPECT_TRUE(isExcluded({"*.pas"}, "/p/x.pas/inner.txt"));
    EXPECT_FALSE(isExcluded({"*.PAS"}, "/p/a.pas"));
    // Characters, not bytes: "ж" is one character (two bytes) and excludes nothing.
    EXPECT_FALSE(isExcluded({"ж"}, "/home/жена/a.txt"));
    EXPECT_FALSE(isExcluded({"ж"}, "/home/x\xb6/a.txt"));
    EXPECT_TRUE(isExcluded({"*ж"}, "/home/жена/a.txt"));
    EXPECT_TRUE(isExcluded({"жена"}, "/home/жена/a.txt")); // "ена"
    EXPECT_TRUE(isExcluded({"жена"}, "/home/xена/a.txt"));
}

TEST(RandomNames, AlphabetsAndLengths) {
    const std::string id = RandomID(8);
    EXPECT_EQ(id.size(), 8u);
    for (char c : id) EXPECT_NE(kIdAlphabet.find(c), std::string_view::npos);
    EXPECT_EQ(RandomNameFile("pre", 12).substr(0, 3), "pre");
    EXPECT_EQ(RandomNameFile("pre", 12).size(), 12u);
    EXPECT_EQ(fileExtension("/a.b/c"), "");
    EXPECT_EQ(fileExtension("/a/b.tar.gz"), ".gz");
    EXPECT_EQ(fileExtension("C:\\a.b\\c"), "") << "a Windows computer's path";
    // A store name the medium and a Windows computer can hold: no extension they cannot.
    EXPECT_TRUE(makeStoreName("/x/Отчёт.doc").ends_with(".doc"));
    for (const char* name : {"/x/точка.", "/x/a.b:c", "/x/a.b ", "/x/a.b?"}) {
        const std::string store = makeStoreName(name);
        EXPECT_EQ(store.size(), kStoreNameRandomLength) << name << " -> " << store;
    }
}

} // namespace
} // namespace tarvela
