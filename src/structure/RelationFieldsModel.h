#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

class TClientDataSet;

// What the column grid shows of the client dataset that holds a table's columns: each row's
// name and update flag, as read from the dataset.
class RelationFieldsModel : public QAbstractTableModel {
public:
    enum Column { NameColumn, FlagColumn, ColumnCount };
    // The flag as the image list indexes it: a null flag reads as 0.
    static constexpr int ImageIndexRole = Qt::UserRole;

    RelationFieldsModel(TClientDataSet& dataSet, QObject* parent);

    // Reads every row of the dataset again and leaves it on its first row.
    void Reload();
    // Reads the dataset's current row again, after it was changed.
    void RefreshCurrent();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        QString name;
        std::optional<int> flag;
    };
    Row CurrentRow() const;

    TClientDataSet& dataSet_;
    std::vector<Row> rows_;
};
