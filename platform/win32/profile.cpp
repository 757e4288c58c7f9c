#include "platform/profile.h"

#include <windows.h>

uint32_t readProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                           uint32_t bufferSize, const char* filePath) {
  return GetPrivateProfileStringA(section, key, defaultValue != nullptr ? defaultValue : "", buffer, bufferSize,
                                  filePath);
}

uint32_t readProfileSection(const char* section, char* buffer, uint32_t bufferSize, const char* filePath) {
  return GetPrivateProfileSectionA(section, buffer, bufferSize, filePath);
}
