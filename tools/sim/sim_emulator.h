// orvx_sim_emulator: a stand-in for the flight simulator, serving the
// simulator side of the SimConnect wire protocol to any number of clients at
// once over TCP (IPv4, IPv6) and the local named pipe, and flying a scripted,
// looping flight. Tests link it in-process; the orvxlink-sim program wraps it.
// All public calls are safe from any thread; the object must outlive them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/sim/emulator_core.h"

class StreamListener;

namespace simemu {

class ClientConnection;

struct SimEmulatorOptions {
  // Transports; a port of 0 picks a free one (see tcp4Port()).
  bool listenTcp4 = true;
  std::string tcp4Host = "127.0.0.1";
  uint16_t tcp4Port = 0;
  bool listenTcp6 = false;
  std::string tcp6Host = "::1";
  uint16_t tcp6Port = 0;
  bool listenPipe = false;
  std::string pipeName;  // a pipe path such as "\\.\pipe\Name"; empty: the simulator's default pipe

  // Time. frameRateHz "Frame" events per second (0: none). With
  // fixedStepSeconds > 0 each frame moves the script on by that much,
  // whatever the wall clock does, so runs repeat exactly; otherwise the
  // script follows the wall clock. startSeconds fast-forwards the script
  // before the first client comes.
  double frameRateHz = 30;
  double fixedStepSeconds = 0;
  double startSeconds = 0;
  FrameEventKind frameEventKind = FrameEventKind::kFrameEvent;
  // Benchmark stamps in every data answer (EmulatorCore::setStampBlocks).
  bool stampBlocks = false;

  // Aircraft: folders with an aircraft.cfg under aircraftRoot, reported by
  // their full path. When packagesRoot is set instead, aircraft are taken
  // from that package tree (package_tree.h) and reported as the simulator
  // reports them, by their relative path inside the packages.
  std::string aircraftRoot;
  std::string packagesRoot;
  std::string aircraftName = "orvx_jet";
  // The simulator played: its name in the open reply. With packagesRoot, a
  // modular aircraft's preset is reported by its aircraft's folder unless
  // reportPresetPaths asks for the preset's own config\aircraft.cfg.
  SimulatorKind simulatorKind = SimulatorKind::kMsfs2020;
  bool reportPresetPaths = false;

  // When set, every request is also appended to this file as a JSON line.
  std::string requestLogPath;
  // How many of the latest requests requestLog() keeps (between this and
  // twice this); 0 keeps every one. Long runs set it, as every link open
  // logs a few hundred requests and every frame one more.
  size_t requestsKept = 0;
};

class SimEmulator {
 public:
  explicit SimEmulator(SimEmulatorOptions options);
  ~SimEmulator();
  SimEmulator(const SimEmulator&) = delete;
  SimEmulator& operator=(const SimEmulator&) = delete;

  // Loads the aircraft, opens the listeners and starts the frame clock.
  // False with a reason when any of them fails (nothing is left running).
  bool start(std::string* error);
  // Closes every client and listener and joins every thread. Idempotent.
  void stop();

  uint16_t tcp4Port() const { return tcp4Port_; }
  uint16_t tcp6Port() const { return tcp6Port_; }
  std::string pipeName() const { return pipeName_; }

  // --- Aircraft ---------------------------------------------------------------
  std::vector<std::string> aircraftNames() const;
  // Switches aircraft; the new one starts its flight at the gate and
  // "AircraftLoaded" subscribers receive its file name.
  bool selectAircraft(const std::string& name, std::string* error);
  // The aircraft file path as reported to clients.
  std::string aircraftFilePath() const;

  // --- Time and state ---------------------------------------------------------
  void setFrameRate(double hz);
  void setFixedStep(double seconds);
  void setFrameEventKind(FrameEventKind kind);
  // Moves the script on at once, without sending frames.
  void advanceScript(double seconds);
  SimState snapshot() const;
  void editState(const std::function<void(SimState&)>& edit);

