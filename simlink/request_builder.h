// Building one request packet in a link's staging area and handing it to the
// send queue. Every request starts with the 16-byte header (size, protocol
// version 5, request kind, send id); integers are little-endian and string
// fields hold at most 255 characters and a NUL. Application thread only: the
// staging area and the send-id counter take no lock.
#pragma once

#include <cstdint>

#include "simlink/client_client.h"
#include "simlink/simconnect.h"

class RequestBuilder {
 public:
  // Starts the packet: E_FAIL for a null link or a staging area without
  // room, the link's recorded failure code when it has failed; otherwise the
  // packet is placed, stamped with the next send id and its header filled.
  RequestBuilder(HANDLE link, uint32_t kind, uint32_t size);

  // S_OK while the packet is being built; else why it was not.
  HRESULT result() const { return result_; }

  void putU32(uint32_t offset, uint32_t value);
  void putF32(uint32_t offset, float value);
  // A null text gives an empty field. A text of more than 255 characters
  // (read no further than 256) abandons the packet: result 0x8007007A, the
  // staging area as before, the send id used up.
  void putString(uint32_t offset, const char* text);

  // Hands the staged bytes to the send queue. Returns result(); queued()
  // tells whether a packet actually went to the queue.
  HRESULT send();
  bool queued() const { return queued_; }

  ClientClient* link() const { return link_; }

 private:
  ClientClient* link_;
  uint8_t* packet_ = nullptr;
  uint32_t size_;
  HRESULT result_ = kSimConnectOk;
  bool queued_ = false;
};
