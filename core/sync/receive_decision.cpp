#include "sync/receive_decision.h"

#include <cmath>

namespace tarvela {

bool unchangedAgainst(const AgreedRecord& a, const ItemState& item, Side side) {
    if (item.nature != a.nature)
        return false;
    if (item.nature == 0)
        return true;
    return item.size == a.size && std::fabs(item.time - a.timeOf(side)) <= kTimeTolerance;
}

bool sameItems(const ItemState& s, const ItemState& l, const std::function<bool()>& sameContent) {
    if (s.nature != l.nature)
        return false;
    if (s.nature == 0)
        return true;
    if (s.size != l.size)
        return false;
    if (std::fabs(s.time - l.time) <= kTimeTolerance)
        return true;
    return sameContent && sameContent();
}

ReceiveDecision decideReceive(const AgreedRecord* a, const ItemState* s, const ItemState* l, Side sender,
                              bool deletionOn, const std::function<bool()>& sameContent) {
    using S = ReceiveStep;
    using A = AgreedAfter;
    const auto both = [&]() -> ReceiveDecision {
        return sameItems(*s, *l, sameContent) ? ReceiveDecision{S::Nothing, A::Record}
                                              : ReceiveDecision{S::ConflictCopy, A::Record};
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
