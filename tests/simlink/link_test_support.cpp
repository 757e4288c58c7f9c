#include "link_test_support.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/settings_store.h"
#include "platform/socket_library.h"
#include "platform/test_user_folders.h"
#include "simlink/registry_port.h"

namespace fs = std::filesystem;

std::string uniqueName(const char* prefix) {
  static std::mt19937_64 generator{std::random_device{}() ^
                                   static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
  return std::string(prefix) + "-" + std::to_string(generator() % 1000000000000ull);
}

std::string localPipePath(const std::string& pipeName) { return "\\\\.\\pipe\\" + pipeName; }

// --- ScratchFolders ------------------------------------------------------------

ScratchFolders::ScratchFolders() {
  root_ = (fs::temp_directory_path() / uniqueName("orvx-simlink")).string();
  work_ = (fs::path(root_) / "work").string();
  std::error_code error;
  fs::create_directories(work_, error);
  previousDirectory_ = fs::current_path(error).string();
  ready_ = !error && redirectUserFolders(root_);
  fs::current_path(work_, error);
  ready_ = ready_ && !error;
  deleteUserSettingsKey(kSimulatorSettingsKey);
}

ScratchFolders::~ScratchFolders() {
  deleteUserSettingsKey(kSimulatorSettingsKey);
  restoreUserFolders();
  std::error_code error;
  fs::current_path(previousDirectory_, error);
  fs::remove_all(root_, error);
}

std::string ScratchFolders::commonDocuments() const {
  std::string folder;
  commonDocumentsFolder(folder);
  return folder;
}

std::string ScratchFolders::userDocuments() const {
  std::string folder;
  userDocumentsFolder(folder);
  return folder;
}

void ScratchFolders::writeConfig(const std::string& folder, const std::string& text) const {
  std::error_code error;
  fs::create_directories(folder, error);
  std::ofstream(fs::path(folder) / "SimConnect.cfg", std::ios::binary | std::ios::trunc) << text;
}

void ScratchFolders::setRegistryPort(IpVersion version, const std::string& port) const {
  writeUserSettingString(kSimulatorSettingsKey, version == IpVersion::kIpv6 ? kIpv6PortValue : kIpv4PortValue,
                         port.c_str());
}

// --- ScriptedSimulator ---------------------------------------------------------

ScriptedSimulator::ScriptedSimulator(TestListener* listener, uint16_t port, bool usesSockets)
    : listener_(listener), port_(port), usesSockets_(usesSockets) {}

std::unique_ptr<ScriptedSimulator> ScriptedSimulator::onPipe(const std::string& pipePath) {
  TestListener* listener = listenLocalPipe(pipePath);
  if (listener == nullptr) return nullptr;
  return std::unique_ptr<ScriptedSimulator>(new ScriptedSimulator(listener, 0, false));
}

std::unique_ptr<ScriptedSimulator> ScriptedSimulator::onTcp(IpVersion version) {
  startSocketLibrary();
  uint16_t port = 0;
  TestListener* listener = listenTcpLoopback(version, port);
  if (listener == nullptr) {
    stopSocketLibrary();
    return nullptr;
  }
  return std::unique_ptr<ScriptedSimulator>(new ScriptedSimulator(listener, port, true));
}

ScriptedSimulator::~ScriptedSimulator() {
  closeConnection();
  closeTestListener(listener_);
  if (usesSockets_) stopSocketLibrary();
}

bool ScriptedSimulator::accept(uint32_t timeoutMilliseconds) {
  closeConnection();
  connection_ = acceptTestConnection(listener_, timeoutMilliseconds);
  return connection_ != nullptr;
}

bool ScriptedSimulator::hasPendingClient() {
  TestConnection* waiting = acceptTestConnection(listener_, 0);
  closeTestConnection(waiting);
  return waiting != nullptr;
}

bool ScriptedSimulator::readExactly(uint8_t* buffer, size_t length, uint32_t timeoutMilliseconds) {
  while (length > 0) {
    const long received = readTestConnection(connection_, buffer, length, timeoutMilliseconds);
    if (received <= 0) return false;
    buffer += received;
    length -= static_cast<size_t>(received);
  }
  return true;
}

Bytes ScriptedSimulator::readPacket(uint32_t timeoutMilliseconds) {
  Bytes packet(4);
  if (!readExactly(packet.data(), 4, timeoutMilliseconds)) return Bytes();
  const uint32_t size = getU32(packet, 0);
  if (size < 4 || size > 0x10000) return Bytes();
  packet.resize(size);
  if (!readExactly(packet.data() + 4, size - 4, timeoutMilliseconds)) return Bytes();
  return packet;
}

bool ScriptedSimulator::sawClientClose(uint32_t timeoutMilliseconds) {
  uint8_t byte;
  return readTestConnection(connection_, &byte, 1, timeoutMilliseconds) == 0;
}

bool ScriptedSimulator::send(const Bytes& bytes) {
  return connection_ != nullptr && writeTestConnection(connection_, bytes.data(), bytes.size());
}

void ScriptedSimulator::closeConnection() {
  closeTestConnection(connection_);
  connection_ = nullptr;
}

std::string deadTcpPort(IpVersion version) {
  std::unique_ptr<ScriptedSimulator> bound = ScriptedSimulator::onTcp(version);
  return bound ? bound->portText() : std::string("1");
}

std::string ipv4ConfigLines(const ScriptedSimulator& simulator) {
  return "Protocol=IPv4\nAddress=127.0.0.1\nPort=" + simulator.portText() + "\n";
}

std::unique_ptr<ScriptedSimulator> serveConfiguredIpv4(const ScratchFolders& folders) {
  auto simulator = ScriptedSimulator::onTcp(IpVersion::kIpv4);
  if (simulator != nullptr)
    folders.writeConfig(folders.currentDirectory(), "[SimConnect]\n" + ipv4ConfigLines(*simulator));
  return simulator;
}

// --- Byte images ---------------------------------------------------------------

void putU32(Bytes& bytes, size_t offset, uint32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }

uint32_t getU32(const Bytes& bytes, size_t offset) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

void putText(Bytes& bytes, size_t offset, const std::string& text) {
  std::memcpy(bytes.data() + offset, text.data(), text.size());
}

Bytes requestImage(uint32_t size, uint32_t kind, uint32_t sendId) {
  Bytes image(size, 0);
  putU32(image, 0, size);
  putU32(image, 4, 5);
  putU32(image, 8, kind);
  putU32(image, 12, sendId);
  return image;
}

Bytes simulatorMessage(uint32_t size, uint32_t kind, uint8_t seed) {
  Bytes message(size);
  for (size_t i = 0; i < size; ++i) message[i] = static_cast<uint8_t>(seed + i * 7);
  if (size >= 4) putU32(message, 0, size);
  if (size >= 8) putU32(message, 4, 5);
  if (size >= 12) putU32(message, 8, kind);
  return message;
}

Bytes concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// --- Dispatch ------------------------------------------------------------------

namespace {

void recordMessage(SIMCONNECT_RECV* data, DWORD size, void* context) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  static_cast<DispatchLog*>(context)->messages.emplace_back(bytes, bytes + size);
}

}  // namespace

bool eventually(const std::function<bool()>& condition, uint32_t timeoutMilliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    sleepMilliseconds(1);
  }
  return true;
}

bool dispatchUntil(HANDLE link, DispatchLog& log, const std::function<bool(const DispatchLog&)>& done,
                   uint32_t timeoutMilliseconds) {
  return eventually(
      [&] {
        log.lastResult = SimConnect_CallDispatch(link, recordMessage, &log);
        return log.lastResult < 0 || done(log);
      },
      timeoutMilliseconds);
}

bool dispatchUntilFailure(HANDLE link, DispatchLog& log) {
  return dispatchUntil(link, log, [](const DispatchLog&) { return false; }) && log.lastResult < 0;
}
