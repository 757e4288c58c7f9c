// The bridge's process-wide state that several threads share. Each flag is
// written by one side and read by another, so the flags and the counter are
// atomics; everything else here is used by the session thread alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// Set by startBridge before the session thread exists; cleared by stopBridge.
extern std::atomic<bool> sessionRunning;
// The simulator link is open and the last dispatch poll succeeded. Written by
// the session thread, read by the status display.
extern std::atomic<bool> simConnected;
// The app listener has been started and is to keep running. Set by the
// message handler (and by the listener once it listens), cleared by the
// session's end; read by the listener and every serving thread.
extern std::atomic<bool> listenerRunning;
// The app listener could not bind its port (another program holds it), so
// apps cannot connect until the program is started again. Written by the
// listener thread, read by the status display.
extern std::atomic<bool> appPortInUse;
// Serving threads in progress: +1 when one starts, -1 when it ends.
extern std::atomic<int32_t> connectedClientCount;

// Session thread only: a new aircraft file path has arrived and the aircraft
// configuration is to be read again before the next build.
extern bool aircraftChanged;
extern std::string aircraftFilePath;

// The TCP port apps connect to. Fixed for the program.
constexpr uint16_t kAppPort = 5193;
