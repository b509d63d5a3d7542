#pragma once

#include "platform/NoCopy.h"

#include <QHash>
#include <QList>
#include <QString>

class TTabela;
struct Workspace;

// The catalogue: every table record of the source, in the order of the source's table listing.
// It owns the records; Clear frees them, so nothing may still refer to them then.
class TListaTabelas : private NoCopy {
public:
    TListaTabelas() = default;
    ~TListaTabelas();

    const QList<TTabela*>& Items() const { return items_; }
    void Add(TTabela* tabela);
    void Clear();
    // The first record whose name equals the given one, case-insensitively; nullptr when none.
    TTabela* TableByName(const QString& name) const;
    // Fills every record's Dependences from the source's foreign keys, then derives the
    // DependencesDelete lists from them, and finds where a copy in two passes cuts the cycles.
    void AdjustDependences(Workspace& workspace);

private:
    QList<TTabela*> items_;
    // The first record of each name as written, and in any case: thousands of tables look each
    // other up by name as the trees are filled.
    QHash<QString, TTabela*> byName_, byFoldedName_;
};

// The one catalogue of the program.
extern TListaTabelas ListaTabelas;
