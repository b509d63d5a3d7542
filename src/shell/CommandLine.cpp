#include "CommandLine.h"

#include <QCommandLineParser>

namespace {

const QString Importar = QStringLiteral("importar");

// The options of "--importar" that take no value, and where each goes.
struct ImportFlag {
    const char* name;
    bool ImportOptions::*field;
};
constexpr ImportFlag ImportFlags[] = {
    {"desabilitar-triggers", &ImportOptions::desabilitarTriggers},
    {"limpar", &ImportOptions::limpar},
    {"generators", &ImportOptions::generators},
    {"duas-etapas", &ImportOptions::duasEtapas},
    {"retomar", &ImportOptions::retomar},
    {"verificar", &ImportOptions::verificar},
};

// The options that only "--importar" reads.
QStringList ImportOnlyOptions() {
    QStringList names{QStringLiteral("tabelas"), QStringLiteral("sim")};
    for (const ImportFlag& flag : ImportFlags) names << QString::fromLatin1(flag.name);
    return names;
}

// The import options of a line already understood; the error is left empty when they make sense.
void ReadImport(const QCommandLineParser& parser, CommandLine& line) {
    if (!parser.isSet(Importar)) {
        for (const QString& name : ImportOnlyOptions())
            if (parser.isSet(name)) {
                line.action = CommandLine::Refuse;
                line.error = QStringLiteral("--%1 só vale com --importar").arg(name);
                return;
            }
        return;
    }
    line.action = CommandLine::Refuse;
    if (parser.positionalArguments().size() != 2) {
        line.error = QStringLiteral("--importar pede os dois caminhos, ORIGEM e DESTINO");
        return;
    }
    for (const ImportFlag& flag : ImportFlags) line.import.*flag.field = parser.isSet(QString::fromLatin1(flag.name));
    if (parser.isSet(QStringLiteral("tabelas"))) {
        for (const QString& value : parser.values(QStringLiteral("tabelas")))
            for (const QString& name : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                // As typed: a name may begin with a blank (the run looks for it without, too).
                if (!name.trimmed().isEmpty()) line.import.tabelas << name;
        if (line.import.tabelas.isEmpty()) {
            line.error = QStringLiteral("--tabelas pede ao menos um nome de tabela (A,B,C)");
            return;
        }
    }
    // It deletes rows: a script says so in as many words.
    if (line.import.limpar && !parser.isSet(QStringLiteral("sim"))) {
        line.error = QStringLiteral(
            "--limpar apaga todas as linhas das tabelas copiadas no destino; confirme com --sim");
        return;
    }
    line.action = CommandLine::Import;
    line.hasPaths = true;
    line.origem = parser.positionalArguments()[0];
    line.destino = parser.positionalArguments()[1];
}

void ReadWindowPaths(const QStringList& paths, CommandLine& line) {
    if (paths.size() == 2) {
        line.hasPaths = true;
        line.origem = paths[0];
        line.destino = paths[1];
    } else if (!paths.isEmpty()) {
        line.action = CommandLine::Refuse;
        line.error = QStringLiteral("informe os dois caminhos, ORIGEM e DESTINO, ou nenhum");
    }
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform" is a word for the window system, not the letters p, l, a...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(QCommandLineOption(Importar));
    parser.addOption(QCommandLineOption(QStringLiteral("tabelas"), QString(), QStringLiteral("A,B,C")));
    parser.addOption(QCommandLineOption(QStringLiteral("sim")));
    for (const ImportFlag& flag : ImportFlags) parser.addOption(QCommandLineOption(QString::fromLatin1(flag.name)));
    const bool understood = parser.parse(arguments);

    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::ShowHelp;
    } else if (parser.isSet(version)) {
        line.action = CommandLine::ShowVersion;
    } else if (!understood) {
        line.action = CommandLine::Refuse;
        line.error = parser.unknownOptionNames().isEmpty()
                         ? parser.errorText()
                         : QStringLiteral("opção desconhecida: %1").arg(parser.unknownOptionNames().join(QStringLiteral(", ")));
    } else {
        ReadImport(parser, line);
        if (line.action == CommandLine::Run) ReadWindowPaths(parser.positionalArguments(), line);
    }
    return line;
}

bool AsksForImport(const QStringList& arguments) {
    // After "--" every word is a path, whatever it looks like.
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    const QStringList options = arguments.mid(0, end < 0 ? arguments.size() : end);
    return options.contains(QStringLiteral("--") + Importar) || options.contains(QStringLiteral("-") + Importar);
}

QString CommandLineHelp() {
    return QStringLiteral(
        "Uso: vendrasol [ORIGEM DESTINO]\n"
        "     vendrasol --importar ORIGEM DESTINO [opções]\n"
        "Copia os dados de um banco Firebird (ORIGEM) para outro de mesma estrutura (DESTINO).\n"
        "\n"
        "  ORIGEM DESTINO  caminhos dos dois bancos, postos nos campos \"Origem\" e \"Destino\";\n"
        "                  a conexão começa quando se clica em \"Conectar\". Sem eles, a janela\n"
        "                  traz os dois últimos caminhos que conectaram.\n"
        "                  Um caminho simples abre o arquivo sem servidor; servidor:/caminho\n"
        "                  passa por um servidor Firebird.\n"
        "  -h, --help      mostra esta ajuda e termina\n"
        "  -v, --version   mostra a versão e termina\n"
        "\n"
        "Sem janela (scripts, cron, ssh; não precisa de DISPLAY):\n"
        "  --importar ORIGEM DESTINO  faz o que a janela faz com \"Conectar\", as marcas e\n"
        "                  \"Importar Dados\", com o mesmo código\n"
        "  --tabelas A,B,C marca estas tabelas e suas dependências (sem esta opção: todas)\n"
        "  --desabilitar-triggers  desativa as triggers do destino antes da cópia e ativa de\n"
        "                  novo, no fim, as que desativou, mesmo após um erro ou interrupção\n"
        "  --limpar        \"Efetuar Limpeza\" das tabelas que a cópia preenche (as marcadas e as\n"
        "                  que elas referenciam) antes da cópia, na ordem da limpeza; apaga\n"
        "                  linhas, por isso só com --sim. Recusa, antes de apagar,\n"
        "                  se esvaziaria uma tabela que a cópia não preenche de novo\n"
        "  --sim           confirma --limpar\n"
        "  --generators    leva o valor dos generators depois da cópia\n"
        "  --duas-etapas   \"Copiar referências circulares em duas etapas\"\n"
        "  --retomar       envia somente os registros que faltam no destino\n"
        "  --verificar     \"Verificar Dados\" depois da cópia\n"
        "\n"
        "  Saída: uma linha por tabela ao terminar; num terminal, uma linha de progresso\n"
        "  (tabela, percentual, registros/s, tempo restante); no fim, o resumo e o caminho do\n"
        "  arquivo de log, onde ficam os registros rejeitados. As mensagens vão para a saída\n"
        "  de erro, com as mesmas palavras da janela.\n"
        "  Ctrl+C, SIGTERM ou SIGHUP param a cópia como \"Parar\": o que entrou fica gravado,\n"
        "  as triggers voltam e o log é escrito.\n"
        "  Código de saída: 0 tudo copiado, sem rejeitados (e, com --verificar, tudo igual);\n"
        "  1 registros rejeitados, tabelas não copiadas ou diferenças; 2 erro (argumentos,\n"
        "  conexão, um comando, a saída que não pôde ser escrita);\n"
        "  130 interrompido.\n");
}

QString VersionText() { return QStringLiteral("vendrasol " VENDRASOL_VERSION "\n"); }
