#pragma once
// The profile record: one synchronisation task with up to ten folder pairs. 5676 bytes on the
// medium, the same on both computers.

#include "records/byte_span.h"
#include "records/short_string.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvela {

inline constexpr std::size_t kFolderPairCount = 10;

struct TFolderDual {
    ShortString<255> PathWork; // folder on the work computer, ending with '/' when set
    ShortString<255> PathHome; // folder on the home computer

    static constexpr std::size_t kSize = 512;
    friend bool operator==(const TFolderDual&, const TFolderDual&) = default;
};

struct TProfilLine {
    ShortString<255> NameConf;   // profile name as shown in the list
    ShortString<8> Id;           // 8 characters from RandomID; names the transfer store
    ShortString<25> IdPC;        // identity of the computer that last saved the profile
    std::array<TFolderDual, kFolderPairCount> FolderDual; // pairs 1..10 at indexes 0..9
    ShortString<255> LineExcept; // exclusion masks separated by ';'
    ShortString<4> PC;           // role of IdPC: "work" or "home"
    bool OperacDell = false;     // remove what vanished on the source side
    bool DellBasket = false;     // remove into the trash
    bool DellConfirmat = false;  // ask before each removal
    bool SaveLog = false;        // keep the profile's log file

    static constexpr std::size_t kSize = 5676;

    // Field offsets within the record.
    static constexpr std::size_t kOffNameConf = 0;
    static constexpr std::size_t kOffId = 256;
    static constexpr std::size_t kOffIdPC = 265;
    static constexpr std::size_t kOffFolderDual = 291;
    static constexpr std::size_t kOffLineExcept = 5411;
    static constexpr std::size_t kOffPC = 5667;
    static constexpr std::size_t kOffOperacDell = 5672;
    static constexpr std::size_t kOffDellBasket = 5673;
    static constexpr std::size_t kOffDellConfirmat = 5674;
    static constexpr std::size_t kOffSaveLog = 5675;

    // Any PC other than exactly "work" is the home role.
    bool isWorkRole() const { return PC.bytes() == "work"; }

    // Pair n (1..10).
    const TFolderDual& pair(std::size_t n) const { return FolderDual.at(n - 1); }
    TFolderDual& pair(std::size_t n) { return FolderDual.at(n - 1); }

    friend bool operator==(const TProfilLine&, const TProfilLine&) = default;
};

using ProfilArray = std::vector<TProfilLine>;

// A pair folder's text as paths are formed from it: ending with its separator. A text without one
// (made by hand or edited elsewhere) gets a backslash when it is a Windows path (a drive letter and
// a colon, or two backslashes first: the other computer's), and '/' otherwise. Empty stays empty.
std::string withTrailingSeparator(std::string_view folder);

// Adds the missing trailing separator to every set pair folder that has room for it, so that no
// path is ever glued onto a folder text without one.
void addTrailingSeparators(TProfilLine& profile);

void encodeProfile(const TProfilLine& profile, MutableBytes out);
TProfilLine decodeProfile(ConstBytes record);

} // namespace tarvela
