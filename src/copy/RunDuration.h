#pragma once

#include <QString>

// How long a run took, as its closing line says it: hours, minutes and seconds (HH:MM:SS); the
// hours go past 24 when a run takes longer.
QString RunDuration(double seconds);
