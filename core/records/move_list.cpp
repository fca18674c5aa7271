#include "records/move_list.h"

#include "platform/atomic_file.h"
#include "records/byte_stream.h"
#include "records/table_record.h"

#include <string_view>

namespace tarvela {
namespace {

constexpr std::string_view kMagic = "TarvelaM";
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kMinEntryBytes = 1 + 2 + 2 + 8 + 8 + 8;
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 31;

} // namespace

MovedNames::MovedNames(const std::vector<Move>& moves) {
    for (const Move& m : moves)
        (m.nature == kNatureFolder ? folders_ : files_).insert(m.to);
}

bool MovedNames::contains(std::string_view tableName) const {
    constexpr std::string_view kFolderMark = "/..";
    if (!tableName.ends_with(kFolderMark))
        return files_.contains(tableName);
    // A folder below a moved one moved with it.
    std::string_view folder = tableName.substr(0, tableName.size() - kFolderMark.size());
    for (;;) {
        if (folders_.contains(folder))
            return true;
        const std::size_t slash = folder.rfind('/');
        if (slash == std::string_view::npos)
            return false;
        folder = folder.substr(0, slash);
    }
}

std::string moveListFile(const std::string& storeRoot, int n) {
    return storeRoot + "/Moves_" + std::to_string(n) + ".dat";
}

std::vector<Move> readMoveList(const std::string& path) {
    const std::vector<unsigned char> bytes = readWholeFileOrNothing(path, kMaxFileBytes);
    if (bytes.size() < kMagic.size() + 12)
        return {};
    const ConstBytes body = ConstBytes(bytes).first(bytes.size() - 4);
    if (fnv1a32(body) != storedChecksum(bytes))
        return {};
    ByteReader r(body);
    if (r.raw(kMagic.size()) != kMagic || r.u32() != kVersion)
        return {};
    const std::uint32_t count = r.u32();
    if (!r.ok() || count > r.remaining() / kMinEntryBytes)
        return {};
    std::vector<Move> moves;
    moves.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Move m;
        m.nature = r.u8();
        m.from = r.text16();
        m.to = r.text16();
        m.size = r.i64();
        m.time = r.f64();
        m.checksum = r.u64();
        if (!r.ok() || m.nature > 1 || m.from.empty() || m.to.empty())
            return {};
        moves.push_back(std::move(m));
    }
    if (r.remaining() != 0)
        return {};
    return moves;
}

void writeMoveList(const std::string& path, const std::vector<Move>& moves) {
    ByteWriter w;
    w.raw(kMagic);
    w.u32(kVersion);
    w.u32(static_cast<std::uint32_t>(moves.size()));
    for (const Move& m : moves) {
        w.u8(m.nature);
        w.text16(m.from);
        w.text16(m.to);
        w.i64(m.size);
        w.f64(m.time);
        w.u64(m.checksum);
    }
    std::vector<unsigned char> bytes = w.bytes();
    appendChecksum(bytes);
    platform::writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace tarvela
