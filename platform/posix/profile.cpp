#include "platform/profile.h"

#include <cstring>
#include <string>

#include "platform/posix/ini_file.h"

namespace {

uint32_t copyCut(const std::string& text, char* buffer, uint32_t bufferSize) {
  if (bufferSize == 0) return 0;
  const size_t length = text.size() < bufferSize - 1 ? text.size() : bufferSize - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<uint32_t>(length);
}

}  // namespace

uint32_t readProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                           uint32_t bufferSize, const char* filePath) {
  IniFile file;
  if (section != nullptr && key != nullptr && filePath != nullptr && loadIniFile(filePath, file)) {
    const IniSection* found = findIniSection(file, section);
    const IniEntry* entry = found != nullptr ? findIniEntry(*found, key) : nullptr;
    if (entry != nullptr) return copyCut(entry->value, buffer, bufferSize);
  }
  return copyCut(defaultValue != nullptr ? defaultValue : "", buffer, bufferSize);
}

uint32_t readProfileSection(const char* section, char* buffer, uint32_t bufferSize, const char* filePath) {
  if (bufferSize < 2) {
    if (bufferSize == 1) buffer[0] = '\0';
    return 0;
  }
  buffer[0] = buffer[1] = '\0';
  IniFile file;
  if (section == nullptr || filePath == nullptr || !loadIniFile(filePath, file)) return 0;
  const IniSection* found = findIniSection(file, section);
  if (found == nullptr) return 0;
  std::string lines;
  for (const IniEntry& entry : found->entries) {
    lines += entry.key;
    if (entry.hasValue) lines += "=" + entry.value;
    lines += '\0';
  }
  if (lines.size() + 1 <= bufferSize) {
    std::memcpy(buffer, lines.data(), lines.size());
    buffer[lines.size()] = '\0';
    return static_cast<uint32_t>(lines.size());
  }
  std::memcpy(buffer, lines.data(), bufferSize - 2);
  buffer[bufferSize - 2] = buffer[bufferSize - 1] = '\0';
  return bufferSize - 2;
}
