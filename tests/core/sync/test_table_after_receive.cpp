// The table a receive leaves for its folder, made from its own scan and what it changed, is the
// table a fresh scan of the folder writes; where the changes cannot be accounted for, there is no
// derived table and the folder is scanned again.

#include "platform/file_system.h"
#include "records/date_time.h"
#include "scan/file_list.h"
#include "sync/table_after_receive.h"
#include "sync/table_rescan.h"
#include "sync_fixture.h"

#include <functional>

namespace tarvela::test {
namespace {

// The receive through both halves: after the first trip the work computer changes its folder
// (and the home computer its own), sends, and the home computer receives.
struct Trip {
    const char* name;
    std::function<void(class ReceivedTable&)> before;        // before the first trip
    std::function<void(class ReceivedTable&)> change;        // between the first trip and the second send
    std::function<void(class ReceivedTable&)> check;         // after the second receive
    std::function<void(class ReceivedTable&)> beforeReceive; // between the second send and its receive
};

void PrintTo(const Trip& trip, std::ostream* os) { *os << trip.name; }

class ReceivedTable : public TwoComputers, public ::testing::WithParamInterface<Trip> {
public:
    using TwoComputers::home;
    using TwoComputers::host;
    using TwoComputers::storeFolder1;
    using TwoComputers::task;
    using TwoComputers::work;
};

TEST_P(ReceivedTable, IsTheTableAFreshScanWrites) {
    const Trip& trip = GetParam();
    if (trip.before)
        trip.before(*this);
    firstRun();
    ASSERT_TRUE(tableMatchesRescan(tableFile(pathTask(), Side::Home, 1), home, ctx.ListExcept));
    trip.change(*this);
    ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    if (trip.beforeReceive)
        trip.beforeReceive(*this);
    const HalfResult received = run(Direction::WorkHome, Role::Home);
    ASSERT_TRUE(received == HalfResult::Completed || received == HalfResult::Stopped);
    EXPECT_TRUE(tableMatchesRescan(tableFile(pathTask(), Side::Home, 1), home, ctx.ListExcept));
    if (trip.check)
        trip.check(*this);
}

std::size_t countStartingWith(const std::string& folder, const std::string& prefix) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(fsPath(folder)))
        n += utf8Of(e.path().filename()).starts_with(prefix) ? 1u : 0u;
    return n;
}

std::vector<Trip> trickyTrips() {
    return {
        Trip{"ConflictCopy",
             [](ReceivedTable& t) { writeFile(t.work + "sub/a.txt", "v1"); },
             [](ReceivedTable& t) {
                 writeFile(t.work + "sub/a.txt", "work's v2");
                 writeFile(t.home + "sub/a.txt", "home's v2 ");
                 setMtime(t.home + "sub/a.txt", {1800000000, 0});
             },
             [](ReceivedTable& t) {
                 EXPECT_EQ(readFile(t.home + "sub/a.txt"), "work's v2");
                 EXPECT_EQ(countStartingWith(t.home + "sub/", "a (конфликт"), 1u);
             },
             {}},
        // The file row in the way of the new folder is removed once, before the folder is made,
        // and never again: with the trash on, the folder just received must not go to the trash.
        Trip{"FolderBecameFileAndFileBecameFolder",
             [](ReceivedTable& t) {
                 t.task.DellBasket = true;
                 writeFile(t.work + "x", "file x");
                 writeFile(t.work + "y/inner.txt", "inner");
                 writeFile(t.work + "y/deep/more.txt", "more");
             },
             [](ReceivedTable& t) {
                 fs::remove(t.work + "x");
                 writeFile(t.work + "x/a.txt", "now a folder");
                 fs::remove_all(t.work + "y");
                 writeFile(t.work + "y", "now a file");
                 writeFile(t.home + "y/mine.txt", "made at home");
             },
             [](ReceivedTable& t) {
                 EXPECT_EQ(readFile(t.home + "x/a.txt"), "now a folder");
                 EXPECT_EQ(readFile(t.home + "y"), "now a file");
                 EXPECT_EQ(countStartingWith(t.home, "y (конфликт"), 1u);
             },
             {}},
        // A copy that cannot be made (its stored copy is gone) leaves the entry as scanned.
        Trip{"FailedCopyAndNewFolders", [](ReceivedTable& t) { writeFile(t.work + "old.txt", "old"); },
             [](ReceivedTable& t) {
                 writeFile(t.work + "old.txt", "old, changed");
                 writeFile(t.work + "n1/n2/n3/new.txt", "new and deep");
                 makeFolders(t.work + "empty/inner");
             },
             [](ReceivedTable& t) {
                 EXPECT_EQ(readFile(t.home + "n1/n2/n3/new.txt"), "new and deep");
                 EXPECT_EQ(readFile(t.home + "old.txt"), "old");
             },
             // The stored copy is damaged with its size kept: the copy is made, found wrong by its
             // checksum and thrown away.
             [](ReceivedTable& t) {
                 for (const auto& [name, content] : contentsOf(t.storeFolder1(Side::Work))) {
                     if (content == "old, changed")
                         writeFile(t.storeFolder1(Side::Work) + name, "old, CHANGED");
                 }
             }},
        Trip{"CaseTwinsAndRemovals",
             [](ReceivedTable& t) {
                 writeFile(t.work + "gone/f.txt", "f");
                 writeFile(t.work + "gone/sub/g.txt", "g");
                 writeFile(t.work + "stay.txt", "s");
             },
             [](ReceivedTable& t) {
                 fs::remove_all(t.work + "gone");
                 writeFile(t.work + "Twin.txt", "upper");
                 writeFile(t.work + "twin.txt", "lower");
             },
             [](ReceivedTable& t) { EXPECT_FALSE(fs::exists(t.home + "gone")); },
             {}},
        // Masks leave out files and folder entries alike, the new ones included; a hidden folder
        // is left out whole.
        Trip{"MasksAndHiddenFolders",
             [](ReceivedTable& t) {
                 t.task.LineExcept = ShortString<255>::fromText("*.bin;*skip/..");
                 writeFile(t.work + "keep.txt", "k");
                 writeFile(t.home + "local.bin", "masked here");
                 writeFile(t.home + ".hidden/secret.txt", "hidden");
             },
             [](ReceivedTable& t) {
                 writeFile(t.work + "skip/f.txt", "under a masked folder entry");
                 writeFile(t.work + "skip/data.bin", "masked");
                 writeFile(t.work + ".cache/x.txt", "hidden on work");
                 writeFile(t.work + "keep.txt", "k2");
             },
             [](ReceivedTable& t) { EXPECT_EQ(readFile(t.home + "skip/f.txt"), "under a masked folder entry"); },
             {}},
    };
}

