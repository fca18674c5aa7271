#include "sync/file_checksum.h"

#include "base/errors.h"
#include "copy/content_checksum.h"
#include "platform/file_reader.h"

#include <vector>

namespace tarvela {

std::optional<std::uint64_t> checksumOfFile(const std::string& path) {
    try {
        platform::FileReader reader(path);
        ContentChecksum sum;
        std::vector<unsigned char> buffer(std::size_t{1} << 20);
        for (;;) {
            const std::size_t got = reader.read(buffer.data(), buffer.size());
            if (got == 0)
                break;
            sum.add(buffer.data(), got);
        }
        return sum.value();
    } catch (const FileError&) {
        return std::nullopt;
    }
}

} // namespace tarvela
