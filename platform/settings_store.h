// The current user's settings store, where the simulator leaves its TCP
// ports. Win32: the registry under HKEY_CURRENT_USER. POSIX: the file
// $XDG_CONFIG_HOME/orvxlink/registry.ini (~/.config/orvxlink/registry.ini
// when the variable is unset), one section per key path written as
// "[HKEY_CURRENT_USER\<key path>]", one "name=value" line per string value;
// names are matched without regard to case. Readers: the link library;
// writers: tests and tools. Safe from any thread.
#pragma once

#include <cstdint>

// Reads a value as RegOpenKeyExA (KEY_READ) and RegQueryValueExA with a data
// buffer of dataSize bytes do. False when the key or the value is missing or
// the value does not fit; otherwise the buffer holds the value's bytes (a
// string with its NUL, when it was stored with one) and returnedSize their
// count.
bool readUserSettingValue(const char* keyPath, const char* valueName, char* data, uint32_t dataSize,
                          uint32_t& returnedSize);

// Stores a string value, creating the key. False on failure.
bool writeUserSettingString(const char* keyPath, const char* valueName, const char* value);

// Removes the key and its values (not its subkeys on POSIX, which has none).
bool deleteUserSettingsKey(const char* keyPath);