std::string tripName(const ::testing::TestParamInfo<Trip>& trip) {
    return trip.param.name;
}

INSTANTIATE_TEST_SUITE_P(TrickyRows, ReceivedTable, ::testing::ValuesIn(trickyTrips()), tripName);

// The derivation itself, on a folder changed by hand as a receive would change it.
class Derivation : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(root + "a.txt", "a");
        writeFile(root + "f/inner.txt", "inner");
        writeFile(root + "f/deep/x.txt", "x");
        writeFile(root + "sub/s.txt", "s");
        writeFile(root + "masked.bin", "m");
        exclusions = CreateListExcept("*.bin");
        CreateListFiles(root, table, exclusions, host);
        CreateListOfFiles(scanned, table, root);
    }

    void copyIn(const std::string& name, const std::string& content) {
        journal.wayTo(name);
        writeFile(root + name, content);
        journal.copied(name, static_cast<std::int64_t>(content.size()),
                       fileTimeToDateTime(*platform::lastWriteTime(root + name)));
    }

    void moveAside(const std::string& from, const std::string& to, bool folder) {
        fs::rename(fsPath(root + from), fsPath(root + to));
        journal.movedAside(from, to, folder);
    }

    std::optional<DerivedTable> derive(const std::vector<std::string>& unreadable = {}) {
        return deriveTableAfterReceive(root, scanned, unreadable, journal, false, host);
    }

    TempDir dir;
    std::string root = dir / "pair/";
    std::string table = dir / "table.dat";
    ExclusionList exclusions;
    QuietRunHost host;
    PackedFileList scanned;
    ReceiveJournal journal;
};

TEST_F(Derivation, FolderSetAsideForAFileAndFileSetAsideForAFolder) {
    moveAside("f", "f (aside)", true);
    copyIn("f", "now a file");
    moveAside("a.txt", "a (aside).txt", false);
    journal.wayTo("a.txt/..");
    makeFolders(root + "a.txt");
    copyIn("a.txt/b.txt", "b");
    fs::remove(fsPath(root + "sub/s.txt"));
    journal.removedFile("sub/s.txt");
    journal.removalTried("sub");
    fs::remove(fsPath(root + "sub"));
    const auto derived = derive();
    ASSERT_TRUE(derived);
    writeDerivedTable(root, table, exclusions, *derived, host);
    EXPECT_TRUE(tableMatchesRescan(table, root, exclusions));
}

TEST_F(Derivation, FoldersMadeForACopyThatFailedStillCount) {
    journal.wayTo("n1/n2/new.txt");
    makeFolders(root + "n1/n2");
    writeFile(root + "n1/n2/.tmp", "cut short");
    fs::remove(fsPath(root + "n1/n2/.tmp"));
    const auto derived = derive();
    ASSERT_TRUE(derived);
    writeDerivedTable(root, table, exclusions, *derived, host);
    EXPECT_TRUE(tableMatchesRescan(table, root, exclusions));
}

TEST_F(Derivation, WhatCannotBeAccountedForIsScannedAgain) {
    {
        SCOPED_TRACE("a change below a folder the scan could not read");
        journal.wayTo("sub/new.txt");
        EXPECT_FALSE(derive({"sub/"}));
        EXPECT_TRUE(derive({"other/"}));
    }
    {
        SCOPED_TRACE("a file the scan did not list moved under a name it would list");
        ReceiveJournal fresh;
        journal = fresh;
        moveAside("masked.bin", "masked (aside).txt", false);
        EXPECT_FALSE(derive());
    }
    {
        SCOPED_TRACE("the receive said it is not sure");
        ReceiveJournal fresh;
        journal = fresh;
        journal.unsure();
        EXPECT_FALSE(derive());
    }
    {
        SCOPED_TRACE("where letter case folds, one new folder reached under two spellings");
        ReceiveJournal fresh;
        journal = fresh;
        journal.wayTo("N/M/c.txt");
        journal.wayTo("N/m/b.txt"); // the sender had both spellings; which one stands is not known
        makeFolders(root + "N/M");
        EXPECT_FALSE(deriveTableAfterReceive(root, scanned, {}, journal, true, host));
        EXPECT_TRUE(derive()) << "two folders where case counts";
    }
}

} // namespace
} // namespace tarvela::test
