#include "StructureDifferencesDialog.h"

#include "catalogue/StructureWording.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

StructureDifferencesDialog::StructureDifferencesDialog(const QList<StructureDifference>& differences, QWidget* parent)
    : QDialog(parent), Differences(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("Atenção"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("A estrutura do destino difere da origem nas colunas que a importação copia:"), this));

    Differences->setHeaderLabels({QStringLiteral("Tabela / coluna"), QStringLiteral("Origem"), QStringLiteral("Destino"),
                                  QStringLiteral("O que acontece")});
    Differences->setRootIsDecorated(false);
    Differences->setSelectionMode(QAbstractItemView::NoSelection);
    QTreeWidgetItem* table = nullptr;
    for (const StructureDifference& difference : differences) {
        if (!table || table->text(0) != difference.table) {
            table = new QTreeWidgetItem(Differences, {difference.table});
            QFont bold = table->font(0);
            bold.setBold(true);
            table->setFont(0, bold);
        }
        new QTreeWidgetItem(table, {ColumnText(difference), OrigemText(difference), DestinoText(difference),
                                    ConsequenceText(difference)});
    }
    Differences->expandAll();
    for (int column = 0; column < Differences->columnCount(); ++column) Differences->resizeColumnToContents(column);
    layout->addWidget(Differences, 1);

    layout->addWidget(new QLabel(QStringLiteral("Continuar assim mesmo?"), this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* sim = new QPushButton(QStringLiteral("Sim"), this);
    auto* nao = new QPushButton(QStringLiteral("Não"), this);
    // Copying values that change must be chosen: a stray Enter does not.
    sim->setAutoDefault(false);
    nao->setDefault(true);
    nao->setFocus();
    buttons->addWidget(sim);
    buttons->addWidget(nao);
    layout->addLayout(buttons);
    connect(sim, &QPushButton::clicked, this, &QDialog::accept);
    connect(nao, &QPushButton::clicked, this, &QDialog::reject);
    // Wide enough for every column, as far as the screen allows; the list scrolls beyond that.
    const int width = Differences->header()->length() + 2 * Differences->frameWidth() +
                      Differences->verticalScrollBar()->sizeHint().width() + layout->contentsMargins().left() +
                      layout->contentsMargins().right();
    const QRect screen = parent ? parent->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(width, screen.width() * 9 / 10), std::min(480, screen.height() * 8 / 10));
}
