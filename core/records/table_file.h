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
    // Throws FileError when the file cannot be opened.
    explicit TableReader(const std::string& path);

    // Number of whole records in the file.
    std::int64_t recordCount() const { return count_; }
    // Reads the next record; false at the end. Throws FileError on a read error.
    bool next(TNameAtribFile& record);

private:
    platform::FileReader reader_;
    std::int64_t count_ = 0;
    std::int64_t read_ = 0;
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

private:
    platform::AtomicFileWriter writer_;
};

} // namespace tarvela
