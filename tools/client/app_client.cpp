#include "tools/client/app_client.h"

#include "platform/last_error.h"
#include "server/mcp_checksum.h"

bool AppClient::connect(const std::string& host, uint16_t port) {
  close();
  endpoint_ = host + ":" + std::to_string(port);
  Ipv4Address address = 0;
  if (!resolveIpv4Host(host.c_str(), address)) return fail("cannot connect to " + endpoint_ + ": unknown host");
  socket_ = createTcpSocket();
  if (socket_ == kInvalidTcpSocket || !connectTcpSocket(socket_, address, port)) {
    const std::string reason = systemErrorText(lastTcpSocketError());
    close();
    return fail("cannot connect to " + endpoint_ + ": " + reason);
  }
  return true;
}

void AppClient::close() {
  if (socket_ == kInvalidTcpSocket) return;
  closeTcpSocket(socket_);
  socket_ = kInvalidTcpSocket;
}

bool AppClient::requestFlightRecord(FlightRecord& record) {
  return sendFrame(kRequestFlightData) && receiveBytes(&record, sizeof record);
}

bool AppClient::requestFmcData(std::vector<uint8_t>& data, uint32_t& word) {
  uint8_t field[4];
  if (!sendFrame(kRequestFmcData) || !receiveBytes(field, sizeof field)) return false;
  const uint32_t length = decodeLittleEndian32(field);
  if (length > kMaxUploadLength) return fail("the bridge announced " + std::to_string(length) + " bytes of FMC data");
  data.assign(length, 0);
  if (!receiveBytes(data.data(), data.size()) || !receiveBytes(field, sizeof field)) return false;
  word = decodeLittleEndian32(field);
  return true;
}

bool AppClient::peekFmcData(uint8_t (&first)[kFmcPeekSize]) {
  return sendFrame(kPeekFmcData) && receiveBytes(first, sizeof first);
}

bool AppClient::uploadSettings(const SettingsRecord& record) {
  uint8_t checksum[4];
  encodeLittleEndian32(mcpSettingsChecksum(reinterpret_cast<const uint8_t*>(&record), sizeof record), checksum);
  return sendFrame(kUploadSettings) && sendBytes(&record, sizeof record) && sendBytes(checksum, sizeof checksum);
}

bool AppClient::uploadFmcData(const std::vector<uint8_t>& data, uint32_t word) {
  return uploadData(kUploadFmcData, data, word);
}

bool AppClient::uploadFlightPlan(const std::vector<uint8_t>& data, uint32_t word) {
  return uploadData(kUploadFlightPlan, data, word);
}

bool AppClient::confirmUploads() {
  uint8_t ignored[kFmcPeekSize];
  if (peekFmcData(ignored)) return true;
  return fail(error_ + " (the bridge refused the upload)");
}

bool AppClient::uploadData(const char* frame, const std::vector<uint8_t>& data, uint32_t word) {
  // The bridge refuses empty and oversized data by closing the connection;
  // say so here instead.
  if (data.empty()) return fail("the bridge accepts no empty upload");
  if (data.size() > kMaxUploadLength) {
    return fail(std::to_string(data.size()) + " bytes is more than the bridge accepts (" +
                std::to_string(kMaxUploadLength) + ")");
  }
  uint8_t length[4];
  uint8_t wordBytes[4];
  encodeLittleEndian32(static_cast<uint32_t>(data.size()), length);
  encodeLittleEndian32(word, wordBytes);
  return sendFrame(frame) && sendBytes(length, sizeof length) && sendBytes(data.data(), data.size()) &&
         sendBytes(wordBytes, sizeof wordBytes);
}

bool AppClient::sendFrame(const char* frame) { return sendBytes(frame, kCommandFrameSize); }

bool AppClient::sendBytes(const void* data, size_t length) {
  if (socket_ == kInvalidTcpSocket) return fail("not connected");
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t sent = 0;
  while (sent < length) {
    const long result = sendOnTcpSocket(socket_, bytes + sent, length - sent);
    if (result <= 0) return fail("connection to " + endpoint_ + " lost: " + systemErrorText(lastTcpSocketError()));
    sent += static_cast<size_t>(result);
  }
  return true;
}

bool AppClient::receiveBytes(void* buffer, size_t length) {
  if (socket_ == kInvalidTcpSocket) return fail("not connected");
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t in = 0;
  while (in < length) {
    if (replyTimeoutMilliseconds_ >= 0 && !waitTcpReadable(socket_, replyTimeoutMilliseconds_)) {
      return fail("no reply from the bridge at " + endpoint_ + " within " + std::to_string(replyTimeoutMilliseconds_) +
                  " ms");
    }
    const long result = receiveFromTcpSocket(socket_, bytes + in, length - in);
    if (result == 0) return fail("connection closed by the bridge at " + endpoint_);
    if (result < 0) return fail("connection to " + endpoint_ + " lost: " + systemErrorText(lastTcpSocketError()));
    in += static_cast<size_t>(result);
  }
  return true;
}

bool AppClient::fail(const std::string& message) {
  error_ = message;
  return false;
}
