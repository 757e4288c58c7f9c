// A simulator configuration file ("aircraft.cfg", "flight_model.cfg") read
// into sections of key/value lines. Section and key names are lower-cased;
// "//" and ";" start comments; values keep their text, trimmed. A plain value
// type: each reader has its own copy.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace simemu {

struct CfgSection {
  std::string name;  // without brackets, lower case, e.g. "flaps.0"
  std::vector<std::pair<std::string, std::string>> entries;
  // The value of key (lower case), or empty text.
  std::string value(const std::string& key) const;
};

struct CfgFile {
  std::vector<CfgSection> sections;
  // The first section of that name, or null.
  const CfgSection* section(const std::string& name) const;
};

// Reads the file; false when it cannot be opened.
bool readCfgFile(const std::string& path, CfgFile* out);

// The number at the start of the value's first comma-separated part (as
// "30, 180" gives 30); fallback when there is none.
double leadingNumber(const std::string& value, double fallback);
// The comma-separated part at position (0 is the first), trimmed.
std::string commaPart(const std::string& value, size_t position);

}  // namespace simemu
