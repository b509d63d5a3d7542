#pragma once

#include "ComparisonQuery.h"
#include "ComparisonResult.h"
#include "platform/RowReadAhead.h"

#include <QStringList>
#include <functional>

// Walks the rows of both sides together, in the order the query sorts them, holding only the rows
// that sort alike at a time (one of each side where a key tells them apart).
// Threads: the caller's thread runs all of it; each side's rows are read ahead on its reader's thread.
class TableComparison {
public:
    // report is told the rows taken from both sides so far: as the walk begins, after every row,
    // and every few milliseconds while a side has no row ready.
    using Report = std::function<void(long long rowsRead)>;
    TableComparison(const ComparisonQuery& query, RowReadAhead& origem, RowReadAhead& destino, Report report);

    ComparisonResult Run();

private:
    using Row = RowReadAhead::Row;
    // One side's walk, with the row it stands on.
    struct Walk {
        RowReadAhead& reader;
        Row row;
        bool onRow = false;
    };
    // One of the rows that sort alike, and how many times a side holds it.
    struct Repeated {
        Row row;
        long long times;
    };

    void Advance(Walk& walk);
    bool TellsApart(const Row& row) const;
    void Pair(const Row& origem, const Row& destino);
    void CompareAlike();
    void CompareAlikeKeys();
    std::vector<Repeated> TakeAlike(Walk& walk, const Row& first);
    void Note(long long& count, QStringList& samples, const Row& row, long long times = 1);

    const ComparisonQuery& query_;
    Walk origem_, destino_;
    Report report_;
    std::function<void()> idle_;   // the report, for the readers' waits
    std::vector<int> allColumns_, sortOrder_;
    long long read_ = 0;
    ComparisonResult result_;
};
