#include "records/profile.h"

#include <cassert>

namespace tarvela {
namespace {

template <std::size_t N>
ConstBytes field(ConstBytes record, std::size_t offset) {
    return record.subspan(offset, N + 1);
}
template <std::size_t N>
MutableBytes field(MutableBytes record, std::size_t offset) {
    return record.subspan(offset, N + 1);
}

std::size_t pairOffset(std::size_t index) { return TProfilLine::kOffFolderDual + index * TFolderDual::kSize; }

} // namespace

void encodeProfile(const TProfilLine& p, MutableBytes out) {
    assert(out.size() >= TProfilLine::kSize);
    p.NameConf.encode(field<255>(out, TProfilLine::kOffNameConf));
    p.Id.encode(field<8>(out, TProfilLine::kOffId));
    p.IdPC.encode(field<25>(out, TProfilLine::kOffIdPC));
    for (std::size_t i = 0; i < kFolderPairCount; ++i) {
        p.FolderDual[i].PathWork.encode(field<255>(out, pairOffset(i)));
        p.FolderDual[i].PathHome.encode(field<255>(out, pairOffset(i) + 256));
    }
    p.LineExcept.encode(field<255>(out, TProfilLine::kOffLineExcept));
    p.PC.encode(field<4>(out, TProfilLine::kOffPC));
    out[TProfilLine::kOffOperacDell] = p.OperacDell ? 1 : 0;
    out[TProfilLine::kOffDellBasket] = p.DellBasket ? 1 : 0;
    out[TProfilLine::kOffDellConfirmat] = p.DellConfirmat ? 1 : 0;
    out[TProfilLine::kOffSaveLog] = p.SaveLog ? 1 : 0;
}

TProfilLine decodeProfile(ConstBytes in) {
    assert(in.size() >= TProfilLine::kSize);
    TProfilLine p;
    p.NameConf = ShortString<255>::decode(field<255>(in, TProfilLine::kOffNameConf));
    p.Id = ShortString<8>::decode(field<8>(in, TProfilLine::kOffId));
    p.IdPC = ShortString<25>::decode(field<25>(in, TProfilLine::kOffIdPC));
    for (std::size_t i = 0; i < kFolderPairCount; ++i) {
        p.FolderDual[i].PathWork = ShortString<255>::decode(field<255>(in, pairOffset(i)));
        p.FolderDual[i].PathHome = ShortString<255>::decode(field<255>(in, pairOffset(i) + 256));
    }
    p.LineExcept = ShortString<255>::decode(field<255>(in, TProfilLine::kOffLineExcept));
    p.PC = ShortString<4>::decode(field<4>(in, TProfilLine::kOffPC));
    p.OperacDell = in[TProfilLine::kOffOperacDell] != 0;
    p.DellBasket = in[TProfilLine::kOffDellBasket] != 0;
    p.DellConfirmat = in[TProfilLine::kOffDellConfirmat] != 0;
    p.SaveLog = in[TProfilLine::kOffSaveLog] != 0;
    return p;
}

std::string withTrailingSeparator(std::string_view folder) {
    std::string text(folder);
    if (text.empty() || text.ends_with('/') || text.ends_with('\\')) return text;
    const bool windows = (text.size() >= 2 && text[1] == ':') || text.starts_with("\\\\");
    text.push_back(windows ? '\\' : '/');
    return text;
}

void addTrailingSeparators(TProfilLine& profile) {
    for (TFolderDual& pair : profile.FolderDual) {
        for (ShortString<255>* folder : {&pair.PathWork, &pair.PathHome}) {
            const std::string bytes = withTrailingSeparator(folder->bytes());
            if (bytes.size() <= ShortString<255>::kCapacity) *folder = ShortString<255>::fromBytes(bytes);
        }
    }
}

} // namespace tarvela
