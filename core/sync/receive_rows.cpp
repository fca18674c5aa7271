#include "sync/receive_rows.h"

#include "base/echo_color.h"
#include "base/messages.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace tarvela {

std::string_view ReceiveRows::key(std::string_view name) {
    if (!rule_.foldsAnywhere())
        return name;
    foldedKeys_.push_back(rule_.key(name));
    return foldedKeys_.back();
}

// The row joined under `k`, made when there is none yet (with `item` of `source` in it); whether
// it was made.
std::pair<std::size_t, bool> ReceiveRows::rowFor(std::string_view k, Source source, std::size_t item) {
    if (rows_.size() == rowsIndexed_)
        indexRows(2 * rowsIndexed_);
    const std::size_t slot = rowIndex_->slotOf(k);
    if (!rowIndex_->isFree(slot))
        return {rowIndex_->itemAt(slot), false};
    ReceiveRow& r = rows_.emplace_back();
    const auto index = static_cast<ReceiveRow::Index>(item);
    (source == Source::S ? r.s : source == Source::L ? r.l : r.a) = index;
    if (rule_.foldsAnywhere())
        rowKeys_.push_back(k);
    rowIndex_->store(slot, rows_.size() - 1);
    return {rows_.size() - 1, true};
}

// The key the row was joined under: where letter case does not fold, the name of the source that
// made it (no copy of a million views).
std::string_view ReceiveRows::rowKey(std::size_t row) const {
    if (rule_.foldsAnywhere())
        return rowKeys_[row];
    const ReceiveRow& r = rows_[row];
    if (r.s >= 0)
        return S_->key(static_cast<std::size_t>(r.s));
    if (r.l >= 0)
        return L_->key(static_cast<std::size_t>(r.l));
    return A_->records[static_cast<std::size_t>(r.a)].name;
}

// A fresh index of the rows, with room for `rows` of them (each row's key is one of its own).
void ReceiveRows::indexRows(std::size_t rows) {
    rowIndex_.emplace(rows, RowKeyOf{this});
    rowsIndexed_ = rows;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        rowIndex_->store(rowIndex_->slotOf(rowKey(row)), row);
}

// This computer's first item joined under `k`, or -1. Only asked of sender names that are one name
// here (rare): the index is made on the first question.
std::ptrdiff_t ReceiveRows::localItem(std::string_view k, const PackedFileList& L) {
    if (!localOf_) {
        localOf_.emplace();
        for (std::size_t i = 0; i < L.count(); ++i)
            localOf_->try_emplace(key(L.key(i)), static_cast<std::ptrdiff_t>(i));
    }
    const auto it = localOf_->find(k);
    return it == localOf_->end() ? -1 : it->second;
}

void ReceiveRows::join(const PackedFileList& S, const PackedFileList& L, const AgreedState& previous, CaseRule rule,
                       RunHost& host, const std::string& senderFolder) {
    rule_ = std::move(rule);
    S_ = &S;
    L_ = &L;
    A_ = &previous;
    const std::size_t most = S.count() + L.count() + previous.records.size();
    if (most > static_cast<std::size_t>(INT32_MAX))
        throw std::length_error("too many names to join");
    // Room for every name of the three sources costs no more than the rows made: memory is only
    // touched as the rows fill it. The index is made for the largest source (the rows of folders
    // in step) and made again, twice as large, should more rows come.
    rows_.reserve(most);
    if (rule_.foldsAnywhere())
        rowKeys_.reserve(most);
    indexRows(std::max({S.count(), L.count(), previous.records.size(), std::size_t{16}}));
    for (std::size_t i = 0; i < S.count(); ++i) {
        const std::string_view name = S.key(i);
        if (name == "..")
            continue; // the pair folder itself is never decided on
        const std::string_view k = key(name);
        const auto [row, made] = rowFor(k, Source::S, i);
        if (made)
            continue;
        ReceiveRow& r = rows_[row];
        const std::ptrdiff_t local = localItem(k, L);
        std::ptrdiff_t loser = static_cast<std::ptrdiff_t>(i);
        if (local >= 0 && L.key(static_cast<std::size_t>(local)) == name &&
            S.key(static_cast<std::size_t>(r.s)) != name) {
            loser = r.s;
            r.s = static_cast<ReceiveRow::Index>(i);
        }
        host.echo(std::string(msg::kCaseTwin) + senderFolder + std::string(S.key(static_cast<std::size_t>(loser))),
                  color::kRed);
    }
    for (std::size_t i = 0; i < L.count(); ++i) {
        if (L.key(i) == "..")
            continue;
        ReceiveRow& r = rows_[rowFor(key(L.key(i)), Source::L, i).first];
        if (r.l < 0)
            r.l = static_cast<ReceiveRow::Index>(i);
    }
    for (std::size_t i = 0; i < previous.records.size(); ++i) {
        if (previous.records[i].name == "..")
            continue;
        ReceiveRow& r = rows_[rowFor(key(previous.records[i].name), Source::A, i).first];
        if (r.a < 0)
            r.a = static_cast<ReceiveRow::Index>(i);
    }
}

ReceiveRow* ReceiveRows::rowOf(std::string_view name) {
    const std::uint32_t row = rowIndex_->find(key(name));
    return row == RowIndex::kNone ? nullptr : &rows_[row];
}

} // namespace tarvela
