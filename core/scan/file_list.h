#pragma once
// A table in memory: an ordered list of relative names, each owning one TAtrib with the record's
// data and the action that the comparison decides. Never sorted; a key may occur twice; lookups
// ignore letter case (Latin and Cyrillic alike) and return the first match in list order. They are
// indexed by folded key, so a lookup costs the same in a list of ten entries or of a million.

#include "records/inline_short_string.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvela {

enum class TAction : std::uint8_t { None, Copy, Skip, Del };

// "", "copy", "skip", "del".
std::string_view actionText(TAction action);

struct TAtrib {
    InlineShortString<25> FNameTmp; // store name from the table; empty for entries made by a scan
    std::uint8_t Nature = 0;        // 1 = file, 0 = folder
    TAction Action = TAction::None; // beside the other small fields: an entry takes 48 bytes, not 56
    double FileDataTime = 0;        // last-write time, local date-time number
    std::int64_t SizeFile = 0;      // bytes; 0 for folders
};
static_assert(sizeof(TAtrib) <= 48, "an entry of a table in memory, held a million times");

class TFileList {
public:
    // Appends an item at the end; returns its index.
    std::size_t add(std::string key, std::unique_ptr<TAtrib> object);

    std::size_t count() const { return items_.size(); }
    void reserve(std::size_t items) { items_.reserve(items); }
    const std::string& key(std::size_t index) const { return items_.at(index).key; }
    // The item's object, or null when it was given up.
    TAtrib* object(std::size_t index) const { return items_.at(index).object.get(); }

    // Gives the item's object up without destroying it (it moves to whoever takes it); the item
    // stays with a null object.
    std::unique_ptr<TAtrib> releaseObject(std::size_t index) { return std::move(items_.at(index).object); }

    // Removes the item (and destroys its object), shifting later items down by one.
    void erase(std::size_t index);

    // Index of the first item whose key equals `key` ignoring letter case; -1 when none.
    std::ptrdiff_t indexOf(std::string_view key) const;
    // Index of the first item whose key equals `key` byte for byte; -1 when none.
    std::ptrdiff_t indexOfExact(std::string_view key) const;

private:
    struct Item {
        std::string key;
        std::unique_ptr<TAtrib> object;
    };

    void rebuildIndexes() const;

    std::vector<Item> items_;
    // Built on the first lookup, kept up to date by add() and rebuilt after an erase().
    mutable std::unordered_map<std::string, std::size_t> foldedIndex_;
    mutable std::unordered_map<std::string, std::size_t> exactIndex_;
    mutable bool indexed_ = false;
};

class RunHost;

// What loading a table found out about the file, for a reader that must know whether to trust it.
struct TableLoad {
    std::int64_t records = 0;  // whole records read
    bool wholeRecords = true;  // false when the file ends in part of a record
    std::uint32_t crc32 = 0;   // CRC-32 of the bytes of the records read
    std::size_t refused = 0;   // records refused (only counted with `checked`)
    // The table was made for other folders (the pair was changed in the profile since): its first
    // record lies outside the pair folder. Read with `checked`, such a table gives no entries and
    // one line instead of a red line per record.
    bool otherFolders = false;
};

struct TNameAtribFile;

// How a table's records become a list's entries: the key is the record's path without the first n
// characters, n being the length of pathShab (the pair folder on the side that wrote the table,
// ending with '/'), in this engine's form. With `checked` set, a record that could lead a path out
// of its pair folder or names what this computer's file system cannot hold is left out with a red
// line on it (see CreateListOfFiles).
class TableEntryForm {
public:
    TableEntryForm(std::string_view pathShab, RunHost* checked);
    // False when the record is left out; `key` and `atrib` are then unspecified.
    bool operator()(const TNameAtribFile& record, std::string& key, TAtrib& atrib);
    // Records left out as unacceptable (not those a file system here cannot hold).
    std::size_t refused() const { return refused_; }
    // Whether the first record showed a table made for other folders (see TableLoad).
    bool otherFolders() const { return otherFolders_; }
    // Whether a record's path lies in the pair folder, spelt as the folder text or another way of
    // writing the same folder (folderKey).
    bool underFolder(const std::string& bytes) const;

private:
    std::string pathShab_;
    std::size_t prefixChars_;
    std::string prefix_;
    std::string folderKey_; // folderKey(pathShab): what another spelling of the folder must equal
    RunHost* checked_;
    std::size_t refused_ = 0;
    bool first_ = true;
    bool otherFolders_ = false;
};

// Whether the table at `path` was made for the pair folder `pathShab`: its first record lies in
// it. A missing, empty or unreadable table was made for no folder.
bool tableMadeFor(const std::string& path, std::string_view pathShab);

// Loads the table file `pathFiles` into `list`: each record becomes an item whose key is the
// record's path without its first n characters, n being the length of pathShab (the folder of the
// pair on the side that wrote the table, ending with '/'). Throws FileError when the file cannot
// be read; items read before the failure stay in the list.
//
// With `checked` set, a record that could lead a path out of its pair folder is refused with a red
// line on it instead: a path that does not begin with pathShab, an unacceptable relative name or
// store name (table_entry_check.h, store_layout.h), or a negative size.
TableLoad CreateListOfFiles(TFileList& list, const std::string& pathFiles, std::string_view pathShab,
                            RunHost* checked = nullptr);

} // namespace tarvela
