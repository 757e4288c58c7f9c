// A request from outside to stop the program: Ctrl-C or SIGTERM on POSIX,
// Ctrl-C, Ctrl-Break or the console closing on Windows. The handlers only
// record the request; the main thread waits for it and stops in order.
#pragma once

// Installs the handlers. Call once, from the main thread, before waiting.
void installStopRequestHandlers();

// Waits until a stop has been requested or `timeoutMs` has passed; true if a
// stop has been requested.
bool waitForStopRequest(unsigned timeoutMs);

// Records a stop request as the handlers do (for a key press, or a test).
void requestStop();
