#include "records/profile_file.h"

#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "records/store_layout.h"

#include <array>
#include <vector>

namespace tarvela {

ProfileFileContent readProfileFile(const std::string& programPath) {
    const std::string path = profileFilePath(programPath);
    if (platform::pathKindNoFollow(path) == platform::PathKind::Missing)
        return {};

    platform::FileReader reader(path);
    ProfileFileContent content;
    std::array<unsigned char, TProfilLine::kSize> record{};
    for (;;) {
        const std::size_t got = reader.read(record.data(), record.size());
        if (got < record.size()) {
            content.partialRecordBytes = static_cast<std::int64_t>(got);
            break;
        }
        content.profiles.push_back(decodeProfile(record));
        addTrailingSeparators(content.profiles.back());
    }
    return content;
}

ProfilArray LoadProfiles(const std::string& programPath) {
    return readProfileFile(programPath).profiles;
}

void WriteProfiles(const std::string& programPath, const ProfilArray& profiles) {
    std::vector<unsigned char> bytes(profiles.size() * TProfilLine::kSize);
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        encodeProfile(profiles[i], MutableBytes(bytes).subspan(i * TProfilLine::kSize, TProfilLine::kSize));
    }
    platform::writeFileAtomically(profileFilePath(programPath), bytes.data(), bytes.size());
}

} // namespace tarvela
