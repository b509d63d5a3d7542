#pragma once

// Set by "Parar": the running copy stops at its next reporting row (and clears the request).
extern bool PararProcesso;
// Toggled by "Pausar"/"Continuar": while set, a copy that reaches a reporting row waits.
extern bool Pausado;
