#pragma once

#include "CatalogueWindowTest.h"

#include "catalogue/ActivityLog.h"
#include "copy/Exportar.h"
#include "copy/ImportRun.h"
#include "copy/RunControl.h"
#include "support/QtPrinting.h"

#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>
#include <functional>

// The main window connected to a source and a destination, with what the copy tests look at.
class CopyWindow : public CatalogueWindow {
protected:
    ~CopyWindow() override {
        PararProcesso = false;
        Pausado = false;
        Encerrando = false;
    }

    // Source and destination of their own structures and rows, then connected.
    void ConnectPair(const QString& origemDdl, const QString& destinoDdl, const QString& origemRows,
                     const QString& destinoRows) {
        origem = databases.Create(QStringLiteral("origem"), origemDdl);
        destino = databases.Create(QStringLiteral("destino"), destinoDdl);
        DatabaseFactory::Execute(origem, origemRows);
        DatabaseFactory::Execute(destino, destinoRows);
        Reconnect();
    }

    void Mark(const char* name) { Tabela(name)->SetChecked(true); }
    void Import() { window.btnImportar->click(); }
    // Copies one table as a copy job's dependency step does.
    void Export(const char* name) { Exportar(*Tabela(name), window.Import()->Context()); }

    // The log, each table's closing line without its time ("CLIENTE: 2 lidos, 2 inseridos, 0 rejeitados"),
    // so that a list of lines holds whatever the machine's pace.
    static QStringList Log() {
        static const QRegularExpression time(
            QStringLiteral("^(.+: \\d+ lidos, \\d+ inseridos, \\d+ rejeitados), em \\d\\d:\\d\\d:\\d\\d$"));
        QStringList lines = ListaLog.Items();
        for (QString& line : lines) line.replace(time, QStringLiteral("\\1"));
        return lines;
    }
    QString Destino(const QString& sql) const { return DatabaseFactory::QueryValue(destino, sql); }
    QString Origem(const QString& sql) const { return DatabaseFactory::QueryValue(origem, sql); }
    int DestinoCount(const QString& table) const {
        return Destino(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
    }

    // Runs the action when the copy next lets the window handle its messages, or after the given
    // delay: while it checks the databases, before its first row, as well.
    static void WhenTheWindowListens(const std::function<void()>& action, int delay = 0) {
        QTimer::singleShot(delay, action);
    }

    // Runs the action when the window handles its messages once the copy reported its first row.
    void WhenTheCopyReports(const std::function<void()>& action) {
        QTimer::singleShot(0, [this, action] {
            if (window.ListView->topLevelItemCount() == 0) return WhenTheCopyReports(action);
            const auto* bar = qobject_cast<QProgressBar*>(window.ListView->itemWidget(window.ListView->topLevelItem(0), 1));
            if (!bar || bar->value() < 1) return WhenTheCopyReports(action);
            action();
        });
    }

    // The closing line of an import, whatever its time.
    static QRegularExpression Summary(const QString& how, int tables, int inserted, int rejected) {
        return QRegularExpression(QRegularExpression::escape(
                                      QStringLiteral("%1: %2 tabela(s), %3 registro(s) inseridos, %4 rejeitado(s), em ")
                                          .arg(how)
                                          .arg(tables)
                                          .arg(inserted)
                                          .arg(rejected)) +
                                  QStringLiteral("\\d\\d:\\d\\d:\\d\\d$"));
    }

    // The rows an import says it inserted, from its closing line when it was interrupted; -1 when
    // the line is no such one.
    static int InsertedWhenInterrupted(const QString& line) {
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^Importação interrompida: \\d+ tabela\\(s\\), (\\d+) registro\\(s\\) inseridos"))
                .match(line);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
};

// A table of n rows, made fast on the server.
inline QString ManyRows(const QString& table, int n) {
    return QStringLiteral("SET TERM ^ ;"
                          "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= %2) DO BEGIN"
                          " INSERT INTO %1 VALUES (:I, 'linha ' || :I); I = I + 1; END END^"
                          "SET TERM ; ^")
        .arg(table)
        .arg(n);
}
