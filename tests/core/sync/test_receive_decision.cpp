// The receive's decision table, one row per case, each side judged against its own recorded time
// only and exactly, the two-second tolerance only between the two computers' times.
#include "sync/receive_decision.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarvela {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kWorkT = 45000.25;         // the work computer's recorded time
constexpr double kHomeT = 45000.25 + 0.125; // the home computer's clock is three hours ahead

// The agreed record: 100 bytes, work time kWorkT, home time kHomeT. The sender is the work side.
const AgreedRecord kA{"doc.txt", 1, 100, kWorkT, kHomeT, {}};
const ItemState kSenderSame{1, 100, kWorkT};
const ItemState kSenderChanged{1, 100, kWorkT + 60 * kSecond};
// Saved again 1.5 s after the recorded save, with the same size: a change like any other.
const ItemState kSenderSavedAgain{1, 100, kWorkT + 1.5 * kSecond};
const ItemState kHereSame{1, 100, kHomeT};
const ItemState kHereChanged{1, 120, kHomeT};
// An edit here whose time happens to equal the sender's: compared against its own record it is a
// change, whatever the other clock says.
const ItemState kHereChangedAtSenderTime{1, 100, kWorkT};

struct Row {
    const char* what;
    bool withA;
    std::optional<ItemState> s;
    std::optional<ItemState> l;
    bool deletionOn;
    std::optional<bool> sameContent; // nothing: no stored copy to compare with
    ReceiveDecision expected;
};

using St = ReceiveStep;
using Af = AgreedAfter;

const Row kRows[] = {
    {"made here", false, std::nullopt, kHereChanged, true, false, {St::Keep, Af::Drop}},
    {"new there", false, kSenderChanged, std::nullopt, true, false, {St::Copy, Af::Record}},
    {"both new, same size and close times, nothing to compare with",
     false,
     ItemState{1, 5, 44000.0},
     ItemState{1, 5, 44000.0 + kSecond},
     true,
     std::nullopt,
     {St::Nothing, Af::Keep}},
    {"both new, same size and the same time, nothing to compare with (a copy made by hand)",
     false,
     ItemState{1, 5, 44000.0},
     ItemState{1, 5, 44000.0},
     true,
     std::nullopt,
     {St::Nothing, Af::Record}},
    {"both new, same size and close times, contents differ",
     false,
     ItemState{1, 5, 44000.0},
     ItemState{1, 5, 44000.0 + kSecond},
     true,
     false,
     {St::ConflictCopy, Af::Record}},
    {"both new, same content",
     false,
     ItemState{1, 5, 44000.0},
     ItemState{1, 5, 44001.0},
     true,
     true,
     {St::Nothing, Af::Record}},
    {"both new, different",
     false,
     ItemState{1, 5, 44000.0},
     ItemState{1, 6, 44000.0},
     true,
     true,
     {St::ConflictCopy, Af::Record}},
    {"unchanged on both", true, kSenderSame, kHereSame, true, false, {St::Nothing, Af::Keep}},
    {"changed there only", true, kSenderChanged, kHereSame, true, false, {St::Copy, Af::Record}},
    {"changed here only", true, kSenderSame, kHereChanged, true, false, {St::Keep, Af::Keep}},
    {"changed here at the sender's time",
     true,
     kSenderSame,
     kHereChangedAtSenderTime,
     true,
     false,
     {St::Keep, Af::Keep}},
    {"changed on both, different", true, kSenderChanged, kHereChanged, true, false, {St::ConflictCopy, Af::Record}},
    {"changed on both to the same",
     true,
     kSenderChanged,
     ItemState{1, 100, kWorkT + 61 * kSecond},
     true,
     true,
     {St::Nothing, Af::Record}},
    {"changed on both, same size and close times, nothing to compare with",
     true,
     kSenderChanged,
     ItemState{1, 100, kWorkT + 61 * kSecond},
     true,
     std::nullopt,
     {St::Nothing, Af::Keep}},
    {"changed on both, same size and close times, contents differ",
     true,
     kSenderChanged,
     ItemState{1, 100, kWorkT + 61 * kSecond},
     true,
     false,
     {St::ConflictCopy, Af::Record}},
    {"saved again there within 2 s of the recorded save", true, kSenderSavedAgain, kHereSame, true, false,
     {St::Copy, Af::Record}},
    {"removed there, unchanged here", true, std::nullopt, kHereSame, true, false, {St::Delete, Af::Drop}},
    {"removed there, changed here", true, std::nullopt, kHereChanged, true, false, {St::KeepNotice, Af::Drop}},
    {"removed here, unchanged there, deletion on",
     true,
     kSenderSame,
     std::nullopt,
     true,
     false,
     {St::StaysDeleted, Af::Keep}},
    {"removed here, unchanged there, deletion off",
     true,
     kSenderSame,
     std::nullopt,
     false,
     false,
     {St::Copy, Af::Record}},
    {"removed here, changed there", true, kSenderChanged, std::nullopt, true, false, {St::CopyNotice, Af::Record}},
    {"removed on both", true, std::nullopt, std::nullopt, true, false, {St::Nothing, Af::Drop}},
    {"a file here became a folder", true, kSenderSame, ItemState{0, 0, kHomeT}, true, false, {St::Keep, Af::Keep}},
};

