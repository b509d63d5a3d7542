#include "ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString HelpFileName = QStringLiteral("HelpVendrasol.txt");

// The package puts the data folder in the same place relative to the executable, whatever its prefix.
QDir DataFolder(const QString& programFolder) {
    return QDir(QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(VENDRASOL_DATA_FROM_PROGRAM))));
}

}  // namespace

QString HelpFile(const QString& programFolder) {
    for (const QString& path : {QDir(programFolder).filePath(HelpFileName), DataFolder(programFolder).filePath(HelpFileName)})
        if (QFileInfo::exists(path)) return path;
    return QString();
}

QString LogFolder(const QString& programFolder) {
    if (DataFolder(programFolder).exists()) return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return programFolder;
}
