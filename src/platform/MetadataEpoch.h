#pragma once

// A prepared statement keeps running the triggers of the moment it was prepared, even once
// another statement has switched them: statements kept for many runs note the epoch they were
// prepared in, and are prepared again once the program has changed the metadata since.
void MetadataChanged();
unsigned long MetadataEpoch();
