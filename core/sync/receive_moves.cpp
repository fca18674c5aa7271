#include "sync/receive_moves.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "platform/file_system.h"
#include "records/move_list.h"
#include "records/table_record.h"
#include "sync/file_checksum.h"
#include "sync/look_again.h"
#include "sync/receive_checkpoint.h"
#include "sync/receive_folder_steps.h"

#include <cmath>
#include <unordered_map>
#include <vector>

namespace tarvela {
namespace {

ItemState stateOf(const TAtrib& a) {
    return {a.Nature, a.SizeFile, a.FileDataTime};
}

std::string parentOf(const std::string& name) {
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

class MoveApplier {
public:
    explicit MoveApplier(PairReceive& p) : p_(p) {}

    void run(const std::vector<Move>& moves) {
        std::vector<bool> made(moves.size(), false);
        for (std::size_t k = 0; k < moves.size(); ++k) {
            if (moves[k].nature != kNatureFolder || p_.host.stopRequested())
                continue;
            std::vector<std::size_t> files;
            const std::string from = moves[k].from + "/";
            const std::string to = moves[k].to + "/";
            for (std::size_t f = 0; f < moves.size(); ++f) {
                const Move& m = moves[f];
                if (m.nature == kNatureFile && m.from.starts_with(from) && m.to.starts_with(to) &&
                    m.from.compare(from.size(), std::string::npos, m.to, to.size()) == 0)
                    files.push_back(f);
            }
            if (!files.empty() && moveFolder(moves[k], moves, files)) {
                for (const std::size_t f : files)
                    made[f] = true;
            }
        }
        for (std::size_t k = 0; k < moves.size(); ++k) {
            if (moves[k].nature == kNatureFile && !made[k] && !p_.host.stopRequested() && !p_.diskFailed)
                moveFile(moves[k]);
        }
        if (made_ > 0) {
            p_.host.echo(std::string(msg::kMovesCounted) + std::to_string(made_), color::kBlack);
            // Renamed here: written down at once, as the copies are, so that a receive cut short
            // now and repeated finds the new names agreed.
            if (p_.plan == nullptr)
                checkpointNow(p_);
        }
    }

private:
    // The sender's current entry of the row is the moved file: the list is of this store's send.
    bool senderHasMoved(const ReceiveRow* row, const Move& m) const {
        if (row == nullptr || row->s < 0 || row->setAside || row->done)
            return false;
        const TAtrib& s = *p_.sItem(*row);
        return s.Nature == kNatureFile && s.SizeFile == m.size && std::fabs(s.FileDataTime - m.time) <= kOwnTimeTolerance;
    }

    // The row is an agreed item of this computer that the sender no longer has.
    static bool agreedHereGoneThere(const ReceiveRow* row) {
        return row != nullptr && !row->setAside && !row->done && row->a >= 0 && row->s < 0 && row->l >= 0;
    }

    void sayMade(const Move& m) {
        p_.host.echo(std::string(msg::kMoved) + p_.ownPath(m.from) + std::string(msg::kMoveArrow) + p_.ownPath(m.to),
                     color::kGreen);
        if (p_.plan != nullptr)
            ++p_.plan->moves;
        ++made_;
    }

    // The old item stays with its agreed record, marked so that the sender's next send does not take
    // the new name for this move again (nor a send give the old one its checksum back): it stores
    // the new name's bytes.
    void notMade(const Move& m, ReceiveRow* old) {
        p_.host.echo(std::string(msg::kMoveNotMade) + p_.ownPath(m.from) + std::string(msg::kMoveArrow) +
                         p_.ownPath(m.to),
                     color::kOrange);
        if (!agreedHereGoneThere(old))
            return;
        old->decision = {ReceiveStep::Nothing, AgreedAfter::Record};
        old->record = std::make_unique<AgreedRecord>(*p_.aRecord(*old));
        old->record->checksum = std::string(kMoveNotMadeMark);
        old->done = true;
    }

    // Renames within the pair folder, never over an item, after a last look at what is moved.
    bool rename(const std::string& from, const std::string& to, bool folder) {
        if (p_.plan != nullptr)
            return true;
        if (!pairFolderStillThere(p_))
            return false;
        if (!p_.rooted.parentsStayInside(from) || !p_.rooted.parentsStayInside(to)) {
            p_.host.echo(std::string(p_.rooted.refusal()) + p_.ownPath(to), color::kRed);
            return false;
        }
        const std::string parent = parentOf(to);
        if (!parent.empty() && !makeFoldersBelowPair(p_, parent))
            return false;
        p_.journal.wayTo(folder ? to + "/.." : to);
        if (platform::renameNoReplace(p_.ownPath(from), p_.ownPath(to)) != platform::RenameResult::Done)
            return false;
        p_.journal.movedAside(from, to, folder);
        return true;
    }

    void moveFile(const Move& m) {
        ReceiveRow* target = p_.rows.rowOf(m.to);
        if (!senderHasMoved(target, m))
            return; // not the sender's entry any more: the name goes its usual way
        ReceiveRow* old = p_.rows.rowOf(m.from);
        // One name here (this folder does not tell letter case apart): no move to make.
        if (old == target)
            return;
        // Set aside (by the masks, or by a table that cannot be trusted): left alone, record and all.
        if (old != nullptr && old->setAside) {
            notMade(m, nullptr);
            return;
        }
        // The new name holds the moved content here already (the user copied it, or a receive cut
        // short after its rename is repeated): agreed on as it is; the old name goes its usual way.
        const TAtrib* there = p_.lItem(*target);
        if (there != nullptr && target->a < 0 && there->Nature == kNatureFile && there->SizeFile == m.size &&
            checksumOfFile(p_.ownPath(p_.localName(*target))) == m.checksum) {
            p_.record(*target, there->FileDataTime, m.checksum);
            target->decision = {ReceiveStep::Nothing, AgreedAfter::Record};
            target->done = true;
            return;
        }
        if (!agreedHereGoneThere(old) || p_.lItem(*old)->Nature != kNatureFile) {
            notMade(m, old); // gone here (or never agreed): the new name's bytes come with a later send
            return;
        }
        const TAtrib& here = *p_.lItem(*old);
        const AgreedRecord& agreed = *p_.aRecord(*old);
        const bool changedHere = !unchangedAgainst(agreed, stateOf(here), p_.own);
        // A change here moves with the name, as long as the sender moved the agreed version.
        if (changedHere ? !unchangedAgainst(agreed, stateOf(*p_.sItem(*target)), p_.sender)
                        : checksumOfFile(p_.ownPath(p_.localName(*old))) != m.checksum) {
            notMade(m, old);
            return;
        }
        // The new name taken here by something else: the move is not made.
        if (target->l >= 0 || target->a >= 0) {
            notMade(m, old);
            return;
        }
        const std::string from(p_.localName(*old));
        if (p_.plan == nullptr && !asScanned(p_.ownPath(from), &here)) {
            p_.journal.unsure();
            notMade(m, old);
            return;
        }
        // The names as the rows spell them (this folder's spelling of the old one, the sender's of
        // the new one), so that the table after the receive knows the items by what stands here.
        if (!rename(from, std::string(p_.localName(*target)), false)) {
            notMade(m, old);
            return;
        }
        old->decision = {ReceiveStep::Nothing, AgreedAfter::Drop};
        old->done = true;
        // Changed here: agreed as the sender's version, so that this computer's change travels back.
        p_.record(*target, changedHere ? agreed.timeOf(p_.own) : here.FileDataTime, m.checksum);
        target->decision = {ReceiveStep::Nothing, AgreedAfter::Record};
        target->done = true;
        sayMade(m);
    }

    // A folder whose whole content moved: renamed at once when everything below it here is agreed,
    // gone on the sender, unchanged and of the listed content, and the new folder takes all of it.
    bool moveFolder(const Move& folder, const std::vector<Move>& moves, const std::vector<std::size_t>& files) {
        ReceiveRow* oldTop = p_.rows.rowOf(folder.from + "/..");
        ReceiveRow* newTop = p_.rows.rowOf(folder.to + "/..");
        if (oldTop == newTop || !agreedHereGoneThere(oldTop) || newTop == nullptr || newTop->s < 0 || newTop->l >= 0 || newTop->a >= 0 ||
            newTop->setAside || newTop->done ||
            platform::pathKindNoFollow(p_.ownPath(withoutFolderMark(p_.localName(*newTop)))) !=
                platform::PathKind::Missing)
            return false;
        std::unordered_map<std::string, const Move*> byOldName;
        for (const std::size_t f : files)
            byOldName.emplace(moves[f].from, &moves[f]);
        const std::string fromHere = withoutFolderMark(p_.localName(*oldTop));
        const std::string toHere = withoutFolderMark(p_.localName(*newTop));
        const std::string below = fromHere + "/";
        struct Pair {
            ReceiveRow* old;
            ReceiveRow* target;
            const Move* move; // null for a folder
        };
        std::vector<Pair> pairs{{oldTop, newTop, nullptr}};
        for (ReceiveRow& r : p_.rows) {
            const std::string_view name = p_.localName(r);
            if (r.l < 0 || &r == oldTop || !name.starts_with(below))
                continue;
            if (!agreedHereGoneThere(&r) || !unchangedAgainst(*p_.aRecord(r), stateOf(*p_.lItem(r)), p_.own))
                return false;
            const std::string rest(name.substr(below.size()));
            ReceiveRow* target = p_.rows.rowOf(folder.to + "/" + rest);
            if (p_.lItem(r)->Nature == kNatureFile) {
                const auto it = byOldName.find(std::string(name));
                if (it == byOldName.end() || !senderHasMoved(target, *it->second))
                    return false;
                pairs.push_back({&r, target, it->second});
            } else {
                if (target == nullptr || target->s < 0 || target->l >= 0 || target->setAside || target->done)
                    return false;
                pairs.push_back({&r, target, nullptr});
            }
        }
        if (pairs.size() - 1 < files.size())
            return false; // a moved file is not here
        for (const Pair& pair : pairs) {
            if (p_.host.stopRequested())
                return false;
            if (pair.move != nullptr &&
                checksumOfFile(p_.ownPath(p_.localName(*pair.old))) != pair.move->checksum)
                return false;
        }
        if (p_.plan == nullptr) {
            for (const Pair& pair : pairs) {
                const std::string name(p_.localName(*pair.old));
                if (!asScanned(p_.ownPath(pair.move != nullptr ? name : withoutFolderMark(name)), p_.lItem(*pair.old)))
                    return false;
            }
        }
        if (!rename(fromHere, toHere, true))
            return false;
        for (const Pair& pair : pairs) {
            const TAtrib& here = *p_.lItem(*pair.old);
            pair.old->decision = {ReceiveStep::Nothing, AgreedAfter::Drop};
            pair.old->done = true;
            if (pair.move != nullptr)
                p_.record(*pair.target, here.FileDataTime, pair.move->checksum);
            else
                p_.record(*pair.target, p_.sItem(*pair.target)->FileDataTime);
            pair.target->decision = {ReceiveStep::Nothing, AgreedAfter::Record};
            pair.target->done = true;
        }
        sayMade(folder);
        return true;
    }

    PairReceive& p_;
    std::int64_t made_ = 0;
};

} // namespace

MovedNames listedMoves(const PairReceive& p) {
    if (!p.task.OperacDell)
        return MovedNames();
    return MovedNames(readMoveList(moveListFile(storeRoot(p.ctx.PathTask, p.sender), p.n)));
}

void applyMoves(PairReceive& p) {
    if (!p.task.OperacDell)
        return;
    const std::vector<Move> moves = readMoveList(moveListFile(storeRoot(p.ctx.PathTask, p.sender), p.n));
    if (!moves.empty())
        MoveApplier(p).run(moves);
}

} // namespace tarvela
