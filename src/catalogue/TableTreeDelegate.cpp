#include "TableTreeDelegate.h"

#include "TTabela.h"
#include "TableNodes.h"
#include "platform/TImageList.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int MarkOffset = 5;
constexpr int StatusOffset = 20;

}  // namespace

TableTreeDelegate::TableTreeDelegate(const TImageList& marks, Mark mark, const TImageList* status, QObject* parent)
    : QStyledItemDelegate(parent), marks_(marks), mark_(mark), status_(status) {}

void TableTreeDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->font.setBold(true);
    option->fontMetrics = QFontMetrics(option->font);
}

QRect TableTreeDelegate::TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return QRect(area.left(), area.top(), opt.fontMetrics.horizontalAdvance(opt.text) + 2 * margin, area.height());
}

void TableTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const TTabela* tabela = NodeTable(index);
    if (!tabela) return;
    // Past the text's last pixel, as the icons sit beside the text and not inside it.
    const QRect text = TextRect(option, index);
    const int right = text.left() + text.width();
    marks_.Draw(*painter, right + MarkOffset, text.top(), (tabela->*mark_)() ? 1 : 0);
    if (status_) status_->Draw(*painter, right + StatusOffset, text.top(), tabela->Importada() ? 1 : 0);
}

QSize TableTreeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QSize text = QStyledItemDelegate::sizeHint(option, index);
    return QSize(text.width() + IconsWidth(), qMax(text.height(), TImageList::Size));
}

int TableTreeDelegate::IconsWidth() const { return (status_ ? StatusOffset : MarkOffset) + TImageList::Size; }
