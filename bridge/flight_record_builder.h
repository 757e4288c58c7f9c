// The flight-data record builder: turns one delivered block of simulator
// variables into the flight-data record and publishes it. Session thread
// only (it writes the session thread's working record and reads the flap
// detent table, both owned by that thread). No allocation, I/O or waiting.
#pragma once

#include <cstdint>

// Writes every field a build owns into flightRecordForBuild() from `block`
// and the wall clock, then calls publishFlightRecord(), which copies the
// record out for apps and advances the build counter as the last write.
// Fields a build does not own keep whatever they held.
// Requires: `block` holds kSimDataBlockSize bytes laid out as the catalogue
// says; it need not be aligned.
void buildFlightRecord(const uint8_t* block);

// --- The conversions a build uses (pure functions, any thread) ----------------

// Brings an angle into [0, 360) by adding 360 while it is negative, then
// subtracting 360 while it is 360 or more (one turn at a time, not a
// remainder, so the last bits are those of the stepwise sums). Values more
// than 1000 turns out are first reduced with the exact remainder, which keeps
// the loop short and makes it end at all (far out, v - 360 == v). NaN stays
// NaN; an infinite value, which has no direction, gives NaN too.
double wrapDegrees(double degrees);

// Reads each 4-bit group of `bcd` as one decimal digit, lowest group last:
// 0x1234 gives 1234. A group above 9 counts with its value (0x1A gives 20).
uint32_t decodeBcd(uint32_t bcd);

// The flap detent table's angle for a lever position reported as a double:
// the position is truncated toward zero; a position outside 0 to 19 (NaN
// included) or an entry without an angle (below 0.0, or NaN) gives 0.0.
double flapDetentLookup(double leverPosition);
