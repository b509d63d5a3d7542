#pragma once

#include <QString>

// Set by "Parar": the running copy stops at its next reporting row, or at once when it waits for
// the server, which is asked to cancel what it is doing (and the request is cleared).
extern bool PararProcesso;
// Toggled by "Pausar"/"Continuar": while set, a copy that reaches a reporting row waits. A paused
// copy takes a "Parar" once it goes on, and the status line says so.
extern bool Pausado;
QString StopWhilePausedText();
// Set when the program ends during an import (the window closed, a termination signal): the copy
// stops at once, a paused one too, and no wait on the server lasts more than a moment.
extern bool Encerrando;
