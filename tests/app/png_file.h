// Test support: writes a picture as a PNG file (8-bit RGB, stored without
// compression, which needs nothing beyond the standard library). Used by the
// test that saves the status window's picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds height rows of width pixels, 3 bytes each, top row first. False
// when the file cannot be written.
bool writePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
