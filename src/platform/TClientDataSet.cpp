#include "TClientDataSet.h"

#include "ApplyEngine.h"
#include "EDatabaseError.h"
#include "FieldList.h"
#include "IdleWait.h"
#include "OnFailure.h"
#include "RowReadAhead.h"
#include "TDataSetProvider.h"
#include "TSQLConnection.h"
#include "TSQLDataSet.h"

#include <ibase.h>

#include <cmath>
#include <cstring>

namespace {

using Values = std::vector<TFieldValue>;

enum class OpenMode { AllRows, OnDemand, FieldsOnly };

}  // namespace

struct TClientDataSet::Impl : ConnectionClient {
    TClientDataSet* owner;
    TSQLConnection* connection = nullptr;
    OpenMode mode = OpenMode::AllRows;
    bool active = false;
    FieldList fields;
    std::vector<Values> rows;
    // On demand, the rows read ahead of the walk, and the current one.
    std::unique_ptr<RowReadAhead> ahead;
    Values aheadRow;
    int current = 0;
    bool eof = true;
    int recordCount = 0;
    TDataSetState state = TDataSetState::dsInactive;
    Values beforeEdit;
    std::vector<PendingChange> changes;
    ApplyEngine engine;

    explicit Impl(TClientDataSet* o) : owner(o) {}

    void ConnectionClosing() override {
        ahead.reset();
        engine.Reset();
    }

    // Reads the rows on from the source's current row, on the reader's thread.
    void ReadAhead() {
        ahead = std::make_unique<RowReadAhead>(Source());
        ahead->Start();
        TakeAhead();
    }

    void TakeAhead() { eof = !ahead->Next(aheadRow, Idle()); }

    std::function<void()> Idle() const {
        return owner->OnWaitRows ? owner->OnWaitRows : std::function<void()>([] {});
    }

    // Gives the source back to this thread, the reader stopped.
    void StopReading() noexcept {
        if (!ahead) return;
        ahead->Stop(Idle());
        ahead.reset();
    }

    void Attach(TSQLConnection* to) {
        if (connection == to) return;
        if (connection) connection->RemoveClient(this);
        connection = to;
        if (connection) connection->AddClient(this);
    }

    TSQLDataSet& Source() const {
        if (!owner->provider_ || !owner->provider_->DataSet)
            throw EDatabaseError(QStringLiteral("Conjunto de dados sem provedor"));
        return *owner->provider_->DataSet;
    }

    Values CurrentValues() const {
        Values values;
        values.reserve(fields.size());
        for (const auto& field : fields) values.push_back(field->Value());
        return values;
    }

    void Show(const Values& values) {
        for (size_t i = 0; i < fields.size(); ++i) fields[i]->Load(values[i]);
    }

    void ShowEmpty() {
        for (const auto& field : fields) field->Load(field->Shape());
    }

    void ShowCurrent() {
        if (mode == OpenMode::AllRows && current < int(rows.size()))
            Show(rows[size_t(current)]);
        else if (mode == OpenMode::OnDemand && !eof)
            Show(aheadRow);
        else
            ShowEmpty();
    }

    void Scrolled() {
        if (!eof && owner->AfterScroll) owner->AfterScroll();
    }

    void RequireBrowse() {
        if (state == TDataSetState::dsInsert || state == TDataSetState::dsEdit) owner->Post();
    }

    void RequireActive() const {
        if (!active) throw EDatabaseError(QStringLiteral("Operação não permitida em um conjunto de dados fechado"));
    }

    void CheckRequired() const {
        for (const auto& field : fields)
            if (field->Required() && field->IsNull() && (field->ProviderFlags & pfInUpdate) &&
                !field->OriginColumn().isEmpty())
                throw EDatabaseError(QStringLiteral("O campo '%1' precisa de um valor").arg(field->FieldName()));
    }

