#include "scan/file_list.h"

#include "base/echo_color.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/run_host.h"
#include "platform/file_system.h"
#include "records/cp1251.h"
#include "records/path_form.h"
#include "records/store_layout.h"
#include "records/table_file.h"
#include "scan/case_fold.h"
#include "scan/packed_file_list.h"
#include "scan/table_entry_check.h"

namespace tarvela {

std::string_view actionText(TAction action) {
    switch (action) {
    case TAction::Copy: return "copy";
    case TAction::Skip: return "skip";
    case TAction::Del: return "del";
    case TAction::None: break;
    }
    return "";
}

std::size_t TFileList::add(std::string key, std::unique_ptr<TAtrib> object) {
    const std::size_t index = items_.size();
    if (indexed_) {
        foldedIndex_.try_emplace(foldCase(key), index);
        exactIndex_.try_emplace(key, index);
    }
    items_.push_back({std::move(key), std::move(object)});
    return index;
}

void TFileList::erase(std::size_t index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    indexed_ = false;
    foldedIndex_.clear();
    exactIndex_.clear();
}

void TFileList::rebuildIndexes() const {
    foldedIndex_.clear();
    exactIndex_.clear();
    foldedIndex_.reserve(items_.size());
    exactIndex_.reserve(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        foldedIndex_.try_emplace(foldCase(items_[i].key), i);
        exactIndex_.try_emplace(items_[i].key, i);
    }
    indexed_ = true;
}

std::ptrdiff_t TFileList::indexOf(std::string_view key) const {
    if (!indexed_) rebuildIndexes();
    const auto it = foldedIndex_.find(foldCase(key));
    return it == foldedIndex_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

std::ptrdiff_t TFileList::indexOfExact(std::string_view key) const {
    if (!indexed_) rebuildIndexes();
    const auto it = exactIndex_.find(std::string(key));
    return it == exactIndex_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

namespace {

bool acceptable(const TNameAtribFile& record, bool underFolder, std::string_view key) {
    return underFolder && isAcceptableRelativeName(key, record.Nature) &&
           isPlainStoreName(record.FNameTmp.bytes()) && record.SizeFile >= 0;
}

// The entry's name without the "/.." of a folder entry.
std::string_view entryName(std::string_view key) {
    if (key == "..")
        return {};
    return key.ends_with("/..") ? key.substr(0, key.size() - 3) : key;
}

// The key is taken (a list of strings) or copied (a packed list, leaving its room for the next).
void addEntry(TFileList& list, std::string& key, const TAtrib& atrib) {
    list.add(std::move(key), std::make_unique<TAtrib>(atrib));
}
void addEntry(PackedFileList& list, std::string& key, const TAtrib& atrib) { list.add(key, atrib); }

template <typename List>
TableLoad loadTable(List& list, const std::string& pathFiles, std::string_view pathShab, RunHost* checked,
                    bool checksum) {
    TableLoad load;
    TableEntryForm form(pathShab, checked);
    TableReader reader(pathFiles, checksum);
    list.reserve(list.count() + static_cast<std::size_t>(reader.recordCount()));
    TNameAtribFile record;
    std::string key;
    TAtrib atrib;
    while (reader.next(record)) {
        if (form(record, key, atrib))
            addEntry(list, key, atrib);
    }
    load.records = reader.recordCount();
    load.wholeRecords = reader.wholeRecords();
    load.crc32 = reader.crc32();
    load.refused = form.refused();
    load.otherFolders = form.otherFolders();
    if (load.otherFolders)
        checked->echo(std::string(msg::kTableForOtherFolders) + pathFiles, color::kOrange);
    return load;
}

} // namespace

TableEntryForm::TableEntryForm(std::string_view pathShab, RunHost* checked)
    : pathShab_(pathShab), prefixChars_(utf8CharCount(pathShab)), prefix_(utf8ToCp1251(pathShab)),
      folderKey_(folderKey(pathShab)), checked_(checked) {}

bool TableEntryForm::operator()(const TNameAtribFile& record, std::string& key, TAtrib& atrib) {
    // The field holds one byte per character, so cutting bytes cuts characters.
    const std::string& bytes = record.FName.bytes();
    const std::string_view rest =
        prefixChars_ < bytes.size() ? std::string_view(bytes).substr(prefixChars_) : std::string_view{};
    cp1251ToUtf8(rest, key);
    toEngineForm(key, pathShab_);
    if (checked_ != nullptr && first_) {
        first_ = false;
        // A sound record of a path elsewhere, not garbage (which is refused as unacceptable).
        std::string path;
        cp1251ToUtf8(bytes, path);
        otherFolders_ = !underFolder(bytes) && (path.starts_with('/') || isWindowsFolderText(path)) &&
                        isPlainStoreName(record.FNameTmp.bytes()) && record.SizeFile >= 0;
    }
    if (otherFolders_)
        return false;
    if (checked_ != nullptr && !acceptable(record, underFolder(bytes), key)) {
        checked_->echo(std::string(msg::kUnacceptableTableEntry) + record.FName.text(), color::kRed);
        ++refused_;
        return false;
    }
    // A name this computer's file system cannot hold (written by the other system) is left out
    // whole: it stays on the other computer and nothing here changes for it.
    if (checked_ != nullptr && !platform::canHoldName(entryName(key))) {
        checked_->echo(std::string(msg::kNameNotHoldable) + record.FName.text(), color::kRed);
        return false;
    }
    atrib = TAtrib{};
    atrib.FNameTmp = record.FNameTmp;
    atrib.FileDataTime = record.FDataTime;
    atrib.Nature = record.Nature;
    atrib.SizeFile = record.SizeFile;
    return true;
}

bool TableEntryForm::underFolder(const std::string& bytes) const {
    if (bytes.starts_with(prefix_))
        return true;
    if (bytes.size() < prefixChars_)
        return false;
    std::string folder;
    cp1251ToUtf8(std::string_view(bytes).substr(0, prefixChars_), folder);
    return folderKey(folder) == folderKey_;
}

bool tableMadeFor(const std::string& path, std::string_view pathShab) {
    try {
        if (!platform::fileExists(path))
            return false;
        TableReader reader(path, false);
        TNameAtribFile record;
        return reader.next(record) && TableEntryForm(pathShab, nullptr).underFolder(record.FName.bytes());
    } catch (const FileError&) {
        return false;
    }
}

TableLoad CreateListOfFiles(TFileList& list, const std::string& pathFiles, std::string_view pathShab,
                            RunHost* checked) {
    return loadTable(list, pathFiles, pathShab, checked, true);
}

TableLoad CreateListOfFiles(PackedFileList& list, const std::string& pathFiles, std::string_view pathShab,
                            RunHost* checked, bool checksum) {
    return loadTable(list, pathFiles, pathShab, checked, checksum);
}

} // namespace tarvela
