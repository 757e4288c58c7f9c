// Loopback helpers for the server tests: a listener on an ephemeral port, raw
// app connections whose reads have deadlines, payload builders, and a log
// switched on in a fresh working directory. Test threads only.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bridge/settings_record.h"
#include "platform/tcp_socket.h"

using Bytes = std::vector<uint8_t>;

// Polls `condition` until it holds or `timeout` passes; false on timeout.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Starts a listener on an ephemeral port with every shared store at its start
// values; stops it at the end of the test.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  uint16_t port() const { return port_; }

 private:
  uint16_t port_ = 0;
};

// A test's log: on in a fresh working directory, off again afterwards.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  // Lines of Orvxlink.log that contain `text`.
  size_t countLines(const std::string& text) const;
  // The message of the line after the first that contains `text` (its time
  // stamp cut off); empty when there is none.
  std::string messageAfter(const std::string& text) const;

 private:
  std::filesystem::path previous_;
  std::filesystem::path folder_;
  bool wasEnabled_;
};

// One app connection that speaks raw bytes.
class RawApp {
 public:
  explicit RawApp(uint16_t port);
  // An app whose receive buffer holds only about `receiveBufferBytes`.
  RawApp(uint16_t port, int receiveBufferBytes);
  ~RawApp();
  RawApp(const RawApp&) = delete;
  RawApp& operator=(const RawApp&) = delete;

  bool connected() const { return socket_ != kInvalidTcpSocket; }
  uint16_t localPort() const { return tcpLocalPort(socket_); }

  void send(const std::string& bytes);
  void send(const Bytes& bytes);
  // Up to `length` bytes; fewer when the bridge closed or the time ran out.
  Bytes receive(size_t length, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // True once some reply bytes (or a close) wait to be read.
  bool replyWaiting(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // True once the bridge has closed this connection.
  bool closedByBridge(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // Round trip of a "vFMCDATA20": every command sent before has been carried out.
  void sync();
  void close();
  // Hands the socket over to the caller, who closes it.
  TcpSocket releaseSocket();

 private:
  TcpSocket socket_;
};

std::string commandFrame(const char* frame);
std::string littleEndian32(uint32_t value);
// A length, the data and a word: the payload of "sFMCDATA20"/"sFPLDATA10".
std::string lengthPrefixed(const std::string& data, uint32_t word);
std::string recordBytes(const SettingsRecord& record);
// A settings record followed by its correct checksum.
std::string settingsPayload(const SettingsRecord& record);
Bytes bytesOf(const std::string& text);

// A browser's request on a connection of its own: sends `request`, then reads
// what the bridge answers until it closes the connection or `timeout` passes.
struct HttpResponse {
  int status = 0;  // 0: no status line came
  std::string heads;
  std::string body;
  bool closed = false;  // the bridge closed the connection after the answer
};
HttpResponse httpExchange(uint16_t port, const std::string& request,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
// The answer read from an open connection, as httpExchange reads it.
HttpResponse readHttpResponse(RawApp& browser, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
