#include "ActivityLog.h"

TStringList ListaLog;
bool LogAtivo = false;

namespace {

long long loggedLines = 0;
QString filePath;
std::function<void(const QString&)> writeToFile;
std::function<void(const QString&)> watcher;

}  // namespace

void RegistrarLog(const QString& text) {
    if (!LogAtivo) return;
    // One line, in the file and the memo, whatever lines the server's message holds: a refused row
    // is found by its line, its key on it.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
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
