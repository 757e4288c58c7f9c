#include "platform/settings_store.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/ini_file.h"

namespace {

std::string settingsFilePath() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] != '\0') return std::string(configHome) + "/orvxlink/registry.ini";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return std::string();
  return std::string(home) + "/.config/orvxlink/registry.ini";
}

std::string sectionName(const char* keyPath) { return std::string("HKEY_CURRENT_USER\\") + keyPath; }

}  // namespace

bool readUserSettingValue(const char* keyPath, const char* valueName, char* data, uint32_t dataSize,
                          uint32_t& returnedSize) {
  IniFile file;
  const std::string path = settingsFilePath();
  if (path.empty() || !loadIniFile(path, file)) return false;
  const IniSection* section = findIniSection(file, sectionName(keyPath));
  if (section == nullptr) return false;
  const IniEntry* entry = findIniEntry(*section, valueName);
  if (entry == nullptr || !entry->hasValue) return false;
  const size_t size = entry->value.size() + 1;  // stored as a string with its NUL
  if (size > dataSize) return false;            // ERROR_MORE_DATA
  std::memcpy(data, entry->value.c_str(), size);
  returnedSize = static_cast<uint32_t>(size);
  return true;
}

bool writeUserSettingString(const char* keyPath, const char* valueName, const char* value) {
  const std::string path = settingsFilePath();
  if (path.empty()) return false;
  IniFile file;
  loadIniFile(path, file);  // a missing file starts empty
  IniSection* section = findIniSection(file, sectionName(keyPath));
  if (section == nullptr) {
    file.sections.push_back(IniSection{sectionName(keyPath), {}});
    section = &file.sections.back();
  }
  for (IniEntry& entry : section->entries) {
    if (sameIniName(entry.key, valueName)) {
      entry.value = value;
      entry.hasValue = true;
      return saveIniFile(path, file);
    }
  }
  section->entries.push_back(IniEntry{valueName, value, true});
  return saveIniFile(path, file);
}

bool deleteUserSettingsKey(const char* keyPath) {
  const std::string path = settingsFilePath();
  IniFile file;
  if (path.empty() || !loadIniFile(path, file)) return false;
  const std::string name = sectionName(keyPath);
  bool found = false;
  for (size_t i = file.sections.size(); i-- > 0;) {
    if (sameIniName(file.sections[i].name, name)) {
      file.sections.erase(file.sections.begin() + static_cast<long>(i));
      found = true;
    }
  }
  return found && saveIniFile(path, file);
}
