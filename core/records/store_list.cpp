#include "records/store_list.h"

#include "platform/atomic_file.h"
#include "records/byte_stream.h"

namespace tarvela {
namespace {

constexpr std::string_view kMagic = "TarvelaS";
constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kVersionWithoutChecksums = 1;
constexpr std::size_t kMinEntryBytes = 8 + 8 + 2 + 2;
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 31;

} // namespace

const StoredFile* StoreList::find(std::string_view name, std::int64_t size, double time) const {
    if (index_.size() != files_.size()) {
        index_.clear();
        for (std::size_t i = 0; i < files_.size(); ++i)
            index_.try_emplace(files_[i].name, i);
    }
    const auto it = index_.find(std::string(name));
    if (it == index_.end())
        return nullptr;
    const StoredFile& f = files_[it->second];
    return f.size == size && f.time == time ? &f : nullptr;
}

std::string checksumBytes(std::uint64_t checksum) {
    std::string bytes(8, '\0');
    for (std::size_t i = 0; i < 8; ++i)
        bytes[i] = static_cast<char>((checksum >> (8 * i)) & 0xff);
    return bytes;
}

std::string storeListFile(const std::string& storeRoot, int n) {
    return storeRoot + "/List_" + std::to_string(n) + ".dat";
}

std::optional<StoreList> readStoreList(const std::string& path) {
    const std::vector<unsigned char> bytes = readWholeFileOrNothing(path, kMaxFileBytes);
    if (bytes.size() < kMagic.size() + 12)
        return std::nullopt;
    const ConstBytes body = ConstBytes(bytes).first(bytes.size() - 4);
    if (fnv1a32(body) != storedChecksum(bytes))
        return std::nullopt;
    ByteReader r(body);
    if (r.raw(kMagic.size()) != kMagic)
        return std::nullopt;
    const std::uint32_t version = r.u32();
    if (version != kVersion && version != kVersionWithoutChecksums)
        return std::nullopt;
    const std::uint32_t count = r.u32();
    if (!r.ok() || count > r.remaining() / kMinEntryBytes)
        return std::nullopt;
    StoreList list;
    for (std::uint32_t i = 0; i < count; ++i) {
        StoredFile f;
        f.size = r.i64();
        f.time = r.f64();
        f.name = r.text16();
        f.storeName = r.text16();
        if (version == kVersion) {
            const std::uint8_t known = r.u8();
            if (known > 1)
                return std::nullopt;
            if (known == 1)
                f.checksum = r.u64();
        }
        if (!r.ok())
            return std::nullopt;
        list.add(std::move(f));
    }
    if (r.remaining() != 0)
        return std::nullopt;
    return list;
}

void writeStoreList(const std::string& path, const StoreList& list) {
    ByteWriter w;
    w.raw(kMagic);
    w.u32(kVersion);
    w.u32(static_cast<std::uint32_t>(list.files().size()));
    for (const StoredFile& f : list.files()) {
        w.i64(f.size);
        w.f64(f.time);
        w.text16(f.name);
        w.text16(f.storeName);
        w.u8(f.checksum ? 1 : 0);
        if (f.checksum)
            w.u64(*f.checksum);
    }
    std::vector<unsigned char> bytes = w.bytes();
    appendChecksum(bytes);
    platform::writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace tarvela
