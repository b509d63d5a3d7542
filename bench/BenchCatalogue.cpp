// Catalogue benchmark: how long connecting takes to list the source's tables, build their records
// (columns, computed columns, row counts on both sides), relate them by their foreign keys and fill
// both trees, and the longest the window went meanwhile without handling its messages; and how
// long an import that reaches every table takes to compare the two structures.
// Prints figures; it never fails on time.
//
//   bench_catalogue [tables] [rows]
//
// Makes, in a temporary folder, a source and a destination of `tables` tables (default 500): each
// with a computed column, most referencing the table before them and every seventh also the first
// table; the source holds `rows` rows a table (default 100), the destination half of them.

#include "catalogue/CatalogueTrees.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/StructureComparison.h"
#include "catalogue/TListaTabelas.h"
#include "platform/Exception.h"
#include "platform/TImageList.h"
#include "support/DatabaseFactory.h"
#include "support/WorkspaceFixture.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

QString Name(int table) { return QStringLiteral("TABELA_%1").arg(table, 4, 10, QLatin1Char('0')); }

QString Structure(int tables) {
    QString script;
    for (int t = 1; t <= tables; ++t) {
        script += QStringLiteral("CREATE TABLE %1 (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40),"
                                 " VALOR NUMERIC(15,2), DOBRO COMPUTED BY (VALOR * 2)")
                      .arg(Name(t));
        if (t > 1 && t % 5 != 0) script += QStringLiteral(", ANTERIOR INTEGER REFERENCES %1 (ID)").arg(Name(t - 1));
        if (t > 1 && t % 7 == 0) script += QStringLiteral(", PRIMEIRA INTEGER REFERENCES %1 (ID)").arg(Name(1));
        script += QStringLiteral(");\n");
    }
    return script;
}

QString Rows(int tables, int rows) {
    QString script = QStringLiteral("SET TERM ^ ;\n");
    for (int t = 1; t <= tables; ++t)
        script += QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= %2) DO BEGIN"
                                 " INSERT INTO %1 (ID, NOME, VALOR) VALUES (:I, 'Linha ' || :I, :I / 3.0);"
                                 " I = I + 1; END END^\n")
                      .arg(Name(t))
                      .arg(rows);
    return script + QStringLiteral("SET TERM ; ^\n");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int tables = argc > 1 ? std::atoi(argv[1]) : 500;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 100;
    try {
        std::printf("making a source and a destination of %d tables, %d rows a table in the source...\n", tables, rows);
        std::fflush(stdout);
        DatabaseFactory databases;
        const QString origem = databases.Create(QStringLiteral("origem"), Structure(tables));
        const QString destino = databases.Create(QStringLiteral("destino"), Structure(tables));
        DatabaseFactory::Execute(origem, Rows(tables, rows));
        DatabaseFactory::Execute(destino, Rows(tables, rows / 2));

        WorkspaceFixture fixture(origem, destino);
        QElapsedTimer clock;
        qint64 listed = 0;
        qint64 built = 0;
        fixture.workspace.SetStatus = [&](const QString& text) {
            if (text == QLatin1String("Tabelas Capturadas")) listed = clock.nsecsElapsed();
            if (text.startsWith(QLatin1String("0 "))) built = clock.nsecsElapsed();
        };
        QTreeWidget treeView;
        QTreeWidget treeViewDelecao;
        const TImageList marks = TImageList::CheckBoxes();
        const TImageList status = TImageList::Thumbs();
        CatalogueControls controls;
        controls.TreeView = &treeView;
        controls.TreeViewDelecao = &treeViewDelecao;
        controls.ImageList = &marks;
        controls.ImageList_Status = &status;
        CatalogueTrees catalogue(fixture.workspace, controls);

        // The event dispatcher wakes each time the load lets the window handle its messages.
        qint64 lastAwake = 0;
        qint64 longestGap = 0;
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestGap = std::max(longestGap, now - lastAwake);
            lastAwake = now;
        });
        clock.start();
        {
            // Held as "Conectar" holds it.
            const RecordsGuard loading(RecordsGuard::Load);
            catalogue.ListarTabelasDependencias();
            catalogue.ListarTabelasDependenciasDelecao();
        }
        const qint64 total = clock.nsecsElapsed();
        QObject::disconnect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, nullptr, nullptr);

        const auto ms = [](qint64 ns) { return double(ns) / 1e6; };
        const int loaded = int(ListaTabelas.Items().size());
        const auto line = [&](const char* what, qint64 ns) {
            std::printf("%-28s %9.1f ms  %6.2f ms a table\n", what, ms(ns), ms(ns) / loaded);
        };
        std::printf("tables loaded: %d (selection tree %d roots, cleanup tree %d roots)\n", loaded,
                    treeView.topLevelItemCount(), treeViewDelecao.topLevelItemCount());
        line("table listing", listed);
        line("records (columns, counts)", built - listed);
        line("dependences and both trees", total - built);
        line("whole load", total);
        std::printf("longest gap between message processings while loading: %.0f ms\n",
                    ms(std::max(longestGap, total - lastAwake)));

        clock.restart();
        CompareStructures(ListaTabelas.Items(), fixture.SQLConnection, fixture.SQLConnectionDestino, false);
        std::printf("structure check of %d tables: %.0f ms\n", loaded, ms(clock.nsecsElapsed()));
        ListaTabelas.Clear();
    } catch (const Exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        return 1;
    }
    return 0;
}
