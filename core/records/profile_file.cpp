#include "records/profile_file.h"

#include "platform/atomic_file.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "records/store_layout.h"

#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace tarvela {

ProfilArray LoadProfiles(const std::string& programPath) {
    const std::string path = profileFilePath(programPath);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return {};

    platform::FileReader reader(path);
    ProfilArray profiles;
    std::array<unsigned char, TProfilLine::kSize> record{};
    while (reader.read(record.data(), record.size()) == record.size()) {
        profiles.push_back(decodeProfile(record));
        addTrailingSeparators(profiles.back());
    }
    return profiles;
}

void WriteProfiles(const std::string& programPath, const ProfilArray& profiles) {
    std::vector<unsigned char> bytes(profiles.size() * TProfilLine::kSize);
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        encodeProfile(profiles[i], MutableBytes(bytes).subspan(i * TProfilLine::kSize, TProfilLine::kSize));
    }
    platform::writeFileAtomically(profileFilePath(programPath), bytes.data(), bytes.size());
}

} // namespace tarvela
