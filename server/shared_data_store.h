// The FMC data and the flight-plan data: byte strings with a 32-bit word each,
// one store apiece for the whole process, written by uploads on any serving
// thread and read by replies on any other. Every access takes the store's
// lock. Readers share the data without copying it: a reader holds the bytes
// as they were when it asked, and an upload that changes bytes once handed
// to a reader writes into a fresh copy instead, so held bytes never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "server/app_protocol.h"

class SharedDataStore {
 public:
  using Data = std::vector<uint8_t>;

  // Never null; the bytes stay as they are for as long as it is held.
  struct Snapshot {
    std::shared_ptr<const Data> data;
    uint32_t word = 0;
  };

  // An upload in progress is identified by the ticket beginUpload gave it.
  // Once a later upload has begun, an older one's writes are dropped, so two
  // uploads at once never mix their bytes: the later one replaces the store.
  using UploadTicket = uint64_t;

  // Empties the data (the word stays) and starts an upload.
  UploadTicket beginUpload();
  // Sizes the data to `length` zero bytes. Throws std::bad_alloc when the
  // memory cannot be had; the store is then left empty.
  void sizeForUpload(UploadTicket ticket, size_t length);
  // Copies bytes that have arrived into the data at `offset`. Throws
  // std::bad_alloc when a reader holds the data and no copy can be made; the
  // store is then unchanged.
  void writeUploadBytes(UploadTicket ticket, size_t offset, const uint8_t* bytes, size_t count);
  // Stores the word that ends the upload.
  void storeUploadWord(UploadTicket ticket, uint32_t word);

  // The data and the word as they stand, sharing the data with the store.
  Snapshot snapshot() const;
  // The bytes "vFMCDATA20" sends: eight 0xFF bytes while the data is empty,
  // else its first eight bytes, zero-padded when it holds fewer.
  void peek(uint8_t (&first)[kFmcPeekSize]) const;

  // Back to the start state: no data, word 0.
  void clear();

 private:
  bool isCurrent(UploadTicket ticket) const { return ticket == latestUpload_; }
  // The data for writing: copied first once a reader has been handed it.
  Data& writableData();

  mutable std::mutex lock_;
  std::shared_ptr<Data> data_ = std::make_shared<Data>();
  // Set when snapshot() hands data_ out. Decided under the lock rather than
  // from the reference count, whose reads do not order the readers' last
  // reads before the writes that would follow.
  mutable bool handedOut_ = false;
  uint32_t word_ = 0;
  UploadTicket latestUpload_ = 0;
};

// The two stores, shared by all connections.
SharedDataStore& fmcDataStore();
SharedDataStore& flightPlanStore();
