// What the other computer leaves on the medium is untrusted: hand-made tables, rounded times and
// names that differ only in case, received through tarvela-cli.
#include "records/table_file.h"
#include "records/table_record.h"
#include "records/store_list.h"
#include "two_computers.h"

#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

using E2EMedium = TwoComputersCli;

TNameAtribFile record(const std::string& path, const std::string& storeName) {
    TNameAtribFile r;
    r.Nature = kNatureFile;
    r.FName = ShortString<255>::fromText(path);
    r.FDataTime = 45000.5;
    r.SizeFile = static_cast<std::int64_t>(std::string("payload ").size() + storeName.size()); // the stored copy's
    r.FNameTmp = ShortString<25>::fromText(storeName);
    return r;
}

TEST_F(E2EMedium, HostileTableNeverReachesOutsideThePairFolderNorRemovesIt) {
    writeFile(dir / "outside/secret.txt", "secret");
    writeFile(home + "mine.txt", "mine");
    const auto outsideBefore = treeOf(dir / "outside");

    // The work computer's table of pair 1, made by hand: no entry for the pair folder itself, and
    // entries that climb out of it by their path or by their store name.
    const std::string store = storeFolder(pathTask(), Side::Work, 1);
    makeFolders(store);
    TableWriter writer(tableFile(pathTask(), Side::Work, 1));
    for (const auto& r : {record(work + "../../outside/escape.txt", "ESCAPE"),
                          record(dir / "outside/secret.txt", "ABS"), record(work + "ok.txt", "../../../outside/evil"),
                          record(work + "sub/../../up.txt", "UP"), record(work + "fine.txt", "FINE")}) {
        writer.append(r);
    }
    writer.commit();
    for (const char* name : {"ESCAPE", "ABS", "UP", "FINE"})
        writeFile(store + name, std::string("payload ") + name);
    StoreList stored;
    stored.add({"fine.txt", record(work + "fine.txt", "FINE").SizeFile, 45000.5, "FINE", std::nullopt});
    writeStoreList(storeListFile(storeRoot(pathTask(), Side::Work), 1), stored);

    const ChildResult r = half("work-home", "home");
    ASSERT_EQ(r.exitCode, 4) << "the half reached its end with refused entries\n" << r.out << r.err;
    EXPECT_EQ(treeOf(dir / "outside"), outsideBefore);
    EXPECT_EQ(readFile(home + "fine.txt"), "payload FINE");
    EXPECT_TRUE(fs::is_directory(home)) << "the pair folder itself is never removed";
    EXPECT_FALSE(fs::exists(dir / "home/up.txt"));
    EXPECT_EQ(occurrences(r.out, "Недопустимая запись в таблице, пропущена: "), 4u) << r.out;
}

TEST_F(E2EMedium, TimesRoundedByTheMediumDoNotMakeFilesTravelAgain) {
    writeFile(work + "a.txt", "a");
    setMtime(work + "a.txt", {1700000001, 999000000});
    halfDone("work-home", "work", {"--full-copy", "all"});
    for (const auto& e : fs::directory_iterator(storeFolder(pathTask(), Side::Work, 1))) {
        setMtime(e.path(), {1700000000, 0}); // FAT keeps even seconds
    }
    halfDone("work-home", "home");
    EXPECT_EQ(mtimeOf(home + "a.txt"), (platform::FileTime{1700000001, 999000000}));
    halfDone("home-work", "home");
    EXPECT_FALSE(pending(Side::Home)) << "nothing differs, so nothing travels back";
}

TEST_F(E2EMedium, NamesDifferingOnlyInCaseKeepTheirOwnContent) {
    writeFile(work + "a.txt", "lower");
    writeFile(work + "A.txt", "upper");
    firstRun();
    EXPECT_EQ(treeOf(home), treeOf(work));
    writeFile(work + "A.txt", "upper, changed");
    setMtime(work + "A.txt", {2000000000, 0});
    halfDone("work-home", "work");
    halfDone("work-home", "home");
    EXPECT_EQ(readFile(home + "a.txt"), "lower");
    EXPECT_EQ(readFile(home + "A.txt"), "upper, changed");
}

} // namespace
} // namespace tarvela::test
