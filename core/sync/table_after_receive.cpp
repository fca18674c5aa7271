#include "sync/table_after_receive.h"

#include "platform/file_system.h"
#include "records/date_time.h"
#include "records/table_record.h"
#include "scan/case_fold.h"
#include "scan/folder_scan.h"
#include "scan/scan_order.h"
#include "scan/table_writer.h"

#include <algorithm>

namespace tarvela {
namespace {

constexpr std::string_view kFolderMark = "/..";

bool isFolderEntry(std::string_view name) {
    return name == ".." || name.ends_with(kFolderMark);
}

// The folder a folder entry stands for ("" for the pair folder's own entry "..").
std::string folderOfEntry(std::string_view name) {
    return name == ".." ? std::string() : std::string(name.substr(0, name.size() - kFolderMark.size()));
}

// The folder that holds a file or folder ("" for the pair folder).
std::string parentOf(std::string_view name) {
    const auto slash = name.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(name.substr(0, slash));
}

// Whether `name` lies below `folder` ("" holds everything).
bool isBelow(std::string_view name, std::string_view folder) {
    return folder.empty() || (name.size() > folder.size() && name.starts_with(folder) && name[folder.size()] == '/');
}

// Whether the scan leaves the entry out for a hidden folder on its way (a folder entry's own
// folder counts; a file's own name does not).
bool belowHiddenFolder(std::string_view name) {
    const std::string_view folders = isFolderEntry(name) ? name.substr(0, name.size() - 2) : name;
    std::size_t start = 0;
    for (auto slash = folders.find('/'); slash != std::string_view::npos; slash = folders.find('/', start)) {
        if (folders[start] == '.')
            return true;
        start = slash + 1;
    }
    return false;
}

// Appends `name`, in the engine's form, to `path` in this system's form.
void appendInSystemForm(std::string& path, std::string_view name) {
    const auto start = static_cast<std::ptrdiff_t>(path.size());
    path += name;
    if (const char sep = platform::pathSeparator(); sep != '/')
        std::replace(path.begin() + start, path.end(), '/', sep);
}

std::string inSystemForm(std::string_view name) {
    std::string path;
    appendInSystemForm(path, name);
    return path;
}

std::string inEngineForm(std::string name) {
    if (const char sep = platform::pathSeparator(); sep != '/')
        std::replace(name.begin(), name.end(), sep, '/');
    return name;
}

TAtrib atribOf(std::uint8_t nature, double time, std::int64_t size) {
    TAtrib a;
    a.Nature = nature;
    a.FileDataTime = time;
    a.SizeFile = size;
    return a;
}

// An entry the scan did not have (a name of its own).
struct AddedEntry {
    std::string name;
    TAtrib atrib;
};

// An entry kept from the scan: its name stays in the scanned list.
struct KeptEntry {
    std::string_view name;
    TAtrib atrib;
};

// Lets maps keyed by std::string be searched with a view, without making a string of it.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

} // namespace

void ReceiveJournal::touchWay(const std::string& folder) {
    std::string f = folder;
    while (true) {
        if (!touchedSet_.insert(f).second)
            return; // its parents are in already
        touched_.push_back(f);
        if (f.empty())
            return;
        f = parentOf(f);
    }
}

void ReceiveJournal::wayTo(const std::string& name) {
    touchWay(isFolderEntry(name) ? folderOfEntry(name) : parentOf(name));
}

void ReceiveJournal::copied(const std::string& name, std::int64_t size, double time) {
    touchWay(parentOf(name));
    steps_.push_back({Step::Copied, name, {}, size, time});
}

void ReceiveJournal::removedFile(const std::string& name) {
    touchWay(parentOf(name));
    steps_.push_back({Step::Removed, name, {}, 0, 0});
}

void ReceiveJournal::removalTried(const std::string& folder) {
    touchWay(folder);
    removalTried_.push_back(folder);
}

void ReceiveJournal::movedAside(const std::string& from, const std::string& to, bool folder) {
    touchWay(parentOf(from));
    // The folder's new name is scanned afresh; its old one is looked at (gone, or made again).
    if (folder)
        touchWay(from);
    steps_.push_back({folder ? Step::MovedFolder : Step::MovedFile, from, to, 0, 0});
}

class TableDerivation {
public:
    TableDerivation(const std::string& folder, const PackedFileList& scanned, const std::vector<std::string>& unreadable,
                    const ReceiveJournal& journal, bool foldCase, RunHost& host)
        : folder_(folder), scanned_(scanned), unreadable_(unreadable), journal_(journal), foldCase_(foldCase),
          host_(host) {}

