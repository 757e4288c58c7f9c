#include "simlink/request_builder.h"

#include <cstring>

#include "simlink/wire.h"

RequestBuilder::RequestBuilder(HANDLE link, uint32_t kind, uint32_t size)
    : link_(static_cast<ClientClient*>(link)), size_(size) {
  if (link_ == nullptr) {
    result_ = kSimConnectFail;
    return;
  }
  if (link_->linkFailed()) {
    result_ = link_->failureResult();
    return;
  }
  packet_ = link_->startPacket(size);
  if (packet_ == nullptr) {
    result_ = kSimConnectFail;
    return;
  }
  putU32(0, size);
  putU32(4, simwire::kProtocolVersion);
  putU32(8, kind);
}

void RequestBuilder::putU32(uint32_t offset, uint32_t value) {
  if (result_ == kSimConnectOk) std::memcpy(packet_ + offset, &value, sizeof value);
}

void RequestBuilder::putF32(uint32_t offset, float value) {
  if (result_ == kSimConnectOk) std::memcpy(packet_ + offset, &value, sizeof value);
}

void RequestBuilder::putString(uint32_t offset, const char* text) {
  if (result_ != kSimConnectOk || text == nullptr) return;  // the field stays zero
  const size_t longest = simwire::kStringFieldSize - 1;
  // Reads at most one byte past the longest text, so a caller's text
  // without a terminator is never followed further.
  size_t length = 0;
  while (length <= longest && text[length] != '\0') ++length;
  if (length > longest) {
    link_->abandonPacket(packet_, size_);
    result_ = kSimConnectNameTooLong;
    return;
  }
  std::memcpy(packet_ + offset, text, length);
}

HRESULT RequestBuilder::send() {
  if (result_ == kSimConnectOk) queued_ = link_->sendStaged();
  return result_;
}
