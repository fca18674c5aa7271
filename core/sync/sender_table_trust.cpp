#include "sync/sender_table_trust.h"

#include "base/echo_color.h"
#include "base/messages.h"
#include "platform/file_system.h"
#include "records/table_check.h"

namespace tarvela {

SenderTableKind senderTableKind(const std::string& path) {
    switch (platform::pathKindNoFollow(path)) {
    case platform::PathKind::Missing: return SenderTableKind::Missing;
    case platform::PathKind::File: return SenderTableKind::File;
    default: return SenderTableKind::NotAFile;
    }
}

bool DeletionHold::allowsRemoval(std::string_view name) const {
    if (damaged) return false;
    // A folder entry stands for the folder and everything in it.
    const bool folder = name == ".." || name.ends_with("/..");
    const std::string_view covered = folder ? name.substr(0, name.size() - 2) : name;
    for (const std::string& unread : unreadableFolders) {
        if (covered.starts_with(unread)) return false;         // inside a folder not read
        if (folder && std::string_view(unread).starts_with(covered)) return false; // holds one
    }
    return true;
}

DeletionHold judgeSenderTable(const std::string& path, const TableLoad& load, const std::string& ownFolder,
                              RunHost& host) {
    DeletionHold hold;
    // Made for the pair's earlier folders: nothing of it is used (said by its reading).
    if (load.otherFolders) {
        hold.damaged = true;
        return hold;
    }
    TableCheck check;
    const TableCheckState checkState = readTableCheck(path, check);
    std::string_view why;
    if (!load.wholeRecords) {
        why = msg::kTableCut;
    } else if (checkState == TableCheckState::Damaged ||
               (checkState == TableCheckState::Read && (check.records != load.records || check.crc32 != load.crc32))) {
        why = msg::kTableCheckMismatch;
    } else if (checkState == TableCheckState::Missing && load.records == 0) {
        why = msg::kTableEmpty;
    } else if (load.refused > 0) {
        why = msg::kTableRefusedRecords;
    }
    if (!why.empty()) {
        hold.damaged = true;
        host.echo(std::string(why) + path, color::kRed);
    }
    if (checkState == TableCheckState::Read) {
        hold.unreadableFolders = std::move(check.unreadableFolders);
        hold.senderMasks = std::move(check.masks);
        for (const std::string& folder : hold.unreadableFolders) {
            host.echo(std::string(msg::kFolderNotReadOnSender) + ownFolder + folder, color::kRed);
        }
    }
    return hold;
}

} // namespace tarvela
