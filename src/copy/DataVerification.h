#pragma once

#include "VerificationControls.h"

#include <QObject>
#include <QString>

class TTabela;
struct ComparisonResult;
struct CopyContext;

// "Verificar Dados": compares, table by table, the rows of every marked table on both databases,
// each table with its progress row as a copy shows it; logs what differs, and gives each table's
// imported mark what it found, until the next refresh counts the rows again. "Parar" and
// "Pausar" act on it as on a copy, and a server that answers nothing once stopped is given up.
// The rows are read, and the tables described, on threads of their own; everything else runs on
// the main thread.
class DataVerification : public QObject {
public:
    DataVerification(CopyContext& context, const VerificationControls& controls, QObject* parent);

    void btnVerificarClick();
    bool Running() const { return running_ > 0; }

private:
    // Whether the table holds the same rows on both sides; a table that cannot be read on one of
    // them is logged and counts as different.
    bool Verify(TTabela& tabela);
    void Log(const QString& nomeTabela, const ComparisonResult& result);
    void Summarize(int equal, int different, double seconds, bool interrupted);

    CopyContext& context_;
    VerificationControls controls_;
    int running_ = 0;
};
