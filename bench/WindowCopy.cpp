#include "WindowCopy.h"

#include "PrintedDialogs.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "copy/ImportRun.h"
#include "shell/TFPrincipal.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <chrono>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double CpuNow() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The refused rows' lines in the log file the window wrote, and how many of them differ. A line
// ends with CR LF; the server's message within it may hold LF alone.
void CountRejectedLines(const QString& path, WindowCopy& result) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    QSet<size_t> distinct;
    QByteArray line;
    while (!file.atEnd()) {
        line += file.readLine();
        if (!line.endsWith("\r\n") && !file.atEnd()) continue;
        if (line.startsWith("MOVIMENTO ERRO INSERIR ")) {
            ++result.rejectedLines;
            distinct.insert(qHash(line));
        }
        line.clear();
    }
    result.distinctRejectedLines = distinct.size();
}

// Runs work on the window connected to both databases with the benchmark's table marked, every
// message box printed and answered.
template <typename Work>
void OnConnectedWindow(const std::string& source, const std::string& destination, const std::string& logFolder,
                       Work work) {
    PrintedDialogs dialogs;
    SetDialogProvider(&dialogs);
    {
        TFPrincipal window;
        window.ProgramFolder = QString::fromStdString(logFolder) + QLatin1Char('/');
        window.show();
        window.edtCaminhoOrigem->setText(QString::fromStdString(source));
        window.edtCaminhoDestino->setText(QString::fromStdString(destination));
        window.btnConecta->click();
        ListaTabelas.TableByName(QStringLiteral("MOVIMENTO"))->SetChecked(true);
        work(window);
        window.TreeView->clear();
        window.TreeViewDelecao->clear();
        ListaTabelas.Clear();
    }
    SetDialogProvider(nullptr);
}

}  // namespace

WindowCopy CopyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder,
                             const std::function<void(TFPrincipal&)>& prepare) {
    WindowCopy result;
    QString logPath;
    OnConnectedWindow(source, destination, logFolder, [&](TFPrincipal& window) {
        if (prepare) prepare(window);
        // The event dispatcher wakes each time the window handles its messages.
        Clock::time_point start, last;
        bool processed = false;
        const auto since = [](Clock::time_point then) {
            return std::chrono::duration<double, std::milli>(Clock::now() - then).count();
        };
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
            if (processed)
                result.longestGapMs = std::max(result.longestGapMs, since(last));
            else
                result.leadInMs = since(start);
            processed = true;
            last = Clock::now();
        });

        const double cpuStart = CpuNow();
        start = last = Clock::now();
        window.btnImportar->click();
        result.tailMs = since(last);
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        result.cpuSeconds = CpuNow() - cpuStart;
        QObject::disconnect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, nullptr, nullptr);

        const CopyTotals& totals = window.Import()->Context().totals;
        result.inserted = totals.inserted;
        result.rejected = totals.rejected;
        result.logLines = LoggedLineCount();
        logPath = ActivityLogFilePath();

        const auto opening = Clock::now();
        window.PageControl->setCurrentWidget(window.TabLog);
        QCoreApplication::processEvents();
        window.mmLog->repaint();
        result.logTabMs = since(opening);
        result.peakRssMb = PeakRssMb();
    });
    // Closing, the window handed the file its last lines.
    CountRejectedLines(logPath, result);
    return result;
}

WindowVerify VerifyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder) {
    WindowVerify result;
    OnConnectedWindow(source, destination, logFolder, [&](TFPrincipal& window) {
        const int before = ListaLog.Count();
        const Clock::time_point start = Clock::now();
        window.btnVerificar->click();
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const QStringList lines = ListaLog.Items().mid(before);
        if (!lines.isEmpty()) result.line = lines.first().toStdString();
        result.equal = lines.size() == 2 && lines[0] == QStringLiteral("Verificação MOVIMENTO: %1 iguais, 0 diferentes, 0 faltando, 0 sobrando")
                                                             .arg(ListaTabelas.TableByName(QStringLiteral("MOVIMENTO"))->SourceRowCount());
    });
    return result;
}

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}
