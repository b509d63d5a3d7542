#include "shell/CommandLine.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

CommandLine Parse(const QStringList& arguments) { return ParseCommandLine(QStringList{QStringLiteral("vendrasol")} + arguments); }

struct Outcome {
    int exitCode;
    QString out;
    QString err;
};

// Runs the built program as a user would, with no display to open a window on.
Outcome RunBuiltProgram(const QStringList& arguments, const QString& platform = {}) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
    if (!platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VENDRASOL_EXECUTABLE), arguments);
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
        return {-1, QString(), QStringLiteral("did not end")};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromLocal8Bit(program.readAllStandardOutput()), QString::fromLocal8Bit(program.readAllStandardError())};
}

}  // namespace

TEST(CommandLine, TwoPathsAreTakenExactlyAsTyped) {
    const CommandLine line = Parse({QStringLiteral("/dados/minha pasta/Orígem Ação.fdb"), QStringLiteral("servidor:/dados/destino.fdb")});
    EXPECT_EQ(line.action, CommandLine::Run);
    EXPECT_TRUE(line.hasPaths);
    EXPECT_EQ(line.origem, QStringLiteral("/dados/minha pasta/Orígem Ação.fdb"));
    EXPECT_EQ(line.destino, QStringLiteral("servidor:/dados/destino.fdb"));

    // After "--" a file whose name starts with a dash is a path, not an option.
    const CommandLine dashed = Parse({QStringLiteral("--"), QStringLiteral("-velho.fdb"), QStringLiteral("novo.fdb")});
    EXPECT_EQ(dashed.action, CommandLine::Run);
    EXPECT_EQ(dashed.origem, QStringLiteral("-velho.fdb"));

    const CommandLine none = Parse({});
    EXPECT_EQ(none.action, CommandLine::Run);
    EXPECT_FALSE(none.hasPaths);
}

TEST(CommandLine, OnePathThreePathsOrAnUnknownOptionAreRefusedWithTheReason) {
    for (const QStringList& arguments : {QStringList{QStringLiteral("a.fdb")},
                                         QStringList{QStringLiteral("a.fdb"), QStringLiteral("b.fdb"), QStringLiteral("c.fdb")},
                                         QStringList{QStringLiteral("--conectar"), QStringLiteral("a.fdb"), QStringLiteral("b.fdb")}}) {
        const CommandLine line = Parse(arguments);
        EXPECT_EQ(line.action, CommandLine::Refuse) << arguments.join(' ').toStdString();
        EXPECT_FALSE(line.hasPaths);
        EXPECT_FALSE(line.error.isEmpty());
    }
    EXPECT_TRUE(Parse({QStringLiteral("--conectar")}).error.contains(QStringLiteral("conectar")));
}

TEST(CommandLine, HelpAndVersionWinOverTheRestOfTheLineButAWindowSystemOptionIsNoVersion) {
    EXPECT_EQ(Parse({QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("--version")}).action,
              CommandLine::ShowVersion);
    EXPECT_EQ(Parse({QStringLiteral("a.fdb"), QStringLiteral("-h")}).action, CommandLine::ShowHelp);
    EXPECT_EQ(Parse({QStringLiteral("-v")}).action, CommandLine::ShowVersion);
    // Qt's own -reverse holds a "v"; read as single letters it would print the version.
    EXPECT_EQ(Parse({QStringLiteral("-reverse")}).action, CommandLine::Refuse);
}

TEST(CommandLine, TheProgramAnswersHelpAndVersionWithoutADisplayAndRefusesOnePath) {
    const Outcome version = RunBuiltProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out, QStringLiteral("vendrasol " VENDRASOL_VERSION "\n"));

    const Outcome help = RunBuiltProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_EQ(help.out, CommandLineHelp());
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Uso: vendrasol [ORIGEM DESTINO]\n")));

    // Only after the window system has taken its options out is one path known to be one.
    const Outcome onePath = RunBuiltProgram({QStringLiteral("-reverse"), QStringLiteral("a.fdb")}, QStringLiteral("offscreen"));
    EXPECT_EQ(onePath.exitCode, 2);
    EXPECT_EQ(onePath.out, QString());
    EXPECT_TRUE(onePath.err.contains(QStringLiteral("ORIGEM e DESTINO"))) << onePath.err.toStdString();

    // Nor does a line it refuses need one.
    const Outcome unknown = RunBuiltProgram({QStringLiteral("--tudo")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("opção desconhecida: tudo"))) << unknown.err.toStdString();
}
