#pragma once
// Table files: bare sequences of 312-byte records in scan order. Written whole and atomically by
// TableWriter; read from start to end by TableReader, which ignores a trailing partial record.

#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "records/table_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvela {

class TableReader {
public:
    // Throws FileError when the file cannot be opened. Without `checksum` no CRC-32 is taken
    // (crc32() stays 0): for a reader that only needs the records.
    explicit TableReader(const std::string& path, bool checksum = true);

    // Number of whole records in the file.
    std::int64_t recordCount() const { return count_; }
    // False when the file ends in part of a record (cut short, or not a table at all).
    bool wholeRecords() const { return whole_; }
    // Reads the next record; false at the end. Throws FileError on a read error.
    bool next(TNameAtribFile& record);
    // CRC-32 of the records read so far (records/crc32.h); of the whole table once next() is false.
    std::uint32_t crc32() const { return crc_; }

private:
    platform::FileReader reader_;
    std::int64_t count_ = 0;
    bool whole_ = true;
    std::int64_t read_ = 0;
    std::uint32_t crc_ = 0;
    bool checksum_ = true;
    std::vector<unsigned char> buffer_;
    std::size_t bufferPos_ = 0;
};

class TableWriter {
public:
    // Throws FileError when the temporary file cannot be created.
    explicit TableWriter(const std::string& path) : writer_(path) {}
    void append(const TNameAtribFile& record);
    // Replaces the table file; until then the old one stays as it was.
    void commit() { writer_.commit(); }

    // Records appended so far and the CRC-32 of their bytes: what the table's check file holds.
    std::int64_t recordCount() const { return count_; }
    std::uint32_t crc32() const { return crc_; }

private:
    platform::AtomicFileWriter writer_;
    std::int64_t count_ = 0;
    std::uint32_t crc_ = 0;
};

} // namespace tarvela
