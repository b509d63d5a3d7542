#include "ActivityLogFile.h"

#include "catalogue/ActivityLog.h"
#include "platform/Exceptions.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The error text when the file cannot be written; empty when it was.
QString TrySave(const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    file.write(ListaLog.Text().toUtf8());
    return file.commit() ? QString() : file.errorString();
}

}  // namespace

QString SaveActivityLog(const QString& folder) {
    const QString beside = QDir(folder).filePath(ActivityLogFileName);
    const QString failure = TrySave(beside);
    if (failure.isEmpty()) return beside;

    // A program installed in a read-only folder must still keep its log and let the user close it.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString elsewhere = QDir(dataFolder).filePath(ActivityLogFileName);
    if (QDir().mkpath(dataFolder) && TrySave(elsewhere).isEmpty()) return elsewhere;
    throw Exception(QStringLiteral("Não foi possível gravar o log em %1: %2").arg(beside, failure));
}
