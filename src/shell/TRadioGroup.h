#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

// A framed group of radio buttons, one per item, addressed by the index of the checked one.
class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    // Index of the checked item; -1 when none is.
    int ItemIndex() const;
    // Checks the item at index; -1 checks none; any other index changes nothing.
    void SetItemIndex(int index);

private:
    QButtonGroup* group_;
};
