#include "EqualCountsNotice.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"

void EqualCountsNotice::Reached(const TTabela& tabela) {
    if (reached_.contains(&tabela)) return;
    reached_.insert(&tabela);
    if (tabela.Checked() && tabela.Importada() && !tabela.Importando() && tabela.RowCountsEqual())
        RegistrarLog(QStringLiteral("%1: mesma quantidade de registros na origem e no destino (%2): não copiada")
                         .arg(tabela.NomeTabela(), QString::number(tabela.SourceRowCount())));
}
