// The rules of saving a profile that the editor and tarvela-cli share, and the lock that keeps a
// profile from changing under a run.
#include "base/errors.h"
#include "platform/run_lock.h"
#include "records/profile_file.h"
#include "records/profile_rules.h"
#include "records/random_names.h"
#include "records/store_layout.h"
#include "sync/profile_lock.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvela {
namespace {

using test::TempDir;

ShortString<255> folder(const std::string& text) {
    return ShortString<255>::fromText(text);
}

TEST(ProfileRules, ANameAndOneFolderOnEitherSideOfAnyPair) {
    TProfilLine p;
    EXPECT_EQ(checkProfileInput("Документы", p), ProfileProblem::NoFolder);
    p.pair(7).PathHome = folder("/home/u/x");
    EXPECT_EQ(checkProfileInput("Документы", p), ProfileProblem::None);
    EXPECT_EQ(checkProfileInput(" ", p), ProfileProblem::None) << "spaces count as text";
    EXPECT_EQ(checkProfileInput("", p), ProfileProblem::NoName);
}

TEST(ProfileRules, EveryFolderEndsWithTheSeparatorAndEmptyOnesStayEmpty) {
    TProfilLine p;
    p.pair(1).PathWork = folder("/a/Документы");
    p.pair(1).PathHome = folder("/b/");
    p.pair(10).PathHome = folder("/c");
    const std::string full(254, 'x');
    p.pair(5).PathWork = folder("/" + full); // 255 bytes: no room left
    endFoldersWithSeparator(p);
    EXPECT_EQ(p.pair(1).PathWork.text(), "/a/Документы/");
    EXPECT_EQ(p.pair(1).PathHome.text(), "/b/");
    EXPECT_EQ(p.pair(10).PathHome.text(), "/c/");
    EXPECT_TRUE(p.pair(2).PathWork.empty());
    EXPECT_EQ(p.pair(5).PathWork.text(), "/" + full);
}

TEST(ProfileRules, NewIdsAreEightCharactersOfTheIdAlphabet) {
    const std::string a = newProfileId();
    ASSERT_EQ(a.size(), kProfileIdLength);
    EXPECT_EQ(a.find_first_not_of(kIdAlphabet), std::string::npos);
    EXPECT_NE(a, newProfileId());
}

TEST(ProfileRules, TheSavingComputerAndItsRoleAreStamped) {
    TProfilLine p;
    stampSavingComputer(p, "AB12-CD34", false);
    EXPECT_EQ(p.IdPC.bytes(), "AB12-CD34");
    EXPECT_EQ(p.PC.bytes(), "home");
    stampSavingComputer(p, "AB12-CD34", true);
    EXPECT_TRUE(p.isWorkRole());
}

TEST(ProfileRules, TheProfileFileIsProvedWritableWithoutChangingIt) {
    TempDir dir;
    ensureProfileFileWritable(dir.path());
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "Tarvela.cfg"));
    EXPECT_TRUE(LoadProfiles(dir.path()).empty());

    TProfilLine p;
    p.NameConf = ShortString<255>::fromText("one");
    WriteProfiles(dir.path(), {p});
    ensureProfileFileWritable(dir.path());
    EXPECT_EQ(LoadProfiles(dir.path()).size(), 1u) << "opened, never cut";

    TempDir other;
    std::filesystem::create_directory(other / "Tarvela.cfg"); // cannot be opened for writing, even by root
    EXPECT_THROW(ensureProfileFileWritable(other.path()), FileError);
}

TEST(ProfileRules, FolderTextFromACommandLine) {
    const struct {
        std::string text;
        FolderTextProblem problem;
    } cases[] = {
        {"/home/u/Документы", FolderTextProblem::None},
        {"/home/u/docs/", FolderTextProblem::None},
        {"C:\\Users\\u\\Docs", FolderTextProblem::None},
        {"d:/data", FolderTextProblem::None},
        {"\\\\server\\share", FolderTextProblem::None},
        {"docs", FolderTextProblem::NotAbsolute},
        {"./docs", FolderTextProblem::NotAbsolute},
        {"~/docs", FolderTextProblem::NotAbsolute},
        {"C:docs", FolderTextProblem::NotAbsolute},
        {"", FolderTextProblem::NotAbsolute},
        {"/home/u/a\nb", FolderTextProblem::ControlCharacter},
        {"/home/u/a\tb", FolderTextProblem::ControlCharacter},
        {"/home/u/日本", FolderTextProblem::NotInCodePage},
        {"/home/u/\xff\xfe", FolderTextProblem::NotInCodePage},
        {"/" + std::string(253, 'x'), FolderTextProblem::None}, // 254 bytes and the separator
        {"/" + std::string(254, 'x'), FolderTextProblem::TooLong},
        {"/" + std::string(253, 'x') + "/", FolderTextProblem::None},
        {"/" + std::string(127, 'x') + "Ж", FolderTextProblem::None}, // one byte each in the code page
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkFolderText(c.text), c.problem) << c.text;
}

TEST(ProfileLock, NoStoreNoRunAndARunningProfileIsBusy) {
    TempDir dir;
    const std::string id = "AB12CD34";
    {
        const ProfileChangeLock lock = lockProfileForChange(dir.path(), id);
        EXPECT_FALSE(lock.busy);
        EXPECT_FALSE(std::filesystem::exists(transferStoreFolder(dir.path(), id))) << "nothing made for it";
    }
    const std::string store = transferStoreFolder(dir.path(), id);
    std::filesystem::create_directories(store);
    {
        const auto run = platform::RunLock::tryAcquire(store);
        ASSERT_TRUE(run);
        EXPECT_TRUE(lockProfileForChange(dir.path(), id).busy);
    }
    const ProfileChangeLock change = lockProfileForChange(dir.path(), id);
    EXPECT_FALSE(change.busy);
    EXPECT_TRUE(change.held);
    EXPECT_FALSE(platform::RunLock::tryAcquire(store)) << "no run starts during the change";
}

} // namespace
} // namespace tarvela
