#pragma once
// Whether a table file (with its check file) lists a folder exactly as a fresh scan of it would:
// the same records in the same order, byte for byte but for the random store names, and the same
// folders not read.

#include "base/run_host.h"
#include "records/table_check.h"
#include "records/table_file.h"
#include "scan/table_writer.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tarvela::test {

inline std::vector<TNameAtribFile> recordsOf(const std::string& table, std::uint32_t* crc = nullptr) {
    std::vector<TNameAtribFile> out;
    TableReader reader(table);
    TNameAtribFile record;
    while (reader.next(record))
        out.push_back(record);
    if (crc != nullptr)
        *crc = reader.crc32();
    return out;
}

inline std::string describe(const TNameAtribFile& r) {
    char time[32];
    std::snprintf(time, sizeof time, "%.17g", r.FDataTime);
    return r.FName.text() + " nature " + std::to_string(r.Nature) + " size " + std::to_string(r.SizeFile) + " time " +
           time;
}

inline bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline ::testing::AssertionResult tableMatchesRescan(const std::string& table, const std::string& folder,
                                                     const ExclusionList& exclusions) {
    TempDir scratch;
    const std::string fresh = scratch / "fresh.dat";
    QuietRunHost quiet;
    CreateListFiles(folder, fresh, exclusions, quiet);
    std::uint32_t crc = 0;
    const auto got = recordsOf(table, &crc);
    const auto want = recordsOf(fresh);
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
        if (i >= got.size())
            return ::testing::AssertionFailure() << "the table lacks " << describe(want[i]) << " (record " << i << ")";
        if (i >= want.size())
            return ::testing::AssertionFailure()
                   << "the table has more: " << describe(got[i]) << " (record " << i << ")";
        const TNameAtribFile& g = got[i];
        const TNameAtribFile& w = want[i];
        if (g.FName.bytes() != w.FName.bytes() || g.Nature != w.Nature || g.SizeFile != w.SizeFile ||
            !sameBits(g.FDataTime, w.FDataTime)) {
            return ::testing::AssertionFailure()
                   << "record " << i << " is " << describe(g) << ", a fresh scan has " << describe(w);
        }
    }
    TableCheck gotCheck;
    TableCheck wantCheck;
    if (readTableCheck(table, gotCheck) != TableCheckState::Read ||
        readTableCheck(fresh, wantCheck) != TableCheckState::Read)
        return ::testing::AssertionFailure() << "a check file cannot be read";
    if (gotCheck.crc32 != crc || gotCheck.records != wantCheck.records ||
        gotCheck.unreadableFolders != wantCheck.unreadableFolders)
        return ::testing::AssertionFailure() << "the check file differs from a fresh scan's";
    return ::testing::AssertionSuccess();
}

} // namespace tarvela::test
