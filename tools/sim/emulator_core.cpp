#include "tools/sim/emulator_core.h"

#include <chrono>

#include "simlink/simconnect.h"
#include "simlink/wire.h"
#include "tools/sim/request_decoder.h"
#include "tools/sim/sim_events.h"
#include "tools/sim/text_util.h"
#include "tools/sim/wire_bytes.h"

namespace simemu {

namespace {

// The system events the emulator raises, by their canonical names.
std::string knownSystemEvent(const std::string& name) {
  for (const char* known : {"Frame", "AircraftLoaded", "SimStart"}) {
    if (equalsIgnoringCase(name, known)) return known;
  }
  return std::string();
}

bool isSimulatedEvent(const std::string& name) {
  SimState scratch;
  return applySimEvent(name, 0, &scratch);
}

void appendNote(std::string* note, const std::string& text) {
  if (text.empty()) return;
  if (!note->empty()) *note += "; ";
  *note += text;
}

}  // namespace

std::string reportedAircraftPath(const std::string& absolutePath) {
  std::string path = absolutePath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

EmulatorCore::EmulatorCore() = default;
EmulatorCore::~EmulatorCore() = default;

bool EmulatorCore::selectAircraft(const std::string& root, const std::string& name, std::string* error, Outbox* out) {
  return selectAircraftAs(root, name, std::string(), error, out);
}

bool EmulatorCore::selectAircraftAs(const std::string& root, const std::string& name, const std::string& reportedPath,
                                    std::string* error, Outbox* out) {
  AircraftProfile profile;
  if (!loadAircraftProfile(root, name, &profile, error)) return false;
  return selectProfileAs(std::move(profile), reportedPath, error, out);
}

bool EmulatorCore::selectProfileAs(AircraftProfile profile, const std::string& reportedPath, std::string* error,
                                   Outbox* out) {
  profile.configPath = reportedPath.empty() ? reportedAircraftPath(profile.configPath) : reportedPath;
  if (profile.configPath.size() >= kPathFieldSize) {
    // A cut path would name another file; refuse rather than mislead.
    if (error != nullptr) *error = "aircraft path longer than 259 characters: " + profile.configPath;
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    flight_.load(profile);
    announceAircraft(out);
  }
  changed();
  return true;
}

void EmulatorCore::announceAircraft(Outbox* out) {
  const std::string& path = flight_.state().aircraftFilePath;
  for (const auto& entry : sessions_) {
    for (const auto& subscription : entry.second.subscriptions) {
      if (subscription.second != "AircraftLoaded") continue;
      out->emplace_back(entry.first, fileNameMessage(subscription.first, path, textEnding()));
    }
  }
}

void EmulatorCore::addClient(int id, const std::string& transport) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ClientSession& session = sessions_[id];
    session.id = id;
    session.transport = transport;
    ++counters_.clientsAccepted;
    ++counters_.clientsConnected;
  }
  changed();
}

void EmulatorCore::removeClient(int id) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sessions_.erase(id) > 0) --counters_.clientsConnected;
  }
  changed();
}

void EmulatorCore::handleRequest(int clientId, const uint8_t* bytes, size_t size, Outbox* out) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    LoggedRequest request = decodeRequest(clientId, bytes, size);
    ++counters_.requests;
    auto found = sessions_.find(clientId);
    // Unknown kinds and packets too short for their kind are only logged.
    const uint32_t expected = expectedRequestSize(request.kind);
    if (found != sessions_.end() && expected != 0 && size >= expected) act(found->second, request, out, &request.note);
    log_.append(std::move(request));
  }
  changed();
}

void EmulatorCore::noteFramingError(int clientId, const uint8_t* header, size_t size, const std::string& reason) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    LoggedRequest entry;
    entry.clientId = clientId;
    entry.raw.assign(header, header + size);
    if (size >= 4) entry.size = readU32(header);
    if (size >= 8) entry.version = readU32(header + 4);
    if (size >= 12) entry.kind = readU32(header + 8);
    if (size >= 16) entry.sendId = readU32(header + 12);
    entry.kindName = requestKindName(entry.kind);
    entry.note = reason + "; connection closed";
    ++counters_.framingErrors;
    log_.append(std::move(entry));
  }
  changed();
}