    // A float kept in a 64-bit exact column must come to less than 2^63 of its units: the server's
    // conversion of a parameter takes 2^63 itself (the nearest float to the top) for -2^63, and
    // NaN for anything. Refused here, with the server's words for a value out of range.
    void CheckExactRange() const {
        for (const auto& field : fields) {
            const TFieldValue& value = field->Value();
            if (value.isNull || field->Shape().sqlType != SQL_INT64 || (value.sqlType != SQL_FLOAT && value.sqlType != SQL_DOUBLE))
                continue;
            double units = 0;
            if (value.sqlType == SQL_FLOAT) {
                float single = 0;
                std::memcpy(&single, value.data.constData(), sizeof single);
                units = single;
            } else {
                std::memcpy(&units, value.data.constData(), sizeof units);
            }
            units *= std::pow(10.0, -field->Shape().scale);
            if (!(units >= -0x1p63 && units < 0x1p63))
                throw EDatabaseError(QStringLiteral("numeric value is out of range: %1 na coluna %2")
                                         .arg(field->AsString(), field->FieldName()));
        }
    }

    // What becomes of a refused change: the handler says, with the refused row in the fields.
    ApplyEngine::Reconcile Reconciler();
    // Takes the server's answer for the rows sent before and reports their refusals. Those kept
    // pending go to the front of the changes, and the same apply does not try them again.
    struct TakenAnswer {
        int errors;
        size_t reported;   // the changes at the front that were just reported
    };
    TakenAnswer TakeAnswer();
    // Runs an apply and shows the current row again, whatever happened.
    template <typename Work>
    int Applying(Work work);

    void Undo(const PendingChange& change) {
        if (change.row < 0) return;
        if (change.kind == TUpdateKind::ukInsert) {
            rows.erase(rows.begin() + change.row);
            for (PendingChange& other : changes)
                if (other.row > change.row) --other.row;
            recordCount = int(rows.size());
            if (current >= recordCount) current = std::max(0, recordCount - 1);
            eof = rows.empty();
        } else {
            rows[size_t(change.row)] = change.oldValues;
        }
    }
};

TClientDataSet::TClientDataSet(TDataSetProvider* provider) : d(std::make_unique<Impl>(this)), provider_(provider) {}

TClientDataSet::~TClientDataSet() {
    d->ahead.reset();
    d->engine.Reset();
    d->Attach(nullptr);
}

void TClientDataSet::SetProvider(TDataSetProvider* provider) {
    Close();
    provider_ = provider;
}

void TClientDataSet::Open() {
    if (d->active) return;
    TSQLDataSet& source = d->Source();
    d->Attach(source.SQLConnection());
    d->mode = PacketRecords == 0 ? OpenMode::FieldsOnly : FetchOnDemand ? OpenMode::OnDemand : OpenMode::AllRows;
    d->rows.clear();
    d->changes.clear();
    d->current = 0;
    switch (d->mode) {
    case OpenMode::FieldsOnly:
        source.Prepare();
        d->recordCount = 0;
        break;
    case OpenMode::OnDemand:
        source.Snapshot = true;
        // Counting a large table's rows, or sorting them, takes a while: the caller idles meanwhile.
        RunCallingIdle([&source] { source.Open(); }, d->Idle());
        d->recordCount = source.SnapshotRecordCount();
        break;
    case OpenMode::AllRows:
        source.Snapshot = false;
        source.Open();
        {
            const OnFailure close([&source] { source.Close(); });
            for (; !source.Eof(); source.Next()) {
                Values values;
                for (int i = 0; i < source.FieldCount(); ++i) values.push_back(source.Fields(i)->Value());
                d->rows.push_back(std::move(values));
            }
        }
        source.Close();
        d->recordCount = int(d->rows.size());
        break;
    }
    d->fields.clear();
    for (const auto& field : source.FieldList()) d->fields.push_back(std::make_unique<TField>(*field));
    d->active = true;
    d->state = TDataSetState::dsBrowse;
    d->eof = d->mode == OpenMode::FieldsOnly || d->rows.empty();
    if (d->mode == OpenMode::OnDemand) {
        const OnFailure close([this] { Close(); });
        d->ReadAhead();
    }
    d->ShowCurrent();
    d->Scrolled();
}

