// A receive removes nothing on the word of a sender's table it cannot trust: a table damaged on
// the medium, or one whose scan could not read a folder. Through tarvela-cli.
#include "records/table_check.h"
#include "records/table_record.h"
#include "two_computers.h"

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

struct Damage {
    const char* name;
    std::function<void(const std::string& table)> apply;
    const char* line; // the red line that says why, followed by the table's path
};

void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

void resize(const std::string& path, std::uintmax_t size) { fs::resize_file(path, size); }

const Damage kDamages[] = {
    {"CutInsideARecord", [](const std::string& t) { resize(t, fs::file_size(t) - 100); },
     "Таблица другого компьютера обрезана, удаления в паре не выполняются: "},
    {"CutAtARecordBoundary", [](const std::string& t) { resize(t, fs::file_size(t) - 2 * TNameAtribFile::kSize); },
     "Таблица другого компьютера не совпадает со своим контрольным файлом, удаления в паре не выполняются: "},
    {"EmptyWithoutCheckFile",
     [](const std::string& t) {
         resize(t, 0);
         fs::remove(tableCheckPath(t));
     },
     "Таблица другого компьютера пуста, удаления в паре не выполняются: "},
    {"GarbageWithoutCheckFile",
     [](const std::string& t) {
         writeFile(t, std::string(3 * TNameAtribFile::kSize, '\xff'));
         fs::remove(tableCheckPath(t));
     },
     "В таблице другого компьютера есть недопустимые записи, удаления в паре не выполняются: "},
    {"AFolder",
     [](const std::string& t) {
         fs::remove(t);
         fs::create_directory(t);
     },
     "Таблица другого компьютера не является файлом, пара пропущена: "},
    {"ALinkToATable",
     [](const std::string& t) {
         fs::rename(t, t + ".elsewhere");
         fs::create_symlink(t + ".elsewhere", t);
     },
     "Таблица другого компьютера не является файлом, пара пропущена: "},
};

class DamagedTable : public TwoComputersCli, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedTable, RemovesNothingAndKeepsTheStore) {
    for (const char* name : {"a.txt", "gone.txt", "sub/b.txt", "sub/c.txt", "z.txt"}) writeFile(work + name, name);
    firstRun();
    fs::remove(work + "gone.txt");
    writeFile(work + "new.txt", "new");
    halfDone("work-home", "work");
    const std::string table = tableFile(pathTask(), Side::Work, 1);
    GetParam().apply(table);
    const auto before = treeOf(home);

    const ChildResult r = half("work-home", "home", {"--delete", "yes"});
    EXPECT_NE(r.exitCode, 3) << r.out << r.err;
    EXPECT_NE(r.out.find(GetParam().line + table), std::string::npos) << r.out;
    EXPECT_EQ(occurrences(r.out, GetParam().line), 1u) << r.out;
    auto after = treeOf(home);
    after.erase("new.txt"); // may have arrived: a copy is no removal
    EXPECT_EQ(after, before) << r.out;
    EXPECT_TRUE(pending(Side::Work)) << "the store stays for a receive that can trust the table";
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedTable, ::testing::ValuesIn(kDamages),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// Makes folders unreadable to tarvela-cli: by their mode, and for root (whom modes do not stop) by
// running the CLI without the capabilities that override them.
class UnreadableFolder : public TwoComputersCli {
protected:
    ChildResult restrictedHalf(const std::string& direction, const std::string& role) {
        std::vector<std::string> argv;
        if (::geteuid() == 0) argv = {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"};
        for (const std::string& a :
             {std::string(TARVELA_CLI_PATH), std::string("--medium"), medium, std::string("run"), std::string("#0"),
              std::string("--role"), role, std::string("--direction"), direction, std::string("--delete"),
              std::string("yes")})
            argv.push_back(a);
        return runChild(argv, {}, {"XDG_DATA_HOME=" + xdg, "NO_COLOR"});
    }

    // False when a folder of mode 000 can still be read by a restricted child.
    bool modesStopTheCli() {
        makeFolders(dir / "probe");
        ::chmod((dir / "probe").c_str(), 0);
        std::vector<std::string> argv = {"/bin/ls", dir / "probe"};
        if (::geteuid() == 0) argv.insert(argv.begin(), {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"});
        const int status = runChild(argv).exitCode;
        const bool stopped = status != 0 && status != 127; // 127: no such program
        ::chmod((dir / "probe").c_str(), 0755);
        return stopped;
    }

    void setUp() {
        for (const char* name : {"a.txt", "sub/b.txt", "sub/inner/c.txt", "other/d.txt"})
            writeFile(work + name, name);
        firstRun();
    }
};

TEST_F(UnreadableFolder, NothingBelowItIsRemovedOnTheOtherComputer) {
    if (!modesStopTheCli()) GTEST_SKIP() << "folder modes do not stop this user";
    setUp();
    fs::remove(work + "other/d.txt");
    const auto before = treeOf(home);
    ::chmod((work + "sub").c_str(), 0);
    const ChildResult sent = restrictedHalf("work-home", "work");
    ::chmod((work + "sub").c_str(), 0755);
    EXPECT_EQ(sent.exitCode, 4) << "a folder that could not be read is a failure" << sent.out << sent.err;
    EXPECT_NE(sent.out.find("Ошибка чтения папки: " + work + "sub/"), std::string::npos) << sent.out;

    const ChildResult received = half("work-home", "home", {"--delete", "yes"});
    EXPECT_NE(received.out.find("Папка не прочитана на другом компьютере, удаления в ней не выполняются: " + home +
                                "sub/"),
              std::string::npos)
        << received.out;
    auto expected = before;
    expected.erase("other/d.txt"); // outside the unread folder, a removal still goes through
    EXPECT_EQ(treeOf(home), expected) << received.out;
}

TEST_F(UnreadableFolder, AnUnreadablePairFolderRemovesNothing) {
    if (!modesStopTheCli()) GTEST_SKIP() << "folder modes do not stop this user";
    setUp();
    const auto before = treeOf(home);
    ::chmod(work.c_str(), 0);
    const ChildResult sent = restrictedHalf("work-home", "work");
    ::chmod(work.c_str(), 0755);
    EXPECT_NE(sent.out.find("Ошибка чтения папки: " + work), std::string::npos) << sent.out;

    const ChildResult received = half("work-home", "home", {"--delete", "yes"});
    EXPECT_EQ(treeOf(home), before) << received.out;
}

} // namespace
} // namespace tarvela::test
