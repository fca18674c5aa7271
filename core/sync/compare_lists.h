#pragma once
// CompareListsOfFiles: decides, for one folder pair, what happens to every file and folder of
// either side. Reads two lists and writes echo lines; touches no file except creating the sending
// half's store root.

#include "scan/file_list.h"
#include "scan/packed_file_list.h"
#include "base/run_host.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvela {

enum class Direction; // run_control.h

class ComparedLines;

struct ComparePair {
    std::string PathWork;  // the pair's work folder, ending with '/'
    std::string PathHome;  // the pair's home folder, ending with '/'
    Direction direction;   // whose folder is the source
    bool OperacDell = false;
    // The sending half's store root: created when the destination holds entries the source lacks,
    // so that the other computer can receive. Empty for the receiving half.
    std::string storeRoot;
    // The sending half's agreed state, when it has a record for a source file: true stores the
    // file, false leaves it; nothing lets the times decide. `destination` is the other side's
    // entry, null when it has none.
    std::function<std::optional<bool>(std::string_view name, const TAtrib& source, const TAtrib* destination)>
        agreedSays;
    // Where the lines of the source's entries go when they are held back instead of written at
    // once: null writes them at once.
    ComparedLines* held = nullptr;
};

// The lines a comparison held back (ComparePair::held), kept small (an entry's index, and the other
// side's name only where its spelling differs): the sending half writes them, in list order, once
// it knows which new names are moves, whose own lines say all about them.
class ComparedLines {
public:
    // Writes the held lines about the entries of S (the list the comparison wrote into), except
    // those about the names `leaveOut` gives.
    void write(const TFileList& S, RunHost& host, const std::function<bool(std::string_view name)>& leaveOut) const;
    void write(const PackedFileList& S, RunHost& host,
               const std::function<bool(std::string_view name)>& leaveOut) const;

    // For the comparison: the pair the lines are about, then each line.
    void startPair(const ComparePair& pair);
    void added(std::size_t entry) { lines_.push_back({entry, false}); }
    void differ(std::size_t entry, std::string_view sourceName, std::string_view otherName);

private:
    template <typename List>
    void writeOf(const List& S, RunHost& host, const std::function<bool(std::string_view name)>& leaveOut) const;

    struct Line {
        std::size_t entry;
        bool differs; // "files differ"; otherwise "file added"
    };
    std::string workFolder_;
    std::string sourceFolder_;
    std::string destFolder_;
    bool destIsWindows_ = false;
    std::vector<Line> lines_;
    std::unordered_map<std::size_t, std::string> otherSpelling_; // by entry, of "differ" lines
};

// S is the source side's list, D the destination side's (consumed). Afterwards S holds every entry
// of both sides with its action: its own entries in order ("copy" for a file that is new or newer
// than the destination's, "skip" otherwise; a folder only on the source side keeps no action),
// then the destination-only entries in their order ("del" with OperacDell, else "skip"). Names
// match exactly first, then ignoring letter case, so two names that differ only in case on a
// case-sensitive file system keep their own partners. The pair folder's own entry ".." never
// becomes "del". Returns the sum of the sizes of the "copy" entries.
std::int64_t CompareListsOfFiles(TFileList& S, TFileList&& D, const ComparePair& pair, RunHost& host);
// The same on packed lists (packed_file_list.h), as the sending half holds a folder's two tables.
std::int64_t CompareListsOfFiles(PackedFileList& S, PackedFileList&& D, const ComparePair& pair, RunHost& host);

} // namespace tarvela