void EmulatorCore::act(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note) {
  switch (request.kind) {
    case simwire::kOpen:
      session.opened = true;
      session.applicationName = request.field("applicationName");
      ++counters_.opens;
      out->emplace_back(session.id, openMessage(simulatorKind_));
      break;
    case simwire::kMapClientEventToSimEvent: {
      const std::string name = request.field("eventName");
      session.clientEvents[readU32(request.raw.data() + 16)] = name;
      if (!isSimulatedEvent(name)) appendNote(note, "event not simulated");
      break;
    }
    case simwire::kTransmitClientEvent:
      transmitEvent(session, request, note);
      break;
    case simwire::kAddToDataDefinition:
      addDatum(session, request, note);
      break;
    case simwire::kRequestDataOnSimObjectType:
      answerData(session, request, out, note);
      break;
    case simwire::kSubscribeToSystemEvent:
      subscribe(session, request, out, note);
      break;
    case simwire::kRequestSystemState:
      answerSystemState(session, request, out, note);
      break;
    default:
      break;
  }
}

void EmulatorCore::addDatum(ClientSession& session, const LoggedRequest& request, std::string* note) {
  const uint8_t* b = request.raw.data();
  Datum datum = declareDatum(readU32(b + 16), requestText(b, 20), requestText(b, 276), readU32(b + 532),
                             readF32(b + 536), readU32(b + 540));
  if (!datum.problem.empty()) appendNote(note, datum.problem + ": its value will be 0");
  session.definitions[datum.defineId].push_back(std::move(datum));
}

void EmulatorCore::answerData(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note) {
  const uint8_t* b = request.raw.data();
  const uint32_t requestId = readU32(b + 16);
  const uint32_t defineId = readU32(b + 20);
  if (readU32(b + 28) != 0) appendNote(note, "only the user aircraft is simulated");
  const auto found = session.definitions.find(defineId);
  std::vector<uint8_t> data;
  uint32_t count = 0;
  if (found == session.definitions.end()) {
    appendNote(note, "no such data definition; empty answer");
  } else {
    PackOptions options;
    options.unterminatedText = unterminatedText_;
    const SimState state = stampBlocks_ ? stampedState() : flight_.state();
    for (const Datum& datum : found->second) {
      packDatum(datum, state, options, &data);
      if (!datum.problem.empty()) appendNote(note, "\"" + datum.datumName + "\" is 0 (" + datum.problem + ")");
    }
    count = static_cast<uint32_t>(found->second.size());
  }
  out->emplace_back(session.id, objectDataMessage(requestId, defineId, count, data));
  ++counters_.dataRequestsAnswered;
}

void EmulatorCore::transmitEvent(ClientSession& session, const LoggedRequest& request, std::string* note) {
  const uint8_t* b = request.raw.data();
  const auto mapping = session.clientEvents.find(readU32(b + 20));
  if (mapping == session.clientEvents.end()) {
    appendNote(note, "client event not mapped; ignored");
    return;
  }
  if (readU32(b + 16) != SIMCONNECT_OBJECT_ID_USER) appendNote(note, "object is not the user aircraft");
  if (!applySimEvent(mapping->second, readU32(b + 24), &flight_.state())) {
    appendNote(note, "event " + mapping->second + " not simulated; ignored");
    return;
  }
  ++counters_.clientEventsApplied;
}

void EmulatorCore::subscribe(ClientSession& session, const LoggedRequest& request, Outbox* out, std::string* note) {
  const uint32_t eventId = readU32(request.raw.data() + 16);
  const std::string name = knownSystemEvent(request.field("eventName"));
  if (name.empty()) {
    appendNote(note, "system event not simulated; nothing will be sent");
    return;
  }
  session.subscriptions[eventId] = name;
  // The simulation is already running: a new subscriber hears of it at once.
  if (name == "SimStart") out->emplace_back(session.id, eventMessage(eventId, 0));
}

