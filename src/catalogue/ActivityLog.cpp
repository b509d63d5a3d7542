#include "ActivityLog.h"

TStringList ListaLog;
bool LogAtivo = false;

namespace {

long long loggedLines = 0;
QString filePath;
std::function<void(const QString&)> writeToFile;
std::function<void(const QString&)> watcher;

}  // namespace

void RegistrarLog(const QString& line) {
    if (!LogAtivo) return;
    if (writeToFile) writeToFile(line);
    if (watcher) watcher(line);
    ListaLog.Add(line);
    if (ListaLog.Count() > RecentLogLines) ListaLog.Delete(0);
    ++loggedLines;
}

long long LoggedLineCount() { return loggedLines; }

void SetActivityLogFile(const QString& path, std::function<void(const QString&)> write) {
    filePath = path;
    writeToFile = std::move(write);
}

void WatchActivityLog(std::function<void(const QString&)> watch) { watcher = std::move(watch); }

const QString& ActivityLogFilePath() { return filePath; }

void OpenActivityLog() {
    if (LogAtivo) return;
    ListaLog.Clear();
    loggedLines = 0;
    LogAtivo = true;
}

void CloseActivityLog() {
    LogAtivo = false;
    SetActivityLogFile(QString(), {});
}
