// Test support for the simulator link: a scratch folder that stands in for
// every place the link reads settings from, a scripted simulator at the far
// end of a link (TCP or named pipe), request-packet images, and a dispatch
// loop that waits on conditions with a deadline. Main test thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/tcp_client.h"
#include "platform/test_listener.h"
#include "simlink/simconnect.h"

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTestWaitMilliseconds = 5000;

// A name no other test run uses at the same time.
std::string uniqueName(const char* prefix);

// "\\.\pipe\<name>", the local pipe of that name.
std::string localPipePath(const std::string& pipeName);

// Redirects the documents folders, the settings store and the pipe folder
// into a new scratch folder and makes its "work" subfolder the current
// directory; undoes all of it, and removes the simulator's settings key, on
// destruction.
class ScratchFolders {
 public:
  ScratchFolders();
  ~ScratchFolders();
  ScratchFolders(const ScratchFolders&) = delete;
  ScratchFolders& operator=(const ScratchFolders&) = delete;

  bool ready() const { return ready_; }
  std::string commonDocuments() const;
  std::string userDocuments() const;
  std::string currentDirectory() const { return work_; }

  // Writes "SimConnect.cfg" with the text into the folder.
  void writeConfig(const std::string& folder, const std::string& text) const;
  // Stores a port of the simulator in the settings store.
  void setRegistryPort(IpVersion version, const std::string& port) const;

 private:
  std::string root_;
  std::string work_;
  std::string previousDirectory_;
  bool ready_ = false;
};

// The simulator's end of a link: listens, accepts, reads request packets and
// sends scripted bytes.
class ScriptedSimulator {
 public:
  static std::unique_ptr<ScriptedSimulator> onPipe(const std::string& pipePath);
  // Null when that loopback address is not available here.
  static std::unique_ptr<ScriptedSimulator> onTcp(IpVersion version);
  ~ScriptedSimulator();

  uint16_t port() const { return port_; }
  std::string portText() const { return std::to_string(port_); }

  bool accept(uint32_t timeoutMilliseconds = kTestWaitMilliseconds);
  // True when a client is waiting to be accepted right now.
  bool hasPendingClient();
  // One request packet, framed by its size field; empty when none came.
  Bytes readPacket(uint32_t timeoutMilliseconds = kTestWaitMilliseconds);
  // True when the client closed its end (reading nothing more before).
  bool sawClientClose(uint32_t timeoutMilliseconds = kTestWaitMilliseconds);
  bool send(const Bytes& bytes);
  void closeConnection();

 private:
  explicit ScriptedSimulator(TestListener* listener, uint16_t port, bool usesSockets);
  bool readExactly(uint8_t* buffer, size_t length, uint32_t timeoutMilliseconds);

  TestListener* listener_;
  TestConnection* connection_ = nullptr;
  uint16_t port_;
  bool usesSockets_;
};

// A port nobody listens on (bound once, then released).
std::string deadTcpPort(IpVersion version);

// The configuration lines that point a link at the simulator over IPv4 on
// the loopback.
std::string ipv4ConfigLines(const ScriptedSimulator& simulator);
// A simulator served over IPv4 on the loopback, with the default section of
// the current directory's configuration pointing at it; null when IPv4 is
// not available here.
std::unique_ptr<ScriptedSimulator> serveConfiguredIpv4(const ScratchFolders& folders);

// --- Byte images -------------------------------------------------------------
void putU32(Bytes& bytes, size_t offset, uint32_t value);
uint32_t getU32(const Bytes& bytes, size_t offset);
void putText(Bytes& bytes, size_t offset, const std::string& text);
// A zeroed request packet with its header filled.
Bytes requestImage(uint32_t size, uint32_t kind, uint32_t sendId);
// A simulator message of the size: its size field, version 5, the kind and
// a fill pattern that differs per message.
Bytes simulatorMessage(uint32_t size, uint32_t kind, uint8_t seed);
Bytes concat(const std::vector<Bytes>& parts);

// --- Dispatch ----------------------------------------------------------------
struct DispatchLog {
  std::vector<Bytes> messages;
  HRESULT lastResult = 0;
};

// Dispatches until the condition holds or a dispatch fails, or the time runs
// out. Returns whether the condition held (or the failure came).
bool dispatchUntil(HANDLE link, DispatchLog& log, const std::function<bool(const DispatchLog&)>& done,
                   uint32_t timeoutMilliseconds = kTestWaitMilliseconds);
// Dispatches until a dispatch reports the link's failure.
bool dispatchUntilFailure(HANDLE link, DispatchLog& log);

// Waits, with a deadline, until the condition holds.
bool eventually(const std::function<bool()>& condition, uint32_t timeoutMilliseconds = kTestWaitMilliseconds);
