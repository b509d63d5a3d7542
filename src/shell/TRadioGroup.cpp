#include "TRadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    setAccessibleName(caption.trimmed());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 4);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setAccessibleName(items[i]);
        group_->addButton(button, i);
        layout->addWidget(button);
    }
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = group_->button(index)) return button->setChecked(true);
    // -1 selects no item: an exclusive group keeps one checked, so it lets go for a moment.
    if (QAbstractButton* checked = group_->checkedButton(); checked && index == -1) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}
