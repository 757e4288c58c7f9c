#include "platform/last_error.h"

#include <windows.h>

int lastSystemErrorCode() { return static_cast<int>(GetLastError()); }

std::string systemErrorText(int code) {
  wchar_t* wide = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&wide), 0, nullptr);
  std::string text;
  if (length != 0 && wide != nullptr) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), &text[0], bytes, nullptr, nullptr);
  }
  if (wide != nullptr) LocalFree(wide);
  // The system's text ends with a line break; a log line must not.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}
