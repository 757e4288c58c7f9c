#include "server_test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "log/log.h"
#include "platform/socket_library.h"
#include "platform/test_tcp_buffers.h"
#include "server/app_protocol.h"
#include "server/listener.h"
#include "server/mcp_checksum.h"
#include "server/shared_data_store.h"

namespace fs = std::filesystem;

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void ServerTest::SetUp() {
  startSocketLibrary();
  resetFlightRecord();
  resetPendingSettings();
  fmcDataStore().clear();
  flightPlanStore().clear();
  ASSERT_TRUE(startListenerThread(0));
  ASSERT_TRUE(waitUntil([] { return listenerBoundPort() != 0; })) << "the listener never listened";
  port_ = listenerBoundPort();
}

void ServerTest::TearDown() {
  stopListener();
  EXPECT_TRUE(waitUntil([] { return connectedClientCount.load() == 0; })) << "serving threads outlived the stop";
  stopSocketLibrary();
}

LogCapture::LogCapture() : previous_(fs::current_path()), wasEnabled_(logEnabled.load()) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = fs::temp_directory_path() / ("orvxlink-server-" + std::string(test->name()) + "-" +
                                         std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(folder_);
  fs::create_directories(folder_);
  fs::current_path(folder_);
  logEnabled.store(true);
  truncateLogFile();
}

LogCapture::~LogCapture() {
  logEnabled.store(wasEnabled_);
  fs::current_path(previous_);
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string LogCapture::messageAfter(const std::string& text) const {
  std::ifstream file(folder_ / logFilePath);
  bool found = false;
  for (std::string line; std::getline(file, line);) {
    if (found) {
      const size_t separator = line.find("-->");
      return separator == std::string::npos ? line : line.substr(separator + 3);
    }
    found = line.find(text) != std::string::npos;
  }
  return std::string();
}

size_t LogCapture::countLines(const std::string& text) const {
  std::ifstream file(folder_ / logFilePath);
  size_t count = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

RawApp::RawApp(uint16_t port) : socket_(createTcpSocket()) {
  if (!connectTcpSocket(socket_, ipv4AddressFromText("127.0.0.1"), port)) close();
}

RawApp::RawApp(uint16_t port, int receiveBufferBytes) : socket_(createTcpSocket()) {
  setTcpReceiveBufferSize(socket_, receiveBufferBytes);
  if (!connectTcpSocket(socket_, ipv4AddressFromText("127.0.0.1"), port)) close();
}

RawApp::~RawApp() { close(); }

bool RawApp::replyWaiting(std::chrono::milliseconds timeout) {
  return waitTcpReadable(socket_, static_cast<int>(timeout.count()));
}

void RawApp::send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const long result = sendOnTcpSocket(socket_, bytes.data() + sent, bytes.size() - sent);
    if (result <= 0) return;
    sent += static_cast<size_t>(result);
  }
}

void RawApp::send(const Bytes& bytes) { send(std::string(bytes.begin(), bytes.end())); }

Bytes RawApp::receive(size_t length, std::chrono::milliseconds timeout) {
  Bytes received(length);
  size_t in = 0;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (in < length) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !waitTcpReadable(socket_, static_cast<int>(left.count()))) break;
    const long result = receiveFromTcpSocket(socket_, received.data() + in, length - in);
    if (result <= 0) break;
    in += static_cast<size_t>(result);
  }
  received.resize(in);
  return received;
}

bool RawApp::closedByBridge(std::chrono::milliseconds timeout) {
  if (!waitTcpReadable(socket_, static_cast<int>(timeout.count()))) return false;
  uint8_t byte;
  return receiveFromTcpSocket(socket_, &byte, 1) <= 0;
}

void RawApp::sync() {
  send(commandFrame(kPeekFmcData));
  ASSERT_EQ(receive(kFmcPeekSize).size(), kFmcPeekSize) << "the bridge did not answer vFMCDATA20";
}

void RawApp::close() {
  if (socket_ == kInvalidTcpSocket) return;
  closeTcpSocket(socket_);
  socket_ = kInvalidTcpSocket;
}

TcpSocket RawApp::releaseSocket() {
  const TcpSocket socket = socket_;
  socket_ = kInvalidTcpSocket;
  return socket;
}

std::string commandFrame(const char* frame) { return std::string(frame, kCommandFrameSize); }

std::string littleEndian32(uint32_t value) {
  uint8_t bytes[4];
  encodeLittleEndian32(value, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::string lengthPrefixed(const std::string& data, uint32_t word) {
  return littleEndian32(static_cast<uint32_t>(data.size())) + data + littleEndian32(word);
}

std::string recordBytes(const SettingsRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::string settingsPayload(const SettingsRecord& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  return recordBytes(record) + littleEndian32(mcpSettingsChecksum(bytes, sizeof record));
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

HttpResponse readHttpResponse(RawApp& browser, std::chrono::milliseconds timeout) {
  constexpr size_t kMost = 64 * 1024;
  const auto start = std::chrono::steady_clock::now();
  const Bytes bytes = browser.receive(kMost, timeout);
  const std::string text(bytes.begin(), bytes.end());
  HttpResponse response;
  response.closed = bytes.size() < kMost && std::chrono::steady_clock::now() - start < timeout;
  const size_t headEnd = text.find("\r\n\r\n");
  if (text.compare(0, 9, "HTTP/1.1 ") != 0 || headEnd == std::string::npos) return response;
  response.status = std::atoi(text.c_str() + 9);
  response.heads = text.substr(0, headEnd + 2);
  response.body = text.substr(headEnd + 4);
  return response;
}

HttpResponse httpExchange(uint16_t port, const std::string& request, std::chrono::milliseconds timeout) {
  RawApp browser(port);
  browser.send(request);
  return readHttpResponse(browser, timeout);
}
