#pragma once

#include <QList>
#include <QSet>

class TTabela;

// What a copy in two passes leaves for later.
struct TwoPassWork {
    // "Copiar referências circulares em duas etapas" as it was when the import began: a change
    // made during the import is for the next one.
    bool cutCycles = false;
    int chainDepth = 0;           // Exportar calls under way in the current chain
    QList<TTabela*> deferred;     // dependences met through cut keys, copied once the chain ends
    QList<TTabela*> secondPass;   // tables whose cut columns wait for the run's second pass
    // Tables of the second pass whose every source row this run inserted: no row of theirs in
    // the destination is another's.
    QSet<const TTabela*> insertedWhole;
};
