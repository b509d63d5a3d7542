#include "TableTreeDelegate.h"

#include "TTabela.h"
#include "TableNodes.h"
#include "TableStateWording.h"
#include "platform/TImageList.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int MarkOffset = 5;
constexpr int StatusOffset = 20;

}  // namespace

TableTreeDelegate::TableTreeDelegate(const TImageList& marks, Mark mark, Hint markHint, const TImageList* status,
                                     QObject* parent)
    : QStyledItemDelegate(parent), marks_(marks), mark_(mark), markHint_(markHint), status_(status) {}

void TableTreeDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == RowCountsColumn) {
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::PlaceholderText));
        return;
    }
    option->font.setBold(true);
    option->fontMetrics = QFontMetrics(option->font);
}

bool TableTreeDelegate::IsTableName(const QModelIndex& index) const {
    return index.column() != RowCountsColumn && NodeTable(index);
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

// Past the text's last pixel, as the icons sit beside the text and not inside it.
QRect TableTreeDelegate::MarkRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QRect text = TextRect(option, index);
    return QRect(text.left() + text.width() + MarkOffset, text.top(), TImageList::Size, TImageList::Size);
}

QRect TableTreeDelegate::StatusRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return MarkRect(option, index).translated(StatusOffset - MarkOffset, 0);
}

void TableTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!IsTableName(index)) return;
    const TTabela* tabela = NodeTable(index);
    const QRect mark = MarkRect(option, index);
    marks_.Draw(*painter, mark.left(), mark.top(), (tabela->*mark_)() ? 1 : 0);
    if (status_) {
        const QRect status = StatusRect(option, index);
        status_->Draw(*painter, status.left(), status.top(), tabela->Importada() ? 1 : 0);
    }
}

QSize TableTreeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QSize text = QStyledItemDelegate::sizeHint(option, index);
    const int icons = index.column() == RowCountsColumn ? 0 : IconsWidth();
    return QSize(text.width() + icons, qMax(text.height(), TImageList::Size));
}

int TableTreeDelegate::IconsWidth() const { return (status_ ? StatusOffset : MarkOffset) + TImageList::Size; }

QString TableTreeDelegate::HintAt(const QPoint& pos, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const TTabela* tabela = NodeTable(index.siblingAtColumn(0));
    if (!tabela) return {};
    if (index.column() == RowCountsColumn) return RowCountsHint();
    if (MarkRect(option, index).contains(pos)) return markHint_(*tabela);
    if (status_ && StatusRect(option, index).contains(pos)) return CopyStatusHint(*tabela);
    return {};
}

bool TableTreeDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip) {
        if (const QString hint = HintAt(event->pos(), option, index); !hint.isEmpty()) {
            QToolTip::showText(event->globalPos(), hint, view->viewport(), option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

bool TableTreeDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) {
    if (!IsTableName(index)) return QStyledItemDelegate::editorEvent(event, model, option, index);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !MarkRect(option, index).contains(mouse->position().toPoint())) break;
        // As a check box does: the release toggles, and a double click expands nothing.
        if (event->type() == QEvent::MouseButtonRelease) emit MarkToggled(index);
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select) break;
        emit MarkToggled(index);
        return true;
    }
    default: break;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
