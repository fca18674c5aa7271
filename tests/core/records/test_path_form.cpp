#include "records/path_form.h"
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