void TClientDataSet::Close() {
    if (!d->active) return;
    d->StopReading();
    if (d->mode == OpenMode::OnDemand) d->Source().Close();
    d->engine.Reset();
    d->active = false;
    d->state = TDataSetState::dsInactive;
    d->rows.clear();
    d->changes.clear();
    d->eof = true;
    d->recordCount = 0;
}

bool TClientDataSet::Active() const { return d->active; }

TDataSetState TClientDataSet::State() const { return d->state; }

void TClientDataSet::First() {
    d->RequireActive();
    d->RequireBrowse();
    if (d->mode == OpenMode::OnDemand) {
        if (d->current == 0) return;
        // Read again from the start, in the same snapshot: the rows stay the same.
        d->StopReading();
        d->Source().Restart();
        d->ReadAhead();
    } else {
        d->eof = d->rows.empty();
    }
    d->current = 0;
    d->ShowCurrent();
    d->Scrolled();
}

void TClientDataSet::Next() {
    d->RequireActive();
    d->RequireBrowse();
    if (d->eof) return;
    if (d->mode == OpenMode::OnDemand) {
        d->TakeAhead();
        ++d->current;
    } else if (d->current + 1 < int(d->rows.size())) {
        ++d->current;
    } else {
        d->eof = true;
        return;
    }
    if (!d->eof) d->ShowCurrent();
    d->Scrolled();
}

bool TClientDataSet::Eof() const { return d->eof; }

int TClientDataSet::RecordCount() const { return d->recordCount; }

int TClientDataSet::RecNo() const { return d->current; }

void TClientDataSet::SetRecNo(int recNo) {
    d->RequireActive();
    d->RequireBrowse();
    if (d->mode != OpenMode::AllRows || recNo < 0 || recNo >= int(d->rows.size()))
        throw EDatabaseError(QStringLiteral("Registro %1 fora do conjunto de dados").arg(recNo));
    d->current = recNo;
    d->eof = false;
    d->ShowCurrent();
    d->Scrolled();
}

bool TClientDataSet::Locate(const QString& fieldName, const QString& value) {
    d->RequireActive();
    d->RequireBrowse();
    if (d->mode != OpenMode::AllRows) throw EDatabaseError(QStringLiteral("Locate precisa de todas as linhas"));
    const TField* target = FieldByName(fieldName);
    const size_t column = size_t(std::find_if(d->fields.begin(), d->fields.end(),
                                              [&](const auto& f) { return f.get() == target; }) -
                                 d->fields.begin());
    TField probe(*target);
    for (size_t row = 0; row < d->rows.size(); ++row) {
        probe.Load(d->rows[row][column]);
        QString text = probe.AsString();
        // CHAR values come padded; the server compares them without the padding, and so does this.
        if (probe.Shape().sqlType == SQL_TEXT) {
            while (text.endsWith(QLatin1Char(' '))) text.chop(1);
        }
        if (text.compare(value, Qt::CaseInsensitive) == 0) {
            d->current = int(row);
            d->eof = false;
            d->ShowCurrent();
            d->Scrolled();
            return true;
        }
    }
    return false;
}

const std::vector<std::unique_ptr<TField>>& TClientDataSet::HeldFields() const { return d->fields; }

void TClientDataSet::Append() {
    d->RequireActive();
    d->RequireBrowse();
    d->ShowEmpty();
    d->state = TDataSetState::dsInsert;
}

void TClientDataSet::Edit() {
    d->RequireActive();
    if (d->state != TDataSetState::dsBrowse) return;
    if (d->mode != OpenMode::AllRows || d->eof)
        throw EDatabaseError(QStringLiteral("Não há registro para editar"));
    d->beforeEdit = d->CurrentValues();
    d->state = TDataSetState::dsEdit;
}

