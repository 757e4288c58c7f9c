// Text views of a flight-data record for people: a panel of decoded fields,
// a one-line summary and a hex dump. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bridge/flight_record.h"

// Position, altitudes, speeds, heading and track, attitude, autopilot targets
// and mode lights, engines, fuel, radios and controls, one group per line.
std::string describeFlightRecord(const FlightRecord& record);

// The few fields that matter most, on one line without a line end.
std::string summarizeFlightRecord(const FlightRecord& record);

// A COM frequency in MHz as a pilot reads it (118.300) from the record's
// value (0.183: the BCD digits after the leading 1, over 10000).
double comFrequencyMhz(double raw);

// Sixteen bytes per line: offset, hex bytes, printable characters.
std::string hexDump(const uint8_t* bytes, size_t length);
