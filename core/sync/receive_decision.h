#pragma once
// The receive's one decision table: what happens to one relative name, from the agreed state (A),
// the sender's table (S) and this computer's scan (L). Each side is judged only against its own
// recorded time in A, never against the other computer's clock, and exactly: the same file system
// gives an unchanged file the same time every time, so any difference is a change (a save within a
// second or two of the last one included). Folders count by presence only.
//
//  A  S  L   step                                        A afterwards
//  -  -  +   keep (made here)                            none
//  -  +  -   copy                                        record
//  -  +  +   same: nothing; else conflict copy, copy     record (unproven same: none)
//  +  =  =   nothing                                     keep
//  +  ≠  =   copy                                        record
//  +  =  ≠   keep L (it travels back)                    keep
//  +  ≠  ≠   same: nothing; else conflict copy, copy     record (unproven same: keep)
//  +  -  =   delete (declined or not allowed: keep)      drop
//  +  -  ≠   keep L, notice                              drop
//  +  =  -   deletion on: stays deleted; off: copy back  keep / record
//  +  ≠  -   copy, notice                                record
//  +  -  -   nothing                                     drop

#include "records/agreed_state.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tarvela {

// Two seconds as a date-time number, for times of the two computers compared with each other (or
// with a copy on the medium): FAT keeps even seconds, some exFAT drivers whole ones.
inline constexpr double kTimeTolerance = 2.0 / 86400.0;
// Half a millisecond: a side compared with its own recorded time, which the tables keep to the
// millisecond, is either the same number or changed.
inline constexpr double kOwnTimeTolerance = 0.0005 / 86400.0;

// One side's item as a table or a scan describes it.
struct ItemState {
    std::uint8_t nature = 1; // 1 file, 0 folder
    std::int64_t size = 0;
    double time = 0;
};

enum class ReceiveStep : std::uint8_t {
    Nothing,      // leave everything as it is
    Keep,         // keep this computer's item; it travels back with the next send
    KeepNotice,   // keep this computer's item, with a notice line (removed there, changed here)
    Copy,         // the sender's version takes the name
    CopyNotice,   // copy, with a notice line (changed there, removed here)
    ConflictCopy, // this computer's version moves to a conflict copy, then the sender's is copied
    Delete,       // remove this computer's item (if deletion is on and not declined)
    StaysDeleted, // removed here, unchanged there: the next send from here carries the removal
};

enum class AgreedAfter : std::uint8_t { Keep, Record, Drop };

struct ReceiveDecision {
    ReceiveStep step = ReceiveStep::Nothing;
    AgreedAfter after = AgreedAfter::Keep;
    friend bool operator==(const ReceiveDecision&, const ReceiveDecision&) = default;
};

// Whether an item is as the agreed record has it on `side`: same nature, and for a file the same
// size and the same time as that side's recorded one.
bool unchangedAgainst(const AgreedRecord& a, const ItemState& item, Side side);

// Whether the contents of the sender's file and this computer's are equal: nothing when it cannot
// be told (no stored copy to compare with).
using SameContent = std::function<std::optional<bool>()>;

// Whether the sender's and this computer's items hold the same.
enum class Sameness {
    Same,      // both folders, or files whose contents proved equal (or, with nothing to compare,
               // of the same time to the millisecond)
    Different, // different natures or sizes, or contents that differ, or times apart with no proof
    Unproven,  // files of equal size with times within the tolerance, and nothing to compare with
};
Sameness sameItems(const ItemState& s, const ItemState& l, const SameContent& sameContent);

// The decision for one name. Null stands for "absent". `sender` is the side that wrote S.
// `sameContent` is asked only where both sides changed (or neither is known) and the sizes match.
ReceiveDecision decideReceive(const AgreedRecord* a, const ItemState* s, const ItemState* l, Side sender,
                              bool deletionOn, const SameContent& sameContent);

} // namespace tarvela
