// Writes a profile file with one profile for the benchmarks: make_profile MEDIUM WORK/ HOME/
// Pair 1 is WORK <-> HOME; vanished files are removed, without questions or trash.
#include "records/profile_file.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_profile MEDIUM WORK/ HOME/\n");
        return 2;
    }
    std::string medium = argv[1];
    if (medium.back() != '/') medium += '/';
    tarvela::TProfilLine p;
    p.NameConf = tarvela::ShortString<255>::fromText("bench");
    p.Id = tarvela::ShortString<8>::fromText("BENCH001");
    p.PC = tarvela::ShortString<4>::fromText("work");
    p.pair(1).PathWork = tarvela::ShortString<255>::fromText(argv[2]);
    p.pair(1).PathHome = tarvela::ShortString<255>::fromText(argv[3]);
    p.OperacDell = true;
    tarvela::WriteProfiles(medium, {p});
    return 0;
}
