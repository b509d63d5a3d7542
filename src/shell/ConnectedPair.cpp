#include "ConnectedPair.h"

void ConnectedPair::Remember(const QString& origem, const QString& destino, bool destinoOnServer) {
    paths_.emplace(origem, destino);
    destinoFile_ = destinoOnServer ? std::nullopt : FileIdentity::Of(destino);
}

void ConnectedPair::Forget() {
    paths_.reset();
    destinoFile_.reset();
}

bool ConnectedPair::StillNamedBy(const QString& origem, const QString& destino) const {
    if (!paths_) return true;
    if (*paths_ != std::pair{origem, destino}) return false;
    return !destinoFile_ || FileIdentity::Of(destino) == destinoFile_;
}
