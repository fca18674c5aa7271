#pragma once
// Writes a table file so that what did not change is not written to the medium again: each new
// record is compared with the one the table on the medium holds at the same place.
//
// - Nothing differs: the table is left as it is, and its check file too when that says the same.
// - A few records differ: they are written where they stand, the file is cut or extended to its new
//   length, and only then the check file is replaced. Until the check file is replaced the table
//   does not match it and reads as damaged, never as a table it is not.
// - More differ than are worth keeping in memory, or the table on the medium is not one its check
//   file vouches for (no check file, an older program's table, one cut short or changed): the
//   table is written whole to a temporary file and renamed over the old one, as TableWriter does.

#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "records/byte_span.h"
#include "records/table_check.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvela {

class TableUpdate {
public:
    // The records the caller holds the table to be made of, as it loaded or wrote them in this run:
    // puts record `index` into `out` (TNameAtribFile::kSize bytes). With them the table is not read
    // again to be compared: a slow drive reads each byte of a large table in seconds. They are
    // only trusted once all of them give the count and checksum the table's check file vouches
    // for; otherwise the table is written whole from the records appended.
    using KnownRecords = std::function<void(std::int64_t index, unsigned char* out)>;

    // Throws FileError when a table to be written whole cannot be created.
    explicit TableUpdate(std::string path, KnownRecords known = {}, std::int64_t knownCount = -1);

    // The bytes of the record that the table on the medium holds where the next append() goes;
    // empty when there is none to compare with. Valid until the next call.
    ConstBytes previous();
    // Appends one encoded record (TNameAtribFile::kSize bytes).
    void append(ConstBytes record);
    // Makes the table hold exactly the records appended, then writes its check file (count and
    // checksum of the records, these folders and the exclusion masks the records were chosen by)
    // when it differs from the one there. Throws FileError; a table written whole then stays as it was.
    void commit(std::vector<std::string> unreadableFolders, std::vector<std::string> masks);

    std::int64_t recordCount() const { return count_; }
    std::uint32_t crc32() const { return crc_; }

    // How commit() wrote the table.
    enum class Written { Nothing, InPlace, Whole };
    Written written() const { return written_; }

private:
    bool loadOldRecord(std::int64_t index);
    bool readRestOfOld();
    void writeWhole();

    std::string path_;
    std::int64_t count_ = 0;
    std::uint32_t crc_ = 0;
    Written written_ = Written::Nothing;

    // Comparing with the table on the medium (while whole_ is empty).
    std::optional<platform::FileReader> old_;
    TableCheck oldCheck_;
    std::vector<unsigned char> oldChunk_; // old records [oldChunkStart_, oldChunkStart_ + chunk size)
    std::int64_t oldChunkStart_ = 0;
    std::int64_t oldLoaded_ = 0; // old records read so far (all of them went into oldCrc_)
    std::uint32_t oldCrc_ = 0;
    std::vector<std::int64_t> changedAt_;     // indexes of the records that differ, ascending
    std::vector<unsigned char> changedBytes_; // their bytes, in the same order

    KnownRecords known_; // compared with instead of the table's bytes (see KnownRecords)

    // Writing the table whole.
    std::optional<platform::AtomicFileWriter> whole_;
};

} // namespace tarvela