TEST(ReceiveDecision, EveryRowOfTheTable) {
    for (const Row& row : kRows) {
        const std::optional<bool> content = row.sameContent;
        const auto decision =
            decideReceive(row.withA ? &kA : nullptr, row.s ? &*row.s : nullptr, row.l ? &*row.l : nullptr, Side::Work,
                          row.deletionOn, [content] { return content; });
        EXPECT_EQ(decision, row.expected) << row.what;
    }
}

TEST(ReceiveDecision, EachSideIsComparedExactlyWithItsOwnTime) {
    EXPECT_TRUE(unchangedAgainst(kA, {1, 100, kHomeT}, Side::Home));
    EXPECT_FALSE(unchangedAgainst(kA, {1, 100, kHomeT + 0.001 * kSecond * 2}, Side::Home));
    EXPECT_FALSE(unchangedAgainst(kA, {1, 100, kHomeT - 1.5 * kSecond}, Side::Home));
    // The work side's time is never measured against the home side's record.
    EXPECT_FALSE(unchangedAgainst(kA, {1, 100, kHomeT}, Side::Work));
    EXPECT_FALSE(unchangedAgainst(kA, {1, 101, kWorkT}, Side::Work));
}

TEST(ReceiveDecision, FoldersCountByPresenceOnly) {
    const AgreedRecord folder{"sub/..", 0, 0, 1.0, 2.0, {}};
    const ItemState there{0, 0, 9.0};
    const ItemState here{0, 0, 7.0};
    EXPECT_EQ(decideReceive(&folder, &there, &here, Side::Home, true, {}), (ReceiveDecision{St::Nothing, Af::Keep}));
    EXPECT_EQ(decideReceive(&folder, nullptr, &here, Side::Home, true, {}), (ReceiveDecision{St::Delete, Af::Drop}));
    EXPECT_EQ(decideReceive(nullptr, &there, &here, Side::Home, true, {}), (ReceiveDecision{St::Nothing, Af::Record}));
}

TEST(ReceiveDecision, ContentIsAskedWheneverSizesMatch) {
    int asked = 0;
    const auto count = [&]() -> std::optional<bool> {
        ++asked;
        return false;
    };
    EXPECT_EQ(sameItems({1, 5, 1.0}, {1, 6, 1.0}, count), Sameness::Different);
    EXPECT_EQ(asked, 0);
    // Equal sizes and equal times, yet different bytes: the contents decide.
    EXPECT_EQ(sameItems({1, 5, 1.0}, {1, 5, 1.0}, count), Sameness::Different);
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace tarvela
