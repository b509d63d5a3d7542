#include "CommandLine.h"

#include <QCommandLineParser>

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform" is a word for the window system, not the letters p, l, a...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    const bool understood = parser.parse(arguments);

    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::ShowHelp;
    } else if (parser.isSet(version)) {
        line.action = CommandLine::ShowVersion;
    } else if (!understood) {
        line.action = CommandLine::Refuse;
        line.error = QStringLiteral("opção desconhecida: %1").arg(parser.unknownOptionNames().join(QStringLiteral(", ")));
    } else if (const QStringList paths = parser.positionalArguments(); paths.size() == 2) {
        line.hasPaths = true;
        line.origem = paths[0];
        line.destino = paths[1];
    } else if (!paths.isEmpty()) {
        line.action = CommandLine::Refuse;
        line.error = QStringLiteral("informe os dois caminhos, ORIGEM e DESTINO, ou nenhum");
    }
    return line;
}

QString CommandLineHelp() {
    return QStringLiteral(
        "Uso: vendrasol [ORIGEM DESTINO]\n"
        "Copia os dados de um banco Firebird (ORIGEM) para outro de mesma estrutura (DESTINO).\n"
        "\n"
        "  ORIGEM DESTINO  caminhos dos dois bancos, postos nos campos \"Origem\" e \"Destino\";\n"
        "                  a conexão começa quando se clica em \"Conectar\". Sem eles, a janela\n"
        "                  traz os dois últimos caminhos que conectaram.\n"
        "                  Um caminho simples abre o arquivo sem servidor; servidor:/caminho\n"
        "                  passa por um servidor Firebird.\n"
        "  -h, --help      mostra esta ajuda e termina\n"
        "  -v, --version   mostra a versão e termina\n");
}

QString VersionText() { return QStringLiteral("vendrasol " VENDRASOL_VERSION "\n"); }
