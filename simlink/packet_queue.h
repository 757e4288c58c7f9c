// The link's packet queues: request packets waiting to be written (the send
// queue) and received messages waiting for SimConnect_CallDispatch (the
// receive queue). A FIFO of heap nodes guarded by its own lock, so any thread
// may push and take; a lock of the queue is never held while another lock is
// taken.
#pragma once

#include <cstdint>
#include <mutex>

// One packet: a heap data block (std::malloc) that the node owns until it is
// handed on, its size, and the connection it belongs to.
struct PacketNode {
  PacketNode* next = nullptr;
  uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t connectionSerial = 0;
  uint32_t flag = 0;  // always 0 here
};

// Frees the node and its block. Null is allowed.
void freePacketNode(PacketNode* node);

class PacketQueue {
 public:
  PacketQueue() = default;
  ~PacketQueue();  // frees what is still queued
  PacketQueue(const PacketQueue&) = delete;
  PacketQueue& operator=(const PacketQueue&) = delete;

  // Takes ownership of the node.
  void push(PacketNode* node);

  // The oldest node, or null when the queue is empty; the caller owns it.
  PacketNode* pop();

  // Every node as one chain in arrival order, leaving the queue empty; the
  // caller owns the chain.
  PacketNode* takeAll();

  // Frees every queued node and its block.
  void clear();

  uint32_t count() const;
  uint32_t queuedBytes() const;

 private:
  mutable std::mutex lock_;
  PacketNode* head_ = nullptr;
  PacketNode* tail_ = nullptr;
  uint32_t count_ = 0;
  uint32_t queuedBytes_ = 0;
};
