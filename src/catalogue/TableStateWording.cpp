#include "TableStateWording.h"

#include "TTabela.h"

#include <QLocale>

QString RowCountsText(const TTabela& tabela) {
    const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    return brasil.toString(tabela.SourceRowCount()) + QStringLiteral(" → ") + brasil.toString(tabela.DestinationRowCount());
}

QString RowCountsHint() { return QStringLiteral("Registros na origem → no destino, na última contagem"); }

QString CopyMarkHint(const TTabela& tabela) {
    if (!tabela.Checked()) return QStringLiteral("Não marcada para importar");
    // The import leaves a waiting table to the copy of a table that references it.
    if (tabela.WaitDependence())
        return QStringLiteral("Marcada para importar, à espera: é copiada junto com a tabela que a referencia");
    return QStringLiteral("Marcada para importar");
}

QString CopyStatusHint(const TTabela& tabela) {
    if (tabela.Importando()) return QStringLiteral("Importando");
    if (tabela.Importada())
        // A table whose copy has just ended counts as imported until the import counts again.
        return tabela.RowCountsEqual()
                   ? QStringLiteral("Importada: origem e destino têm o mesmo número de registros")
                   : QStringLiteral("Importada nesta importação");
    if (!tabela.RowCountsEqual())
        return QStringLiteral("Não importada: origem e destino têm números de registros diferentes");
    return QStringLiteral("Não importada: falta terminar a segunda etapa da cópia (referências circulares)");
}

QString CleanupMarkHint(const TTabela& tabela) {
    QString hint = tabela.CheckedDelete() ? QStringLiteral("Marcada para a limpeza")
                                          : QStringLiteral("Não marcada para a limpeza");
    if (tabela.Deletada()) hint += QStringLiteral("; já esvaziada: a limpeza não a esvazia de novo até Atualizar Tabelas");
    return hint;
}
