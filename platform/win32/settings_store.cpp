#include "platform/settings_store.h"

#include <windows.h>

#include <cstring>

bool readUserSettingValue(const char* keyPath, const char* valueName, char* data, uint32_t dataSize,
                          uint32_t& returnedSize) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = dataSize;
  const LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  returnedSize = size;
  return true;
}

bool writeUserSettingString(const char* keyPath, const char* valueName, const char* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     static_cast<DWORD>(std::strlen(value) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool deleteUserSettingsKey(const char* keyPath) { return RegDeleteKeyA(HKEY_CURRENT_USER, keyPath) == ERROR_SUCCESS; }