    std::optional<DerivedTable> run() {
        if (!journal_.sure_ || touchesUnreadable() || !lookAtTouchedFolders() || !replaySteps())
            return std::nullopt;
        for (const std::string& f : journal_.removalTried_) {
            if (!isRealFolder(f))
                gone_.push_back(f);
        }
        std::vector<KeptEntry> kept;
        kept.reserve(scanned_.count());
        keepScanned(kept);
        std::vector<AddedEntry> added;
        if (!collectAdded(added))
            return std::nullopt;
        DerivedTable table;
        table.unreadableFolders = unreadable_;
        if (!merge(kept, added, table.entries))
            return std::nullopt;
        return table;
    }

private:
    struct FolderState {
        bool real = false;   // a folder (not a link) stands there
        double time = 0;     // its last-write time
        bool listed = false; // the scan had its entry
    };

    std::string foldKey(const std::string& f) const { return foldCase_ ? foldCase(f) : f; }

    // A change at or below a folder the scan could not wholly read: what the scan missed there
    // cannot be told apart from what the receive did.
    bool touchesUnreadable() const {
        if (unreadable_.empty())
            return false;
        std::vector<std::string> folders;
        for (const std::string& u : unreadable_) {
            std::string f = inEngineForm(u);
            if (f.ends_with('/'))
                f.pop_back();
            folders.push_back(f);
        }
        const auto hit = [&](const std::string& name) {
            return std::any_of(folders.begin(), folders.end(),
                               [&](const std::string& f) { return name == f || isBelow(name, f) || isBelow(f, name); });
        };
        for (const auto& step : journal_.steps_) {
            if (hit(step.name) || (!step.to.empty() && hit(step.to)))
                return true;
        }
        // A folder whose entries changed (not the folders above it).
        for (const std::string& t : journal_.touched_) {
            if (std::any_of(folders.begin(), folders.end(),
                            [&](const std::string& f) { return t == f || isBelow(t, f); }))
                return true;
        }
        return std::any_of(journal_.removalTried_.begin(), journal_.removalTried_.end(), hit);
    }

    // One look at each folder whose entries changed: its last-write time, or that it is gone.
    bool lookAtTouchedFolders() {
        std::unordered_map<std::string, std::string> spelt; // by folded name: the spelling first touched
        for (const std::string& f : journal_.touched_) {
            if (foldCase_) {
                // One folder reached under two spellings (the sender has names that differ in
                // letter case only): which one stands on disk is not known here.
                const auto [it, first] = spelt.try_emplace(foldKey(f), f);
                if (!first && it->second != f)
                    return false;
            }
            FolderState state;
            if (!belowHiddenFolder(f + "/..")) {
                const std::string path = folder_ + inSystemForm(f);
                // The pair folder is read through a link as the scan reads it; folders below never.
                if (f.empty() || platform::pathKindNoFollow(path) == platform::PathKind::Folder) {
                    const auto time = platform::lastWriteTime(f.empty() ? folder_ : path);
                    if (!time) {
                        if (f.empty())
                            return false;
                    } else {
                        state.real = true;
                        state.time = fileTimeToDateTime(*time);
                    }
                }
            }
            folders_[foldKey(f)] = state;
        }
        return true;
    }

    bool isRealFolder(const std::string& f) const {
        const auto it = folders_.find(foldKey(f));
        return it != folders_.end() && it->second.real;
    }

    // The steps in the order they happened, as what now stands at each name.
    bool replaySteps() {
        for (const auto& step : journal_.steps_) {
            switch (step.kind) {
            case ReceiveJournal::Step::Copied:
                overrides_[step.name] = atribOf(kNatureFile, step.time, step.size);
                break;
            case ReceiveJournal::Step::Removed:
                overrides_[step.name] = std::nullopt;
                break;
            case ReceiveJournal::Step::MovedFile: {
                std::optional<TAtrib> moved;
                if (const auto it = overrides_.find(step.name); it != overrides_.end()) {
                    moved = it->second;
                } else if (const auto i = scannedIndexOf(step.name)) {
                    const TAtrib& a = *scanned_.object(*i);
                    moved = atribOf(a.Nature, a.FileDataTime, a.SizeFile);
                }
                // A file the scan did not list (a mask left it out) may be listed under its new
                // name, with data the receive never saw.
                if (!moved)
                    return false;
                overrides_[step.name] = std::nullopt;
                overrides_[step.to] = moved;
                break;
            }
            case ReceiveJournal::Step::MovedFolder:
                // What the receive had put below the folder moved with it.
                for (const auto& [name, atrib] : overrides_) {
                    if (isBelow(name, step.name))
                        return false;
                }
                gone_.push_back(step.name);
                movedFolders_.push_back(step.to);
                break;
            }
        }
        return true;
    }

