// Faults under the halves: a full disk on the medium and on the destination, a source that
// changes or vanishes between the scan and the copy, a folder where a file should go, a pair that
// points at a file, and names with every character Linux allows. Each has a defined outcome: a
// red line, the run goes on, nothing outside the pair folder is touched, no old file is damaged.
#include "file_size_limit.h"
#include "sync_fixture.h"
#include "scan/table_writer.h"


namespace tarvela {
namespace {

using test::contentsOf;
using test::readFile;
using test::TwoComputers;
using test::writeFile;
namespace fs = std::filesystem;

using test::FileSizeLimit;

std::vector<std::string> leftoverTemporaries(const std::string& root) {
    // Temporary files of the copier and of the table and profile writers.
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = e.path().filename().string();
        if (name.ends_with(".part") || name.find(".tmp") != std::string::npos) out.push_back(e.path());
    }
    return out;
}

std::size_t linesStartingWith(const test::RecordingHost& host, std::string_view prefix, std::uint32_t color) {
    std::size_t n = 0;
    for (const auto& l : host.lines) n += l.text.starts_with(prefix) && l.color == color ? 1u : 0u;
    return n;
}

const std::string kBig(200000, 'B');

TEST_F(TwoComputers, AFullMediumStoresWhatFitsAndReportsTheRest) {
    writeFile(work + "small.txt", "small");
    writeFile(work + "big.bin", kBig);
    host.fullCopyAnswers.push_back({FullCopyResult::CopyAll, true});
    {
        const FileSizeLimit full(100000);
        ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    }
    EXPECT_EQ(linesStartingWith(host, "Ошибка копирования файла: " + work + "big.bin", 0x0000FF), 1u);
    const auto stored = contentsOf(storeFolder1(Side::Work));
    ASSERT_EQ(stored.size(), 1u) << "the store holds only complete copies";
    EXPECT_EQ(stored.begin()->second, "small");
    EXPECT_EQ(leftoverTemporaries(dir.path()), std::vector<std::string>{});

    // The home computer takes what is there; the one the store does not carry waits for a later
    // send, counted in one notice, not a failure.
    ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);
    EXPECT_EQ(readFile(home + "small.txt"), "small");
    EXPECT_FALSE(fs::exists(home + "big.bin"));
    EXPECT_EQ(linesStartingWith(host, "Не перенесено этим хранилищем (придёт со следующей передачей), файлов: 1",
                                0x000000),
              1u);
}

TEST_F(TwoComputers, AFullDestinationLeavesTheOldFileAsItWas) {
    writeFile(work + "big.bin", "old");
    writeFile(work + "other.txt", "other");
    firstRun();
    writeFile(work + "big.bin", kBig);
    test::setMtime(work + "big.bin", {2000000000, 0});
    writeFile(work + "other.txt", "other, newer");
    test::setMtime(work + "other.txt", {2000000000, 0});
    ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    {
        const FileSizeLimit full(100000);
        ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);
    }
    EXPECT_EQ(readFile(home + "big.bin"), "old");
    EXPECT_EQ(readFile(home + "other.txt"), "other, newer") << "the run goes on after a failed file";
    EXPECT_EQ(leftoverTemporaries(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(linesStartingWith(host, "Ошибка копирования файла: ", 0x0000FF), 1u);

    // Once there is room, the next send carries it again, as the home table still shows it old.
    ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);
    EXPECT_EQ(readFile(home + "big.bin"), kBig);
}

