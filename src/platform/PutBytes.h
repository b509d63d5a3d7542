#pragma once

#include <QByteArray>

// Appends a value's bytes as this machine holds them, which is how Firebird's slice descriptions
// and our array values carry numbers.
template <typename T>
void PutBytes(QByteArray& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}
