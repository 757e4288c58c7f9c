#include "server/shared_data_store.h"

#include <algorithm>
#include <cstring>

SharedDataStore::UploadTicket SharedDataStore::beginUpload() {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<uint8_t>().swap(data_);  // give the memory back, not just the length
  return ++latestUpload_;
}

void SharedDataStore::sizeForUpload(UploadTicket ticket, size_t length) {
  std::lock_guard<std::mutex> hold(lock_);
  if (isCurrent(ticket)) data_.assign(length, 0);
}

void SharedDataStore::writeUploadBytes(UploadTicket ticket, size_t offset, const uint8_t* bytes, size_t count) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!isCurrent(ticket) || offset >= data_.size()) return;
  std::memcpy(data_.data() + offset, bytes, std::min(count, data_.size() - offset));
}

void SharedDataStore::storeUploadWord(UploadTicket ticket, uint32_t word) {
  std::lock_guard<std::mutex> hold(lock_);
  if (isCurrent(ticket)) word_ = word;
}

SharedDataStore::Snapshot SharedDataStore::snapshot() const {
  std::lock_guard<std::mutex> hold(lock_);
  return Snapshot{data_, word_};
}

void SharedDataStore::peek(uint8_t (&first)[kFmcPeekSize]) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (data_.empty()) {
    std::memset(first, 0xFF, sizeof first);
    return;
  }
  std::memset(first, 0, sizeof first);
  std::memcpy(first, data_.data(), std::min(data_.size(), sizeof first));
}

void SharedDataStore::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<uint8_t>().swap(data_);
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
