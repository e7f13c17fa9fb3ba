// The band-limited sawtooth: the arithmetic every wave table comes from. The plug-in carries the
// tables it gives, computed once when the plug-in is built; this is the reference they match.
#pragma once

namespace sorvel {

constexpr int kSawtoothTableSize = 4096;

// One period of a sawtooth with the given number of harmonics (at least 1), the upper ones tapered
// by a raised cosine, into table[0..4096).
void buildSawtooth(double* table, int harmonics);

// Table t (0 to 10) of the 11 tables, holding 2^(10 - t) harmonics; built with the plug-in.
extern const double kSawtoothTables[11][kSawtoothTableSize];

}  // namespace sorvel
