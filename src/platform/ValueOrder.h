#pragma once

#include "TFieldValue.h"

// The order in which the server's ORDER BY gives the values a comparison of two tables sorts by:
// numbers, dates and times, booleans, and text cast to OCTETS (bytes, a shorter text first,
// trailing zero bytes not counted, as the server pads OCTETS). NULL comes first. Values the
// server may give in either order compare equal; values of unlike kinds come in a fixed order.
int CompareSortKeys(const TFieldValue& a, const TFieldValue& b);

// Whether two values are stored alike: both NULL, or of one type and scale with the same bytes
// (text, blobs and arrays by content). The declared length and character set do not count.
bool SameStoredValue(const TFieldValue& a, const TFieldValue& b);

// Whether a destination's column holds the source's value: stored alike; in a column of another
// type, the same number, moment, truth value or text; in another character set, where bytes cannot
// tell, any value.
bool HoldsTheSourcesValue(const TFieldValue& held, const TFieldValue& source);
