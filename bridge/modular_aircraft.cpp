#include "bridge/modular_aircraft.h"

#include <vector>

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool sameIgnoringCase(const std::string& text, const char* lower) {
  size_t i = 0;
  for (; i < text.size() && lower[i] != '\0'; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return i == text.size() && lower[i] == '\0';
}

bool isNamePart(const std::string& part) { return part.find_first_not_of(". ") != std::string::npos; }

}  // namespace

ModularSplit splitPresetFolder(const std::string& folder) {
  // The start of each of the last five parts, walking back from the end.
  std::vector<size_t> starts;
  size_t end = folder.size();
  std::vector<std::string> parts;
  while (parts.size() < 4 && end > 0) {
    size_t start = end;
    while (start > 0 && !isSeparator(folder[start - 1])) --start;
    parts.insert(parts.begin(), folder.substr(start, end - start));
    starts.insert(starts.begin(), start);
    if (start == 0) break;
    end = start - 1;
  }
  const bool modular = parts.size() == 4 && starts[0] >= 2 && sameIgnoringCase(parts[0], "presets") &&
                       isNamePart(parts[1]) && isNamePart(parts[2]) && sameIgnoringCase(parts[3], "config");
  if (!modular) return ModularSplit{folder, std::string()};
  return ModularSplit{folder.substr(0, starts[0] - 1), folder.substr(starts[0])};
}
