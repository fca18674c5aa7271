#include "sync/mask_change_hold.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "scan/exclusions.h"

namespace tarvela {

void holdRemovalsTheMasksDisagreeOn(PairReceive& p) {
    // Without removals nothing is held; with the same masks nothing differs.
    if (!p.task.OperacDell || !p.hold.senderMasks || *p.hold.senderMasks == p.ctx.ListExcept)
        return;
    const ExclusionList& senderMasks = *p.hold.senderMasks;
    for (ReceiveRow& r : p.rows) {
        if (r.setAside || r.decision.step != ReceiveStep::Delete)
            continue;
        // Each side's masks as its own scan applies them: to the full path in its own folder.
        const std::string name(p.localName(r));
        if (isExcluded(senderMasks, p.senderFolder + name) == isExcluded(p.ctx.ListExcept, p.ownPath(name)))
            continue;
        r.setAside = true;
        p.host.echo(std::string(msg::kMasksChangedKept) + p.ownPath(isFolderName(name) ? withoutFolderMark(name) : name),
                    color::kOrange);
    }
}

} // namespace tarvela
