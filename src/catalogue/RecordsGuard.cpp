#include "RecordsGuard.h"

#include "platform/Dialogs.h"
#include "platform/ENotice.h"

#include <algorithm>

namespace {

QString Describe(RecordsGuard::Activity activity) {
    switch (activity) {
    case RecordsGuard::Load: return QStringLiteral("o carregamento das tabelas");
    case RecordsGuard::Copy: return QStringLiteral("a importação dos dados");
    case RecordsGuard::Cleanup: return QStringLiteral("a limpeza das tabelas");
    case RecordsGuard::Verify: return QStringLiteral("a verificação dos dados");
    case RecordsGuard::Maintenance: return QStringLiteral("a manutenção do destino");
    }
    return {};
}

}  // namespace

std::vector<RecordsGuard::Activity>& RecordsGuard::Held() {
    static std::vector<Activity> held;
    return held;
}

RecordsGuard::RecordsGuard(Activity activity) {
    if ((activity == Load || activity == Verify) && Running()) Refuse(Held().back());
    for (const Activity held : Held())
        if (held == Verify || held == Cleanup || held == Maintenance) Refuse(held);
    EnsureLoaded();
    Held().push_back(activity);
}

RecordsGuard::~RecordsGuard() { Held().pop_back(); }

void RecordsGuard::EnsureLoaded() {
    if (std::find(Held().begin(), Held().end(), Load) != Held().end()) Refuse(Load);
}

bool RecordsGuard::Running() { return !Held().empty(); }

void RecordsGuard::Refuse(Activity running) {
    // Nothing went wrong: the command has to wait for the other to end.
    throw ENotice(QStringLiteral("Aguarde: %1 está em andamento.").arg(Describe(running)), MB_ICONWARNING);
}