void EmulatorCore::answerSystemState(ClientSession& session, const LoggedRequest& request, Outbox* out,
                                     std::string* note) {
  const uint32_t requestId = readU32(request.raw.data() + 16);
  const std::string name = request.field("stateName");
  uint32_t integer = 0;
  std::string text;
  if (equalsIgnoringCase(name, "AircraftLoaded")) {
    text = flight_.state().aircraftFilePath;
  } else if (equalsIgnoringCase(name, "Sim")) {
    integer = 1;
  } else if (!equalsIgnoringCase(name, "DialogMode") && !equalsIgnoringCase(name, "FlightLoaded") &&
             !equalsIgnoringCase(name, "FlightPlan")) {
    appendNote(note, "system state not simulated; answered with zeros");
  }
  out->emplace_back(session.id, systemStateMessage(requestId, integer, 0.0f, text, textEnding()));
}

void EmulatorCore::tick(double scriptSeconds, float frameRateHz, Outbox* out) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    flight_.advance(scriptSeconds);
    ++frameSerial_;
    for (const auto& entry : sessions_) {
      for (const auto& subscription : entry.second.subscriptions) {
        if (subscription.second != "Frame") continue;
        out->emplace_back(entry.first, frameEventKind_ == FrameEventKind::kFrameEvent
                                           ? frameMessage(subscription.first, frameRateHz, 1.0f)
                                           : eventMessage(subscription.first, 0));
        ++counters_.framesSent;
      }
    }
  }
  changed();
}

void EmulatorCore::advanceScript(double seconds) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    flight_.advance(seconds);
  }
  changed();
}

void EmulatorCore::editState(const std::function<void(SimState&)>& edit) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    edit(flight_.state());
  }
  changed();
}

void EmulatorCore::setFrameEventKind(FrameEventKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  frameEventKind_ = kind;
}

void EmulatorCore::setUnterminatedText(bool unterminated) {
  std::lock_guard<std::mutex> lock(mutex_);
  unterminatedText_ = unterminated;
}

void EmulatorCore::setSimulatorKind(SimulatorKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  simulatorKind_ = kind;
}

void EmulatorCore::setStampBlocks(bool stamp) {
  std::lock_guard<std::mutex> lock(mutex_);
  stampBlocks_ = stamp;
}

SimState EmulatorCore::stampedState() const {
  SimState state = flight_.state();
  state.latitudeDeg = static_cast<double>(frameSerial_);
  state.longitudeDeg = static_cast<double>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
  return state;
}

TextEnding EmulatorCore::textEnding() const {
  return unterminatedText_ ? TextEnding::kUnterminated : TextEnding::kTerminated;
}

bool EmulatorCore::openRequestLog(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_.openFile(path, error);
}

SimState EmulatorCore::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return flight_.state();
}

void EmulatorCore::keepRequests(size_t count) {
  std::lock_guard<std::mutex> hold(mutex_);
  log_.keepAtMost(count);
}

std::vector<LoggedRequest> EmulatorCore::requestLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_.entries();
}

EmulatorCounters EmulatorCore::counters() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counters_;
}

std::vector<int> EmulatorCore::clientIds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int> ids;
  for (const auto& entry : sessions_) ids.push_back(entry.first);
  return ids;
}

bool EmulatorCore::session(int clientId, ClientSession* out) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = sessions_.find(clientId);
  if (found == sessions_.end()) return false;
  *out = found->second;
  return true;
}

void EmulatorCore::changed() {
  {
    std::lock_guard<std::mutex> lock(changeMutex_);
    ++changeCount_;
  }
  changeSignal_.notify_all();
}

uint64_t EmulatorCore::changeCount() const {
  std::lock_guard<std::mutex> lock(changeMutex_);
  return changeCount_;
}

void EmulatorCore::waitForChange(uint64_t seen, unsigned timeoutMs) const {
  std::unique_lock<std::mutex> lock(changeMutex_);
  changeSignal_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return changeCount_ != seen; });
}

}  // namespace simemu
