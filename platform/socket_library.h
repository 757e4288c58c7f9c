// Process-wide start and stop of the socket library (Winsock 2.2 on Win32;
// nothing to do on POSIX). Calls may nest: each start is paired with a stop.
#pragma once

void startSocketLibrary();
void stopSocketLibrary();
