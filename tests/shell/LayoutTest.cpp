#include "MainWindowTest.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

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
    // The names take what they need, the bars the rest.
    EXPECT_EQ(list->header()->sectionResizeMode(0), QHeaderView::ResizeToContents);
    EXPECT_EQ(list->header()->sectionResizeMode(1), QHeaderView::Stretch);
    EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
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

TEST_F(MainWindowTest, AtItsMinimumSizeNothingOverlapsOrIsCut) {
    EXPECT_EQ(window.minimumSize(), QSize(800, 600));
    window.lblTriggersDesativadas->show();
    window.resize(window.minimumSize());
    QApplication::processEvents();
    ASSERT_EQ(window.size(), QSize(800, 600));

    QList<QWidget*> controls = {window.PageControlTabelas, window.PageControl};
    for (QWidget* control : window.findChildren<QWidget*>())
        if (control->isVisible() && (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control) ||
                                     qobject_cast<QLineEdit*>(control)) && !window.PageControlTabelas->isAncestorOf(control) &&
            !window.PageControl->isAncestorOf(control))
            controls << control;
    const auto place = [this](const QWidget* control) { return QRect(control->mapTo(&window, QPoint()), control->size()); };
    for (QWidget* control : controls) {
        const std::string name = control->accessibleName().isEmpty() ? control->objectName().toStdString()
                                                                     : control->accessibleName().toStdString();
        EXPECT_TRUE(window.rect().contains(place(control))) << name;
        if (!qobject_cast<QLineEdit*>(control)) {
            EXPECT_GE(control->width(), control->sizeHint().width()) << name;
        }
        for (QWidget* other : controls) {
            if (other == control) continue;
            EXPECT_FALSE(place(control).intersects(place(other))) << name;
        }
    }
    EXPECT_EQ(controls.size(), 26);
}

TEST_F(MainWindowTest, TabGoesThroughTheControlsFromTopToBottom) {
    const QList<QWidget*> expected = {
        window.btnDesabilitarTrigger, window.btnHabilitarTrigger, window.btnGenerators, window.btnHelp,
        window.btnParar, window.btnPausar, window.edtCaminhoOrigem, window.btnCaminhoOrigem, window.edtCaminhoDestino,
        window.btnCaminhoDestino, window.btnConecta, window.btnImportar, window.btnVerificar,
        window.rdgSync->findChild<QRadioButton*>(),
        window.TreeView, window.ListView, window.btnUnCheckAll, window.btnCheckAll, window.btnAtualizar,
        window.btnEstruturaTabela};
    QList<QWidget*> chain;
    QWidget* next = window.btnDesabilitarTrigger;
    do {
        if (expected.contains(next)) chain << next;
        next = next->nextInFocusChain();
    } while (next != window.btnDesabilitarTrigger);
    EXPECT_EQ(chain, expected);
}

TEST_F(MainWindowTest, EnterInAPathFieldPressesConectar) {
    for (QLineEdit* field : {window.edtCaminhoOrigem, window.edtCaminhoDestino}) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& message : dialogs.messages) EXPECT_EQ(message.text, QStringLiteral("Caminhos devem ser diferentes!"));
}
