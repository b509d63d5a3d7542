#pragma once

#include <QByteArray>
#include <cstdint>

// One column value exactly as the server stores it. Scalars keep the raw bytes of their
// message slot (a VARCHAR without its length prefix); blobs and arrays carry their content.
struct TFieldValue {
    unsigned sqlType = 0;   // SQL_* code without the nullable bit
    int subType = 0;        // blob sub-type, or the NUMERIC/DECIMAL marker of integers
    int scale = 0;
    unsigned length = 0;    // declared length in bytes of the message slot
    unsigned charSet = 0;   // character set id of text columns and text blobs
    bool isNull = true;
    QByteArray data;

    bool operator==(const TFieldValue&) const = default;
};
