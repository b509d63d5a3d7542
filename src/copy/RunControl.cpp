#include "RunControl.h"

bool PararProcesso = false;
bool Pausado = false;
bool Encerrando = false;
