#include "sync/receive_decision.h"

#include <cmath>

namespace tarvela {

bool unchangedAgainst(const AgreedRecord& a, const ItemState& item, Side side) {
    if (item.nature != a.nature)
        return false;
    if (item.nature == 0)
        return true;
    return item.size == a.size && std::fabs(item.time - a.timeOf(side)) <= kOwnTimeTolerance;
}

Sameness sameItems(const ItemState& s, const ItemState& l, const SameContent& sameContent) {
    if (s.nature != l.nature)
        return Sameness::Different;
    if (s.nature == 0)
        return Sameness::Same;
    if (s.size != l.size)
        return Sameness::Different;
    // Equal sizes and close times are no proof: two edits of one size within two seconds happen.
    // Where the stored copy is at hand its content decides.
    if (const std::optional<bool> same = sameContent ? sameContent() : std::nullopt)
        return *same ? Sameness::Same : Sameness::Different;
    // With nothing to compare: the same time to the millisecond is a copy of one file (a folder
    // copied by hand, times kept), as the send takes two tables that agree so.
    const double apart = std::fabs(s.time - l.time);
    if (apart <= kOwnTimeTolerance)
        return Sameness::Same;
    return apart <= kTimeTolerance ? Sameness::Unproven : Sameness::Different;
}

ReceiveDecision decideReceive(const AgreedRecord* a, const ItemState* s, const ItemState* l, Side sender,
                              bool deletionOn, const SameContent& sameContent) {
    using S = ReceiveStep;
    using A = AgreedAfter;
    const auto both = [&]() -> ReceiveDecision {
        switch (sameItems(*s, *l, sameContent)) {
        case Sameness::Same:
            return {S::Nothing, A::Record};
        case Sameness::Unproven:
            // Most likely the same, but not recorded as agreed: should they differ after all, the
            // next change on either side meets the other's version as a conflict, not as a
            // version to replace.
            return {S::Nothing, A::Keep};
        case Sameness::Different:
            break;
        }
        return {S::ConflictCopy, A::Record};
    };
    if (a == nullptr) {
        if (s == nullptr)
            return {S::Keep, A::Drop}; // made here (or nothing at all)
        if (l == nullptr)
            return {S::Copy, A::Record};
        return both();
    }
    const Side here = otherSide(sender);
    if (s == nullptr && l == nullptr)
        return {S::Nothing, A::Drop};
    if (s == nullptr)
        return unchangedAgainst(*a, *l, here) ? ReceiveDecision{S::Delete, A::Drop}
                                              : ReceiveDecision{S::KeepNotice, A::Drop};
    const bool senderSame = unchangedAgainst(*a, *s, sender);
    if (l == nullptr) {
        if (!senderSame)
            return {S::CopyNotice, A::Record};
        return deletionOn ? ReceiveDecision{S::StaysDeleted, A::Keep} : ReceiveDecision{S::Copy, A::Record};
    }
    const bool hereSame = unchangedAgainst(*a, *l, here);
    if (senderSame && hereSame)
        return {S::Nothing, A::Keep};
    if (!senderSame && hereSame)
        return {S::Copy, A::Record};
    if (senderSame)
        return {S::Keep, A::Keep};
    return both();
}

} // namespace tarvela
