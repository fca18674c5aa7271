#include "sync/compare_lists.h"
#include "base/messages.h"
#include "recording_host.h"
#include "sync/run_control.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvela {
namespace {

struct Entry {
    std::string name;
    double time = 45000.0;
    std::int64_t size = 10;
};

template <typename List = TFileList>
List listOf(const std::vector<Entry>& entries) {
    List list;
    for (const auto& e : entries) {
        auto a = std::make_unique<TAtrib>();
        a->Nature = e.name == ".." || e.name.ends_with("/..") ? 0 : 1;
        a->FileDataTime = e.time;
        a->SizeFile = a->Nature == 1 ? e.size : 0;
        list.add(e.name, std::move(a));
    }
    return list;
}

// Each entry of the result as "name=action".
template <typename List>
std::vector<std::string> outcome(const List& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.count(); ++i) {
        out.push_back(std::string(s.key(i)) + "=" + std::string(actionText(s.object(i)->Action)));
    }
    return out;
}

const ComparePair kWorkToHome{"/w/", "/h/", Direction::WorkHome, true, {}, {}};
constexpr double kOneSecond = 1.0 / 86400.0;

TEST(CompareLists, DecidesEveryEntryOfBothSides) {
    struct Case {
        const char* what;
        std::vector<Entry> source, dest;
        bool operacDell;
        std::vector<std::string> expected;
        std::int64_t sum;
    };
    const Case cases[] = {
        {"identical tables", {{".."}, {"a"}, {"s/.."}}, {{".."}, {"a"}, {"s/.."}}, true, {"..=skip", "a=skip", "s/..=skip"}, 0},
        {"source newer by a second", {{"a", 45000.0 + kOneSecond}}, {{"a"}}, true, {"a=copy"}, 10},
        {"destination newer", {{"a"}}, {{"a", 45000.0 + kOneSecond}}, true, {"a=skip"}, 0},
        {"new file and new empty folder", {{"n", 1, 7}, {"d/.."}}, {}, true, {"n=copy", "d/..="}, 7},
        {"vanished file, deletion on", {{".."}}, {{".."}, {"gone"}}, true, {"..=skip", "gone=del"}, 0},
        {"vanished file, deletion off", {{".."}}, {{".."}, {"gone"}}, false, {"..=skip", "gone=skip"}, 0},
        {"letter case ignored, Cyrillic too", {{"Папка/Файл.TXT"}}, {{"папка/файл.txt"}}, true, {"Папка/Файл.TXT=skip"}, 0},
        {"exact case first", {{"A.txt"}, {"a.txt"}}, {{"a.txt"}}, true, {"A.txt=copy", "a.txt=skip"}, 10},
        {"a name twice on each side pairs in order", {{"a", 1}, {"a", 2}}, {{"a", 2}, {"A"}, {"a", 1}}, true,
         {"a=skip", "a=copy", "A=del"}, 10},
        {"the pair folder is never deleted", {{"x"}}, {{".."}, {"x"}}, true, {"x=skip", "..=skip"}, 0},
        {"sizes add up in 64 bits", {{"a", 1, 3'000'000'000}, {"b", 1, 3'000'000'000}}, {}, true,
         {"a=copy", "b=copy"}, 6'000'000'000},
    };
    for (const auto& c : cases) {
        test::RecordingHost host;
        TFileList s = listOf(c.source);
        ComparePair pair = kWorkToHome;
        pair.OperacDell = c.operacDell;
        EXPECT_EQ(CompareListsOfFiles(s, listOf(c.dest), pair, host), c.sum) << c.what;
        EXPECT_EQ(outcome(s), c.expected) << c.what;

        // The packed lists the sending half holds: the same decisions and the same echo.
        test::RecordingHost packedHost;
        auto packed = listOf<PackedFileList>(c.source);
        EXPECT_EQ(CompareListsOfFiles(packed, listOf<PackedFileList>(c.dest), pair, packedHost), c.sum) << c.what;
        EXPECT_EQ(outcome(packed), c.expected) << c.what;
        EXPECT_EQ(packedHost.lines, host.lines) << c.what;
    }
}

TEST(CompareLists, EchoLinesNameTheSourceFirst) {
    test::RecordingHost host;
    TFileList s = listOf({{"a", 45000.0 + kOneSecond}, {"new"}, {"same"}});
    CompareListsOfFiles(s, listOf({{"A"}, {"same"}, {"old"}}), {"/w/", "/h/", Direction::HomeWork, true, {}, {}}, host);
    const std::vector<test::EchoLine> expected = {
        {"Файлы отличаются: /h/a <==> /w/A", 0x800080},
        {"Файл добавлен: /w/new", 0x008000}, // always the work folder, in both directions
    };
    EXPECT_EQ(host.lines, expected) << "no line for skip or del decisions";
}

// Lines held back are written later exactly as they would have been at once, in list order (a
// partner's other spelling and the Windows notice kept), without the names the caller leaves out.
TEST(CompareLists, HeldLinesAreWrittenLaterAsTheyWouldHaveBeen) {
    const std::vector<Entry> source = {{"a", 45000.0 + kOneSecond}, {"new:1"}, {"same"}, {"moved/x"}, {"moved/.."}};
    const std::vector<Entry> dest = {{"A"}, {"same"}, {"old"}};
    const ComparePair toWindows{"/w/", "C:\\Дом\\", Direction::WorkHome, true, {}, {}};

    test::RecordingHost atOnce;
    auto s = listOf<PackedFileList>(source);
    const std::int64_t sum = CompareListsOfFiles(s, listOf<PackedFileList>(dest), toWindows, atOnce);

    test::RecordingHost later;
    ComparedLines held;
    ComparePair holding = toWindows;
    holding.held = &held;
    auto h = listOf<PackedFileList>(source);
    EXPECT_EQ(CompareListsOfFiles(h, listOf<PackedFileList>(dest), holding, later), sum);
    EXPECT_EQ(outcome(h), outcome(s));
    EXPECT_TRUE(later.lines.empty()) << "nothing said before the caller writes";
    held.write(h, later, {});
    EXPECT_EQ(later.lines, atOnce.lines);
    ASSERT_EQ(atOnce.lines.size(), 5u) << "differ, added + Windows notice, and two added";

    test::RecordingHost leftOut;
    held.write(h, leftOut, [](std::string_view name) { return name.starts_with("moved/"); });
    const std::vector<test::EchoLine> expected(atOnce.lines.begin(), atOnce.lines.begin() + 3);
    EXPECT_EQ(leftOut.lines, expected);
}

// A Linux computer sends to one whose folder is a Windows path: a new file whose name Windows
// cannot hold gets a notice beside its "Файл добавлен" line; where the other folder is a POSIX path,
// or the name is fine, nothing more is said.
TEST(CompareLists, ANameTheWindowsComputerCannotHoldIsSaidAtTheSend) {
    struct Case {
        const char* home;
        const char* name;
        bool notice;
    };
    const Case cases[] = {
        {"C:\\Дом\\", "a:b.txt", true},
        {"C:\\Дом\\", "sub/con.txt", true},
        {"C:\\Дом\\", "точка.", true},
        {"C:\\Дом\\", "обычный.txt", false},
        {"/home/u/", "a:b.txt", false},
        // A new folder: its table mark "/.." is no part of its name.
        {"C:\\Дом\\", "папка/..", false},
        {"C:\\Дом\\", "a:b/..", true},
    };
    for (const Case& c : cases) {
        test::RecordingHost host;
        TFileList s = listOf({{c.name}});
        CompareListsOfFiles(s, listOf({}), {"/w/", c.home, Direction::WorkHome, true, {}, {}}, host);
        std::vector<test::EchoLine> expected = {{std::string("Файл добавлен: /w/") + c.name, 0x008000}};
        if (c.notice)
            expected.push_back({std::string(msg::kNameNotForWindows) + "/w/" + c.name, 0x000000});
        EXPECT_EQ(host.lines, expected) << c.home << c.name;
    }
}

TEST(CompareLists, SendingHalfCreatesItsStoreRootOnlyWhenTheDestinationHasMore) {
    test::TempDir dir;
    test::RecordingHost host;
    ComparePair pair = kWorkToHome;
    pair.storeRoot = dir / "Task/ID/WFiles";
    pair.OperacDell = false;

    TFileList same = listOf({{"a"}});
    CompareListsOfFiles(same, listOf({{"a"}}), pair, host);
    EXPECT_FALSE(std::filesystem::exists(pair.storeRoot));

    TFileList fewer = listOf({{"a"}});
    CompareListsOfFiles(fewer, listOf({{"a"}, {"b"}}), pair, host);
    EXPECT_TRUE(std::filesystem::is_directory(pair.storeRoot))
        << "so that the other computer can receive, even with deletion off";
}

TEST(CompareLists, LargeListsMatchInOrder) {
    std::vector<Entry> source, dest;
    for (int i = 0; i < 20000; ++i) {
        source.push_back({"dir/f" + std::to_string(i), i % 2 ? 45001.0 : 45000.0});
        dest.push_back({"DIR/F" + std::to_string(19999 - i)});
    }
    test::RecordingHost host;
    TFileList s = listOf(source);
    EXPECT_EQ(CompareListsOfFiles(s, listOf(dest), kWorkToHome, host), 10000 * 10);
    EXPECT_EQ(s.count(), 20000u) << "every destination entry found its partner";
}

} // namespace
} // namespace tarvela
