#pragma once
// The one-line progress display of a run on a terminal: files of the current list, bytes copied
// and the rate, and the file being copied.

#include <chrono>
#include <cstdint>
#include <string>

namespace tarvela::cli {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // A new list of `maximum` files, `position` of them done.
    void setFiles(std::int64_t position, std::int64_t maximum);
    // Bytes done of the current file. A position below the last one starts the next file.
    void setFileBytes(std::int64_t position);
    void setFileName(std::string name) { fileName_ = std::move(name); }
    // Starts measuring the rate.
    void start(Clock::time_point now);

    // "[#######.............]  12/340  45.2 MiB  12.3 MiB/s  …name", at most `width` columns.
    std::string render(Clock::time_point now, std::size_t width) const;

private:
    std::int64_t filesDone_ = 0;
    std::int64_t files_ = 0;
    std::int64_t bytesBefore_ = 0; // of the files finished before the current one
    std::int64_t fileBytes_ = 0;
    std::string fileName_;
    Clock::time_point started_{};
};

// "512 B", "1.5 KiB", "45.2 MiB", "3.0 GiB".
std::string byteText(double bytes);

} // namespace tarvela::cli
