#include "WindowCopy.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "copy/ImportRun.h"
#include "platform/Dialogs.h"
#include "shell/TFPrincipal.h"

#include <QAbstractEventDispatcher>
#include <QRegularExpression>
#include <QSet>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double CpuNow() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// No one sits at the benchmark: a message box is printed and answered at once.
class PrintedDialogs final : public DialogProvider {
public:
    int MessageBox(const QString& text, const QString&, int) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        return IDNO;
    }
    std::optional<QString> OpenFileName(QWidget*, const QString&) override { return std::nullopt; }
    int ExecModal(QDialog&) override { return 0; }
};

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

WindowCopy CopyThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder) {
    WindowCopy result;
    OnConnectedWindow(source, destination, logFolder, [&](TFPrincipal& window) {
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
    });
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
                                                             .arg(ListaTabelas.TableByName(QStringLiteral("MOVIMENTO"))->RowCount());
    });
    return result;
}
