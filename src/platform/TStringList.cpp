#include "TStringList.h"

int TStringList::IndexOf(const QString& item) const {
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i].compare(item, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int TStringList::IndexOfName(const QString& name) const {
    for (int i = 0; i < items_.size(); ++i) {
        const qsizetype eq = items_[i].indexOf(QLatin1Char('='));
        if (eq >= 0 && items_[i].left(eq).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString TStringList::Values(const QString& name) const {
    const int i = IndexOfName(name);
    return i < 0 ? QString() : items_[i].mid(items_[i].indexOf(QLatin1Char('=')) + 1);
}

void TStringList::SetValue(const QString& name, const QString& value) {
    const int i = IndexOfName(name);
    const QString entry = (i < 0 ? name : items_[i].left(items_[i].indexOf(QLatin1Char('=')))) + QLatin1Char('=') + value;
    if (i < 0)
        items_.append(entry);
    else
        items_[i] = entry;
}

QString TStringList::Text() const {
    QString text;
    for (const QString& line : items_) text += line + QStringLiteral("\r\n");
    return text;
}