    // The first scanned entry of exactly this name (the index is made on the first question: most
    // receives move nothing aside and never ask).
    std::optional<std::size_t> scannedIndexOf(std::string_view name) {
        if (scannedIndex_.empty()) {
            scannedIndex_.reserve(scanned_.count());
            for (std::size_t i = 0; i < scanned_.count(); ++i)
                scannedIndex_.try_emplace(scanned_.key(i), i);
        }
        const auto it = scannedIndex_.find(name);
        return it == scannedIndex_.end() ? std::nullopt : std::optional<std::size_t>(it->second);
    }

    bool isGone(std::string_view name) const {
        return std::any_of(gone_.begin(), gone_.end(), [&](const std::string& f) { return isBelow(name, f); });
    }

    void keepScanned(std::vector<KeptEntry>& kept) {
        for (std::size_t i = 0; i < scanned_.count(); ++i) {
            const std::string_view name = scanned_.key(i);
            const TAtrib& a = *scanned_.object(i);
            if (isFolderEntry(name)) {
                if (const auto it = folders_.find(foldKey(folderOfEntry(name))); it != folders_.end()) {
                    it->second.listed = true;
                    if (it->second.real)
                        kept.push_back({name, atribOf(kNatureFolder, it->second.time, 0)});
                    continue;
                }
            } else if (const auto it = overrides_.find(name); it != overrides_.end()) {
                if (it->second)
                    kept.push_back({name, *it->second});
                overrides_.erase(it);
                continue;
            }
            if (!gone_.empty() && isGone(name))
                continue;
            kept.push_back({name, atribOf(a.Nature, a.FileDataTime, a.SizeFile)});
        }
    }

    // Entries the scan did not have: files put in place, folders made, what was moved aside.
    bool collectAdded(std::vector<AddedEntry>& added) {
        for (auto& [name, atrib] : overrides_) {
            if (atrib)
                added.push_back({name, *atrib});
        }
        for (const std::string& f : journal_.touched_) {
            const FolderState& state = folders_.at(foldKey(f));
            if (state.real && !state.listed && !(f.empty() && folder_ == "/"))
                added.push_back({f.empty() ? std::string("..") : f + "/..", atribOf(kNatureFolder, state.time, 0)});
        }
        std::erase_if(added, [](const AddedEntry& e) { return belowHiddenFolder(e.name); });
        for (AddedEntry& e : added) {
            if (!onRealFolders(e.name))
                return false;
            if (foldCase_)
                respell(e.name);
        }
        for (const std::string& g : movedFolders_) {
            if (!scanMovedFolder(g, added))
                return false;
        }
        return true;
    }

    // Every folder on the way to an added entry must be a real folder now, looked at.
    bool onRealFolders(const std::string& name) const {
        std::string f = isFolderEntry(name) ? folderOfEntry(name) : parentOf(name);
        if (isFolderEntry(name))
            f = f.empty() ? f : parentOf(f);
        while (true) {
            if (!isRealFolder(f))
                return false;
            if (f.empty())
                return true;
            f = parentOf(f);
        }
    }

    // On a file system that takes names differing in case for one, a folder made where one of
    // another case already stood is that folder: its entries carry the scan's spelling.
    void respell(std::string& name) {
        if (spellingOf_.empty()) {
            for (std::size_t i = 0; i < scanned_.count(); ++i) {
                const std::string_view key = scanned_.key(i);
                if (key != ".." && isFolderEntry(key))
                    spellingOf_.try_emplace(foldCase(folderOfEntry(key)), folderOfEntry(key));
            }
        }
        for (auto slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
            const auto it = spellingOf_.find(foldCase(name.substr(0, slash)));
            if (it != spellingOf_.end() && it->second.size() == slash)
                name.replace(0, slash, it->second);
        }
    }

