#include "ActivityLogFile.h"

#include "platform/Exception.h"


#include <QDir>
#include <QStandardPaths>
#include <utility>

namespace {

constexpr int FlushAfterMs = 1000;

}  // namespace

ActivityLogFile::ActivityLogFile(const QString& folder) {
    path_ = QDir(folder).filePath(ActivityLogFileName);
    file_.setFileName(path_);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString failure = file_.errorString();
        // A program installed in a read-only folder must still keep its log.
        const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString elsewhere = QDir(dataFolder).filePath(ActivityLogFileName);
        file_.setFileName(elsewhere);
        if (!QDir().mkpath(dataFolder) || !file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw Exception(QStringLiteral("Não foi possível gravar o log em %1: %2").arg(path_, failure));
        path_ = elsewhere;
    }
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(FlushAfterMs);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] { FlushQuietly(); });
}

void ActivityLogFile::Write(const QString& line) {
    const QByteArray text = line.toUtf8() + "\r\n";
    if (file_.write(text) != text.size() && failure_.isEmpty()) failure_ = file_.errorString();
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void ActivityLogFile::FlushQuietly() {
    if (!file_.flush() && failure_.isEmpty()) failure_ = file_.errorString();
}

void ActivityLogFile::Flush() {
    flushTimer_.stop();
    FlushQuietly();
    if (failure_.isEmpty()) return;
    const QString failure = std::exchange(failure_, QString());
    throw Exception(QStringLiteral("Não foi possível gravar o log em %1: %2").arg(path_, failure));
}
