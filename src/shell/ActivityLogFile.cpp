#include "ActivityLogFile.h"

#include "platform/Exception.h"


#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

namespace {

constexpr int FlushAfterMs = 1000;

}  // namespace

ActivityLogFile::ActivityLogFile(const QString& folder) {
    const QString usual = QDir(folder).filePath(ActivityLogFileName);
    if (!Start(usual)) {
        const QString failure = file_.errorString();
        // A program installed in a read-only folder must still keep its log.
        const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!QDir().mkpath(dataFolder) || !Start(QDir(dataFolder).filePath(ActivityLogFileName)))
            throw Exception(QStringLiteral("Não foi possível gravar o log em %1: %2").arg(usual, failure));
        if (moved_.isEmpty()) moved_ = QStringLiteral("A pasta do programa não permite gravação.");
    }
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(FlushAfterMs);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] { FlushQuietly(); });
}

bool ActivityLogFile::Start(const QString& path) {
    QString target = path;
    lock_ = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Held as long as the run lasts; one left by a run that died is taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        const bool held = lock_->error() == QLockFile::LockFailedError;
        lock_.reset();
        // A folder where no lock can be made is one where no other run keeps its log either.
        if (held) {
            target = QFileInfo(path).dir().filePath(QStringLiteral("%1-%2.%3")
                                                        .arg(QFileInfo(path).completeBaseName(),
                                                             QString::number(QCoreApplication::applicationPid()),
                                                             QFileInfo(path).suffix()));
            moved_ = QStringLiteral("Outra execução do programa grava o log em %1.").arg(path);
        }
    }
    file_.setFileName(target);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    path_ = target;
    return true;
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
