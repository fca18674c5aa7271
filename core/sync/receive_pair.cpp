#include "sync/receive_pair.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "copy/disk_tools.h"
#include "platform/file_system.h"
#include "records/store_list.h"
#include "records/table_check.h"
#include "records/table_record.h"
#include "scan/exclusions.h"
#include "scan/file_list.h"
#include "sync/half_lines.h"
#include "sync/mask_change_hold.h"
#include "sync/pair_receive.h"
#include "sync/receive_copies.h"
#include "sync/receive_letter_case.h"
#include "sync/receive_moves.h"
#include "sync/receive_removals.h"
#include "sync/run_plan.h"
#include "sync/sender_table_trust.h"

namespace tarvela {
namespace {

ItemState stateOf(const TAtrib& a) {
    return {a.Nature, a.SizeFile, a.FileDataTime};
}

bool copies(ReceiveStep step) {
    return step == ReceiveStep::Copy || step == ReceiveStep::CopyNotice || step == ReceiveStep::ConflictCopy;
}

class PairReceiver {
public:
    PairReceiver(SyncContext& ctx, const TProfilLine& task, Side own, int n, const AgreedState& previous,
                 std::optional<AgreedFileEnd> previousEnd, PackedFileList* scanned)
        : p_(ctx, task, own, n, previous, std::move(previousEnd)), scanned_(scanned) {}

