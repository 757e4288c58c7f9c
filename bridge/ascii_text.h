// Comparing the names found in the simulators' files and folders, which
// Windows treats without regard to case. Pure functions, safe from any thread.
#pragma once

#include <string>

// True when `text` equals `lower` (lower-case ASCII) with its ASCII letters
// lower-cased; other bytes compare as they are.
inline bool equalsIgnoringAsciiCase(const std::string& text, const char* lower) {
  size_t i = 0;
  for (; i < text.size() && lower[i] != '\0'; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return i == text.size() && lower[i] == '\0';
}
