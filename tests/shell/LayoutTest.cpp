#include "MainWindowTest.h"

#include <QAccessible>
#include <QHeaderView>

namespace {

struct Accessible {
    QAccessible::Role role;
    QString name;
};

// What a screen reader finds below an interface: every visible element with its name.
void Collect(QAccessibleInterface* node, std::vector<Accessible>& found) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->state().invisible) continue;
        found.push_back({child->role(), child->text(QAccessible::Name)});
        Collect(child, found);
    }
}

std::vector<Accessible> AccessibleTree(QWidget* window) {
    std::vector<Accessible> found;
    Collect(QAccessible::queryAccessibleInterface(window), found);
    return found;
}

QStringList TabTexts(const QTabWidget* pages) {
    QStringList texts;
    for (int i = 0; i < pages->count(); ++i) texts << pages->tabText(i);
    return texts;
}

}  // namespace

TEST_F(MainWindowTest, ScreenReaderFindsEveryControlByItsCaptionOrHint) {
    const auto tree = AccessibleTree(&window);
    QStringList names;
    for (const auto& element : tree) names << element.name;
    for (const char* expected :
         {"Desabilitar Triggers", "Habilitar Triggers", "Generators", "Ajuda", "Parar", "Pausar", "Origem", "Destino",
          "Conectar", "Importar Dados", "Método de Sincronização", "No Synchronization", "Mutex", "Semaphore",
          "Desmarcar Todos", "Marcar Todos", "Atualizar Tabelas",
          "Alterar estrutura da tabela - Campos que serão atualizados", "lblStatus", "Seleção", "Limpeza",
          "Configurações", "Progresso", "Log"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(expected))) << expected;

    // Nothing a person can press, type in or pick is left without a name.
    const QList<QAccessible::Role> controls = {QAccessible::PushButton, QAccessible::CheckBox,
                                               QAccessible::RadioButton, QAccessible::EditableText,
                                               QAccessible::PageTab, QAccessible::Tree, QAccessible::ButtonMenu};
    for (const auto& element : tree)
        if (controls.contains(element.role)) {
            EXPECT_FALSE(element.name.trimmed().isEmpty()) << element.role;
        }
}

TEST_F(MainWindowTest, ScreenReaderAnnouncesTheMainWindowAsAnApplicationWindow) {
    // QAccessible::Window is what AT-SPI calls a frame; a bare top-level widget would be a filler.
    QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(announced, nullptr);
    EXPECT_EQ(announced->role(), QAccessible::Window);
    EXPECT_EQ(announced->text(QAccessible::Name), QStringLiteral("Vendrasol de Dados"));
}

TEST_F(MainWindowTest, StartsWithTheDesignedLayoutAndSettings) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vendrasol de Dados"));
    EXPECT_EQ(window.size(), QSize(808, 634));
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("lblStatus"));
    EXPECT_EQ(window.rdgSync->ItemIndex(), 2);
    EXPECT_EQ(window.workspace.SyncItemIndex(), 2);
    EXPECT_TRUE(window.cbbWaitDependence->isChecked());
    EXPECT_TRUE(window.TimerAtualiza->isActive());
    EXPECT_EQ(window.TimerAtualiza->interval(), 1000);

    EXPECT_EQ(window.PageControlTabelas->tabPosition(), QTabWidget::West);
    EXPECT_EQ(TabTexts(window.PageControlTabelas),
              QStringList({QStringLiteral("Seleção"), QStringLiteral("Limpeza"), QStringLiteral("Configurações")}));
    EXPECT_EQ(window.PageControl->tabPosition(), QTabWidget::East);
    EXPECT_EQ(TabTexts(window.PageControl), QStringList({QStringLiteral("Progresso"), QStringLiteral("Log")}));
    EXPECT_TRUE(window.btnEfetuarLimpeza->isVisibleTo(window.TabLimpeza));

    const QTreeWidget* list = window.ListView;
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Tabela"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Progresso"));
    EXPECT_EQ(list->columnWidth(0), 300);
    EXPECT_EQ(list->columnWidth(1), 200);
    EXPECT_FALSE(list->header()->sectionsClickable());
    EXPECT_TRUE(window.mmLog->isReadOnly());
    EXPECT_EQ(window.mmLog->lineWrapMode(), QPlainTextEdit::NoWrap);

    QStringList menu;
    for (const QAction* item : window.PopupMenuTabelas->actions()) menu << (item->isSeparator() ? "-" : item->text());
    EXPECT_EQ(menu, QStringList({QStringLiteral("Somente esta Tabela"), QStringLiteral("Esta Tabela e todas as suas dependências"),
                                 QStringLiteral("-"), QStringLiteral("Somente esta Tabela"),
                                 QStringLiteral("Esta Tabela e todas as suas dependências")}));
}

TEST_F(MainWindowTest, ShowingTheWindowSelectsTheFirstPageOfBothPageControls) {
    window.hide();
    window.PageControl->setCurrentWidget(window.TabLog);
    window.PageControlTabelas->setCurrentWidget(window.TabConfiguracao);
    window.show();
    EXPECT_EQ(window.PageControl->currentWidget(), window.TabProgresso);
    EXPECT_EQ(window.PageControlTabelas->currentWidget(), window.TabSelecao);
}
