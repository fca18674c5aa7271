// The folder scan with folders read ahead on worker threads gives exactly what a scan on the
// calling thread alone gives, on random trees with hidden folders, links, unreadable folders and
// exclusions; and it calls its visitor only on the calling thread.
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

using test::TempDir;

// Runs the scans as an ordinary user when the tests run as root, so that a folder without
// permissions is really unreadable.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_ && ::seteuid(65534) != 0)
            throw std::runtime_error("seteuid failed");
    }
    ~AsOrdinaryUser() {
        if (wasRoot_ && ::seteuid(0) != 0)
            std::abort();
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool wasRoot_;
};

// A random tree: folders a few levels deep with files (some hidden, some whose names differ only
// in letter case), hidden folders with content, links to files, to folders and to nowhere, empty
// folders and folders nobody may read.
void makeRandomTree(const std::string& root, std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const std::vector<std::string> names = {"a", "B", "b", "doc.pas", "x.txt", "Zeta", "zz.bin", "1", "kept.tmp"};
    std::vector<std::string> folders = {root};
    std::vector<std::string> files;
    for (std::size_t i = 0; i < folders.size() && folders.size() < 60; ++i) {
        const std::string folder = folders[i];
        const int depth =
            static_cast<int>(std::count(folder.begin() + static_cast<std::ptrdiff_t>(root.size()), folder.end(), '/'));
        for (int f = static_cast<int>(random() % 12); f > 0; --f) {
            std::string name = names[random() % names.size()] + std::to_string(random() % 30);
            if (chance(10))
                name = "." + name;
            test::writeFile(folder + name, std::string(random() % 50, 'x'));
            test::setMtime(folder + name, {1600000000 + static_cast<std::int64_t>(random() % 100000000), 0});
            files.push_back(folder + name);
        }
        for (int d = depth < 4 ? static_cast<int>(random() % 5) : 0; d > 0; --d) {
            std::string name = "d" + names[random() % names.size()] + std::to_string(random() % 10);
            if (chance(15))
                name = "." + name;
            if (std::filesystem::exists(folder + name))
                continue;
            test::makeFolders(folder + name);
            folders.push_back(folder + name + "/");
        }
        if (chance(20) && !files.empty()) {
            std::filesystem::create_symlink(files[random() % files.size()], folder + "link" + std::to_string(i));
        }
        if (chance(10))
            std::filesystem::create_symlink(folders[random() % folders.size()], folder + "flink");
        if (chance(10))
            std::filesystem::create_symlink(folder + "nowhere", folder + "dangling");
    }
    for (std::size_t i = 1; i < folders.size(); ++i) {
        if (chance(8))
            ::chmod(folders[i].c_str(), 0);
        else if (chance(5))
            ::chmod(folders[i].c_str(), 0300); // enterable, not listable
    }
}

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
    void TearDown() override {
        // Give every folder its permissions back so that the temporary folder can go (a folder
        // is met before the iterator goes into it).
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(dir.path(), ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                ::chmod(it->path().c_str(), 0755);
        }
    }

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
