#include "records/byte_stream.h"

#include <algorithm>

#include "base/errors.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"

namespace tarvela {

std::vector<unsigned char> readWholeFileOrNothing(const std::string& path, std::size_t limit) {
    if (!platform::fileExists(path))
        return {};
    try {
        platform::FileReader reader(path);
        if (reader.size() < 0 || static_cast<std::uint64_t>(reader.size()) > limit)
            return {};
        std::vector<unsigned char> bytes(static_cast<std::size_t>(reader.size()));
        bytes.resize(reader.read(bytes.data(), bytes.size()));
        return bytes;
    } catch (const FileError&) {
        return {};
    }
}

std::vector<unsigned char> readFileHead(const std::string& path, std::size_t limit) {
    if (!platform::fileExists(path))
        return {};
    try {
        platform::FileReader reader(path);
        std::vector<unsigned char> bytes(
            static_cast<std::size_t>(std::min<std::int64_t>(std::max<std::int64_t>(reader.size(), 0),
                                                            static_cast<std::int64_t>(limit))));
        bytes.resize(reader.read(bytes.data(), bytes.size()));
        return bytes;
    } catch (const FileError&) {
        return {};
    }
}

} // namespace tarvela
