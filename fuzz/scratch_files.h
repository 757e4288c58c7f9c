// Scratch files for the fuzz targets that feed files to their parsers: a
// folder of the run's own, in memory (/dev/shm) where there is one so that
// writing every input costs little, and whole-file writes.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <string>

// A new, empty folder; empty when none can be made.
inline std::string makeScratchFolder(const std::string& prefix) {
  for (const char* base : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(base) + "/" + prefix + "-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) return pattern;
  }
  return std::string();
}

// Replaces the file with the text.
inline void writeScratchFile(const std::string& path, const std::string& text) {
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}
