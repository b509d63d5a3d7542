#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Lets test failures show Qt texts as text, in values compared and in messages streamed.
inline std::ostream& operator<<(std::ostream& out, const QString& text) { return out << '"' << text.toStdString() << '"'; }
inline std::ostream& operator<<(std::ostream& out, const QStringList& list) {
    out << "{\n";
    for (const QString& text : list) out << "  " << text << '\n';
    return out << '}';
}
inline void PrintTo(const QString& text, std::ostream* out) { *out << text; }
inline void PrintTo(const QStringList& list, std::ostream* out) { *out << list; }
