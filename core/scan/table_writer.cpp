#include "scan/table_writer.h"

#include "records/cp1251.h"
#include "base/echo_color.h"
#include "scan/folder_scan.h"
#include "base/messages.h"
#include "records/random_names.h"
#include "records/table_record.h"

#include <algorithm>
#include <array>
#include "platform/file_system.h"

namespace tarvela {
namespace {

// The part of `path` (below `root`) up to the end of its first component that the code page cannot
// hold; empty when every component fits.
std::string_view firstUnfitName(std::string_view path, std::size_t root) {
    if (fitsCp1251(path)) return {};
    std::size_t start = root;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (!fitsCp1251(path.substr(start, end - start))) return path.substr(0, end);
        start = end + 1;
    }
    return {};
}

constexpr std::size_t kStoreNameField = 26;

// Whether `old`, a record of the table on the medium, stands for the same entry as `fresh` (a new
// record with a fresh store name) and holds a store name of the same form: 12 characters of the
// store-name alphabet followed by the same extension. Then the entry keeps its old store name.
bool sameEntryWithStoreName(ConstBytes old, ConstBytes fresh) {
    constexpr std::size_t name = TNameAtribFile::kOffFNameTmp;
    if (!std::equal(fresh.begin(), fresh.begin() + name, old.begin())) return false;
    const std::size_t length = fresh[name];
    if (old[name] != length || length < kStoreNameRandomLength) return false;
    for (std::size_t i = 1; i <= kStoreNameRandomLength; ++i) {
        if (kStoreNameAlphabet.find(static_cast<char>(old[name + i])) == std::string_view::npos) return false;
    }
    const auto extension = fresh.begin() + static_cast<std::ptrdiff_t>(name + 1 + kStoreNameRandomLength);
    return std::equal(extension, fresh.begin() + static_cast<std::ptrdiff_t>(name + 1 + length),
                      old.begin() + static_cast<std::ptrdiff_t>(name + 1 + kStoreNameRandomLength));
}

} // namespace

TNameAtribFile tableRecordOf(const std::string& path, const TAtrib& atrib) {
    TNameAtribFile record;
    record.Nature = atrib.Nature;
    record.FName = ShortString<255>::fromText(path);
    record.FDataTime = atrib.FileDataTime;
    record.SizeFile = atrib.SizeFile;
    return record;
}

std::string withSeparator(const std::string& folder) {
    if (folder.ends_with('/') || folder.ends_with(platform::pathSeparator())) return folder;
    return folder + platform::pathSeparator();
}

TableBuilder::TableBuilder(const std::string& pathFolder, const std::string& nameFiles,
                           const ExclusionList& exclusions, RunHost& host, TableUpdate::KnownRecords known,
                           std::int64_t knownCount)
    : nameFiles_(nameFiles), exclusions_(exclusions), host_(host),
      root_(withSeparator(pathFolder)), table_(nameFiles, std::move(known), knownCount) {}

bool TableBuilder::rootFits() const { return fitsCp1251(root_); }

void TableBuilder::rootUnfit() {
    // No entry of the folder could stand in the table: to the other computer it is a folder
    // not read, never an empty one.
    host_.echo(std::string(msg::kNameNotInCodePage) + root_, color::kRed);
    unreadable_.emplace_back();
}

void TableBuilder::add(const std::string& path, const TAtrib& atrib) {
    if (isExcluded(exclusions_, path)) return;
    if (const std::string_view unfit = firstUnfitName(path, root_.size()); !unfit.empty()) {
        // A folder's entries follow each other: its name is said once.
        if (unfit != lastUnfit_) {
            lastUnfit_ = unfit;
            host_.echo(std::string(msg::kNameNotInCodePage) + lastUnfit_, color::kRed);
        }
        return;
    }
    if (utf8CharCount(path) > kMaxPathChars) {
        host_.echo(std::string(msg::kPathTooLong) + path, color::kRed);
        return;
    }
    record_ = tableRecordOf(path, atrib);
    record_.FNameTmp = ShortString<25>::fromText(makeStoreName(path));
    std::array<unsigned char, TNameAtribFile::kSize> bytes{};
    encodeTableRecord(record_, bytes);
    if (const ConstBytes old = table_.previous(); !old.empty() && sameEntryWithStoreName(old, bytes)) {
        std::copy_n(old.begin() + TNameAtribFile::kOffFNameTmp, kStoreNameField,
                    bytes.begin() + TNameAtribFile::kOffFNameTmp);
        // The list below holds the store name that the table holds.
        record_.FNameTmp.decodeFrom(ConstBytes(bytes).subspan(TNameAtribFile::kOffFNameTmp, kStoreNameField));
    }
    table_.append(bytes);
    total_ += atrib.SizeFile;
    if (entries_ != nullptr && (*entryForm_)(record_, entryKey_, entry_)) entries_->add(entryKey_, entry_);
}

void TableBuilder::alsoListIn(PackedFileList& entries, std::string_view pathShab) {
    entries_ = &entries;
    entryForm_.emplace(pathShab, &host_);
}

void TableBuilder::unreadable(const std::string& folder) {
    host_.echo(std::string(msg::kFolderUnreadable) + folder, color::kRed);
    unreadable_.push_back(folder.starts_with(root_) ? folder.substr(root_.size()) : "");
}

std::int64_t TableBuilder::commit() {
    table_.commit(std::move(unreadable_), exclusions_);
    unreadable_.clear();
    return total_;
}

namespace {

std::int64_t scanInto(TableBuilder& builder, const std::string& pathFolder, RunHost& host, bool removeLeftovers,
                      unsigned scanThreads) {
    if (builder.rootFits()) {
        ScanDiskVisit(
            pathFolder, "*.*", 0, host, [&](const std::string& path, const TAtrib& atrib) { builder.add(path, atrib); },
            [&](const std::string& folder) { builder.unreadable(folder); }, removeLeftovers, scanThreads);
    } else {
        builder.rootUnfit();
    }
    return builder.commit();
}

} // namespace

std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host, bool removeLeftovers,
                             unsigned scanThreads) {
    TableBuilder builder(pathFolder, nameFiles, exclusions, host);
    return scanInto(builder, pathFolder, host, removeLeftovers, scanThreads);
}

std::int64_t CreateListFiles(const std::string& pathFolder, const std::string& nameFiles,
                             const ExclusionList& exclusions, RunHost& host, PackedFileList& entries,
                             bool removeLeftovers) {
    TableBuilder builder(pathFolder, nameFiles, exclusions, host);
    builder.alsoListIn(entries, pathFolder);
    return scanInto(builder, pathFolder, host, removeLeftovers, defaultScanThreads());
}

} // namespace tarvela
