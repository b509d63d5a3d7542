#include "WindowCopy.h"

#include "PrintedDialogs.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "copy/ImportRun.h"
#include "shell/TFPrincipal.h"

#include <QAbstractEventDispatcher>
#include <QRegularExpression>
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

}  // namespace

WindowCopy CopyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder) {
    PrintedDialogs dialogs;
    SetDialogProvider(&dialogs);
    WindowCopy result;
    {
        TFPrincipal window;
        window.ProgramFolder = QString::fromStdString(logFolder) + QLatin1Char('/');
        window.show();
        window.edtCaminhoOrigem->setText(QString::fromStdString(source));
        window.edtCaminhoDestino->setText(QString::fromStdString(destination));
        window.btnConecta->click();
        ListaTabelas.TableByName(QStringLiteral("MOVIMENTO"))->SetChecked(true);

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
        result.logLines = ListaLog.Count();
        const QStringList rejected = ListaLog.Items().filter(QRegularExpression(QStringLiteral("^MOVIMENTO ERRO INSERIR ")));
        result.rejectedLines = rejected.size();
        result.distinctRejectedLines = QSet<QString>(rejected.begin(), rejected.end()).size();
        window.TreeView->clear();
        window.TreeViewDelecao->clear();
        ListaTabelas.Clear();
    }
    SetDialogProvider(nullptr);
    return result;
}
