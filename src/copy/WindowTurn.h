#pragma once

#include <chrono>

struct CopyContext;

// A reporting row comes at least this long after the last one: the window then handles its
// messages, and "Pausar" and "Parar" take effect.
constexpr auto ReportEvery = std::chrono::milliseconds(100);

// The window's turn on a reporting row: the rows sent are committed once a second, the window
// handles its messages, "Parar" ends the copy here and "Pausar" holds it, its rows committed,
// until "Continuar" (or the end of the program, which stops it).
void ListenToTheWindow(CopyContext& context);
// The window's turn once ReportEvery has passed since its last one: for work that goes on without
// reporting rows, such as going down a long chain of referenced tables.
void ListenToTheWindowWhenDue(CopyContext& context);

// Ends the copy with "Processo Parado!" when "Parar" was pressed (taking the request) or the
// program is ending.
void StopIfAsked(CopyContext& context);
