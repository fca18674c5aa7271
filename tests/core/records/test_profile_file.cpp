#include "base/errors.h"
#include "file_size_limit.h"
#include "records/profile_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvela {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TProfilLine named(const std::string& name) {
    TProfilLine p;
    p.NameConf = ShortString<255>::fromText(name);
    p.Id = ShortString<8>::fromText(name.substr(0, 8));
    p.PC = ShortString<4>::fromText("work");
    return p;
}

std::size_t filesIn(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

TEST(ProfileFile, NoFileMeansNoProfiles) {
    TempDir dir;
    EXPECT_TRUE(LoadProfiles(dir.path()).empty());
}

TEST(ProfileFile, WholeRecordsOnlyAndTrailingBytesVanishOnRewrite) {
    TempDir dir;
    writeFile(dir / "Tarvela.cfg", std::string(5675, '\0'));
    EXPECT_TRUE(LoadProfiles(dir.path()).empty()) << "5675 bytes hold no profile";
    EXPECT_EQ(readProfileFile(dir.path()).partialRecordBytes, 5675) << "and the reader tells of the part";

    WriteProfiles(dir.path(), {named("Первый"), named("Second")});
    writeFile(dir / "Tarvela.cfg", readFile(dir / "Tarvela.cfg") + std::string(100, '#'));
    ProfilArray loaded = LoadProfiles(dir.path());
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].NameConf.text(), "Первый");
    EXPECT_EQ(loaded[1], named("Second"));
    EXPECT_EQ(readProfileFile(dir.path()).partialRecordBytes, 100);

    WriteProfiles(dir.path(), loaded);
    EXPECT_EQ(std::filesystem::file_size(dir / "Tarvela.cfg"), 2u * 5676);
    EXPECT_EQ(readProfileFile(dir.path()).partialRecordBytes, 0);
}

TEST(ProfileFile, PairFoldersGetTheirMissingSeparatorWhenLoaded) {
    struct Case {
        std::string stored, loaded;
    };
    const std::string longest(255, 'x');
    const Case cases[] = {{"", ""},
                          {"/home/u/Документы", "/home/u/Документы/"},
                          {"/home/u/Документы/", "/home/u/Документы/"},
                          {"D:\\Data", "D:\\Data\\"},
                          {"\\\\server\\share", "\\\\server\\share\\"},
                          {"C:\\", "C:\\"},
                          {longest, longest}}; // no room: the halves add it when they form paths
    TempDir dir;
    ProfilArray profiles;
    for (const Case& c : cases) {
        TProfilLine p = named("Case");
        p.pair(1).PathWork = ShortString<255>::fromText(c.stored);
        p.pair(10).PathHome = ShortString<255>::fromText(c.stored);
        profiles.push_back(p);
    }
    WriteProfiles(dir.path(), profiles);
    const ProfilArray loaded = LoadProfiles(dir.path());
    ASSERT_EQ(loaded.size(), std::size(cases));
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        EXPECT_EQ(loaded[i].pair(1).PathWork.text(), cases[i].loaded) << cases[i].stored;
        EXPECT_EQ(loaded[i].pair(10).PathHome.text(), cases[i].loaded) << cases[i].stored;
        EXPECT_EQ(loaded[i].pair(2).PathWork.text(), "");
    }
    EXPECT_EQ(withTrailingSeparator(longest), longest + "/");
}

TEST(ProfileFile, DeletingTheLastProfileLeavesAnEmptyFile) {
    TempDir dir;
    WriteProfiles(dir.path(), {named("only")});
    WriteProfiles(dir.path(), {});
    EXPECT_TRUE(std::filesystem::exists(dir / "Tarvela.cfg"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Tarvela.cfg"), 0u);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(ProfileFile, AFailedRewriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    TempDir dir;
    WriteProfiles(dir.path(), {named("one")});
    const std::string before = readFile(dir / "Tarvela.cfg");

    // A file-size limit below the new file's size makes the write fail as a full medium would.
    bool threw = false;
    {
        const test::FileSizeLimit full(3 * 5676 - 1);
        try {
            WriteProfiles(dir.path(), {named("one"), named("two"), named("three")});
        } catch (const FileError& e) {
            threw = true;
            EXPECT_NE(std::string(e.what()).find("Tarvela.cfg"), std::string::npos);
        }
    }

    EXPECT_TRUE(threw) << "a failed write must not be reported as success";
    EXPECT_EQ(readFile(dir / "Tarvela.cfg"), before);
    EXPECT_EQ(filesIn(dir.path()), 1u) << "the temporary file is removed";
}

TEST(ProfileFile, AnUnreadableFileIsAnError) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Tarvela.cfg"); // a folder where the file should be
    EXPECT_THROW(LoadProfiles(dir.path()), FileError);
}

} // namespace
} // namespace tarvela
