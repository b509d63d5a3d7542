#pragma once

#include <QStyledItemDelegate>

class TImageList;
class TTabela;

// Owner drawing of the selection and cleanup trees (TreeViewCustomDrawItem and
// TreeViewDelecaoCustomDrawItem): the node's text in bold, the table's mark 5 pixels right of
// the text and, in the selection tree, its copy status 20 pixels right of it; the row counts in
// the second column, in grey. A node without a record shows its text alone. Each icon and the
// counts tell what they mean when hovered, and a click on the mark or Space on the current node
// asks for the mark to be toggled.
class TableTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using Mark = bool (TTabela::*)() const;
    using Hint = QString (*)(const TTabela&);

    // status is null for the cleanup tree, which shows no copy status.
    TableTreeDelegate(const TImageList& marks, Mark mark, Hint markHint, const TImageList* status, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // The node's text alone, without indentation and buttons, in viewport coordinates.
    QRect TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // Where the mark and the copy status are drawn, in viewport coordinates.
    QRect MarkRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QRect StatusRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

signals:
    // The user clicked the node's mark, or pressed Space on it.
    void MarkToggled(const QModelIndex& index);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int IconsWidth() const;
    // What the icon or the counts under pos say; empty elsewhere.
    QString HintAt(const QPoint& pos, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    bool IsTableName(const QModelIndex& index) const;

    const TImageList& marks_;
    Mark mark_;
    Hint markHint_;
    const TImageList* status_;
};