void TClientDataSet::Post() {
    if (d->state == TDataSetState::dsInsert) {
        d->CheckRequired();
        d->CheckExactRange();
        Values values = d->CurrentValues();
        int row = -1;
        if (d->mode == OpenMode::AllRows) {
            d->rows.push_back(values);
            row = d->current = int(d->rows.size()) - 1;
            d->recordCount = int(d->rows.size());
            d->eof = false;
        }
        d->changes.push_back({TUpdateKind::ukInsert, row, {}, std::move(values)});
    } else if (d->state == TDataSetState::dsEdit) {
        Values values = d->CurrentValues();
        auto pending = std::find_if(d->changes.begin(), d->changes.end(),
                                    [&](const PendingChange& c) { return c.row == d->current; });
        if (pending != d->changes.end())
            pending->newValues = values;
        else if (values != d->beforeEdit)
            d->changes.push_back({TUpdateKind::ukModify, d->current, d->beforeEdit, values});
        d->rows[size_t(d->current)] = std::move(values);
    } else {
        return;
    }
    d->state = TDataSetState::dsBrowse;
    for (const auto& field : d->fields) field->ResetAssigned();
}

void TClientDataSet::Cancel() {
    if (d->state == TDataSetState::dsEdit)
        d->Show(d->beforeEdit);
    else if (d->state == TDataSetState::dsInsert)
        d->ShowCurrent();
    else
        return;
    d->state = TDataSetState::dsBrowse;
}

int TClientDataSet::ChangeCount() const { return int(d->changes.size() + d->engine.RowsInFlight()); }

ApplyEngine::Reconcile TClientDataSet::Impl::Reconciler() {
    return [this](const PendingChange& change, const EDatabaseError& error) {
        TReconcileAction action = TReconcileAction::raSkip;
        if (owner->OnReconcileError) {
            Show(change.newValues);
            owner->OnReconcileError(*owner, error, change.kind, action);
        }
        if (action == TReconcileAction::raCancel) Undo(change);
        return action;
    };
}

TClientDataSet::Impl::TakenAnswer TClientDataSet::Impl::TakeAnswer() {
    const size_t waiting = changes.size();
    const int errors = engine.TakeAnswer(changes, Reconciler());
    return {errors, changes.size() - waiting};
}

template <typename Work>
int TClientDataSet::Impl::Applying(Work work) {
    RequireActive();
    RequireBrowse();
    if (changes.empty() && engine.RowsInFlight() == 0) return 0;
    const OnFailure show([this] { ShowCurrent(); });
    const int errors = work();
    ShowCurrent();
    return errors;
}

int TClientDataSet::ApplyUpdates(int maxErrors) {
    return d->Applying([&] {
        const Impl::TakenAnswer sent = d->TakeAnswer();
        return sent.errors + d->engine.Apply(d->changes, d->fields, *provider_, *d->connection, Transaction,
                                             maxErrors, d->Reconciler(), sent.reported);
    });
}

bool TClientDataSet::AwaitInFlight(std::chrono::milliseconds timeout) { return d->engine.AwaitInFlight(timeout); }

int TClientDataSet::TakeAnswer() {
    return d->Applying([&] { return d->TakeAnswer().errors; });
}

bool TClientDataSet::SendsInBackground() const {
    return d->connection && ApplyEngine::SendsInBackground(*d->connection, d->fields);
}

int TClientDataSet::SendUpdates() {
    return d->Applying([&] {
        const Impl::TakenAnswer sent = d->TakeAnswer();
        if (d->engine.Send(d->changes, d->fields, *provider_, *d->connection, Transaction, sent.reported))
            return sent.errors;
        return sent.errors + d->engine.Apply(d->changes, d->fields, *provider_, *d->connection, Transaction, -1,
                                             d->Reconciler(), sent.reported);
    });
}
