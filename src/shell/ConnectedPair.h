#pragma once

#include "platform/FileIdentity.h"

#include <QString>
#include <optional>

// The two databases "Conectar" opened, as the path fields named them then. A command that
// writes or reads them runs only while the fields still name them: a path typed afterwards, or
// a destination file deleted or put back since (the embedded engine would go on writing into the
// file it opened), calls for a new "Conectar".
class ConnectedPair {
public:
    // The destination file is looked at only where it was opened without a server.
    void Remember(const QString& origem, const QString& destino, bool destinoOnServer);
    void Forget();
    // True also when nothing is connected: then nothing can be taken for another database.
    bool StillNamedBy(const QString& origem, const QString& destino) const;

private:
    std::optional<std::pair<QString, QString>> paths_;
    std::optional<FileIdentity> destinoFile_;
};
