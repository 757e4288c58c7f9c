#include "tools/sim/sim_emulator.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/file_location.h"
#include "platform/socket_library.h"
#include "platform/stream_server.h"
#include "simlink/simconnect.h"
#include "simlink/wire.h"
#include "tools/sim/aircraft_profile.h"
#include "tools/sim/client_connection.h"
#include "tools/sim/package_tree.h"

namespace simemu {

namespace {

using Clock = std::chrono::steady_clock;

bool folderExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

}  // namespace

// Beside the program (the build tree, the Windows zip), then where the
// Linux packages put it (PREFIX/share/orvxlink/packages for PREFIX/bin).
std::string defaultPackagesRoot() {
  const std::string folder = executableFolder();
  const std::string besideProgram = folder + "/packages";
  if (!folder.empty() && folderExists(besideProgram)) return besideProgram;
  const std::string installed = folder + "/../share/orvxlink/packages";
  if (!folder.empty() && folderExists(installed)) return installed;
  const char* source = std::getenv("ORVXLINK_SOURCE_DIR");
  if (source != nullptr && source[0] != '\0') return std::string(source) + "/tools/sim/packages";
  return "tools/sim/packages";
}

std::string defaultAircraftRoot() {
  return defaultPackagesRoot() + "/Official/OneStore/orvx-aircraft/SimObjects/Airplanes";
}

std::string pipePathFromName(const std::string& name) {
  if (name.empty()) return simwire::kDefaultLocalPipe;
  if (name.compare(0, 2, "\\\\") == 0) return name;
  return std::string("\\\\.\\pipe\\") + name;
}

SimEmulator::SimEmulator(SimEmulatorOptions options) : options_(std::move(options)) {
  frameRateHz_.store(options_.frameRateHz);
  fixedStepSeconds_.store(options_.fixedStepSeconds);
  core_.setFrameEventKind(options_.frameEventKind);
  core_.setStampBlocks(options_.stampBlocks);
  core_.setSimulatorKind(options_.simulatorKind);
}

SimEmulator::~SimEmulator() { stop(); }

bool SimEmulator::start(std::string* error) {
  if (running_.load()) return true;
  if (options_.aircraftRoot.empty()) options_.aircraftRoot = defaultAircraftRoot();
  Outbox ignored;
  if (!loadAircraft(options_.aircraftName, error, &ignored)) return false;
  core_.advanceScript(options_.startSeconds);
  if (!options_.requestLogPath.empty() && !core_.openRequestLog(options_.requestLogPath, error)) return false;
  core_.keepRequests(options_.requestsKept);
  startSocketLibrary();
  socketLibraryStarted_ = true;
  if (!startListeners(error)) {
    stop();
    return false;
  }
  running_.store(true);
  for (size_t i = 0; i < listeners_.size(); ++i) {
    StreamListener* listener = listeners_[i].get();
    const std::string transport = listenerTransports_[i];
    acceptThreads_.emplace_back([this, listener, transport] { acceptLoop(listener, transport); });
  }
  clockThread_ = std::thread([this] { clockLoop(); });
  return true;
}

bool SimEmulator::startListeners(std::string* error) {
  if (options_.listenTcp4) {
    auto listener = StreamListener::listenTcp(4, options_.tcp4Host, options_.tcp4Port, error);
    if (!listener) return false;
    tcp4Port_ = listener->boundPort();
    listeners_.push_back(std::move(listener));
    listenerTransports_.push_back("tcp4");
  }
  if (options_.listenTcp6) {
    auto listener = StreamListener::listenTcp(6, options_.tcp6Host, options_.tcp6Port, error);
    if (!listener) return false;
    tcp6Port_ = listener->boundPort();
    listeners_.push_back(std::move(listener));
    listenerTransports_.push_back("tcp6");
  }
  if (options_.listenPipe) {
    pipeName_ = pipePathFromName(options_.pipeName);
    auto listener = StreamListener::listenPipe(pipeName_, error);
    if (!listener) return false;
    listeners_.push_back(std::move(listener));
    listenerTransports_.push_back("pipe");
  }
  return true;
}

void SimEmulator::stop() {
  {
    // Under the clock's lock, so the clock cannot miss the wake-up.
    std::lock_guard<std::mutex> lock(clockMutex_);
    running_.store(false);
  }
  clockSignal_.notify_all();
  if (clockThread_.joinable()) clockThread_.join();
  for (auto& listener : listeners_) listener->stop();
  for (std::thread& thread : acceptThreads_) thread.join();
  acceptThreads_.clear();
  std::map<int, std::shared_ptr<ClientConnection>> closing;
  {
    std::lock_guard<std::mutex> lock(clientsMutex_);
    closing.swap(clients_);
  }
  for (auto& entry : closing) {
    entry.second->close();
    core_.removeClient(entry.first);
  }
  listeners_.clear();
  listenerTransports_.clear();
  if (socketLibraryStarted_) {
    stopSocketLibrary();
    socketLibraryStarted_ = false;
  }
}

void SimEmulator::acceptLoop(StreamListener* listener, const std::string& transport) {
  while (std::unique_ptr<StreamConnection> stream = listener->acceptNext()) {
    int id = 0;
    {
      std::lock_guard<std::mutex> lock(clientsMutex_);
      id = nextClientId_++;
    }
    auto onRequest = [this](int clientId, const uint8_t* bytes, size_t size) {
      Outbox out;
      core_.handleRequest(clientId, bytes, size, &out);
      deliver(out);
    };
    auto onFramingError = [this](int clientId, const uint8_t* header, size_t size, const std::string& reason) {
      core_.noteFramingError(clientId, header, size, reason);
    };
    auto client = std::make_shared<ClientConnection>(id, std::move(stream), onRequest, onFramingError);
    core_.addClient(id, transport);
    {
      std::lock_guard<std::mutex> lock(clientsMutex_);
      clients_[id] = client;
    }
    client->start();
  }
}

// Sends "Frame" at the configured rate. Ticks are spaced on a steady clock;
// after a long pause (a stopped debugger, a suspended machine) the clock
// starts afresh rather than sending the missed frames in a burst.
void SimEmulator::clockLoop() {
  Clock::time_point next = Clock::now();
  Clock::time_point previous = next;
  while (running_.load()) {
    const double rate = frameRateHz_.load();
    if (rate <= 0) {
      std::unique_lock<std::mutex> lock(clockMutex_);
      clockSignal_.wait_for(lock, std::chrono::milliseconds(50), [&] { return !running_.load(); });
      reapFinishedClients();
      next = previous = Clock::now();
      continue;
    }
    next += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
    const Clock::time_point now = Clock::now();
    if (next < now - std::chrono::seconds(1)) next = now;
    {
      std::unique_lock<std::mutex> lock(clockMutex_);
      const uint64_t seen = rateChanges_;
      clockSignal_.wait_until(lock, next, [&] { return !running_.load() || rateChanges_ != seen; });
      if (running_.load() && rateChanges_ != seen) {
        next = previous = Clock::now();  // a new rate starts a fresh beat
        continue;
      }
    }
    if (!running_.load()) break;
    const Clock::time_point tickTime = Clock::now();
    const double fixed = fixedStepSeconds_.load();
    const double step = fixed > 0 ? fixed : std::chrono::duration<double>(tickTime - previous).count();
    previous = tickTime;
    Outbox out;
    core_.tick(step, static_cast<float>(rate), &out);
    deliver(out);
    reapFinishedClients();
  }
}

void SimEmulator::deliver(const Outbox& outbox) {
  for (const auto& entry : outbox) {
    std::shared_ptr<ClientConnection> client = connection(entry.first);
    if (client) client->send(entry.second);
  }
}

std::shared_ptr<ClientConnection> SimEmulator::connection(int clientId) const {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  const auto found = clients_.find(clientId);
  return found == clients_.end() ? nullptr : found->second;
}

// Joins the threads of clients that have gone; never under clientsMutex_,
// since a closing reader may be delivering messages that need it.
void SimEmulator::reapFinishedClients() {
  std::vector<std::shared_ptr<ClientConnection>> finished;
  {
    std::lock_guard<std::mutex> lock(clientsMutex_);
    for (auto it = clients_.begin(); it != clients_.end();) {
      if (it->second->finished()) {
        finished.push_back(it->second);
        it = clients_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& client : finished) {
    client->close();
    core_.removeClient(client->id());
  }
}

std::vector<std::string> SimEmulator::aircraftNames() const {
  return options_.packagesRoot.empty() ? listAircraft(options_.aircraftRoot)
                                       : listPackagedAircraft(options_.packagesRoot);
}

bool SimEmulator::loadAircraft(const std::string& name, std::string* error, Outbox* out) {
  if (options_.packagesRoot.empty()) return core_.selectAircraft(options_.aircraftRoot, name, error, out);
  PackagedAircraft found;
  if (!findPackagedAircraft(options_.packagesRoot, name, &found)) {
    if (error != nullptr) *error = "no package under " + options_.packagesRoot + " holds aircraft " + name;
    return false;
  }
  // Reported with the name as asked for, which may differ in case from the
  // folder on disk, as the simulator's own names may.
  const std::string reported = virtualAircraftPath(found, name, options_.reportPresetPaths);
  if (found.presetFolder.empty())
    return core_.selectAircraftAs(found.airplanesFolder, found.folderName, reported, error, out);
  AircraftProfile profile;
  return loadPresetProfile(found.airplanesFolder + "/" + found.folderName, found.presetFolder, name, &profile, error) &&
         core_.selectProfileAs(std::move(profile), reported, error, out);
}

bool SimEmulator::selectAircraft(const std::string& name, std::string* error) {
  Outbox out;
  if (!loadAircraft(name, error, &out)) return false;
  deliver(out);
  return true;
}

std::string SimEmulator::aircraftFilePath() const { return core_.snapshot().aircraftFilePath; }

void SimEmulator::setFrameRate(double hz) {
  {
    std::lock_guard<std::mutex> lock(clockMutex_);
    frameRateHz_.store(hz);
    ++rateChanges_;
  }
  clockSignal_.notify_all();
}

void SimEmulator::setFixedStep(double seconds) { fixedStepSeconds_.store(seconds); }
void SimEmulator::setFrameEventKind(FrameEventKind kind) { core_.setFrameEventKind(kind); }
void SimEmulator::advanceScript(double seconds) { core_.advanceScript(seconds); }
SimState SimEmulator::snapshot() const { return core_.snapshot(); }
void SimEmulator::editState(const std::function<void(SimState&)>& edit) { core_.editState(edit); }
std::vector<LoggedRequest> SimEmulator::requestLog() const { return core_.requestLog(); }

std::vector<LoggedRequest> SimEmulator::requestsOfKind(uint32_t kind) const {
  std::vector<LoggedRequest> matching;
  for (LoggedRequest& entry : core_.requestLog()) {
    if (entry.kind == kind) matching.push_back(std::move(entry));
  }
  return matching;
}

EmulatorCounters SimEmulator::counters() const { return core_.counters(); }
std::vector<int> SimEmulator::clientIds() const { return core_.clientIds(); }
bool SimEmulator::clientSession(int clientId, ClientSession* out) const { return core_.session(clientId, out); }

bool SimEmulator::dropClient(int clientId) {
  std::shared_ptr<ClientConnection> client = connection(clientId);
  if (!client) return false;
  client->drop();
  return true;
}

bool SimEmulator::sendFault(int clientId, Message message) {
  std::shared_ptr<ClientConnection> client = connection(clientId);
  if (!client) return false;
  client->send(std::move(message));
  return true;
}

bool SimEmulator::sendRaw(int clientId, const std::vector<uint8_t>& bytes) { return sendFault(clientId, bytes); }

bool SimEmulator::sendOversizeMessage(int clientId, uint32_t sizeField) {
  return sendFault(clientId, malformedMessage(sizeField, SIMCONNECT_RECV_ID_EVENT, kMessageHeaderSize));
}

bool SimEmulator::sendUndersizeMessage(int clientId, uint32_t sizeField) {
  return sendFault(clientId, malformedMessage(sizeField, SIMCONNECT_RECV_ID_EVENT, kMessageHeaderSize));
}

bool SimEmulator::sendShortMessage(int clientId, uint32_t totalBytes) {
  return sendFault(clientId, malformedMessage(totalBytes, SIMCONNECT_RECV_ID_EVENT, totalBytes));
}

bool SimEmulator::sendUnknownKindMessage(int clientId, uint32_t kind) {
  return sendFault(clientId, malformedMessage(16, kind, 16));
}

bool SimEmulator::sendUnterminatedFileName(int clientId, uint32_t eventId) {
  return sendFault(clientId, fileNameMessage(eventId, aircraftFilePath(), TextEnding::kUnterminated));
}

bool SimEmulator::sendUnterminatedSystemState(int clientId, uint32_t requestId) {
  return sendFault(clientId, systemStateMessage(requestId, 0, 0.0f, aircraftFilePath(), TextEnding::kUnterminated));
}

void SimEmulator::setUnterminatedText(bool unterminated) { core_.setUnterminatedText(unterminated); }

bool SimEmulator::setSplitWrites(int clientId, size_t chunkBytes) {
  std::shared_ptr<ClientConnection> client = connection(clientId);
  if (client) client->setSplitWrites(chunkBytes);
  return client != nullptr;
}

bool SimEmulator::setMergedWrites(int clientId, size_t messagesPerWrite) {
  std::shared_ptr<ClientConnection> client = connection(clientId);
  if (client) client->setMergedWrites(messagesPerWrite);
  return client != nullptr;
}

bool SimEmulator::stallClient(int clientId, unsigned milliseconds) {
  std::shared_ptr<ClientConnection> client = connection(clientId);
  if (client) client->stall(milliseconds);
  return client != nullptr;
}

bool SimEmulator::waitFor(const std::function<bool()>& condition, unsigned timeoutMs) const {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const uint64_t seen = core_.changeCount();
    if (condition()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    core_.waitForChange(seen, static_cast<unsigned>(left < 20 ? left : 20));
  }
}

bool SimEmulator::waitForClients(size_t connected, unsigned timeoutMs) const {
  return waitFor([&] { return core_.counters().clientsConnected == connected; }, timeoutMs);
}

bool SimEmulator::waitForRequests(uint32_t kind, size_t count, unsigned timeoutMs) const {
  return waitFor([&] { return requestsOfKind(kind).size() >= count; }, timeoutMs);
}

}  // namespace simemu
