#pragma once

#include "ArrayShape.h"

#include <QByteArray>
#include <utility>

// An array value as the layer carries it (TFieldValue::data of an ARRAY column): the shape,
// then every element in order, the last dimension varying fastest; a VARCHAR element is its
// length and bytes, as in a message.
QByteArray ArrayValue(const ArrayShape& shape, const QByteArray& elements);
// Splits such a value; raises when it is not one.
std::pair<ArrayShape, QByteArray> SplitArrayValue(const QByteArray& value);
