#pragma once

#include "CatalogueControls.h"

#include <QString>

class QTreeWidget;
class TStringList;
class TTabela;
struct Workspace;

// Loads the catalogue from the source and shows it in the selection and cleanup trees: every
// table a root node, its direct dependences its children, each with its table's row counts.
class CatalogueTrees {
public:
    CatalogueTrees(Workspace& workspace, const CatalogueControls& controls);

    // Empties both trees and the catalogue; no node outlives the records it shows.
    void Clear();
    // Empties both trees and the catalogue, builds a record for every table of the source,
    // finds their foreign keys and fills the selection tree with the tables each references.
    void ListarTabelasDependencias();
    // Fills the cleanup tree with the tables that reference each table.
    void ListarTabelasDependenciasDelecao();
    // Shows beside every node the row counts its table's last count found; unchanged texts stay.
    // True when a text changed.
    bool ShowRowCounts();

private:
    using DependencyList = TStringList* (TTabela::*)();
    static void Fill(QTreeWidget& tree, DependencyList dependences);
    static bool ShowRowCounts(QTreeWidget& tree);
    void Status(const QString& text);

    Workspace& workspace_;
    QTreeWidget& treeView_;
    QTreeWidget& treeViewDelecao_;
};
