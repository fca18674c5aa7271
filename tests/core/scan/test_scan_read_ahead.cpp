// The folder scan with folders read ahead on worker threads gives exactly what a scan on the
// calling thread alone gives, on random trees with hidden folders, links, unreadable folders and
// exclusions; and it calls its visitor only on the calling thread.
#include "random_tree.h"
#include "recording_host.h"
#include "records/table_check.h"
#include "records/table_file.h"
#include "scan/exclusions.h"
#include "scan/folder_scan.h"
#include "scan/table_writer.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tarvela {
namespace {

using test::AsOrdinaryUser;
using test::makeRandomTree;
using test::TempDir;

// Everything a scan hands out, in order: entries and unreadable folders alike.
std::vector<std::string> scanTrace(const std::string& root, unsigned threads) {
    std::vector<std::string> trace;
    test::RecordingHost host;
    ScanDiskVisit(
        root, "*.*", 0, host,
        [&](const std::string& path, const TAtrib& a) {
            trace.push_back(path + " " + std::to_string(a.Nature) + " " + std::to_string(a.FileDataTime) + " " +
                            std::to_string(a.SizeFile));
        },
        [&](const std::string& folder) { trace.push_back("unreadable " + folder); }, true, threads);
    return trace;
}

// A table's records with the random part of each store name left out.
std::vector<std::string> tableRecords(const std::string& table) {
    std::vector<std::string> out;
    TableReader reader(table);
    TNameAtribFile record;
    while (reader.next(record)) {
        out.push_back(record.FName.bytes() + " " + std::to_string(record.Nature) + " " +
                      std::to_string(record.FDataTime) + " " + std::to_string(record.SizeFile) + " " +
                      std::string(record.FNameTmp.bytes().substr(12)));
    }
    return out;
}

class ReadAheadScan : public ::testing::Test {
protected:
    void SetUp() override {
        // The ordinary user must reach the trees and write the tables.
        std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    }
    void TearDown() override { test::givePermissionsBack(dir.path()); }

    TempDir dir;
};

TEST_F(ReadAheadScan, GivesTheSameEntriesAndTableAsAScanOnOneThread) {
    const ExclusionList exclusions = CreateListExcept("*.pas;*kept;*Zeta1");
    std::size_t unreadable = 0;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const std::string root = dir / ("tree" + std::to_string(seed) + "/");
        makeRandomTree(root, seed);
        AsOrdinaryUser user;
        const auto alone = scanTrace(root, 0);
        ASSERT_GT(alone.size(), 1u);
        unreadable += static_cast<std::size_t>(std::count_if(
            alone.begin(), alone.end(), [](const std::string& line) { return line.starts_with("unreadable"); }));
        for (const unsigned threads : {1u, 3u, 8u}) {
            EXPECT_EQ(scanTrace(root, threads), alone) << "seed " << seed << ", " << threads << " threads";
        }

        test::RecordingHost hostAlone;
        test::RecordingHost hostAhead;
        const std::string tableAlone = dir / ("alone" + std::to_string(seed) + ".dat");
        const std::string tableAhead = dir / ("ahead" + std::to_string(seed) + ".dat");
        const auto totalAlone = CreateListFiles(root, tableAlone, exclusions, hostAlone, true, 0);
        const auto totalAhead = CreateListFiles(root, tableAhead, exclusions, hostAhead, true, 8);
        EXPECT_EQ(totalAhead, totalAlone);
        EXPECT_EQ(tableRecords(tableAhead), tableRecords(tableAlone)) << "seed " << seed;
        EXPECT_EQ(hostAhead.lines, hostAlone.lines) << "the same red lines, in the same order";
        TableCheck checkAlone;
        TableCheck checkAhead;
        readTableCheck(tableAlone, checkAlone);
        readTableCheck(tableAhead, checkAhead);
        EXPECT_EQ(checkAhead.unreadableFolders, checkAlone.unreadableFolders);
        EXPECT_EQ(checkAhead.records, checkAlone.records);
    }
    EXPECT_GT(unreadable, 3u) << "the trees hold folders that cannot be read";
}

TEST_F(ReadAheadScan, CallsEverythingOnTheCallingThread) {
    const std::string root = dir / "tree/";
    makeRandomTree(root, 99);
    test::RecordingHost host;
    const auto caller = std::this_thread::get_id();
    std::size_t elsewhere = 0;
    std::size_t entries = 0;
    ScanDiskVisit(
        root, "*.*", 0, host,
        [&](const std::string&, const TAtrib&) {
            ++entries;
            if (std::this_thread::get_id() != caller)
                ++elsewhere;
        },
        [&](const std::string&) {
            if (std::this_thread::get_id() != caller)
                ++elsewhere;
        },
        true, 8);
    EXPECT_GT(entries, 10u);
    EXPECT_EQ(elsewhere, 0u);
}

TEST_F(ReadAheadScan, AFailingVisitorEndsTheScanWithItsFailure) {
    const std::string root = dir / "wide/";
    for (int d = 0; d < 200; ++d)
        test::writeFile(root + "d" + std::to_string(d) + "/f", "x");
    test::RecordingHost host;
    std::size_t seen = 0;
    const auto failAtTen = [&](const std::string&, const TAtrib&) {
        if (++seen == 10)
            throw std::runtime_error("table full");
    };
    // The workers are still reading ahead when the failure comes; they must stop, not crash or hang.
    EXPECT_THROW(ScanDiskVisit(root, "*.*", 0, host, failAtTen, {}, true, 8), std::runtime_error);
    EXPECT_EQ(seen, 10u);
}

} // namespace
} // namespace tarvela
