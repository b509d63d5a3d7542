#include "TriggerJournal.h"

#include "platform/Exception.h"


#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString DatabaseKey = QStringLiteral("database");
const QString CreationKey = QStringLiteral("creation");
const QString TriggersKey = QStringLiteral("triggers");

}  // namespace

TriggerJournal::TriggerJournal(const QString& folder, const DatabaseIdentity& database) : database_(database) {
    // Without a folder the file would land wherever the program happened to start.
    if (folder.isEmpty()) throw Exception(QStringLiteral("Não há pasta para o registro das triggers desativadas"));
    const QByteArray key = database.fileName.toUtf8() + '\n' + database.creation.toHex();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    path_ = QDir(folder).filePath(QStringLiteral("triggers-desativadas-%1.json").arg(hash));
}

bool TriggerJournal::Exists() const { return QFileInfo::exists(path_); }

QStringList TriggerJournal::Names() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Não foi possível ler %1: %2").arg(path_, file.errorString()));
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    const QJsonValue triggers = document.object().value(TriggersKey);
    if (!triggers.isArray())
        throw Exception(QStringLiteral("O registro das triggers desativadas %1 está danificado: nenhuma trigger foi ativada")
                            .arg(path_));
    QStringList names;
    for (const QJsonValue& name : triggers.toArray()) names << name.toString();
    return names;
}

void TriggerJournal::Add(const QStringList& names) {
    QStringList all = Exists() ? Names() : QStringList();
    for (const QString& name : names)
        if (!all.contains(name)) all << name;
    Keep(all);
}

void TriggerJournal::Keep(const QStringList& names) {
    QDir().mkpath(QFileInfo(path_).path());
    QSaveFile file(path_);
    const QJsonObject record{{DatabaseKey, database_.fileName},
                             {CreationKey, QString::fromLatin1(database_.creation.toHex())},
                             {TriggersKey, QJsonArray::fromStringList(names)}};
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(record).toJson()) < 0 || !file.commit())
        throw Exception(QStringLiteral("Não foi possível gravar %1: %2").arg(path_, file.errorString()));
}
