// Reading profile (INI) files as the Windows profile functions do: sections
// in brackets, then "key=value" lines. Win32: GetPrivateProfileStringA and
// GetPrivateProfileSectionA. POSIX: our own reader with the same rules:
// section and key names compared without regard to case, the first matching
// section and the first matching key in it win, values trimmed of blanks and
// of one pair of enclosing quotes, lines starting with ';' ignored, a file
// that cannot be read gives the default. Safe from any thread.
#pragma once

#include <cstdint>

// Copies the key's value, or defaultValue (null means empty) when the file,
// section or key is missing, into the buffer, cut to bufferSize - 1
// characters and terminated. Returns the number of characters copied.
uint32_t readProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                           uint32_t bufferSize, const char* filePath);

// Copies the section's lines as "key=value" texts, each terminated, with one
// more NUL after the last; cut short when the buffer is too small. Returns
// the number of characters copied without the final NUL: 0 when the file or
// section is missing or the section is empty, bufferSize - 2 when cut.
uint32_t readProfileSection(const char* section, char* buffer, uint32_t bufferSize, const char* filePath);
