#pragma once

#include <QStyledItemDelegate>

class TImageList;

// Owner drawing of the grid's flag column (DBGridTabelaDrawColumnCell): the cell's background,
// then the image whose index is the flag, its left edge half the column's width into the
// cell and its top one pixel below the cell's top. A flag the list has no image for leaves
// the cell blank.
class UpdateFlagDelegate : public QStyledItemDelegate {
public:
    UpdateFlagDelegate(const TImageList& images, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const TImageList& images_;
};
