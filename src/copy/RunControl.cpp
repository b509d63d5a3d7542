#include "RunControl.h"

bool PararProcesso = false;
bool Pausado = false;
bool Encerrando = false;

QString StopWhilePausedText() { return QStringLiteral("Pausado: a importação para quando se clicar em \"Continuar\"."); }
