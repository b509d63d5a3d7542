#include "ProgressRow.h"

#include "CopyContext.h"
#include "CopyProgress.h"
#include "WindowTurn.h"

#include <QProgressBar>
#include <QTreeWidget>
#include <algorithm>
#include <limits>

ProgressRow::ProgressRow(CopyContext& context, const QString& nomeTabela) : context_(context), nomeTabela_(nomeTabela) {
    bar_ = AddProgressRow(*context.ListView, nomeTabela, row_);
    owner_.reset(row_);
}

ProgressRow::~ProgressRow() = default;

void ProgressRow::Report(long long done, long long total) {
    const Clock::time_point now = Clock::now();
    if (reported_ && now - last_ < ReportEvery) return;
    if (total > 0) {
        // The bar counts in int: the rows of a table too large for it, in steps.
        const double scale = std::max(1.0, double(total) / std::numeric_limits<int>::max());
        const int shown = int(double(std::min(done, total)) / scale), all = int(double(total) / scale);
        bar_->setMaximum(all);
        bar_->setValue(shown);
        if (shown > 0)
            ShowTimeLeft(context_, *row_, nomeTabela_, shown, all,
                         std::chrono::duration<double, std::milli>(now - started_).count());
    }
    ListenToTheWindow(context_);
    reported_ = true;
    last_ = Clock::now();
}
