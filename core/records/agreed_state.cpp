#include "records/agreed_state.h"

#include "platform/atomic_file.h"
#include "records/byte_stream.h"

namespace tarvela {
namespace {

constexpr std::string_view kMagic = "TarvelaA";
constexpr std::size_t kMinRecordBytes = 1 + 8 + 8 + 8 + 2 + 1;

} // namespace

std::string agreedStateFile(const std::string& pathTask, int n) {
    return pathTask + "/Agreed_" + std::to_string(n) + ".dat";
}

std::vector<unsigned char> encodeAgreedState(const AgreedState& state) {
    std::size_t size = kMagic.size() + 4 + 8 + 2 + state.workFolder.size() + 2 + state.homeFolder.size() + 4 + 4;
    for (const AgreedRecord& r : state.records)
        size += 1 + 8 + 8 + 8 + 2 + r.name.size() + 1 + r.checksum.size();
    ByteWriter w;
    w.reserve(size); // grown once: the state of a large folder is megabytes
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
    std::vector<unsigned char> bytes = w.take();
    appendChecksum(bytes);
    return bytes;
}

bool visitAgreedState(ConstBytes file, std::string_view workFolder, std::string_view homeFolder,
                      const std::function<void(std::uint64_t generation, std::uint32_t count)>& header,
                      const std::function<void(const AgreedRecordView&)>& record) {
    if (file.size() < kMagic.size() + 4)
        return false;
    const ConstBytes body = file.first(file.size() - 4);
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i)
        stored |= std::uint32_t{file[file.size() - 4 + i]} << (8 * i);
    if (fnv1a32(body) != stored)
        return false;

    ByteReader r(body);
    if (r.view(kMagic.size()) != kMagic || r.u32() != kAgreedStateVersion)
        return false;
    const std::uint64_t generation = r.u64();
    // Records of other folder texts describe other folders: the pair was changed in the profile.
    if (r.view(r.u16()) != workFolder || r.view(r.u16()) != homeFolder || !r.ok())
        return false;
    const std::uint32_t count = r.u32();
    if (!r.ok() || count > r.remaining() / kMinRecordBytes)
        return false;
    const ByteReader first = r;
    // Every record is checked before the first is handed out: a damaged file gives nothing.
    const auto each = [&r, count](const auto& use) {
        for (std::uint32_t i = 0; i < count; ++i) {
            AgreedRecordView rec;
            rec.nature = r.u8();
            rec.size = r.i64();
            rec.workTime = r.f64();
            rec.homeTime = r.f64();
            rec.name = r.view(r.u16());
            rec.checksum = r.view(r.u8());
            if (!r.ok() || rec.nature > 1 || rec.size < 0 || rec.name.empty())
                return false;
            use(rec);
        }
        return r.ok() && r.remaining() == 0;
    };
    if (!each([](const AgreedRecordView&) {}))
        return false;
    r = first;
    header(generation, count);
    each(record);
    return true;
}

AgreedState readAgreedState(const std::string& path, std::string_view workFolder, std::string_view homeFolder) {
    AgreedState state{std::string(workFolder), std::string(homeFolder), 0, {}};
    const std::vector<unsigned char> bytes = readWholeFileOrNothing(path, kMaxAgreedStateBytes);
    visitAgreedState(
        bytes, workFolder, homeFolder,
        [&](std::uint64_t generation, std::uint32_t count) {
            state.generation = generation;
            state.records.reserve(count);
        },
        [&](const AgreedRecordView& v) {
            state.records.push_back(AgreedRecord{std::string(v.name), v.nature, v.size, v.workTime, v.homeTime,
                                                 std::string(v.checksum)});
        });
    return state;
}

void writeAgreedState(const std::string& path, const AgreedState& state) {
    const std::vector<unsigned char> bytes = encodeAgreedState(state);
    platform::writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace tarvela
