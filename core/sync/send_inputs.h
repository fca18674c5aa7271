#pragma once
// What a sending half compares its fresh scan of a pair with, read on a thread of its own while
// the folder is scanned (neither depends on the scan): the pair's agreed state as a compact lookup
// and the other computer's table as a packed list. The lines the table's checks give are held and
// shown on the caller's thread when the table is taken, where loading it there would show them.

#include "base/run_host.h"
#include "records/store_layout.h"
#include "scan/packed_file_list.h"
#include "sync/agreed_lookup.h"

#include <cstdint>
#include <exception>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarvela {

class SendInputs {
public:
    struct Agreed {
        std::unique_ptr<const AgreedLookup> lookup; // null when the agreed state reads empty
        std::uint64_t generation = 0;
    };

    // Starts reading the agreed-state file (bound to the pair's two folder texts, as `side`
    // recorded it) and, unless `otherTable` is empty, the other computer's table of `otherFolder`.
    SendInputs(std::string agreedFile, std::string workFolder, std::string homeFolder, Side side,
               std::string otherTable, std::string otherFolder);
    SendInputs(const SendInputs&) = delete;
    SendInputs& operator=(const SendInputs&) = delete;
    ~SendInputs(); // waits for the reading to end

    // Waits for the reading; the agreed state as AgreedLookup::read gives it. Once.
    Agreed takeAgreed();
    // Waits for the reading; the other table as CreateListOfFiles(list, table, folder, &host)
    // loads it, its lines shown on `host` now, a failure to read it thrown now. Once.
    PackedFileList takeOtherTable(RunHost& host);

private:
    void read(const std::string& agreedFile, const std::string& workFolder, const std::string& homeFolder, Side side,
              const std::string& otherTable, const std::string& otherFolder);

    Agreed agreed_;
    std::exception_ptr agreedFailure_;
    PackedFileList other_;
    std::vector<std::pair<std::string, std::uint32_t>> otherLines_;
    std::exception_ptr otherFailure_;
    std::future<void> done_;
};

} // namespace tarvela
