#include "ClosestNames.h"

#include <algorithm>
#include <vector>

namespace {

// Letters to insert, delete or change to turn one word into the other.
int EditDistance(const QString& a, const QString& b) {
    std::vector<int> previous(b.size() + 1), current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j) previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace

QStringList ClosestNames(const QString& typed, const QStringList& candidates, int count) {
    const QString wanted = typed.toUpper();
    std::vector<std::pair<int, QString>> ranked;
    for (const QString& candidate : candidates) ranked.emplace_back(EditDistance(wanted, candidate.toUpper()), candidate);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList nearest;
    for (const auto& [distance, name] : ranked) {
        if (nearest.size() == count) break;
        nearest << name;
    }
    return nearest;
}
