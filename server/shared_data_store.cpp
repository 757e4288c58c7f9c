#include "server/shared_data_store.h"

#include <algorithm>
#include <cstring>

SharedDataStore::Data& SharedDataStore::writableData() {
  if (handedOut_) {
    data_ = std::make_shared<Data>(*data_);
    handedOut_ = false;
  }
  return *data_;
}

SharedDataStore::UploadTicket SharedDataStore::beginUpload() {
  std::lock_guard<std::mutex> hold(lock_);
  data_ = std::make_shared<Data>();  // give the memory back, not just the length
  handedOut_ = false;
  return ++latestUpload_;
}

void SharedDataStore::sizeForUpload(UploadTicket ticket, size_t length) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!isCurrent(ticket)) return;
  // The old data goes first, so the two are never held at once.
  data_ = std::make_shared<Data>();
  handedOut_ = false;
  data_ = std::make_shared<Data>(length, 0);
}

void SharedDataStore::writeUploadBytes(UploadTicket ticket, size_t offset, const uint8_t* bytes, size_t count) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!isCurrent(ticket) || offset >= data_->size()) return;
  Data& data = writableData();
  std::memcpy(data.data() + offset, bytes, std::min(count, data.size() - offset));
}

void SharedDataStore::storeUploadWord(UploadTicket ticket, uint32_t word) {
  std::lock_guard<std::mutex> hold(lock_);
  if (isCurrent(ticket)) word_ = word;
}

SharedDataStore::Snapshot SharedDataStore::snapshot() const {
  std::lock_guard<std::mutex> hold(lock_);
  handedOut_ = true;
  return Snapshot{data_, word_};
}

void SharedDataStore::peek(uint8_t (&first)[kFmcPeekSize]) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (data_->empty()) {
    std::memset(first, 0xFF, sizeof first);
    return;
  }
  std::memset(first, 0, sizeof first);
  std::memcpy(first, data_->data(), std::min(data_->size(), sizeof first));
}

void SharedDataStore::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  data_ = std::make_shared<Data>();
  handedOut_ = false;
  word_ = 0;
  ++latestUpload_;
}

SharedDataStore& fmcDataStore() {
  static SharedDataStore store;
  return store;
}

SharedDataStore& flightPlanStore() {
  static SharedDataStore store;
  return store;
}
