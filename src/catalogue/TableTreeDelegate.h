#pragma once

#include <QStyledItemDelegate>

class TImageList;
class TTabela;

// Owner drawing of the selection and cleanup trees (TreeViewCustomDrawItem and
// TreeViewDelecaoCustomDrawItem): the node's text in bold, the table's mark 5 pixels right of
// the text and, in the selection tree, its copy status 20 pixels right of it. A node without a
// record shows its text alone.
class TableTreeDelegate : public QStyledItemDelegate {
public:
    using Mark = bool (TTabela::*)() const;

    // status is null for the cleanup tree, which shows no copy status.
    TableTreeDelegate(const TImageList& marks, Mark mark, const TImageList* status, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The node's text alone, without indentation and buttons, in viewport coordinates.
    QRect TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int IconsWidth() const;

    const TImageList& marks_;
    Mark mark_;
    const TImageList* status_;
};
