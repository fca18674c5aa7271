// A Windows work computer and a Linux home computer on one medium: tarvela-cli.exe under Wine plays
// the work computer (its folder reached through Wine's drive Z:, which maps the Linux root), the
// Linux tarvela-cli the home computer. Runs where scripts/build-windows --test names the Windows
// program in TARVELA_WINDOWS_CLI; skipped elsewhere.
#include "base/messages.h"
#include "records/cp1251.h"
#include "records/table_file.h"
#include "two_computers.h"

#include <cstdlib>
#include <filesystem>

namespace tarvela::test {
namespace {

namespace fs = std::filesystem;

// The Linux path as Wine's drive Z: shows it: "Z:\tmp\...\".
std::string onDriveZ(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

class MixedPair : public TwoComputersCli {
protected:
    void SetUp() override {
        const char* exe = std::getenv("TARVELA_WINDOWS_CLI");
        if (exe == nullptr || *exe == '\0')
            GTEST_SKIP() << "TARVELA_WINDOWS_CLI names no tarvela-cli.exe (see scripts/build-windows --test)";
        windowsCli_ = exe;
        task.pair(1).PathWork = ShortString<255>::fromText(windowsWork);
        save();
    }

    // tarvela-cli.exe --medium Z:\...\medium\ args... under Wine.
    ChildResult windows(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {"/usr/bin/wine", windowsCli_, "--medium", onDriveZ(medium)};
        argv.insert(argv.end(), args.begin(), args.end());
        // Wine's recycle bin is the desktop trash of XDG_DATA_HOME: the test's own.
        return runChild(argv, {}, {"WINEDEBUG=-all", "NO_COLOR", "XDG_DATA_HOME=" + xdg});
    }

    ChildResult windowsHalf(const std::string& direction, const std::vector<std::string>& extra = {},
                            const std::string& role = "work") {
        std::vector<std::string> args = {"run", "#0", "--role", role, "--direction", direction};
        args.insert(args.end(), extra.begin(), extra.end());
        return windows(args);
    }

    // The half wrote its end line; `leftOut` items failed (the names Windows cannot hold), which
    // makes the exit status 4.
    static void expectDone(const ChildResult& r, std::size_t leftOut = 0) {
        EXPECT_EQ(r.exitCode, leftOut == 0 ? 0 : 4) << r.out << r.err;
        EXPECT_NE(r.out.find("]  Конец операции: "), std::string::npos) << r.out << r.err;
        if (leftOut != 0) {
            EXPECT_NE(r.out.find("не выполнено: " + std::to_string(leftOut)), std::string::npos) << r.out;
        }
    }

    // The raw bytes of a table (its paths are Windows-1251 text).
    std::string tableBytes(Side side) const { return readFile(tableFile(pathTask(), side, 1)); }

    std::string windowsWork = onDriveZ(work);
    std::string windowsCli_;
};

TEST_F(MixedPair, WindowsWorkAndLinuxHomeKeepOneFolderInStep) {
    writeFile(work + "a.txt", "alpha");
    writeFile(work + "Папка/Отчёт.doc", "report");
    makeFolders(work + "пустая");

    // The first full copy, from Windows to Linux.
    expectDone(windowsHalf("work-home", {"--full-copy", "all"}));
    EXPECT_NE(tableBytes(Side::Work).find(utf8ToCp1251("\\Папка\\Отчёт.doc")), std::string::npos)
        << "the Windows computer writes its table with its own separator";
    halfDone("work-home", "home");
    EXPECT_EQ(treeOf(home), treeOf(work));
    EXPECT_NE(tableBytes(Side::Home).find(utf8ToCp1251("/Папка/Отчёт.doc")), std::string::npos);

    // Changes at home, and names Windows cannot hold, travel to Windows.
    writeFile(home + "a.txt", "alpha at home");
    setMtime(home + "a.txt", {2000000000, 0});
    writeFile(home + "Папка/новый.txt", "new");
    const std::vector<std::string> unholdable = {"вопрос?.txt", "a:b.txt", "точка.", "CON.txt", "back\\slash.txt"};
    for (const auto& name : unholdable)
        writeFile(home + name, "linux only");
    halfDone("home-work", "home");
    const ChildResult receive = windowsHalf("home-work");
    expectDone(receive, unholdable.size());
    EXPECT_EQ(readFile(work + "a.txt"), "alpha at home") << receive.out;
    EXPECT_EQ(readFile(work + "Папка/новый.txt"), "new");
    for (const auto& name : unholdable) {
        EXPECT_FALSE(fs::exists(work + name)) << name;
        EXPECT_EQ(occurrences(receive.out, name), 1u) << "one red line for " << name << "\n" << receive.out;
        EXPECT_TRUE(fs::exists(home + name)) << "stays on the sender: " << name;
    }

    // A deletion at work and a new file at work travel to Linux; the names Linux alone can hold stay.
    fs::remove(work + "Папка/новый.txt");
    writeFile(work + "с работы.txt", "from work");
    setMtime(work + "с работы.txt", {2000000200, 0});
    // The Windows computer reads the Linux computer's table for this half too, and says again what it
    // leaves out.
    expectDone(windowsHalf("work-home"), unholdable.size());
    halfDone("work-home", "home");
    EXPECT_FALSE(fs::exists(home + "Папка/новый.txt"));
    EXPECT_EQ(readFile(home + "с работы.txt"), "from work");
    EXPECT_EQ(readFile(home + "a.txt"), "alpha at home");
    for (const auto& name : unholdable)
        EXPECT_TRUE(fs::exists(home + name)) << "never arrived, so never deleted: " << name;
}

TEST_F(MixedPair, LinuxWorkAndWindowsHomeTheOtherWayRound) {
    task.pair(1).PathWork = ShortString<255>::fromText(work);
    task.pair(1).PathHome = ShortString<255>::fromText(onDriveZ(home));
    save();
    writeFile(work + "Отчёт.doc", "report");
    writeFile(work + "старое/удалить.txt", "old");
    writeFile(work + "звёздочка*.txt", "linux only");

    halfDone("work-home", "work", {"--full-copy", "all"});
    const ChildResult first = windowsHalf("work-home", {}, "home");
    expectDone(first, 1);
    EXPECT_EQ(occurrences(first.out, "звёздочка*.txt"), 1u) << first.out;
    EXPECT_EQ(readFile(home + "Отчёт.doc"), "report");
    EXPECT_EQ(readFile(home + "старое/удалить.txt"), "old");
    EXPECT_FALSE(fs::exists(home + "звёздочка*.txt"));

    // A deletion at work reaches the Windows computer; a change there comes back.
    fs::remove_all(work + "старое");
    halfDone("work-home", "work");
    expectDone(windowsHalf("work-home", {}, "home"), 1);
    EXPECT_FALSE(fs::exists(home + "старое"));
    writeFile(home + "Отчёт.doc", "report, from home");
    setMtime(home + "Отчёт.doc", {2000000000, 0});
    expectDone(windowsHalf("home-work", {}, "home"), 1);
    halfDone("home-work", "work");
    EXPECT_EQ(readFile(work + "Отчёт.doc"), "report, from home");
    EXPECT_EQ(readFile(work + "звёздочка*.txt"), "linux only") << "never reached Windows, so never deleted";
}

// A folder moved on either computer reaches the other as a rename: Windows moves it, Linux renames
// its copy; Linux moves it back, Windows renames its copy. Nothing of it is stored on the medium.
TEST_F(MixedPair, MovesTravelBetweenWindowsAndLinuxAsRenames) {
    for (int i = 0; i < 8; ++i)
        writeFile(work + "Фото 2025/снимок" + std::to_string(i) + ".jpg", "photo " + std::to_string(i));
    writeFile(work + "Фото 2025/RAW/r.cr2", "raw");
    expectDone(windowsHalf("work-home", {"--full-copy", "all"}));
    halfDone("work-home", "home");

    fs::create_directories(work + "Фото");
    fs::rename(work + "Фото 2025", work + "Фото/2025");
    const ChildResult sent = windowsHalf("work-home");
    expectDone(sent);
    EXPECT_EQ(occurrences(sent.out, std::string(msg::kMoveSent)), 1u) << sent.out;
    EXPECT_EQ(storedFiles(Side::Work), 0u);
    const ChildResult got = half("work-home", "home");
    EXPECT_EQ(got.exitCode, 0) << got.out;
    EXPECT_EQ(occurrences(got.out, std::string(msg::kMoved)), 1u) << got.out;
    EXPECT_EQ(treeOf(home), treeOf(work));

    fs::create_directories(home + "Архив");
    fs::rename(home + "Фото/2025/RAW", home + "Архив/RAW");
    fs::rename(home + "Фото/2025/снимок0.jpg", home + "Архив/первый.jpg");
    halfDone("home-work", "home");
    EXPECT_EQ(storedFiles(Side::Home), 0u);
    const ChildResult back = windowsHalf("home-work");
    expectDone(back);
    EXPECT_EQ(occurrences(back.out, std::string(msg::kMoved)), 2u) << back.out;
    EXPECT_EQ(treeOf(work), treeOf(home));
}

} // namespace
} // namespace tarvela::test
