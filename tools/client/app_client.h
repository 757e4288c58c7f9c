// An app's side of the bridge's command protocol over one TCP connection:
// what orvxlink-client, the tests, the benchmarks and the demo speak. One
// AppClient belongs to one thread. The socket library must be started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/flight_record.h"
#include "bridge/settings_record.h"
#include "platform/tcp_socket.h"
#include "server/app_protocol.h"

class AppClient {
 public:
  AppClient() = default;
  ~AppClient() { close(); }
  AppClient(const AppClient&) = delete;
  AppClient& operator=(const AppClient&) = delete;

  // Connects to the bridge; the host is a name or a dotted IPv4 address.
  bool connect(const std::string& host, uint16_t port);
  void close();

  // "rSIMDATA30": the next flight-data record.
  bool requestFlightRecord(FlightRecord& record);
  // "rFMCDATA20": the stored FMC data and its word.
  bool requestFmcData(std::vector<uint8_t>& data, uint32_t& word);
  // "vFMCDATA20": its first eight bytes (0xFF bytes while none is stored).
  bool peekFmcData(uint8_t (&first)[kFmcPeekSize]);

  // "sMCPDATA20" with the record's checksum. The bridge answers uploads with
  // nothing; confirmUploads() makes sure it has taken them.
  bool uploadSettings(const SettingsRecord& record);
  // "sFMCDATA20" / "sFPLDATA10": length, data, word.
  bool uploadFmcData(const std::vector<uint8_t>& data, uint32_t word);
  bool uploadFlightPlan(const std::vector<uint8_t>& data, uint32_t word);
  // A round trip after uploads: true once the bridge has carried out every
  // command sent before, false if it closed the connection instead.
  bool confirmUploads();

  // What went wrong last, for people.
  const std::string& lastError() const { return error_; }

  // How long a reply may take before the request counts as failed; a
  // negative value waits without limit (and saves a readiness check per
  // receive).
  void setReplyTimeoutMilliseconds(int milliseconds) { replyTimeoutMilliseconds_ = milliseconds; }

 private:
  bool uploadData(const char* frame, const std::vector<uint8_t>& data, uint32_t word);
  bool sendFrame(const char* frame);
  bool sendBytes(const void* data, size_t length);
  bool receiveBytes(void* buffer, size_t length);
  bool fail(const std::string& message);

  TcpSocket socket_ = kInvalidTcpSocket;
  std::string endpoint_;
  std::string error_;
  int replyTimeoutMilliseconds_ = 5000;
};
