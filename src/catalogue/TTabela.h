#pragma once

#include "ForeignKeyCycles.h"
#include "platform/KernelHandles.h"
#include "platform/TStringList.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

struct Workspace;
class TThreadExport;
Q_DECLARE_OPAQUE_POINTER(TThreadExport*)

// How a table's copy job starts the jobs of its dependences; item index of rdgSync plus one.
enum TSyncObjMethod : uint8_t { smNull, smNoSync, smMutex, smSemaphore };

// Mirrors "Esperar Dependências?": while it is off, no table is left waiting for another.
extern bool EsperarDependencias;
// Mirrors "Copiar referências circulares em duas etapas": a copy cuts each foreign-key cycle at
// a nullable key, copies the rows with the cut columns NULL and sets them in a second pass.
extern bool CopiarReferenciasCirculares;

// One user table of the source: its copyable columns, its foreign-key dependences both ways,
// the user's marks and the state of its copy and cleanup.
class TTabela : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool CheckedDelete READ CheckedDelete WRITE SetCheckedDelete)
    Q_PROPERTY(bool Importada READ Importada WRITE SetImportada)
    Q_PROPERTY(bool WaitDependence READ WaitDependence WRITE SetWaitDependence)
    Q_PROPERTY(bool Importando READ Importando WRITE SetImportando)
    Q_PROPERTY(bool Deletada READ Deletada WRITE SetDeletada)
    Q_PROPERTY(bool Deletando READ Deletando WRITE SetDeletando)
    Q_PROPERTY(QString NomeTabela READ NomeTabela WRITE SetNomeTabela)
    Q_PROPERTY(QString SQLSelect READ SQLSelect)
    Q_PROPERTY(TStringList* FieldNames READ FieldNames)
    Q_PROPERTY(TStringList* Dependences READ Dependences)
    Q_PROPERTY(TStringList* DependencesDelete READ DependencesDelete)
    Q_PROPERTY(HANDLE SemaphoreHandle READ SemaphoreHandle WRITE SetSemaphoreHandle)
    Q_PROPERTY(HANDLE MutexHandle READ MutexHandle WRITE SetMutexHandle)
    Q_PROPERTY(TThreadExport* ThreadExport READ ThreadExport WRITE SetThreadExport)
    Q_PROPERTY(TSyncObjMethod SyncObjMethod READ SyncObjMethod WRITE SetSyncObjMethod)

