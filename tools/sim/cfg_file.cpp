#include "tools/sim/cfg_file.h"

#include <cstdlib>
#include <fstream>

#include "tools/sim/text_util.h"

namespace simemu {

namespace {

std::string withoutComment(const std::string& line) {
  size_t cut = line.find("//");
  const size_t semicolon = line.find(';');
  if (semicolon < cut) cut = semicolon;
  return cut == std::string::npos ? line : line.substr(0, cut);
}

}  // namespace

std::string CfgSection::value(const std::string& key) const {
  for (const auto& entry : entries) {
    if (entry.first == key) return entry.second;
  }
  return std::string();
}

const CfgSection* CfgFile::section(const std::string& name) const {
  for (const CfgSection& candidate : sections) {
    if (candidate.name == name) return &candidate;
  }
  return nullptr;
}

bool readCfgFile(const std::string& path, CfgFile* out) {
  std::ifstream file(path);
  if (!file) return false;
  out->sections.clear();
  std::string line;
  while (std::getline(file, line)) {
    line = trimBlanks(withoutComment(line));
    if (line.empty()) continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      out->sections.push_back(CfgSection{
          lowerAscii(trimBlanks(line.substr(1, close == std::string::npos ? std::string::npos : close - 1))), {}});
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos || out->sections.empty()) continue;
    std::string value = trimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    out->sections.back().entries.emplace_back(lowerAscii(trimBlanks(line.substr(0, equals))), value);
  }
  return true;
}

std::string commaPart(const std::string& value, size_t position) {
  size_t start = 0;
  for (size_t i = 0; i < position; ++i) {
    start = value.find(',', start);
    if (start == std::string::npos) return std::string();
    ++start;
  }
  const size_t end = value.find(',', start);
  return trimBlanks(value.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

double leadingNumber(const std::string& value, double fallback) {
  const std::string first = commaPart(value, 0);
  if (first.empty()) return fallback;
  char* end = nullptr;
  const double number = std::strtod(first.c_str(), &end);
  return end == first.c_str() ? fallback : number;
}

}  // namespace simemu
