// A tiny hand-written simulator client for the emulator's tests: builds
// request packets byte by byte, sends them over a raw stream, and collects
// what comes back (raw bytes, the size of every read, and the messages framed
// by their size field) on a reader thread of its own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/stream_connection.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

uint32_t u32At(const Bytes& bytes, size_t offset);
float f32At(const Bytes& bytes, size_t offset);
double f64At(const Bytes& bytes, size_t offset);
int64_t i64At(const Bytes& bytes, size_t offset);
std::string textAt(const Bytes& bytes, size_t offset, size_t fieldSize);

// Request packets, as a client builds them.
Bytes openRequest(uint32_t sendId, const std::string& applicationName);
Bytes addToDataDefinitionRequest(uint32_t sendId, uint32_t defineId, const std::string& datumName,
                                 const std::string& unitsName, uint32_t datumType);
Bytes requestDataRequest(uint32_t sendId, uint32_t requestId, uint32_t defineId);
Bytes mapClientEventRequest(uint32_t sendId, uint32_t eventId, const std::string& simEventName);
Bytes transmitClientEventRequest(uint32_t sendId, uint32_t eventId, uint32_t data);
Bytes subscribeRequest(uint32_t sendId, uint32_t eventId, const std::string& systemEventName);
Bytes systemStateRequest(uint32_t sendId, uint32_t requestId, const std::string& stateName);

class TestSimClient {
 public:
  static std::unique_ptr<TestSimClient> overTcp(int family, uint16_t port);
  static std::unique_ptr<TestSimClient> overPipe(const std::string& pipePath);
  explicit TestSimClient(std::unique_ptr<StreamConnection> stream);
  ~TestSimClient();

  bool send(const Bytes& packet);
  // The first framed message of that kind not yet taken, waiting up to
  // timeoutMs; empty when none came. Messages of other kinds stay queued.
  Bytes takeMessage(uint32_t kind, unsigned timeoutMs);
  // How many messages of that kind arrived so far (taken or not).
  size_t countOf(uint32_t kind);
  // Waits until at least `bytes` raw bytes arrived; returns all of them.
  Bytes rawBytes(size_t atLeast, unsigned timeoutMs);
  std::vector<size_t> readSizes();
  // True once the emulator closed the connection.
  bool waitForClose(unsigned timeoutMs);

 private:
  struct Framed {
    Bytes message;
    bool taken;
  };
  void readLoop();

  std::unique_ptr<StreamConnection> stream_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  Bytes raw_;
  size_t framedUpTo_ = 0;
  bool framingLost_ = false;
  std::vector<size_t> readSizes_;
  std::vector<Framed> messages_;
  bool closed_ = false;
};

}  // namespace simtest
