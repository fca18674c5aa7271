// The receive's decision table, one row per case, with the two-second tolerance and each side
// judged against its own recorded time only.
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
const ItemState kSenderSame{1, 100, kWorkT + 1 * kSecond}; // within 2 s of its own record
const ItemState kSenderChanged{1, 100, kWorkT + 60 * kSecond};
const ItemState kHereSame{1, 100, kHomeT - 2 * kSecond};
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
    bool sameContent;
    ReceiveDecision expected;
};

using St = ReceiveStep;
using Af = AgreedAfter;

const Row kRows[] = {
    {"made here", false, std::nullopt, kHereChanged, true, false, {St::Keep, Af::Drop}},
    {"new there", false, kSenderChanged, std::nullopt, true, false, {St::Copy, Af::Record}},
    {"both new, same size and time",
     false,
     ItemState{1, 5, 44000.0},
     ItemState{1, 5, 44000.0 + kSecond},
     true,
     false,
     {St::Nothing, Af::Record}},
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
     false,
     {St::Nothing, Af::Record}},
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
        const bool content = row.sameContent;
        const auto decision =
            decideReceive(row.withA ? &kA : nullptr, row.s ? &*row.s : nullptr, row.l ? &*row.l : nullptr, Side::Work,
                          row.deletionOn, [content] { return content; });
        EXPECT_EQ(decision, row.expected) << row.what;
    }
}

TEST(ReceiveDecision, ToleranceIsTwoSecondsAgainstTheSidesOwnTime) {
    EXPECT_TRUE(unchangedAgainst(kA, {1, 100, kHomeT + 2 * kSecond}, Side::Home));
    EXPECT_FALSE(unchangedAgainst(kA, {1, 100, kHomeT + 3 * kSecond}, Side::Home));
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

TEST(ReceiveDecision, ContentIsAskedOnlyWhenSizesMatchAndTimesDiffer) {
    int asked = 0;
    const auto count = [&] {
        ++asked;
        return true;
    };
    sameItems({1, 5, 1.0}, {1, 6, 2.0}, count);
    sameItems({1, 5, 1.0}, {1, 5, 1.0}, count);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(sameItems({1, 5, 1.0}, {1, 5, 2.0}, count));
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace tarvela
