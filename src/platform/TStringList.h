#pragma once

#include <QString>
#include <QStringList>

// Ordered list of strings with the case-insensitive look-ups the catalogue relies on,
// and the Name=Value access of a connection's parameter list.
class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<QString> items) : items_(items) {}

    int Count() const { return int(items_.size()); }
    const QString& operator[](int index) const { return items_.at(index); }
    void Add(const QString& item) { items_.append(item); }
    void Insert(int index, const QString& item) { items_.insert(index, item); }
    void Delete(int index) { items_.removeAt(index); }
    void Clear() { items_.clear(); }
    void Set(int index, const QString& item) { items_[index] = item; }
    // Position of the first entry equal to item, compared case-insensitively; -1 when absent.
    int IndexOf(const QString& item) const;
    bool Contains(const QString& item) const { return IndexOf(item) >= 0; }

    // Name=Value entries: the name is matched case-insensitively.
    QString Values(const QString& name) const;
    void SetValue(const QString& name, const QString& value);

    // Entries joined by CR LF, each line ended by CR LF.
    QString Text() const;
    const QStringList& Items() const { return items_; }

private:
    int IndexOfName(const QString& name) const;
    QStringList items_;
};
