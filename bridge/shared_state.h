// The bridge's process-wide state that several threads share. Each flag is
// written by one side and read by another, so the flags and the counter are
// atomics; everything else here is used by the session thread alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
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
// Where the app port stands, for the status display: not open yet (the
// listener opens it at the simulator's first data), listening, or failed to
// open for the rest of the run. Written by the listener (and reset when one
// is started), read by the status display; guarded by a lock of its own,
// callable from any thread.
enum class AppPortPhase { kNotOpen, kListening, kFailed };
struct AppPortState {
  AppPortPhase phase = AppPortPhase::kNotOpen;
  bool addressInUse = false;  // kFailed: another socket holds the port
  std::string errorText;      // kFailed: the system's description of the failure
};
void noteAppPortState(const AppPortState& state);
AppPortState appPortState();
// Serving threads in progress: +1 when one starts, -1 when it ends.
extern std::atomic<int32_t> connectedClientCount;

// The last app that connected in this run: its address and port as text
// ("192.168.1.31:50112") and the wall-clock time it connected. A serving thread
// notes it once the connection's first frame shows it is an app (a browser's
// check-page request is not one); the status display and the check page read
// it. Guarded by a lock of its own; callable from any thread.
struct AppArrival {
  std::string peer;  // empty: no app has connected yet
  std::time_t connectedAt = 0;
};
void noteAppArrival(const std::string& peer);
AppArrival lastAppArrival();

// Session thread only: a new aircraft file path has arrived and the aircraft
// configuration is to be read again before the next build.
extern bool aircraftChanged;
extern std::string aircraftFilePath;

// The TCP port apps connect to. Fixed for the program.
constexpr uint16_t kAppPort = 5193;