  // --- Observation ------------------------------------------------------------
  std::vector<LoggedRequest> requestLog() const;
  std::vector<LoggedRequest> requestsOfKind(uint32_t kind) const;
  EmulatorCounters counters() const;
  std::vector<int> clientIds() const;  // connected clients, oldest first
  bool clientSession(int clientId, ClientSession* out) const;

  // --- Faults -----------------------------------------------------------------
  // Each returns false when the client is not connected.
  bool dropClient(int clientId);
  bool sendRaw(int clientId, const std::vector<uint8_t>& bytes);
  // A 12-byte message whose size field is above the client's 41088-byte limit.
  bool sendOversizeMessage(int clientId, uint32_t sizeField = 41089);
  // A 12-byte message whose size field is below 4.
  bool sendUndersizeMessage(int clientId, uint32_t sizeField = 2);
  // A whole message of 4 to 11 bytes: framed, but too short for a header.
  bool sendShortMessage(int clientId, uint32_t totalBytes = 8);
  // A 16-byte message of a kind no client knows.
  bool sendUnknownKindMessage(int clientId, uint32_t kind = 0x7777);
  // File-name and system-state messages whose text fills the field with no
  // terminator and ends the message.
  bool sendUnterminatedFileName(int clientId, uint32_t eventId);
  bool sendUnterminatedSystemState(int clientId, uint32_t requestId);
  // From now on, every text in data, file-name and system-state messages is
  // sent without a terminator.
  void setUnterminatedText(bool unterminated);
  bool setSplitWrites(int clientId, size_t chunkBytes);
  bool setMergedWrites(int clientId, size_t messagesPerWrite);
  bool stallClient(int clientId, unsigned milliseconds);

  // --- Waiting ----------------------------------------------------------------
  // Waits until condition() holds, re-checking whenever the emulator changes
  // (and at least every 20 ms). False when the deadline passes first.
  bool waitFor(const std::function<bool()>& condition, unsigned timeoutMs) const;
  bool waitForClients(size_t connected, unsigned timeoutMs) const;
  bool waitForRequests(uint32_t kind, size_t count, unsigned timeoutMs) const;

 private:
  bool loadAircraft(const std::string& name, std::string* error, Outbox* out);
  bool startListeners(std::string* error);
  void acceptLoop(StreamListener* listener, const std::string& transport);
  void clockLoop();
  void deliver(const Outbox& outbox);
  std::shared_ptr<ClientConnection> connection(int clientId) const;
  void reapFinishedClients();
  bool sendFault(int clientId, Message message);

  SimEmulatorOptions options_;
  EmulatorCore core_;
  uint16_t tcp4Port_ = 0;
  uint16_t tcp6Port_ = 0;
  std::string pipeName_;
  bool socketLibraryStarted_ = false;

  std::vector<std::unique_ptr<StreamListener>> listeners_;
  std::vector<std::string> listenerTransports_;  // "tcp4", "tcp6" or "pipe", per listener
  std::vector<std::thread> acceptThreads_;
  std::thread clockThread_;
  std::atomic<bool> running_{false};
  std::atomic<double> frameRateHz_{30};
  std::atomic<double> fixedStepSeconds_{0};

  mutable std::mutex clientsMutex_;
  std::map<int, std::shared_ptr<ClientConnection>> clients_;  // guarded by clientsMutex_
  int nextClientId_ = 1;                                      // guarded by clientsMutex_
  std::mutex clockMutex_;
  std::condition_variable clockSignal_;  // wakes the clock on stop or a rate change
  uint64_t rateChanges_ = 0;             // guarded by clockMutex_
};

}  // namespace simemu

namespace simemu {

// Where the shipped package tree is: "packages" beside the running program
// (the build copies it there), else tools/sim/packages under the source tree
// named by ORVXLINK_SOURCE_DIR, else that path relative to the current
// directory.
std::string defaultPackagesRoot();
// The folder of the shipped official aircraft inside that tree.
std::string defaultAircraftRoot();

// A pipe path from a name: "\\.\pipe\NAME" unless it already is a path.
std::string pipePathFromName(const std::string& name);

}  // namespace simemu
