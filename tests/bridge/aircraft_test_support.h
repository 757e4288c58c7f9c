// Shared helpers of the aircraft configuration tests: flap tables written
// as their leading angles, paths in the form the simulator reports them, and
// files written byte for byte.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "bridge/aircraft_config.h"

// A table with the given leading angles and no angle after them.
inline FlapDetentTable angles(std::initializer_list<float> leading) {
  FlapDetentTable table;
  table.fill(kNoFlapAngle);
  std::copy(leading.begin(), leading.end(), table.begin());
  return table;
}

inline std::string windowsStyle(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// Writes the bytes as they are, making the file's folder first.
inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}
