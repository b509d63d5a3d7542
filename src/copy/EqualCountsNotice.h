#pragma once

#include <QSet>

class TTabela;

// Says, once in an import run, each marked table the run passes over because both databases hold
// as many of its rows: the counts alone say nothing of the rows themselves.
class EqualCountsNotice {
public:
    // A new import run: every table may be said again.
    void NewRun() { reached_.clear(); }
    // Called whenever the run reaches a table; the run's first reach decides, so a table the run
    // has copied is not said when a later node reaches it.
    void Reached(const TTabela& tabela);

private:
    QSet<const TTabela*> reached_;
};
