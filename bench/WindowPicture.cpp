// Draws the README's picture of the main window during a copy: window_picture <origem> <destino> <png>.
// It connects the real window to the two databases, switches the destination's triggers off, marks
// every table and presses "Importar Dados"; while the copy lets the window handle its messages, it
// keeps the picture in which a table's bar in "Progresso" stands nearest half way.
#include "PrintedDialogs.h"
#include "shell/TFPrincipal.h"

#include <QApplication>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// How far from half way the copy shown in "Progresso" is, in percent; 100 with nothing copying.
int DistanceFromHalfWay(const TFPrincipal& window) {
    int distance = 100;
    for (int i = 0; i < window.ListView->topLevelItemCount(); ++i) {
        const auto* bar = qobject_cast<const QProgressBar*>(window.ListView->itemWidget(window.ListView->topLevelItem(i), 1));
        if (bar && bar->maximum() > 0) distance = std::min(distance, std::abs(int(100LL * bar->value() / bar->maximum()) - 50));
    }
    return distance;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: window_picture <origem> <destino> <png>\n");
        return 2;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Vendrasol de Dados"));
    PrintedDialogs dialogs;
    SetDialogProvider(&dialogs);
    // The log file and the trigger journal stay out of the user's folders.
    QTemporaryDir files;
    TFPrincipal window;
    window.ProgramFolder = files.path() + QLatin1Char('/');
    window.workspace.StateFolder = files.path();
    window.edtCaminhoOrigem->setText(QString::fromLocal8Bit(argv[1]));
    window.edtCaminhoDestino->setText(QString::fromLocal8Bit(argv[2]));
    window.show();
    window.btnConecta->click();
    window.btnDesabilitarTrigger->click();
    window.btnCheckAll->click();

    QImage picture;
    int shown = 100;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (const int distance = DistanceFromHalfWay(window); distance < shown) {
            shown = distance;
            picture = window.grab().toImage();
        }
    });
    watch.start();
    window.btnImportar->click();
    SetDialogProvider(nullptr);

    if (picture.isNull()) {
        std::fprintf(stderr, "window_picture: the copy ended before the window showed its progress\n");
        return 1;
    }
    if (!picture.save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "window_picture: could not write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
