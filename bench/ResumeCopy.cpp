#include "ResumeCopy.h"

#include "shell/TFPrincipal.h"

#include <QProgressBar>
#include <QTimer>

ResumeCopy ResumeThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder,
                               long rows) {
    ResumeCopy result;
    result.stopped = CopyThroughWindow(source, destination, logFolder, [rows](TFPrincipal& window) {
        // Looks at the table's bar each time the copy lets the window handle its messages.
        auto* timer = new QTimer(&window);
        QObject::connect(timer, &QTimer::timeout, [&window, timer, rows] {
            QTreeWidgetItem* row = window.ListView->topLevelItem(0);
            const auto* bar = row ? qobject_cast<QProgressBar*>(window.ListView->itemWidget(row, 1)) : nullptr;
            if (!bar || bar->value() < rows / 2) return;
            timer->stop();
            window.btnParar->click();
        });
        timer->start(5);
    });
    result.resumed = CopyThroughWindow(source, destination, logFolder,
                                       [](TFPrincipal& window) { window.cbbEnviarSomenteFaltantes->setChecked(true); });
    return result;
}
