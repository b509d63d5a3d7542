#include "TableComparison.h"

#include "RowText.h"
#include "platform/ValueOrder.h"

#include <algorithm>

namespace {

using Row = RowReadAhead::Row;

int CompareAt(const Row& a, const Row& b, const std::vector<int>& positions) {
    for (int position : positions)
        if (const int order = CompareSortKeys(a[size_t(position)], b[size_t(position)])) return order;
    return 0;
}

bool SameAt(const Row& a, const Row& b, const std::vector<int>& positions) {
    return std::all_of(positions.begin(), positions.end(),
                       [&](int position) { return SameValue(a[size_t(position)], b[size_t(position)]); });
}

}  // namespace

TableComparison::TableComparison(const ComparisonQuery& query, RowReadAhead& origem, RowReadAhead& destino,
                                 Report report)
    : query_(query),
      origem_{origem, {}, false},
      destino_{destino, {}, false},
      report_(std::move(report)),
      idle_([this] { report_(read_); }) {
    for (int column = 0; column < int(query.columns.size()); ++column) allColumns_.push_back(column);
    sortOrder_ = query.keyOrder;
    sortOrder_.insert(sortOrder_.end(), query.restOrder.begin(), query.restOrder.end());
}

void TableComparison::Advance(Walk& walk) {
    walk.onRow = walk.reader.Next(walk.row, idle_);
    if (!walk.onRow) return;
    ++read_;
    idle_();
}

bool TableComparison::TellsApart(const Row& row) const {
    return !query_.keyColumns.empty() && std::none_of(query_.keyColumns.begin(), query_.keyColumns.end(),
                                                      [&](int column) { return row[size_t(column)].isNull; });
}

void TableComparison::Note(long long& count, QStringList& samples, const Row& row, long long times) {
    count += times;
    if (samples.size() < ComparisonResult::Samples)
        // A key is written whole, to find the row by; the other values are cut.
        samples << (TellsApart(row) ? RowText(query_.columns, row, query_.keyColumns, ValueLength::Whole)
                                    : RowText(query_.columns, row, allColumns_, ValueLength::Cut));
}

ComparisonResult TableComparison::Run() {
    // The window's first turn comes as the table begins, whatever its first rows take.
    idle_();
    Advance(origem_);
    Advance(destino_);
    while (origem_.onRow || destino_.onRow) {
        int order = !destino_.onRow ? -1 : !origem_.onRow ? 1 : CompareAt(origem_.row, destino_.row, query_.keyOrder);
        if (order == 0 && TellsApart(origem_.row) && TellsApart(destino_.row)) {
            if (!SameAt(origem_.row, destino_.row, query_.keyColumns)) {
                CompareAlikeKeys();
                continue;
            }
            Pair(origem_.row, destino_.row);
            Advance(origem_);
            Advance(destino_);
            continue;
        }
        if (order == 0) order = CompareAt(origem_.row, destino_.row, query_.restOrder);
        if (order < 0) {
            Note(result_.missing, result_.missingRows, origem_.row);
            Advance(origem_);
        } else if (order > 0) {
            Note(result_.extra, result_.extraRows, destino_.row);
            Advance(destino_);
        } else {
            CompareAlike();
        }
    }
    return result_;
}

void TableComparison::Pair(const Row& origem, const Row& destino) {
    if (SameAt(origem, destino, allColumns_))
        ++result_.equal;
    else
        Note(result_.different, result_.differentRows, origem);
}

std::vector<TableComparison::Repeated> TableComparison::TakeAlike(Walk& walk, const Row& first) {
    std::vector<Repeated> alike;
    while (walk.onRow && CompareAt(walk.row, first, sortOrder_) == 0) {
        // The same row again only counts once more: a thousand copies of a row take the room of one.
        const auto same = std::find_if(alike.begin(), alike.end(),
                                       [&](const Repeated& seen) { return SameAt(seen.row, walk.row, allColumns_); });
        if (same != alike.end())
            ++same->times;
        else
            alike.push_back({std::move(walk.row), 1});
        Advance(walk);
    }
    return alike;
}

// Keys that sort alike but differ in their bytes (text told apart only by trailing zero bytes,
// which the server's order passes over): they come in no set order, so the rows of both sides are
// paired by their key's very bytes.
void TableComparison::CompareAlikeKeys() {
    const Row first = origem_.row;
    const auto take = [&](Walk& walk) {
        std::vector<Row> alike;
        for (; walk.onRow && TellsApart(walk.row) && CompareAt(walk.row, first, query_.keyOrder) == 0; Advance(walk))
            alike.push_back(std::move(walk.row));
        return alike;
    };
    const std::vector<Row> origem = take(origem_);
    std::vector<Row> destino = take(destino_);
    for (const Row& row : origem) {
        const auto same = std::find_if(destino.begin(), destino.end(),
                                       [&](const Row& other) { return SameAt(other, row, query_.keyColumns); });
        if (same == destino.end()) {
            Note(result_.missing, result_.missingRows, row);
            continue;
        }
        Pair(row, *same);
        destino.erase(same);
    }
    for (const Row& row : destino) Note(result_.extra, result_.extraRows, row);
}

// Rows of both sides that sort alike: no key tells them apart, so each row counts as often as
// each side holds it.
void TableComparison::CompareAlike() {
    const Row first = origem_.row;
    std::vector<Repeated> origem = TakeAlike(origem_, first);
    std::vector<Repeated> destino = TakeAlike(destino_, first);
    for (Repeated& row : origem) {
        const auto same = std::find_if(destino.begin(), destino.end(),
                                       [&](const Repeated& other) { return SameAt(other.row, row.row, allColumns_); });
        const long long both = same == destino.end() ? 0 : std::min(row.times, same->times);
        result_.equal += both;
        if (same != destino.end()) same->times -= both;
        if (row.times > both) Note(result_.missing, result_.missingRows, row.row, row.times - both);
    }
    for (const Repeated& row : destino)
        if (row.times > 0) Note(result_.extra, result_.extraRows, row.row, row.times);
}
