#pragma once

#include <QString>
#include <memory>
#include <vector>

class TField;

// A dataset's fields by position and by name, over the list of fields the dataset holds.
class TFields {
public:
    int FieldCount() const;
    TField* Fields(int index);
    TField* FieldByName(const QString& name);   // case-insensitive; raises when absent
    TField* FindField(const QString& name);     // case-insensitive; nullptr when absent

protected:
    ~TFields() = default;
    virtual const std::vector<std::unique_ptr<TField>>& HeldFields() const = 0;
};
