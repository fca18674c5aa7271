// A scan that fills a list while it writes its table gives the very list, and the same lines,
// that loading the written table with its checks would give: the sending half compares that list
// instead of reading its table back.
#include "random_tree.h"
#include "recording_host.h"
#include "scan/exclusions.h"
#include "scan/packed_file_list.h"
#include "scan/table_writer.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>

namespace tarvela {
namespace {

using test::TempDir;

std::vector<std::string> entriesOf(const PackedFileList& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.count(); ++i) {
        const TAtrib& a = *list.object(i);
        out.push_back(std::string(list.key(i)) + " | " + std::to_string(a.Nature) + " " +
                      std::to_string(std::bit_cast<std::uint64_t>(a.FileDataTime)) + " " +
                      std::to_string(a.SizeFile) + " " + a.FNameTmp.text() + " " +
                      std::to_string(static_cast<int>(a.Action)));
    }
    return out;
}

std::vector<std::string> sortedTexts(const test::RecordingHost& host) {
    std::vector<std::string> texts;
    for (const auto& line : host.lines)
        texts.push_back(line.text);
    std::sort(texts.begin(), texts.end());
    return texts;
}

// Names a table leaves out or refuses, beside ordinary ones: outside the code page, a path too long,
// Cyrillic, spaces and dots, extensions a store name cannot hold.
void addOddNames(const std::string& root) {
    for (const std::string name : {"Отчёт.doc", "文件.txt", "a.", "b.c:d", " lead", "trail ", "x..y", "...",
                                   "семь.ДОКУМЕНТ", "tab\tname", "new\nline"})
        test::writeFile(root + name, "odd");
    test::writeFile(root + "日本/inside.txt", "unfit folder");
    test::writeFile(root + std::string(120, 'l') + "/" + std::string(140, 'm') + ".txt", "too long");
}

class ScanIntoList : public ::testing::Test {
protected:
    void TearDown() override { test::givePermissionsBack(dir.path()); }
    TempDir dir;
};

TEST_F(ScanIntoList, GivesTheListAndLinesOfItsTableLoaded) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const ExclusionList exclusions = CreateListExcept("*.pas;*kept;*Zeta1");
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const std::string root = dir / ("tree" + std::to_string(seed) + "/");
        test::makeRandomTree(root, seed);
        addOddNames(root);
        test::AsOrdinaryUser user;

        // The list as the scan fills it, with every line of the scan.
        const std::string table = dir / ("scan" + std::to_string(seed) + ".dat");
        test::RecordingHost scanHost;
        PackedFileList scanned;
        const auto total = CreateListFiles(root, table, exclusions, scanHost, scanned);

        // The same table loaded with its checks, the scan's lines and then the load's.
        test::RecordingHost loadHost;
        PackedFileList loaded;
        EXPECT_EQ(CreateListFiles(root, table + ".again", exclusions, loadHost), total);
        CreateListOfFiles(loaded, table, root, &loadHost);

        ASSERT_GT(loaded.count(), 10u);
        EXPECT_EQ(entriesOf(scanned), entriesOf(loaded)) << "seed " << seed;
        // A refused record's line comes during the scan instead of after it.
        EXPECT_EQ(sortedTexts(scanHost), sortedTexts(loadHost)) << "seed " << seed;
    }
}

TEST_F(ScanIntoList, AFolderOfANameOutsideTheCodePageGivesNoList) {
    const std::string root = dir / "文件夹/";
    test::writeFile(root + "a.txt", "a");
    test::RecordingHost host;
    PackedFileList scanned;
    CreateListFiles(root, dir / "t.dat", ExclusionList{}, host, scanned);
    PackedFileList loaded;
    CreateListOfFiles(loaded, dir / "t.dat", root, &host);
    EXPECT_EQ(scanned.count(), 0u);
    EXPECT_EQ(loaded.count(), 0u);
}

} // namespace
} // namespace tarvela
