#pragma once

#include "platform/RowReadAhead.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TClientDataSet;
class TField;
class TTabela;
struct CopyContext;

// Set by "Enviar somente os registros que faltam"; an import reads it as it begins.
extern bool EnviarSomenteFaltantes;

// "Enviar somente os registros que faltam" for one table with a primary or unique key: the source
// is read sorted by the key, and the destination's keys beside it in the same order, so that a
// row whose key the destination already holds is not sent again. Only the destination keys that
// sort alike are held at a time, whatever the table's size. A row is passed over only when the
// destination holds the very same key, NULL matching NULL, both read alike (a key kept in another
// character set or type is read as the verification reads it, on both sides); a row in doubt (keys
// that sort alike but differ, a key NULL in every column) is sent, as without the box. The rows of
// a run of keys the destination holds unbroken (HeldKeyRun) are counted there and not read at all.
// Threads: the main thread uses it; the destination's keys are read on a thread of their own.
class ResumeByKey {
public:
    // Null when the run sends every row, or the table has no key the copy fills.
    static std::unique_ptr<ResumeByKey> ForTable(TTabela& tabela, CopyContext& context);
    ResumeByKey(CopyContext& context, const TTabela& tabela, const QStringList& key, const QString& keysSql,
                QStringList keyRead, QString selected, long long held);
    ~ResumeByKey();

    // The source's select, of the rows to read, sorted as the destination's keys come; a key read
    // alike is read once more, after the copied columns.
    QString SourceSelect(const QString& select) const;
    // The values the source's select reads after the copied columns.
    int ExtraColumns() const { return int(keyRead_.size()); }
    // On the source row about to be sent: true when the destination holds its key, and the row is
    // to be passed over.
    bool InDestination(TClientDataSet& origem);
    // Logs how many rows the destination held already, also when the table is left before its end.
    // Rows passed over were not this run's: the second pass must not take every row found by the
    // key for its own.
    void Finish();

private:
    using Row = RowReadAhead::Row;
    // Takes the next run of destination keys that sort alike; empty after the last.
    void TakeAlike();

    CopyContext& context_;
    const TTabela& tabela_;
    QStringList key_;
    QStringList keyRead_;   // the key read alike, where the plain columns would not compare
    QString selected_;   // the condition and the order appended to the source's select
    RowReadAhead destino_;
    std::vector<TField*> keyFields_;   // of the source row, found on the first
    std::vector<TFieldValue> sourceKey_;
    std::vector<Row> alike_;
    Row next_;
    bool hasNext_ = false;
    long long passedOver_ = 0;
    bool finished_ = false;
};
