#include "records/path_form.h"
#include "base/path_display.h"
#include "records/profile_rules.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

TEST(PathForm, WindowsFolderTextsAndTheirSeparator) {
    struct Case {
        const char* folder;
        bool windows;
    };
    const Case cases[] = {
        {"C:\\Users\\u\\Документы\\", true},
        {"d:/data/", true},
        {"\\\\server\\share\\", true},
        {"/home/u/Документы/", false},
        {"C:", false},
        {"relative\\x\\", false},
        {"", false},
        {"1:\\x", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isWindowsFolderText(c.folder), c.windows) << c.folder;
        EXPECT_EQ(separatorOf(c.folder), c.windows ? '\\' : '/') << c.folder;
    }
}

TEST(PathForm, TheRelativePartTakesTheEnginesForm) {
    std::string fromWindows = "Папка\\sub\\a.txt";
    toEngineForm(fromWindows, "C:\\Документы\\");
    EXPECT_EQ(fromWindows, "Папка/sub/a.txt");
    std::string fromLinux = "back\\slash.txt";
    toEngineForm(fromLinux, "/home/u/");
    EXPECT_EQ(fromLinux, "back\\slash.txt") << "a name character on Linux";
}

TEST(PathForm, SpellingsOfOneFolderAreOneFolder) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"D:\\Docs\\", "d:\\docs\\", true},
        {"D:\\Docs\\", "D:/Docs", true},
        {"C:\\Документы\\", "c:\\ДОКУМЕНТЫ\\", true},
        {"\\\\server\\Share\\", "\\\\SERVER\\share", true},
        {"/home/u/Docs/", "/home/u/Docs", true},
        {"/home/u/Docs/", "/home/u/docs/", false}, // a POSIX file system tells the two apart
        {"/", "/", true},
        {"C:\\", "c:/", true},
        {"D:\\Docs\\", "D:\\Docs2\\", false},
        {"D:\\Docs\\", "/Docs/", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sameFolderText(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(folderKey("C:\\"), "c:\\") << "a root keeps its separator";
}

TEST(PathForm, ProfileFoldersEndWithTheirOwnSeparator) {
    TProfilLine p;
    p.pair(1).PathWork = ShortString<255>::fromText("C:\\Users\\u\\Документы");
    p.pair(1).PathHome = ShortString<255>::fromText("/home/u/Документы");
    p.pair(2).PathWork = ShortString<255>::fromText("C:\\Data\\");
    p.pair(2).PathHome = ShortString<255>::fromText("D:/Data/");
    endFoldersWithSeparator(p);
    EXPECT_EQ(p.pair(1).PathWork.text(), "C:\\Users\\u\\Документы\\");
    EXPECT_EQ(p.pair(1).PathHome.text(), "/home/u/Документы/");
    EXPECT_EQ(p.pair(2).PathWork.text(), "C:\\Data\\");
    EXPECT_EQ(p.pair(2).PathHome.text(), "D:/Data/");
}

} // namespace
} // namespace tarvela

namespace tarvela {
namespace {

// An echo line shows a Windows path with '\' throughout, and leaves POSIX paths and the words
// around them as they are.
TEST(PathDisplay, WindowsPathsInEchoLinesTakeTheirOwnSeparator) {
    const struct {
        const char* line;
        const char* shown;
    } cases[] = {
        {"Файл добавлен: C:\\Дом\\Папка дома/вложенный.txt", "Файл добавлен: C:\\Дом\\Папка дома\\вложенный.txt"},
        {"Удаления папки: E:\\Tarvela\\Task/ID/HFiles/", "Удаления папки: E:\\Tarvela\\Task\\ID\\HFiles\\"},
        {"Анализ: C:/Users/u/Документы/", "Анализ: C:/Users/u/Документы/"}, // one separator already
        {"Файл добавлен: \\\\server\\share/a/b.txt", "Файл добавлен: \\\\server\\share\\a\\b.txt"},
        {"Файлы отличаются: C:\\w\\a/b.txt <==> /home/u/a/b.txt", "Файлы отличаются: C:\\w\\a\\b.txt <==> /home/u/a/b.txt"},
        {"Файлы отличаются: /home/u/a/b.txt <==> C:\\w\\a/b.txt", "Файлы отличаются: /home/u/a/b.txt <==> C:\\w\\a\\b.txt"},
        {"Файл добавлен: /home/u/C:/x/y.txt", "Файл добавлен: /home/u/C:/x/y.txt"},
        {"Файл добавлен: /home/u/name\\with/back.txt", "Файл добавлен: /home/u/name\\with/back.txt"},
        {"[12:00:00]  Начало операции: рабочий=>домашний", "[12:00:00]  Начало операции: рабочий=>домашний"},
    };
    for (const auto& c : cases) EXPECT_EQ(windowsPathsInOwnForm(c.line), c.shown) << c.line;
}

} // namespace
} // namespace tarvela
