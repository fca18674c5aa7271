#pragma once
// A medium, a work folder and a home folder in a fresh folder, and profiles for them.

#include "records/profile.h"
#include "records/profile_file.h"
#include "temp_dir.h"

#include <string>

namespace tarvela::test {

struct Computers {
    TempDir dir;
    std::string medium = dir / "носитель/"; // a Cyrillic path, as on a Russian user's drive
    std::string work = dir / "work/";
    std::string home = dir / "home/";

    Computers() {
        makeFolders(medium);
        makeFolders(work);
        makeFolders(home);
    }

    // A profile with one pair, work <-> home, saved on the computer `idPc` in the role `pc`.
    TProfilLine profile(const std::string& id, const std::string& name, const std::string& pc = "work",
                        const std::string& idPc = "OTHER-PC") const {
        TProfilLine p;
        p.Id = ShortString<8>::fromText(id);
        p.NameConf = ShortString<255>::fromText(name);
        p.PC = ShortString<4>::fromText(pc);
        p.IdPC = ShortString<25>::fromText(idPc);
        p.pair(1).PathWork = ShortString<255>::fromText(work);
        p.pair(1).PathHome = ShortString<255>::fromText(home);
        return p;
    }

    void save(const ProfilArray& profiles) const { WriteProfiles(medium, profiles); }
};

} // namespace tarvela::test
