#include "progress_line.h"

#include "records/cp1251.h"
#include "records/utf8.h"

#include <cstdio>
#include <vector>

namespace tarvela::cli {
namespace {

constexpr std::size_t kBarWidth = 20;

// The last `columns` characters of a UTF-8 name, with an ellipsis in front when it was cut.
std::string tailOf(const std::string& name, std::size_t columns) {
    std::vector<std::size_t> starts;
    Utf8Decoder decoder(name);
    char32_t cp = 0;
    for (std::size_t at = 0; decoder.next(cp); at = decoder.position())
        starts.push_back(at);
    if (starts.size() <= columns)
        return name;
    if (columns == 0)
        return {};
    return "…" + name.substr(starts[starts.size() - columns + 1]);
}

} // namespace

void ProgressLine::setFiles(std::int64_t position, std::int64_t maximum) {
    filesDone_ = position;
    files_ = maximum;
}

void ProgressLine::setFileBytes(std::int64_t position) {
    if (position < fileBytes_)
        bytesBefore_ += fileBytes_;
    fileBytes_ = position;
}

void ProgressLine::start(Clock::time_point now) {
    started_ = now;
    bytesBefore_ = 0;
    fileBytes_ = 0;
}

std::string ProgressLine::render(Clock::time_point now, std::size_t width) const {
    const std::int64_t bytes = bytesBefore_ + fileBytes_;
    const std::size_t filled =
        files_ > 0 ? static_cast<std::size_t>(static_cast<double>(kBarWidth) * static_cast<double>(filesDone_) /
                                              static_cast<double>(files_))
                   : 0;
    std::string line = "[" + std::string(std::min(filled, kBarWidth), '#') +
                       std::string(kBarWidth - std::min(filled, kBarWidth), '.') + "]  " + std::to_string(filesDone_) +
                       "/" + std::to_string(files_) + "  " + byteText(static_cast<double>(bytes));
    const double seconds = std::chrono::duration<double>(now - started_).count();
    if (seconds > 0.5)
        line += "  " + byteText(static_cast<double>(bytes) / seconds) + "/s";
    const std::size_t used = utf8CharCount(line) + 2;
    if (!fileName_.empty() && used < width)
        line += "  " + tailOf(fileName_, width - used);
    return line;
}

std::string byteText(double bytes) {
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    std::size_t unit = 0;
    while (bytes >= 1024.0 && unit + 1 < std::size(kUnits)) {
        bytes /= 1024.0;
        ++unit;
    }
    char buf[32];
    if (unit == 0) {
        std::snprintf(buf, sizeof buf, "%.0f %s", bytes, kUnits[unit]);
    } else {
        std::snprintf(buf, sizeof buf, "%.1f %s", bytes, kUnits[unit]);
    }
    return buf;
}

} // namespace tarvela::cli