    PairReceipt run() {
        p_.folderId = platform::folderIdentity(p_.ownFolder);
        const std::string senderTable = tableFile(p_.ctx.PathTask, p_.sender, p_.n);
        const TableLoad load = CreateListOfFiles(p_.S, senderTable, p_.senderFolder, &p_.host, true);
        p_.hold = judgeSenderTable(senderTable, load, p_.ownFolder, p_.host);
        // A dry run has no scan of a folder the real run would make: it is empty.
        const std::string ownTable = scanTableFile(p_.ctx, p_.own, p_.n);
        if (scanned_ != nullptr)
            p_.L = std::move(*scanned_);
        else if (p_.plan == nullptr || platform::fileExists(ownTable))
            CreateListOfFiles(p_.L, ownTable, p_.ownFolder);
        // What this computer's scan could not read is not known to be absent here either.
        TableCheck ownCheck;
        if (readTableCheck(ownTable, ownCheck) == TableCheckState::Read) {
            p_.ownHold.unreadableFolders = std::move(ownCheck.unreadableFolders);
        } else {
            p_.journal.unsure(); // which folders the scan missed is not known
        }
        p_.storeList = readStoreList(storeListFile(storeRoot(p_.ctx.PathTask, p_.sender), p_.n));
        CaseRule rule = p_.plan == nullptr ? CaseRule::probe(p_.ownFolder) : caseRuleSeenInScan(p_);
        // The table after the receive is derived by one rule for the whole pair; where the pair
        // has more than one, or an unknown one, it is scanned again instead.
        if (!rule.simple())
            p_.journal.unsure();
        const bool foldEverywhere = rule.foldsEverywhere();
        p_.rows.join(p_.S, p_.L, p_.previous, std::move(rule), p_.host, p_.senderFolder);
        p_.journal.touched(""); // the probe of the case rule was made and removed in the pair folder
        const std::int64_t sum = decide();
        holdRemovalsTheMasksDisagreeOn(p_);

        PairReceipt receipt;
        receipt.copySum = sum;
        receipt.senderTableDamaged = p_.hold.damaged;
        if (!enoughSpaceFor(p_.host, p_.ownFolder, spaceTakenByCopies())) {
            receipt.notEnoughSpace = true;
            return receipt;
        }
        // A store folder that is a link could hand over any file of this computer: not used.
        p_.storeLink = platform::linkBelow(p_.ctx.PathTask, p_.storeFolder);
        if (!p_.storeLink.empty())
            p_.host.echo(std::string(msg::kLinkOnMedium) + p_.storeLink, color::kRed);
        if (sum > 0 && p_.plan == nullptr) {
            p_.host.showProgressPanel(true);
            p_.host.echo(p_.own == Side::Home ? std::string(msg::kCopyingFilesTo) + p_.ownFolder
                                              : std::string(msg::kCopyingFilesFrom) + p_.storeFolder,
                         color::kGreen);
        }
        // The remembered answer to the removal question is set afresh for each pair; a file that
        // stands where an incoming folder goes is asked about like any other removal.
        p_.answer = p_.task.DellConfirmat && p_.plan == nullptr ? DeleteAnswer::Yes : DeleteAnswer::YesToAll;
        takeSenderSpellings(p_);
        applyMoves(p_);
        applyCopies(p_);
        if (p_.notCarried > 0)
            p_.host.echo(std::string(msg::kNotCarriedByStore) + std::to_string(p_.notCarried), color::kBlack);
        if (!p_.diskFailed)
            applyRemovals(p_);
        receipt.diskFailed = p_.diskFailed;
        receipt.copiesStopped = p_.copiesStopped;
        if (p_.diskFailed)
            return receipt;
        receipt.agreed = p_.agreedChangesSoFar();
        receipt.agreedWritten = std::move(p_.agreedWritten);
        // The sender's table and the rows are done with: the table after the receive comes from
        // this computer's scan and what the receive changed, and a folder of a million files
        // should not hold all of them at once.
        p_.rows = ReceiveRows{};
        p_.S = PackedFileList{};
        receipt.ownTable = deriveTableAfterReceive(p_.ownFolder, p_.L, ownCheck.unreadableFolders, p_.journal,
                                                   foldEverywhere, p_.host);
        if (receipt.ownTable)
            receipt.scanned = std::move(p_.L);
        return receipt;
    }

private:
    // Decides every row by the decision table and says what will be copied; the bytes to copy.
    std::int64_t decide() {
        moved_ = listedMoves(p_);
        std::int64_t sum = 0;
        for (ReceiveRow& r : p_.rows) {
            const std::string_view name = p_.localName(r);
            if (isExcluded(p_.ctx.ListExcept, p_.ownPath(name)) ||
                isExcluded(p_.ctx.ListExcept, p_.senderFolder + std::string(name))) {
                r.setAside = true;
                continue;
            }
            // A name missing from a sender's table that cannot be trusted (damaged, or below a
            // folder its scan could not read), or from this computer's scan below a folder it could
            // not read, says nothing: the name is left alone and its agreed record stays.
            if ((r.s < 0 && !p_.hold.allowsRemoval(name)) || (r.l < 0 && !p_.ownHold.allowsRemoval(name))) {
                r.setAside = true;
                continue;
            }
            const TAtrib* s = p_.sItem(r);
            const TAtrib* l = p_.lItem(r);
            const ItemState sState = s ? stateOf(*s) : ItemState{};
            const ItemState lState = l ? stateOf(*l) : ItemState{};
            r.decision = decideReceive(p_.aRecord(r), s ? &sState : nullptr, l ? &lState : nullptr, p_.sender,
                                       p_.task.OperacDell, [&]() -> std::optional<bool> {
                                           const std::string stored = p_.storedCopy(r);
                                           if (stored.empty())
                                               return std::nullopt;
                                           r.sameContent = platform::sameContents(stored, p_.ownPath(name));
                                           return r.sameContent;
                                       });
            if (!copies(r.decision.step) || comesByMove(r))
                continue;
            if (s->Nature == kNatureFile)
                sum += s->SizeFile;
            if (r.a < 0 && r.l < 0) {
                p_.host.echo(std::string(msg::kFileAdded) + p_.task.pair(static_cast<std::size_t>(p_.n)).PathWork.text() +
                                 std::string(p_.senderName(r)),
                             color::kGreen);
            } else if (l != nullptr) {
                p_.host.echo(std::string(msg::kFilesDiffer) + p_.senderFolder + std::string(p_.senderName(r)) +
                                 std::string(msg::kFilesDifferSeparator) + p_.ownPath(name),
                             color::kPurple);
            }
        }
        return sum;
    }

    // What the copies take on this computer's disk: a small file fills a whole allocation unit.
    std::int64_t spaceTakenByCopies() const {
        const std::int64_t unit = AllocationUnit(p_.ownFolder);
        std::int64_t total = 0;
        for (const ReceiveRow& r : p_.rows) {
            if (r.setAside || r.s < 0 || p_.sItem(r)->Nature != kNatureFile)
                continue;
            if (copies(r.decision.step) && !comesByMove(r))
                total += SpaceTaken(p_.sItem(r)->SizeFile, unit);
        }
        return total;
    }

    // A new name the sender moved: renamed by the moves step, never copied by this receive.
    bool comesByMove(const ReceiveRow& r) const { return r.s >= 0 && moved_.contains(p_.senderName(r)); }

    PairReceive p_;
    MovedNames moved_;
    PackedFileList* scanned_; // this computer's fresh scan of the pair, when the half kept it
};

} // namespace

PairReceipt receivePair(SyncContext& ctx, const TProfilLine& task, Side own, int n, const AgreedState& previous,
                        std::optional<AgreedFileEnd> previousEnd, PackedFileList* scanned) {
    return PairReceiver(ctx, task, own, n, previous, std::move(previousEnd), scanned).run();
}

} // namespace tarvela
