// The few Windows type names that the link library's public interface uses.
// On Win32 they come from <windows.h>; elsewhere they are defined here with
// the same widths, so the rest of the program is written once.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
typedef void* HANDLE;
typedef void* HWND;
typedef int32_t HRESULT;
typedef uint32_t DWORD;
typedef const char* LPCSTR;
#endif
