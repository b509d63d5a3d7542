#pragma once

#include <QString>
#include <QStringList>

// A statement with its :NAME parameters turned into the server's positional markers.
struct StatementText {
    QString sql;            // the text sent to the server, each :NAME replaced by ?
    QStringList parameters; // parameter names in the order of the markers
};

// Finds :NAME parameters outside strings, quoted names and comments.
StatementText ParseParameters(const QString& text);
