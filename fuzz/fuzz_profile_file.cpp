// The profile file reader: any bytes load as whole records only, and every loaded profile survives
// a rewrite and a reload unchanged.
#include "fuzz_target.h"
#include "fuzz_workspace.h"
#include "records/profile_file.h"

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::Workspace space;
    const std::string folder = space.fresh("profile");
    std::ofstream(folder + "Tarvela.cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    const tarvela::ProfilArray loaded = tarvela::LoadProfiles(folder);
    FUZZ_CHECK(loaded.size() == size / tarvela::TProfilLine::kSize);
    for (const auto& p : loaded) {
        FUZZ_CHECK(p.NameConf.size() <= 255 && p.Id.size() <= 8 && p.IdPC.size() <= 25 && p.PC.size() <= 4);
    }
    tarvela::WriteProfiles(folder, loaded);
    FUZZ_CHECK(tarvela::LoadProfiles(folder) == loaded);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    tarvela::TProfilLine p;
    p.NameConf = tarvela::ShortString<255>::fromText("Документы");
    p.Id = tarvela::ShortString<8>::fromText("AB12CD34");
    p.PC = tarvela::ShortString<4>::fromText("work");
    p.pair(1).PathWork = tarvela::ShortString<255>::fromText("/home/u/Документы/");
    p.pair(1).PathHome = tarvela::ShortString<255>::fromText("/home/u/docs/");
    p.LineExcept = tarvela::ShortString<255>::fromText("*.pas;*.zip");
    p.OperacDell = true;
    std::string record(tarvela::TProfilLine::kSize, '\0');
    tarvela::encodeProfile(p, tarvela::MutableBytes(reinterpret_cast<unsigned char*>(record.data()), record.size()));
    return {"", record, record + record + "tail", record.substr(0, 100)};
}
