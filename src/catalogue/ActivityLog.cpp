#include "ActivityLog.h"

TStringList ListaLog;
bool LogAtivo = false;

void RegistrarLog(const QString& line) {
    if (LogAtivo) ListaLog.Add(line);
}

void OpenActivityLog() {
    if (LogAtivo) return;
    ListaLog.Clear();
    LogAtivo = true;
}

void CloseActivityLog() { LogAtivo = false; }
