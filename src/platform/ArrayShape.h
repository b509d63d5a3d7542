#pragma once

#include <QString>
#include <utility>
#include <vector>

// The layout of an array column: its element type, size and character set, and every
// dimension's bounds. Two columns of the same structure have the same shape.
struct ArrayShape {
    unsigned char elementType = 0;   // blr_* code, as the catalogue stores it
    signed char scale = 0;
    unsigned short length = 0;       // bytes of one element as declared (a VARCHAR's text alone)
    unsigned short charSet = 0;
    std::vector<std::pair<int, int>> bounds;   // lower and upper bound of each dimension

    bool operator==(const ArrayShape&) const = default;
    int ElementCount() const;
    // Bytes of one element in a value: a VARCHAR element keeps its 2-byte length in front.
    int ElementSize() const;
    // The bounds as SQL declares them: "[1:3, 0:1]".
    QString BoundsText() const;
    // The element type, with its scale or character set, and the bounds, as messages name them.
    QString TypeText() const;
};
