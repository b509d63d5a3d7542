#include "FileIdentity.h"

#include <QFile>
#include <sys/stat.h>

std::optional<FileIdentity> FileIdentity::Of(const QString& path) {
    struct stat named;
    if (stat(QFile::encodeName(path).constData(), &named) != 0) return std::nullopt;
    return FileIdentity{named.st_dev, named.st_ino};
}
