// The calling thread's last system error (on Win32 the value GetLastError
// reports, which carries the socket library's last error; on POSIX errno) and
// the system's description of an error code as narrow text with no trailing
// line break. Safe from any thread.
#pragma once

#include <string>

int lastSystemErrorCode();
std::string systemErrorText(int code);
