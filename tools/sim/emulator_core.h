// The simulator side of the protocol without any I/O: the clients' sessions
// (data definitions, client-event mappings, system-event subscriptions), the
// flight model, the request log and the counters. Requests go in as framed
// bytes; the messages to send come out in an outbox, in order. Every public
// call takes the core's one lock, so any thread may call it; the outbox is
// the caller's to deliver.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tools/sim/data_definition.h"
#include "tools/sim/flight_model.h"
#include "tools/sim/request_log.h"
#include "tools/sim/sim_messages.h"

namespace simemu {

using Outbox = std::vector<std::pair<int, Message>>;  // client id, message

struct EmulatorCounters {
  uint64_t clientsAccepted = 0;
  uint64_t clientsConnected = 0;
  uint64_t opens = 0;
  uint64_t requests = 0;
  uint64_t dataRequestsAnswered = 0;
  uint64_t framesSent = 0;
  uint64_t clientEventsApplied = 0;
  uint64_t framingErrors = 0;
};

struct ClientSession {
  int id = 0;
  std::string transport;  // "tcp4", "tcp6" or "pipe"
  bool opened = false;
  std::string applicationName;
  std::map<uint32_t, std::vector<Datum>> definitions;  // by define id, in declaration order
  std::map<uint32_t, std::string> clientEvents;        // client event id to simulator event name
  std::map<uint32_t, std::string> subscriptions;       // client event id to system event name
};

// How "Frame" notifications are sent: as frame events (kind 7) or as plain
// events (kind 4); clients must handle both.
enum class FrameEventKind { kFrameEvent, kPlainEvent };

class EmulatorCore {
 public:
  EmulatorCore();
  ~EmulatorCore();

  // Loads root/name and starts its flight; "AircraftLoaded" subscribers get a
  // file-name event. False with a reason when the aircraft cannot be loaded or
  // its path does not fit the 260-byte path field.
  bool selectAircraft(const std::string& root, const std::string& name, std::string* error, Outbox* out);
  // The same, but the aircraft is reported by `reportedPath` (as the
  // simulator reports a packaged aircraft) instead of its full path.
  bool selectAircraftAs(const std::string& root, const std::string& name, const std::string& reportedPath,
                        std::string* error, Outbox* out);
  // The same for a profile already loaded (a modular aircraft's preset).
  bool selectProfileAs(AircraftProfile profile, const std::string& reportedPath, std::string* error, Outbox* out);

  void addClient(int id, const std::string& transport);
  void removeClient(int id);
  // One whole request of `size` bytes (size >= 16, as framed).
  void handleRequest(int clientId, const uint8_t* bytes, size_t size, Outbox* out);
  // Logs a frame the client's connection is closed for (bad size field).
  void noteFramingError(int clientId, const uint8_t* header, size_t size, const std::string& reason);

  // Moves the script on by scriptSeconds, then sends "Frame" to subscribers.
  void tick(double scriptSeconds, float frameRateHz, Outbox* out);
  void advanceScript(double seconds);
  void editState(const std::function<void(SimState&)>& edit);

  void setFrameEventKind(FrameEventKind kind);
  void setUnterminatedText(bool unterminated);
  // Benchmark stamps: every data answer carries, in place of the aircraft's
  // latitude and longitude, the number of the last frame sent (1, 2, ...) and
  // the steady clock's reading in microseconds when the answer was made, so
  // that a reader of the answer can tell which frame it was and how old it is.
  void setStampBlocks(bool stamp);
  // Which simulator the open reply names (2020 until set).
  void setSimulatorKind(SimulatorKind kind);
  bool openRequestLog(const std::string& path, std::string* error);
  // Keeps only about the latest `count` requests in memory; 0 keeps all.
  void keepRequests(size_t count);

  SimState snapshot() const;
  std::vector<LoggedRequest> requestLog() const;
  EmulatorCounters counters() const;
  std::vector<int> clientIds() const;
  bool session(int clientId, ClientSession* out) const;

  // Every request, connection change and tick counts as a change; waiters
  // wake on it. changeCount() is the number of changes so far.
  uint64_t changeCount() const;
  void waitForChange(uint64_t seen, unsigned timeoutMs) const;

 private:
  void act(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note);
  void addDatum(ClientSession& session, const LoggedRequest& request, std::string* note);
  void answerData(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note);
  void transmitEvent(ClientSession& session, const LoggedRequest& request, std::string* note);
  void subscribe(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note);
  void answerSystemState(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note);
  void announceAircraft(Outbox* out);
  void changed();
  TextEnding textEnding() const;
  SimState stampedState() const;  // the state with the benchmark stamps in place

  mutable std::mutex mutex_;
  FlightModel flight_;
  std::map<int, ClientSession> sessions_;
  RequestLog log_;
  EmulatorCounters counters_;
  FrameEventKind frameEventKind_ = FrameEventKind::kFrameEvent;
  bool unterminatedText_ = false;
  bool stampBlocks_ = false;
  SimulatorKind simulatorKind_ = SimulatorKind::kMsfs2020;
  uint64_t frameSerial_ = 0;  // frames sent so far

  mutable std::mutex changeMutex_;
  mutable std::condition_variable changeSignal_;
  uint64_t changeCount_ = 0;  // guarded by changeMutex_
};

// The aircraft file path as the simulator reports it: the absolute path with
// every '/' turned into '\' (the Windows form, which readers split at the last
// backslash).
std::string reportedAircraftPath(const std::string& absolutePath);

}  // namespace simemu