public:
    // Reads the table's columns, drops the computed ones and compares the row counts of both
    // databases. A database error leaves no record behind and reaches the caller.
    TTabela(const QString& nomeTabela, Workspace& workspace);

    // Marked for the copy on the "Seleção" tab.
    bool Checked() const { return checked_; }
    void SetChecked(bool value) { checked_ = value; }
    // Marked for the cleanup on the "Limpeza" tab.
    bool CheckedDelete() const { return checkedDelete_; }
    void SetCheckedDelete(bool value) { checkedDelete_ = value; }
    // Every row is in the destination (see VerificarImportada), or a copy job just finished it.
    bool Importada() const { return importada_; }
    void SetImportada(bool value) { importada_ = value; }
    // Copied by the job of a table that references it, not by a job of its own.
    bool WaitDependence() const { return waitDependence_; }
    void SetWaitDependence(bool value) { waitDependence_ = value && EsperarDependencias; }
    // A copy job is working on it.
    bool Importando() const { return importando_; }
    void SetImportando(bool value) { importando_ = value; }
    // The cleanup emptied it in the destination; not emptied again until the tables are read anew.
    bool Deletada() const { return deletada_; }
    void SetDeletada(bool value) { deletada_ = value; }
    // On the cleanup's walk to the tables that reference it: a cycle ends there.
    bool Deletando() const { return deletando_; }
    void SetDeletando(bool value) { deletando_ = value; }
    const QString& NomeTabela() const { return nomeTabela_; }
    void SetNomeTabela(const QString& value) { nomeTabela_ = value; }
    QString SQLSelect() const;
    TStringList* FieldNames() { return &fieldNames_; }
    TStringList* Dependences() { return &dependences_; }
    TStringList* DependencesDelete() { return &dependencesDelete_; }
    HANDLE SemaphoreHandle() const { return semaphoreHandle_; }
    void SetSemaphoreHandle(HANDLE value) { semaphoreHandle_ = value; }
    HANDLE MutexHandle() const { return mutexHandle_; }
    void SetMutexHandle(HANDLE value) { mutexHandle_ = value; }
    TThreadExport* ThreadExport() const { return threadExport_; }
    void SetThreadExport(TThreadExport* value) { threadExport_ = value; }
    TSyncObjMethod SyncObjMethod() const { return syncObjMethod_; }
    void SetSyncObjMethod(TSyncObjMethod value) { syncObjMethod_ = value; }

    // Importada := the source and the destination hold the same number of rows, and no second
    // pass of the table is left to finish. With the same number of rows, a second pass is left to
    // finish when a cut column holds fewer values in the destination than in the source: what the
    // databases hold says so after a stop, an error, a new connection or a restart alike. While a
    // command holds the records (RecordsGuard), the counts run on a thread of their own and the
    // window handles its messages meanwhile.
    void VerificarImportada();
    // What the last VerificarImportada counted, whatever is left to finish.
    bool RowCountsEqual() const { return rowCountsEqual_; }
    // The rows of each side that the last VerificarImportada counted.
    qint64 SourceRowCount() const { return sourceRowCount_; }
    qint64 DestinationRowCount() const { return destinationRowCount_; }
    // The cleanup emptied the table on the destination: it counts as copied only when the source
    // held no row either at the last count, so the next import copies it again.
    void DestinationEmptied();

    // The table's foreign-key cycles as a copy in two passes cuts them; found with the dependences.
    const CycleCut& Cycles() const { return cycles_; }
    // Also counts the rows again when there are cut columns: the values they hold on both sides
    // tell whether a second pass is left to finish.
    void SetCycles(CycleCut cycles);
    // Rows went in with their cut columns NULL and the second pass has not set them yet.
    bool SecondPassPending() const { return secondPassPending_; }
    void SetSecondPassPending(bool value) { secondPassPending_ = value; }
    // The table has cut columns and is copied in two passes: the setting (cutCycles) is on, or a
    // second pass of an earlier copy is left to finish.
    bool CopiesInTwoPasses(bool cutCycles) const;
    // A dependence this table reaches through cut keys alone: its copy comes after this one's.
    bool DefersDependence(const QString& name, bool cutCycles) const;

    // Gives the direct dependences this mark; they also wait for this table's copy job.
    void MarcarDependencias(bool value);
    // Gives the tables that reference this one its cleanup mark.
    void MarcarDependenciasDelecao(bool value);

private:
    void RemoveComputedFields();
    // VerificarImportada, with what else is to be read in the same step as the counts.
    void Count(const std::function<void()>& alsoRead = {});

    Workspace& workspace_;
    bool importada_ = false;
    QString nomeTabela_;
    bool checked_ = false;
    TStringList fieldNames_;
    TStringList dependences_;
    bool importando_ = false;
    HANDLE semaphoreHandle_ = 0;
    HANDLE mutexHandle_ = 0;
    TSyncObjMethod syncObjMethod_ = smNull;
    TThreadExport* threadExport_ = nullptr;
    bool waitDependence_ = false;
    TStringList dependencesDelete_;
    bool checkedDelete_ = false;
    bool deletada_ = false;
    bool deletando_ = false;
    bool rowCountsEqual_ = false;
    qint64 sourceRowCount_ = 0;
    qint64 destinationRowCount_ = 0;
    CycleCut cycles_;
    QStringList countedCuts_;   // the cut columns the destination table has too
    bool secondPassPending_ = false;
};
