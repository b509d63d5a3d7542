#include "RelationFieldsModel.h"

#include "RelationFields.h"
#include "platform/SqlNames.h"
#include "platform/TClientDataSet.h"

#include <utility>

RelationFieldsModel::RelationFieldsModel(TClientDataSet& dataSet, QObject* parent)
    : QAbstractTableModel(parent), dataSet_(dataSet) {}

RelationFieldsModel::Row RelationFieldsModel::CurrentRow() const {
    const TField* flag = dataSet_.FieldByName(RelationFields::UpdateFlag);
    // Catalogue names are padded to their full width.
    return {StoredName(dataSet_.FieldByName(RelationFields::FieldName)->AsString()),
            flag->IsNull() ? std::nullopt : std::optional<int>(flag->AsInteger())};
}

void RelationFieldsModel::Reload() {
    beginResetModel();
    rows_.clear();
    // Walking the rows is no move of the user's: the row event waits for the first row.
    auto afterScroll = std::exchange(dataSet_.AfterScroll, nullptr);
    try {
        for (dataSet_.First(); !dataSet_.Eof(); dataSet_.Next()) rows_.push_back(CurrentRow());
    } catch (...) {
        dataSet_.AfterScroll = std::move(afterScroll);
        endResetModel();
        throw;
    }
    dataSet_.AfterScroll = std::move(afterScroll);
    endResetModel();
    if (!rows_.empty()) dataSet_.First();
}

void RelationFieldsModel::RefreshCurrent() {
    const int row = dataSet_.RecNo();
    if (row < 0 || row >= rowCount()) return;
    rows_[size_t(row)] = CurrentRow();
    emit dataChanged(index(row, NameColumn), index(row, FlagColumn));
}

int RelationFieldsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int RelationFieldsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant RelationFieldsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[size_t(index.row())];
    if (index.column() == NameColumn)
        return role == Qt::DisplayRole ? QVariant(row.name) : QVariant();
    switch (role) {
    case Qt::DisplayRole: return row.flag ? QVariant(*row.flag) : QVariant();
    case ImageIndexRole: return row.flag.value_or(0);
    // The image says yes or no; a reader of the screen says it in words.
    case Qt::AccessibleTextRole: {
        const int flag = row.flag.value_or(0);
        return flag == 1 ? QStringLiteral("Sim") : flag == 0 ? QStringLiteral("Não") : QString::number(flag);
    }
    default: return {};
    }
}

QVariant RelationFieldsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return section == NameColumn ? QStringLiteral("Nome do Campo") : QStringLiteral("Atualizar Campo");
    if (role == Qt::TextAlignmentRole && section == FlagColumn) return int(Qt::AlignCenter);
    return {};
}

// Neither column is edited in place: names are read-only and the flag changes by clicks.
Qt::ItemFlags RelationFieldsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
