// The bridge's lifecycle: start-up, the simulator session thread that opens,
// serves and re-opens the simulator link, and the orderly, top-down stop.
// startBridge and stopBridge are called once each, in that order, from the
// program's main thread (the UI thread on Windows).
#pragma once

// Resets the records, starts the socket library and the session thread.
// Always returns true; a thread that cannot be created throws
// std::system_error (the program cannot run without it).
bool startBridge();

// Stops the session thread, which closes the simulator link and stops the app
// listener and every serving thread; then stops the socket library. Returns
// when every bridge thread has ended.
void stopBridge();

// Body of the session thread.
void runSimSession();
