#pragma once
// The join of a pair's receive: every relative name with what each of the three sources says of
// it — the agreed state (A), the sender's table (S) and this computer's scan (L). Names are joined
// by the receiving folder's letter-case rule: where names that differ in letter case only are one
// name, by their folded form.

#include "base/run_host.h"
#include "records/agreed_state.h"
#include "scan/name_index.h"
#include "scan/packed_file_list.h"
#include "sync/case_rule.h"
#include "sync/receive_decision.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvela {

// One relative name with what each source says of it (indexes, -1 = absent).
// Kept small: a folder of a million files has a million rows.
struct ReceiveRow {
    using Index = std::int32_t; // an item of a source (a list is indexed by 32-bit numbers anyway)
    Index a = -1;
    Index s = -1;
    Index l = -1;
    bool setAside = false; // excluded by the masks, or not to be judged: never copied, removed or recorded
    ReceiveDecision decision;
    bool done = false;        // the decided step was carried out; otherwise the old record stays
    bool respelt = false;     // the local item took the sender's spelling (receive_letter_case.h)
    bool sameContent = false; // this computer's file holds the bytes of the stored copy
    // What the computers agree on once the step is done, for a decision that records anew (held
    // apart: most rows record nothing, and a row is one of tens of thousands).
    std::unique_ptr<AgreedRecord> record;
};

class ReceiveRows {
public:
    // Joins the sources: rows in the sender's order, then names only this computer has, then names
    // only A has. Two sender names that are one name here: the one with this computer's exact case
    // wins, else the first; the other gets a red line (prefixed by `senderFolder`) and no row.
    void join(const PackedFileList& S, const PackedFileList& L, const AgreedState& previous, CaseRule rule,
              RunHost& host, const std::string& senderFolder);

    std::size_t size() const { return rows_.size(); }
    ReceiveRow& operator[](std::size_t i) { return rows_[i]; }
    const ReceiveRow& operator[](std::size_t i) const { return rows_[i]; }
    std::vector<ReceiveRow>::iterator begin() { return rows_.begin(); }
    std::vector<ReceiveRow>::iterator end() { return rows_.end(); }
    std::vector<ReceiveRow>::const_iterator begin() const { return rows_.begin(); }
    std::vector<ReceiveRow>::const_iterator end() const { return rows_.end(); }

    // The row of the relative name, if any.
    ReceiveRow* rowOf(std::string_view name);
    const CaseRule& caseRule() const { return rule_; }

private:
    enum class Source { S, L, A };
    std::string_view key(std::string_view name);
    std::pair<std::size_t, bool> rowFor(std::string_view k, Source source, std::size_t item);
    std::string_view rowKey(std::size_t row) const;
    void indexRows(std::size_t rows);
    std::ptrdiff_t localItem(std::string_view k, const PackedFileList& L);

    std::vector<ReceiveRow> rows_;
    CaseRule rule_;
    // The sources joined (while the rows are used, their names are the rows' keys).
    const PackedFileList* S_ = nullptr;
    const PackedFileList* L_ = nullptr;
    const AgreedState* A_ = nullptr;
    // The rows by joining key: the name of the source that made the row, where letter case does not
    // fold; otherwise the row's folded key.
    struct RowKeyOf {
        const ReceiveRows* rows;
        std::string_view operator()(std::size_t row) const { return rows->rowKey(row); }
    };
    using RowIndex = NameIndex<RowKeyOf>;
    std::vector<std::string_view> rowKeys_; // by row, only where letter case folds (views of foldedKeys_)
    std::optional<RowIndex> rowIndex_;
    std::size_t rowsIndexed_ = 0;        // the rows the index has room for
    std::deque<std::string> foldedKeys_; // joining keys of their own, where letter case folds
    std::optional<std::unordered_map<std::string_view, std::ptrdiff_t>> localOf_; // see localItem
};

} // namespace tarvela
