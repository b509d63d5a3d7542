#pragma once

#include "TFieldValue.h"

// The order in which the server's ORDER BY gives the values a comparison of two tables sorts by:
// numbers, dates and times, booleans, and text cast to OCTETS (bytes, a shorter text first,
// trailing zero bytes not counted, as the server pads OCTETS). NULL comes first. Values the
// server may give in either order compare equal; values of unlike kinds come in a fixed order.
int CompareSortKeys(const TFieldValue& a, const TFieldValue& b);

// Whether two values are the same: both NULL, of one type and scale with the same bytes (text,
// blobs and arrays by content; the declared length and character set do not count) or, in columns of other types (an INTEGER and a
// BIGINT, a DATE and a TIMESTAMP, a CHAR and a VARCHAR), the same number, moment, truth value or
// text bytes.
bool SameValue(const TFieldValue& a, const TFieldValue& b);

// Whether a destination's column holds the source's value: the same value; a CHAR's text, but for
// its padding; a float and an exact number, the float rounded to the exact one's places; in another
// character set, where bytes cannot tell, any value.
bool HoldsTheSourcesValue(const TFieldValue& held, const TFieldValue& source);
