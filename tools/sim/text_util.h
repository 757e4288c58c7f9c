// Small text helpers of the simulator emulator: ASCII case folding, trimming,
// bounded reads of fixed text fields. Pure functions, safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace simemu {

std::string lowerAscii(std::string text);
// Removes spaces, tabs, carriage returns and line feeds at both ends.
std::string trimBlanks(const std::string& text);
// The text in a fixed field of `size` bytes: up to the first zero byte, or
// all of them when the field has none.
std::string fixedFieldText(const uint8_t* field, size_t size);
// Equal regardless of ASCII letter case.
bool equalsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace simemu