TEST_F(TwoComputers, ASourceThatChangesOrVanishesAfterTheScan) {
    writeFile(work + "a.txt", "a");
    writeFile(work + "gone.txt", "g");
    firstRun();
    writeFile(work + "a.txt", "a, changed");
    test::setMtime(work + "a.txt", {2000000000, 0});
    writeFile(work + "gone.txt", "g, changed");
    test::setMtime(work + "gone.txt", {2000000000, 0});
    // Between the comparison's lines and the copies: one file changes again, one disappears.
    host.onEcho = [&](const test::EchoLine& line) {
        if (line.text.starts_with("Файлы отличаются: " + work + "gone.txt")) {
            fs::remove(work + "gone.txt");
            writeFile(work + "a.txt", "a, changed twice");
        }
    };
    ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    host.onEcho = nullptr;
    EXPECT_EQ(linesStartingWith(host, "Отсутствует файл: " + work + "gone.txt", 0x0000FF), 1u);
    // Written to after the scan: its copy in the store is not the version the table describes (it
    // could as well be torn), so it is not carried; it differs again at the next send.
    EXPECT_EQ(linesStartingWith(host, "Файл изменился во время копирования, будет перенесён в следующий раз: " + work +
                                          "a.txt",
                                0x0066CC),
              1u);
    ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);
    EXPECT_EQ(linesStartingWith(host, "Не перенесено этим хранилищем (придёт со следующей передачей), файлов: 2",
                                0x000000),
              1u);
    EXPECT_EQ(readFile(home + "a.txt"), "a") << "the destination is untouched";
    EXPECT_EQ(readFile(home + "gone.txt"), "g") << "the old copy stays until the next send says otherwise";
    ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);
    EXPECT_EQ(readFile(home + "a.txt"), "a, changed twice");
}

TEST_F(TwoComputers, AFolderWhereAFileShouldGoAndAPairThatIsAFile) {
    writeFile(work + "x", "a file named x");
    writeFile(work + "y.txt", "y");
    task.pair(2).PathWork = ShortString<255>::fromText(dir / "work2/");
    task.pair(2).PathHome = ShortString<255>::fromText(dir / "home2-is-a-file/");
    writeFile(dir / "work2/z.txt", "z");
    writeFile(dir / "home2-is-a-file", "not a folder");
    test::makeFolders(home + "x/inner"); // a folder where the file x should go
    writeFile(home + "x/inner/keep.txt", "keep");
    test::makeFolders(dir / "medium/Task/TESTID01");
    CreateListFiles(home, tableFile(pathTask(), Side::Home, 1), {}, host); // home knows its folder x

    host.fullCopyAnswers.push_back({FullCopyResult::CopyAll, true});
    ASSERT_EQ(run(Direction::WorkHome, Role::Work), HalfResult::Completed);
    task.OperacDell = false;
    ASSERT_EQ(run(Direction::WorkHome, Role::Home), HalfResult::Completed);

    EXPECT_EQ(readFile(home + "y.txt"), "y");
    // The folder in the way is set aside whole under a conflict name; the file takes its name.
    EXPECT_EQ(readFile(home + "x"), "a file named x");
    std::size_t aside = 0;
    for (const auto& e : fs::directory_iterator(home)) {
        if (e.path().filename().string().starts_with("x (конфликт ")) {
            ++aside;
            EXPECT_EQ(readFile(e.path().string() + "/inner/keep.txt"), "keep");
        }
    }
    EXPECT_EQ(aside, 1u);
    EXPECT_EQ(readFile(dir / "home2-is-a-file"), "not a folder");
    EXPECT_GE(linesStartingWith(host, "Не удалось создать папку ", 0x0000FF), 1u);
}

TEST_F(TwoComputers, NamesWithEveryCharacterLinuxAllows) {
    const std::vector<std::string> names = {"new\nline.txt", "back\\slash.txt", "tab\tand \"quotes\" *?.txt",
                                            "колонка:1.txt", "«кавычки» №1 — тире.txt"};
    for (const auto& n : names) writeFile(work + n, n);
    writeFile(work + "bad\xff" "byte.txt", "not UTF-8");
    writeFile(work + "Ünïcödé ✓.txt", "outside the code page");
    firstRun();
    for (const auto& n : names) EXPECT_EQ(readFile(home + n), n) << n;
    EXPECT_FALSE(fs::exists(home + "bad\xff" "byte.txt"));
    // Names outside the table's code page cannot travel: they stay out of the tables, with a red
    // line for each on each computer's scan, and nothing else.
    EXPECT_EQ(linesStartingWith(host, "Имя не может быть записано в таблицу, пропущено: ", 0x0000FF), 2u);
    EXPECT_EQ(linesStartingWith(host, "Отсутствует файл: ", 0x0000FF), 0u);
    for (const auto& e : fs::directory_iterator(home)) {
        EXPECT_EQ(e.path().parent_path().string() + "/", home);
    }
}

} // namespace
} // namespace tarvela
