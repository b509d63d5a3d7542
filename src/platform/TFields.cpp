#include "TFields.h"

#include "EDatabaseError.h"
#include "TField.h"

int TFields::FieldCount() const { return int(HeldFields().size()); }

TField* TFields::Fields(int index) { return HeldFields().at(size_t(index)).get(); }

TField* TFields::FindField(const QString& name) {
    // The exact name first: a name that differs from another only in case is still found.
    for (const auto& field : HeldFields())
        if (field->FieldName() == name) return field.get();
    for (const auto& field : HeldFields())
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0) return field.get();
    return nullptr;
}

TField* TFields::FieldByName(const QString& name) {
    if (TField* field = FindField(name)) return field;
    throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado").arg(name));
}