    // A folder moved aside whole: its entries are listed afresh under the new name.
    bool scanMovedFolder(const std::string& g, std::vector<AddedEntry>& added) {
        if (belowHiddenFolder(g + "/.."))
            return true;
        if (isGone(g))
            return false;
        bool whole = true;
        ScanDiskVisit(
            folder_ + inSystemForm(g), "*.*", 0, host_,
            [&](const std::string& path, const TAtrib& atrib) {
                added.push_back({inEngineForm(path.substr(folder_.size())), atrib});
            },
            [&](const std::string&) { whole = false; });
        return whole;
    }

    // The entries kept from the scan are in scan order already; the added ones are sorted into them.
    static bool merge(const std::vector<KeptEntry>& kept, std::vector<AddedEntry>& added, PackedFileList& out) {
        std::sort(added.begin(), added.end(),
                  [](const AddedEntry& x, const AddedEntry& y) { return scanOrderLess(x.name, y.name); });
        out.reserve(kept.size() + added.size());
        std::string_view last;
        const auto put = [&](std::string_view name, const TAtrib& atrib) {
            if (out.count() > 0 && !scanOrderLess(last, name))
                return false; // not the scan's order after all, or one name twice
            last = out.key(out.add(name, atrib));
            return true;
        };
        auto a = added.begin();
        for (const KeptEntry& k : kept) {
            for (; a != added.end() && scanOrderLess(a->name, k.name); ++a) {
                if (!put(a->name, a->atrib))
                    return false;
            }
            if (!put(k.name, k.atrib))
                return false;
        }
        for (; a != added.end(); ++a) {
            if (!put(a->name, a->atrib))
                return false;
        }
        return true;
    }

    const std::string& folder_;
    const PackedFileList& scanned_;
    const std::vector<std::string>& unreadable_;
    const ReceiveJournal& journal_;
    bool foldCase_;
    RunHost& host_;
    std::unordered_map<std::string, FolderState> folders_; // the touched folders, by folded name when folding
    std::unordered_map<std::string, std::optional<TAtrib>, NameHash, std::equal_to<>> overrides_; // what stands at a name now
    std::vector<std::string> gone_;         // folders whose scanned entries are no longer there
    std::vector<std::string> movedFolders_; // new names of folders moved aside
    std::unordered_map<std::string, std::string> spellingOf_;
    std::unordered_map<std::string_view, std::size_t> scannedIndex_; // by exact name, made when first asked
};

std::optional<DerivedTable> deriveTableAfterReceive(const std::string& folder, const PackedFileList& scanned,
                                                    const std::vector<std::string>& unreadableFolders,
                                                    const ReceiveJournal& journal, bool foldCase, RunHost& host) {
    return TableDerivation(folder, scanned, unreadableFolders, journal, foldCase, host).run();
}

void writeDerivedTable(const std::string& folder, const std::string& tableFile, const ExclusionList& exclusions,
                       const DerivedTable& table, RunHost& host, const PackedFileList* scanned) {
    // The table's records as the scan's entries give them: the record the scan wrote for each
    // (its path below the folder in this system's form, its store name as the table holds it).
    TableUpdate::KnownRecords known;
    const std::string root = withSeparator(folder);
    if (scanned != nullptr) {
        known = [scanned, root, path = std::string()](std::int64_t index, unsigned char* out) mutable {
            const TAtrib& a = *scanned->object(static_cast<std::size_t>(index));
            path = root;
            appendInSystemForm(path, scanned->key(static_cast<std::size_t>(index)));
            TNameAtribFile record = tableRecordOf(path, a);
            record.FNameTmp = ShortString<25>::fromBytes(a.FNameTmp.bytes());
            std::array<unsigned char, TNameAtribFile::kSize> bytes{};
            encodeTableRecord(record, bytes);
            std::copy(bytes.begin(), bytes.end(), out);
        };
    }
    TableBuilder builder(folder, tableFile, exclusions, host, std::move(known),
                         scanned == nullptr ? -1 : static_cast<std::int64_t>(scanned->count()));
    if (!builder.rootFits()) {
        builder.rootUnfit();
    } else {
        std::string path = builder.root();
        const std::size_t base = path.size();
        for (std::size_t i = 0; i < table.entries.count(); ++i) {
            path.resize(base);
            appendInSystemForm(path, table.entries.key(i));
            builder.add(path, *table.entries.object(i));
        }
        for (const std::string& u : table.unreadableFolders)
            builder.keepUnreadable(u);
    }
    builder.commit();
}

} // namespace tarvela
