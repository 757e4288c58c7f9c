#include "tests/sim/test_sim_client.h"

#include <chrono>
#include <cstring>

#include "simlink/wire.h"

namespace simtest {

namespace {

void putU32(Bytes* packet, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*packet)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void putText(Bytes* packet, size_t offset, const std::string& text) {
  std::memcpy(packet->data() + offset, text.data(), text.size() < 255 ? text.size() : 255);
}

Bytes startPacket(uint32_t kind, uint32_t size, uint32_t sendId) {
  Bytes packet(size, 0);
  putU32(&packet, 0, size);
  putU32(&packet, 4, simwire::kProtocolVersion);
  putU32(&packet, 8, kind);
  putU32(&packet, 12, sendId);
  return packet;
}

}  // namespace

uint32_t u32At(const Bytes& bytes, size_t offset) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

float f32At(const Bytes& bytes, size_t offset) {
  float value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

double f64At(const Bytes& bytes, size_t offset) {
  double value = 0;
  std::memcpy(&value, bytes.data() + offset, 8);
  return value;
}

int64_t i64At(const Bytes& bytes, size_t offset) {
  int64_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 8);
  return value;
}

std::string textAt(const Bytes& bytes, size_t offset, size_t fieldSize) {
  size_t length = 0;
  while (length < fieldSize && offset + length < bytes.size() && bytes[offset + length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(bytes.data() + offset), length);
}

Bytes openRequest(uint32_t sendId, const std::string& applicationName) {
  Bytes packet = startPacket(simwire::kOpen, simwire::kOpenSize, sendId);
  putText(&packet, 16, applicationName);
  putU32(&packet, 276, simwire::kOpenMagic);
  putU32(&packet, 280, simwire::kOpenVersionMajor);
  putU32(&packet, 284, simwire::kOpenVersionMinor);
  putU32(&packet, 288, simwire::kOpenBuildMajor);
  putU32(&packet, 292, simwire::kOpenBuildMinor);
  return packet;
}

Bytes addToDataDefinitionRequest(uint32_t sendId, uint32_t defineId, const std::string& datumName,
                                 const std::string& unitsName, uint32_t datumType) {
  Bytes packet = startPacket(simwire::kAddToDataDefinition, simwire::kAddToDataDefinitionSize, sendId);
  putU32(&packet, 16, defineId);
  putText(&packet, 20, datumName);
  putText(&packet, 276, unitsName);
  putU32(&packet, 532, datumType);
  putU32(&packet, 540, 0xFFFFFFFFu);
  return packet;
}

Bytes requestDataRequest(uint32_t sendId, uint32_t requestId, uint32_t defineId) {
  Bytes packet = startPacket(simwire::kRequestDataOnSimObjectType, simwire::kRequestDataOnSimObjectTypeSize, sendId);
  putU32(&packet, 16, requestId);
  putU32(&packet, 20, defineId);
  return packet;
}

Bytes mapClientEventRequest(uint32_t sendId, uint32_t eventId, const std::string& simEventName) {
  Bytes packet = startPacket(simwire::kMapClientEventToSimEvent, simwire::kMapClientEventToSimEventSize, sendId);
  putU32(&packet, 16, eventId);
  putText(&packet, 20, simEventName);
  return packet;
}

Bytes transmitClientEventRequest(uint32_t sendId, uint32_t eventId, uint32_t data) {
  Bytes packet = startPacket(simwire::kTransmitClientEvent, simwire::kTransmitClientEventSize, sendId);
  putU32(&packet, 20, eventId);
  putU32(&packet, 24, data);
  putU32(&packet, 28, 1900000000u);
  putU32(&packet, 32, 0x10);
  return packet;
}

Bytes subscribeRequest(uint32_t sendId, uint32_t eventId, const std::string& systemEventName) {
  Bytes packet = startPacket(simwire::kSubscribeToSystemEvent, simwire::kSubscribeToSystemEventSize, sendId);
  putU32(&packet, 16, eventId);
  putText(&packet, 20, systemEventName);
  return packet;
}

Bytes systemStateRequest(uint32_t sendId, uint32_t requestId, const std::string& stateName) {
  Bytes packet = startPacket(simwire::kRequestSystemState, simwire::kRequestSystemStateSize, sendId);
  putU32(&packet, 16, requestId);
  putText(&packet, 20, stateName);
  return packet;
}

std::unique_ptr<TestSimClient> TestSimClient::overTcp(int family, uint16_t port) {
  auto stream = StreamConnection::connectTcp(family, family == 6 ? "::1" : "127.0.0.1", port, nullptr);
  return stream ? std::make_unique<TestSimClient>(std::move(stream)) : nullptr;
}

std::unique_ptr<TestSimClient> TestSimClient::overPipe(const std::string& pipePath) {
  auto stream = StreamConnection::connectPipe(pipePath, nullptr);
  return stream ? std::make_unique<TestSimClient>(std::move(stream)) : nullptr;
}

TestSimClient::TestSimClient(std::unique_ptr<StreamConnection> stream) : stream_(std::move(stream)) {
  reader_ = std::thread([this] { readLoop(); });
}

TestSimClient::~TestSimClient() {
  stream_->shutdownBoth();
  reader_.join();
}

bool TestSimClient::send(const Bytes& packet) { return stream_->writeAll(packet.data(), packet.size()); }

void TestSimClient::readLoop() {
  uint8_t buffer[65536];
  for (;;) {
    const long got = stream_->readSome(buffer, sizeof buffer);
    std::lock_guard<std::mutex> lock(mutex_);
    if (got <= 0) {
      closed_ = true;
      arrived_.notify_all();
      return;
    }
    raw_.insert(raw_.end(), buffer, buffer + got);
    readSizes_.push_back(static_cast<size_t>(got));
    // Frame by the size field while it is sane; a fault message ends framing.
    while (!framingLost_ && raw_.size() - framedUpTo_ >= 4) {
      const uint32_t size = u32At(raw_, framedUpTo_);
      if (size < 12 || size > 100000) {
        framingLost_ = true;
        break;
      }
      if (raw_.size() - framedUpTo_ < size) break;
      messages_.push_back(Framed{Bytes(raw_.begin() + framedUpTo_, raw_.begin() + framedUpTo_ + size), false});
      framedUpTo_ += size;
    }
    arrived_.notify_all();
  }
}

Bytes TestSimClient::takeMessage(uint32_t kind, unsigned timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  Bytes found;
  arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    for (Framed& framed : messages_) {
      if (!framed.taken && u32At(framed.message, 8) == kind) {
        framed.taken = true;
        found = framed.message;
        return true;
      }
    }
    return closed_;
  });
  return found;
}

size_t TestSimClient::countOf(uint32_t kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t count = 0;
  for (const Framed& framed : messages_) count += u32At(framed.message, 8) == kind ? 1 : 0;
  return count;
}

Bytes TestSimClient::rawBytes(size_t atLeast, unsigned timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return raw_.size() >= atLeast || closed_; });
  return raw_;
}

std::vector<size_t> TestSimClient::readSizes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return readSizes_;
}

bool TestSimClient::waitForClose(unsigned timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closed_; });
}

}  // namespace simtest
