// Test support: leaves a known error as the calling thread's last system
// error, as a receive on a connection the peer reset leaves it, and knows how
// the system describes that error. Any thread.
#pragma once

#include <string>

// Sets the error and returns its code: ECONNRESET on POSIX, WSAECONNRESET
// (10054) on Win32.
int setConnectionResetAsLastError();

// True when the text is the system's description of that error: glibc's
// "Connection reset by peer"; on Win32 Windows' "An existing connection was
// forcibly closed by the remote host." or Wine's "Connection reset by peer."
bool describesConnectionReset(const std::string& text);
