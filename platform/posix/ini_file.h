// POSIX backend only: the INI file model behind the profile functions and the
// settings store. A file is read whole into sections of entries, kept in file
// order; names keep their spelling and are matched without regard to case.
// Plain values: each caller works on its own copy.
#pragma once

#include <string>
#include <vector>

struct IniEntry {
  std::string key;
  std::string value;      // trimmed, one pair of enclosing quotes removed
  bool hasValue = false;  // the line had an '='
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

struct IniFile {
  std::vector<IniSection> sections;
};

// False when the file cannot be read. Lines before the first section are
// ignored, as the profile functions do.
bool loadIniFile(const std::string& path, IniFile& file);

// Writes the file anew, creating missing parent folders. False on failure.
bool saveIniFile(const std::string& path, const IniFile& file);

bool sameIniName(const std::string& a, const std::string& b);

// The first section or entry with the name; null when there is none.
const IniSection* findIniSection(const IniFile& file, const std::string& name);
IniSection* findIniSection(IniFile& file, const std::string& name);
const IniEntry* findIniEntry(const IniSection& section, const std::string& key);
