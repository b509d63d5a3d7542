#include "shell/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString PackageFile = QStringLiteral(VENDRASOL_PACKAGE_FOLDER "/vendrasol_" VENDRASOL_VERSION "_amd64.deb");

// Runs a tool and gives its output; a tool that fails or is missing fails the test.
QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << ": "
                      << process.errorString().toStdString() << " " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The value of a key of a desktop entry.
QString EntryValue(const QString& entry, const QString& key) {
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('='))) return line.mid(key.size() + 1);
    return QString();
}

// The names in a Depends field, without versions or alternatives' bars.
QSet<QString> PackageNames(const QString& depends) {
    QSet<QString> names;
    for (const QString& item : depends.split(QRegularExpression(QStringLiteral("[,|]")), Qt::SkipEmptyParts))
        names << item.section(QLatin1Char('('), 0, 0).trimmed().section(QLatin1Char(':'), 0, 0);
    return names;
}

// Reads the package scripts/package or scripts/test made from this very build.
class PackageTest : public testing::Test {
protected:
    void SetUp() override {
        const QFileInfo package(PackageFile);
        if (package.exists() && package.lastModified() >= QFileInfo(QStringLiteral(VENDRASOL_EXECUTABLE)).lastModified())
            return;
        const std::string why = "no package of this build at " + PackageFile.toStdString() + ": scripts/package makes it";
        if (qgetenv("CI") == "true") FAIL() << why;
        GTEST_SKIP() << why;
    }

    // The package's files, as dpkg would install them, under a folder of the test's own.
    QString Unpack() {
        RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), PackageFile, root.path()});
        return root.path();
    }

    QString Field(const QString& name) { return RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), PackageFile, name}).trimmed(); }

    QTemporaryDir root;
};

}  // namespace

TEST_F(PackageTest, ControlDataNamesThePackageOfEveryLibraryTheProgramLinksAndTheEmbeddedEngine) {
    EXPECT_EQ(Field(QStringLiteral("Package")), QStringLiteral("vendrasol"));
    EXPECT_EQ(Field(QStringLiteral("Version")), QStringLiteral(VENDRASOL_VERSION));
    EXPECT_EQ(Field(QStringLiteral("Architecture")), QStringLiteral("amd64"));
    const QSet<QString> depends = PackageNames(Field(QStringLiteral("Depends")));
    // The client loads the engine that opens plain paths as a plugin: no link names it.
    for (const char* needed : {"libqt6widgets6", "libfbclient2", "firebird3.0-server-core"})
        EXPECT_TRUE(depends.contains(QString::fromLatin1(needed))) << needed;

    // Whatever the program links, the package that holds it on this machine is a dependence (the
    // 64-bit one: a machine may hold 32-bit twins too).
    const QString program = QDir(Unpack()).filePath(QStringLiteral("usr/bin/vendrasol"));
    QStringList libraries;
    for (const QString& line : RunTool(QStringLiteral("objdump"), {QStringLiteral("-p"), program}).split(QLatin1Char('\n')))
        if (line.trimmed().startsWith(QStringLiteral("NEEDED"))) libraries << QStringLiteral("*/x86_64-linux-gnu/") + line.section(QLatin1Char(' '), -1);
    ASSERT_GE(libraries.size(), 3);
    const QString owners = RunTool(QStringLiteral("dpkg"), QStringList{QStringLiteral("-S")} + libraries);
    for (const QString& line : owners.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // "libqt6core6:amd64: /usr/lib/x86_64-linux-gnu/libQt6Core.so.6"
        const QString owner = line.section(QStringLiteral(": "), 0, 0).section(QLatin1Char(':'), 0, 0);
        EXPECT_TRUE(depends.contains(owner)) << line.toStdString();
    }
}

TEST_F(PackageTest, InstallsTheProgramWithItsHelpWhereItLooksAndItsLogAwayFromTheSystemFolder) {
    const QDir usr(QDir(Unpack()).filePath(QStringLiteral("usr")));
    const QString bin = usr.filePath(QStringLiteral("bin/"));
    EXPECT_TRUE(QFileInfo(bin + QStringLiteral("vendrasol")).isExecutable());
    EXPECT_EQ(HelpFile(bin), usr.filePath(QStringLiteral("share/vendrasol/HelpVendrasol.txt")));
    EXPECT_NE(LogFolder(bin), bin);
    EXPECT_EQ(RunTool(bin + QStringLiteral("vendrasol"), {QStringLiteral("--version")}), QStringLiteral("vendrasol " VENDRASOL_VERSION "\n"));
}

TEST_F(PackageTest, MenuEntryValidatesAndNamesTheInstalledProgramAndIcon) {
    const QDir usr(QDir(Unpack()).filePath(QStringLiteral("usr")));
    const QString entry = usr.filePath(QStringLiteral("share/applications/vendrasol.desktop"));
    ASSERT_TRUE(QFileInfo::exists(entry));
    EXPECT_EQ(RunTool(QStringLiteral("desktop-file-validate"), {entry}), QString());

    EXPECT_TRUE(QFileInfo(usr.filePath(QStringLiteral("bin/") + EntryValue(entry, QStringLiteral("Exec")))).isExecutable());
    const QString icon = EntryValue(entry, QStringLiteral("Icon"));
    ASSERT_FALSE(icon.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(usr.filePath(QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(icon))));
    EXPECT_TRUE(QFileInfo::exists(usr.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));
}
