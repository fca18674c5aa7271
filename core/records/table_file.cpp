#include "records/table_file.h"

#include "records/crc32.h"

#include <array>

namespace tarvela {
namespace {

// About 80 KB a read: one buffer, reused for the whole table, that the allocator keeps at hand
// (a fresh megabyte would cost a page fault for every 4 KB of it).
constexpr std::size_t kRecordsPerRead = 256;

} // namespace

TableReader::TableReader(const std::string& path, bool checksum)
    : reader_(path), count_(reader_.size() / static_cast<std::int64_t>(TNameAtribFile::kSize)),
      whole_(reader_.size() % static_cast<std::int64_t>(TNameAtribFile::kSize) == 0), checksum_(checksum) {}

bool TableReader::next(TNameAtribFile& record) {
    if (read_ >= count_) return false;
    if (bufferPos_ >= buffer_.size()) {
        const auto remaining = static_cast<std::size_t>(count_ - read_);
        const std::size_t records = remaining < kRecordsPerRead ? remaining : kRecordsPerRead;
        buffer_.resize(records * TNameAtribFile::kSize);
        const std::size_t got = reader_.read(buffer_.data(), buffer_.size());
        // The file shrank since it was measured: keep the whole records that did arrive.
        if (got % TNameAtribFile::kSize != 0) whole_ = false;
        buffer_.resize(got - got % TNameAtribFile::kSize);
        bufferPos_ = 0;
        if (checksum_) crc_ = crc32Update(crc_, buffer_.data(), buffer_.size());
        if (buffer_.empty()) {
            count_ = read_;
            whole_ = false;
            return false;
        }
    }
    decodeTableRecord(ConstBytes(buffer_).subspan(bufferPos_, TNameAtribFile::kSize), record);
    bufferPos_ += TNameAtribFile::kSize;
    ++read_;
    return true;
}

void TableWriter::append(const TNameAtribFile& record) {
    std::array<unsigned char, TNameAtribFile::kSize> bytes{};
    encodeTableRecord(record, bytes);
    writer_.write(bytes.data(), bytes.size());
    crc_ = crc32Update(crc_, bytes.data(), bytes.size());
    ++count_;
}

} // namespace tarvela
