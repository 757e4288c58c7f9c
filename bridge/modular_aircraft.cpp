#include "bridge/modular_aircraft.h"

#include <vector>

#include "bridge/ascii_text.h"

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isNamePart(const std::string& part) { return part.find_first_not_of(". ") != std::string::npos; }

}  // namespace

ModularSplit splitPresetFolder(const std::string& folder) {
  // The last four parts and where each starts, walking back from the end.
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
  const bool modular = parts.size() == 4 && starts[0] >= 2 && equalsIgnoringAsciiCase(parts[0], "presets") &&
                       isNamePart(parts[1]) && isNamePart(parts[2]) && equalsIgnoringAsciiCase(parts[3], "config");
  if (!modular) return ModularSplit{folder, std::string()};
  return ModularSplit{folder.substr(0, starts[0] - 1), folder.substr(starts[0])};
}
