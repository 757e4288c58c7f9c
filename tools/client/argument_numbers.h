// Numbers typed on orvxlink-client's command line, read strictly: the whole
// text must be the number, in decimal (a leading zero means nothing), so a
// typing slip is reported instead of being read as something else. Pure
// functions; any thread.
#pragma once

#include <cstdint>
#include <string>

// An optional '-' and decimal digits, from low to high.
bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value);

// A 32-bit word: a whole number from INT32_MIN to UINT32_MAX (negative ones
// are taken as their two's complement), or hexadecimal after "0x".
bool parseWord(const std::string& text, uint32_t& word);

// A finite decimal number: optional sign, digits with an optional point,
// an optional exponent. Not nan, inf, hexadecimal, or beyond a double's range.
bool parseDecimalNumber(const std::string& text, double& value);
