#include "UpdateFlagDelegate.h"

#include "RelationFieldsModel.h"
#include "platform/TImageList.h"

#include <QApplication>
#include <QPainter>

UpdateFlagDelegate::UpdateFlagDelegate(const TImageList& images, QObject* parent)
    : QStyledItemDelegate(parent), images_(images) {}

void UpdateFlagDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // The cell as usual, without the number it holds: the image stands for it.
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget* widget = cell.widget;
    (widget ? widget->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const int image = index.data(RelationFieldsModel::ImageIndexRole).toInt();
    if (image < 0 || image >= images_.Count()) return;
    images_.Draw(*painter, option.rect.left() + option.rect.width() / 2, option.rect.top() + 1, image);
}
