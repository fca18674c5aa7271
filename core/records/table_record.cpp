#include "records/table_record.h"

#include <algorithm>
#include <cassert>

namespace tarvela {

void encodeTableRecord(const TNameAtribFile& r, MutableBytes out) {
    assert(out.size() >= TNameAtribFile::kSize);
    out[TNameAtribFile::kOffNature] = r.Nature;
    r.FName.encode(out.subspan(TNameAtribFile::kOffFName, 256));
    storeLeDouble(out, TNameAtribFile::kOffFDataTime, r.FDataTime);
    storeLeInt64(out, TNameAtribFile::kOffSizeFile, r.SizeFile);
    r.FNameTmp.encode(out.subspan(TNameAtribFile::kOffFNameTmp, 26));
    // The two gaps carry no meaning; they are written as zeros.
    std::fill_n(out.begin() + 257, 7, 0);
    std::fill_n(out.begin() + 306, 6, 0);
}

TNameAtribFile decodeTableRecord(ConstBytes in) {
    TNameAtribFile r;
    decodeTableRecord(in, r);
    return r;
}

void decodeTableRecord(ConstBytes in, TNameAtribFile& r) {
    assert(in.size() >= TNameAtribFile::kSize);
    r.Nature = in[TNameAtribFile::kOffNature];
    r.FName.decodeFrom(in.subspan(TNameAtribFile::kOffFName, 256));
    r.FDataTime = loadLeDouble(in, TNameAtribFile::kOffFDataTime);
    r.SizeFile = loadLeInt64(in, TNameAtribFile::kOffSizeFile);
    r.FNameTmp.decodeFrom(in.subspan(TNameAtribFile::kOffFNameTmp, 26));
}

} // namespace tarvela
