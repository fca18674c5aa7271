#include "records/agreed_state.h"

#include "platform/atomic_file.h"
#include "records/byte_stream.h"

namespace tarvela {
namespace {

constexpr std::string_view kMagic = "TarvelaA";
constexpr std::size_t kMinRecordBytes = 1 + 8 + 8 + 8 + 2 + 1;
// No pair on a medium comes near this; a larger file is not ours.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 31;

} // namespace

std::string agreedStateFile(const std::string& pathTask, int n) {
    return pathTask + "/Agreed_" + std::to_string(n) + ".dat";
}

std::vector<unsigned char> encodeAgreedState(const AgreedState& state) {
    ByteWriter w;
    w.raw(kMagic);
    w.u32(kAgreedStateVersion);
    w.u64(state.generation);
    w.text16(state.workFolder);
    w.text16(state.homeFolder);
    w.u32(static_cast<std::uint32_t>(state.records.size()));
    for (const AgreedRecord& r : state.records) {
        w.u8(r.nature);
        w.i64(r.size);
        w.f64(r.workTime);
        w.f64(r.homeTime);
        w.text16(r.name);
        w.u8(static_cast<std::uint8_t>(r.checksum.size() > 255 ? 0 : r.checksum.size()));
        if (r.checksum.size() <= 255)
            w.raw(r.checksum);
    }
    std::vector<unsigned char> bytes = w.bytes();
    appendChecksum(bytes);
    return bytes;
}

AgreedState readAgreedState(const std::string& path, std::string_view workFolder, std::string_view homeFolder) {
    AgreedState empty{std::string(workFolder), std::string(homeFolder), 0, {}};
    const std::vector<unsigned char> bytes = readWholeFileOrNothing(path, kMaxFileBytes);
    if (bytes.size() < kMagic.size() + 4)
        return empty;
    const ConstBytes body = ConstBytes(bytes).first(bytes.size() - 4);
    if (fnv1a32(body) != storedChecksum(bytes))
        return empty;

    ByteReader r(body);
    if (r.raw(kMagic.size()) != kMagic || r.u32() != kAgreedStateVersion)
        return empty;
    AgreedState state;
    state.generation = r.u64();
    state.workFolder = r.text16();
    state.homeFolder = r.text16();
    // Records of other folder texts describe other folders: the pair was changed in the profile.
    if (!r.ok() || state.workFolder != workFolder || state.homeFolder != homeFolder)
        return empty;
    const std::uint32_t count = r.u32();
    if (!r.ok() || count > r.remaining() / kMinRecordBytes)
        return empty;
    state.records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        AgreedRecord rec;
        rec.nature = r.u8();
        rec.size = r.i64();
        rec.workTime = r.f64();
        rec.homeTime = r.f64();
        rec.name = r.text16();
        rec.checksum = r.raw(r.u8());
        if (!r.ok() || rec.nature > 1 || rec.size < 0 || rec.name.empty())
            return empty;
        state.records.push_back(std::move(rec));
    }
    if (!r.ok() || r.remaining() != 0)
        return empty;
    return state;
}

void writeAgreedState(const std::string& path, const AgreedState& state) {
    const std::vector<unsigned char> bytes = encodeAgreedState(state);
    platform::writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace tarvela
