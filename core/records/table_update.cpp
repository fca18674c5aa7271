#include "records/table_update.h"

#include "base/errors.h"
#include "base/messages.h"
#include "platform/file_patch.h"
#include "platform/file_system.h"
#include "records/crc32.h"
#include "records/table_record.h"
#include "records/table_check.h"
#include "records/zone_rules.h"

#include <algorithm>

namespace tarvela {
namespace {

constexpr std::size_t kRecord = TNameAtribFile::kSize;
// Old records read at a time (about 80 KB).
constexpr std::int64_t kChunkRecords = 256;
// Changed records kept to be written in place: 4 MB, some 13 000 records. Past that (a folder
// renamed near the top of the scan shifts every record after it) the table is written whole.
constexpr std::size_t kMaxChangedBytes = std::size_t{4} << 20;

} // namespace

TableUpdate::TableUpdate(std::string path, KnownRecords known, std::int64_t knownCount) : path_(std::move(path)) {
    if (platform::pathKindNoFollow(path_) == platform::PathKind::File &&
        readTableCheck(path_, oldCheck_) == TableCheckState::Read) {
        try {
            old_.emplace(path_);
        } catch (const FileError&) {
            old_.reset();
        }
        if (old_ && old_->size() != oldCheck_.records * static_cast<std::int64_t>(kRecord)) old_.reset();
    }
    if (!old_) {
        whole_.emplace(path_);
        return;
    }
    if (known && knownCount == oldCheck_.records) {
        known_ = std::move(known);
        old_.reset(); // the records are compared with the known ones; the file is only measured
    }
}

bool TableUpdate::loadOldRecord(std::int64_t index) {
    if (index < oldChunkStart_ + static_cast<std::int64_t>(oldChunk_.size() / kRecord)) return true;
    if (index >= oldCheck_.records || index != oldLoaded_) return false;
    const std::int64_t records = std::min(kChunkRecords, oldCheck_.records - oldLoaded_);
    oldChunk_.resize(static_cast<std::size_t>(records) * kRecord);
    std::size_t got = oldChunk_.size();
    if (known_) {
        for (std::int64_t i = 0; i < records; ++i)
            known_(oldLoaded_ + i, oldChunk_.data() + static_cast<std::size_t>(i) * kRecord);
    } else {
        got = old_->read(oldChunk_.data(), oldChunk_.size());
    }
    oldCrc_ = crc32Update(oldCrc_, oldChunk_.data(), got);
    oldChunkStart_ = oldLoaded_;
    oldLoaded_ += static_cast<std::int64_t>(got / kRecord);
    // The file shrank since it was measured: it is not the table its check file describes.
    if (got != oldChunk_.size()) {
        oldChunk_.clear();
        return false;
    }
    return true;
}

ConstBytes TableUpdate::previous() {
    if (whole_ || !loadOldRecord(count_)) return {};
    return ConstBytes(oldChunk_).subspan(static_cast<std::size_t>(count_ - oldChunkStart_) * kRecord, kRecord);
}

void TableUpdate::append(ConstBytes record) {
    crc_ = crc32Update(crc_, record.data(), kRecord);
    if (whole_) {
        whole_->write(record.data(), kRecord);
        ++count_;
        return;
    }
    const ConstBytes old = previous();
    if (old.empty() || !std::equal(old.begin(), old.end(), record.begin())) {
        changedAt_.push_back(count_);
        changedBytes_.insert(changedBytes_.end(), record.begin(), record.begin() + kRecord);
    }
    ++count_;
    if (changedBytes_.size() > kMaxChangedBytes) writeWhole();
}

bool TableUpdate::readRestOfOld() {
    while (oldLoaded_ < oldCheck_.records) {
        if (!loadOldRecord(oldLoaded_)) return false;
    }
    return oldCrc_ == oldCheck_.crc32;
}

// From comparing to writing whole: the records appended so far are the old ones where they did not
// differ, read again from the start of the old table.
void TableUpdate::writeWhole() {
    whole_.emplace(path_);
    old_.reset();
    oldChunk_.clear();
    std::optional<platform::FileReader> again;
    if (count_ > static_cast<std::int64_t>(changedAt_.size()) && !known_) again.emplace(path_);
    // With known records, an unchanged record is the known one (whatever the file holds).
    std::vector<unsigned char> knownRecord(known_ ? kRecord : 0);
    std::vector<unsigned char> chunk;
    std::size_t chunkPos = 0;
    std::size_t changed = 0;
    for (std::int64_t i = 0; i < count_; ++i) {
        const unsigned char* bytes = nullptr;
        if (i < oldCheck_.records && known_) {
            known_(i, knownRecord.data());
            bytes = knownRecord.data();
        } else if (i < oldCheck_.records && again) {
            if (chunkPos == chunk.size()) {
                const std::int64_t records = std::min(kChunkRecords, oldCheck_.records - i);
                chunk.resize(static_cast<std::size_t>(records) * kRecord);
                const std::size_t got = again->read(chunk.data(), chunk.size());
                chunk.resize(got - got % kRecord);
                chunkPos = 0;
                if (chunk.empty()) again.reset(); // cut short: what follows was all appended as changed
            }
            if (again) {
                bytes = chunk.data() + chunkPos;
                chunkPos += kRecord;
            }
        }
        if (changed < changedAt_.size() && changedAt_[changed] == i) {
            bytes = changedBytes_.data() + changed * kRecord;
            ++changed;
        }
        // An unchanged record that is no longer there to copy: the table changed under this run.
        if (bytes == nullptr) throw FileError(msg::kCannotReadFile, path_, 0);
        whole_->write(bytes, kRecord);
    }
    changedAt_ = {};
    changedBytes_ = {};
    known_ = nullptr;
}

void TableUpdate::commit(std::vector<std::string> unreadableFolders, std::vector<std::string> masks) {
    TableCheck check;
    check.records = count_;
    check.crc32 = crc_;
    check.unreadableFolders = std::move(unreadableFolders);
    // The local times of the table were taken under this computer's zone rules now.
    check.zone = thisComputersZone().text();
    check.masks = std::move(masks);
    if (!whole_ && !readRestOfOld()) writeWhole();
    if (whole_) {
        whole_->commit();
        whole_.reset();
        written_ = Written::Whole;
        writeTableCheck(path_, check);
        return;
    }
    old_.reset();
    if (!changedAt_.empty() || count_ != oldCheck_.records) {
        platform::FilePatch patch(path_);
        if (count_ != oldCheck_.records) patch.resize(count_ * static_cast<std::int64_t>(kRecord));
        // Records that follow each other go in one write.
        for (std::size_t i = 0; i < changedAt_.size();) {
            std::size_t run = 1;
            while (i + run < changedAt_.size() && changedAt_[i + run] == changedAt_[i] + static_cast<std::int64_t>(run))
                ++run;
            patch.writeAt(changedAt_[i] * static_cast<std::int64_t>(kRecord), changedBytes_.data() + i * kRecord,
                          run * kRecord);
            i += run;
        }
        patch.commit();
        written_ = Written::InPlace;
    }
    if (!(check == oldCheck_)) writeTableCheck(path_, check);
}

} // namespace tarvela
