// The table file reader with CreateListOfFiles: any bytes load as whole records only, and in the
// checked form every entry that reaches the list is safe to join to its pair folder.
#include "scan/file_list.h"
#include "fuzz_target.h"
#include "fuzz_workspace.h"
#include "base/run_host.h"
#include "records/store_layout.h"
#include "scan/table_entry_check.h"
#include "records/table_file.h"

#include <fstream>

namespace {

constexpr const char* kPair = "/home/u/Документы/";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::Workspace space;
    const std::string table = space.fresh("table") + "WTabFile_1.dat";
    std::ofstream(table, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    tarvela::TFileList plain;
    tarvela::CreateListOfFiles(plain, table, kPair);
    FUZZ_CHECK(plain.count() == size / tarvela::TNameAtribFile::kSize);

    tarvela::QuietRunHost host;
    tarvela::TFileList checked;
    tarvela::CreateListOfFiles(checked, table, kPair, &host);
    FUZZ_CHECK(checked.count() <= plain.count());
    for (std::size_t i = 0; i < checked.count(); ++i) {
        const tarvela::TAtrib& a = *checked.object(i);
        FUZZ_CHECK(tarvela::isAcceptableRelativeName(checked.key(i), a.Nature));
        FUZZ_CHECK(tarvela::isPlainStoreName(a.FNameTmp.text()));
        FUZZ_CHECK(a.SizeFile >= 0);
        // Joined to the pair folder (a folder entry without its "/.." marker), the name never
        // climbs out of it.
        std::string name = checked.key(i);
        if (a.Nature == tarvela::kNatureFolder) name = name == ".." ? "" : name.substr(0, name.size() - 3);
        const std::string joined = std::filesystem::path(std::string(kPair) + name).lexically_normal();
        FUZZ_CHECK(joined.starts_with(kPair));
        FUZZ_CHECK(checked.indexOfExact(checked.key(i)) <= static_cast<std::ptrdiff_t>(i));
    }
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    auto record = [](std::uint8_t nature, const std::string& path, const std::string& store) {
        tarvela::TNameAtribFile r;
        r.Nature = nature;
        r.FName = tarvela::ShortString<255>::fromText(path);
        r.FDataTime = 45000.5;
        r.SizeFile = nature == 1 ? 123 : 0;
        r.FNameTmp = tarvela::ShortString<25>::fromText(store);
        std::string bytes(tarvela::TNameAtribFile::kSize, '\0');
        tarvela::encodeTableRecord(r, tarvela::MutableBytes(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()));
        return bytes;
    };
    const std::string pair = kPair;
    const std::string good = record(1, pair + "a.txt", "ABCDEFGHIJKL.txt") + record(0, pair + "..", "ABCDEFGHIJKL.") +
                             record(1, pair + "Папка/b.doc", "QWERTYUIOPAS.doc");
    const std::string hostile = record(1, pair + "../escape", "X") + record(1, "/etc/passwd", "Y") +
                                record(1, pair + "ok", "../z") + record(7, pair + "n", "N");
    return {"", good, hostile, good.substr(0, 400)};
}
