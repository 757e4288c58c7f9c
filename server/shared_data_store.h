// The FMC data and the flight-plan data: byte strings with a 32-bit word each,
// one store apiece for the whole process, written by uploads on any serving
// thread and read by replies on any other. Every access takes the store's
// lock, so a reply always copies storage that nobody is resizing or freeing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "server/app_protocol.h"

class SharedDataStore {
 public:
  struct Snapshot {
    std::vector<uint8_t> data;
    uint32_t word = 0;
  };

  // An upload in progress is identified by the ticket beginUpload gave it.
  // Once a later upload has begun, an older one's writes are dropped, so two
  // uploads at once never mix their bytes: the later one replaces the store.
  using UploadTicket = uint64_t;

  // Empties the data (the word stays) and starts an upload.
  UploadTicket beginUpload();
  // Sizes the data to `length` zero bytes.
  void sizeForUpload(UploadTicket ticket, size_t length);
  // Copies bytes that have arrived into the data at `offset`.
  void writeUploadBytes(UploadTicket ticket, size_t offset, const uint8_t* bytes, size_t count);
  // Stores the word that ends the upload.
  void storeUploadWord(UploadTicket ticket, uint32_t word);

  // A consistent copy of the data and the word.
  Snapshot snapshot() const;
  // The bytes "vFMCDATA20" sends: eight 0xFF bytes while the data is empty,
  // else its first eight bytes, zero-padded when it holds fewer.
  void peek(uint8_t (&first)[kFmcPeekSize]) const;

  // Back to the start state: no data, word 0.
  void clear();

 private:
  bool isCurrent(UploadTicket ticket) const { return ticket == latestUpload_; }

  mutable std::mutex lock_;
  std::vector<uint8_t> data_;
  uint32_t word_ = 0;
  UploadTicket latestUpload_ = 0;
};

// The two stores, shared by all connections.
SharedDataStore& fmcDataStore();
SharedDataStore& flightPlanStore();
