#pragma once

class TTabela;
struct CopyContext;

// Copies the table, the tables it depends on first, unless it is imported, being imported or
// waiting for a table that depends on it. Returns when the copy has ended; its error, a stop
// included, reaches the caller.
void Exportar(TTabela& tabela, CopyContext& context);
