#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class TClientDataSet;
class TField;
class TSQLConnection;

// Rows whose key is NULL in every column: a unique key holds any number of them, so the
// destination cannot refuse one it holds already, and sending it again would put it in twice.
// Where the destination holds such rows, those of the source are not sent; they are counted and
// logged as refused, since any of those it holds may be one of them. Where it holds none, they are
// sent as any row.
class NullKeyRows {
public:
    // Reads whether the destination holds such rows of the table, by its key; none without a key.
    NullKeyRows(TSQLConnection& destino, const QString& table, const QStringList& key);

    // On the source row about to be sent: true when it is not to be sent.
    bool Withholds(TClientDataSet& origem);
    // Logs the rows not sent, once, and returns how many (none the second time).
    long long Finish();

private:
    QString table_;
    QStringList key_;
    bool held_ = false;
    std::vector<const TField*> fields_;   // of the source row, found on the first
    long long withheld_ = 0;
    bool finished_ = false;
};
