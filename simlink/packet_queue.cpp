#include "simlink/packet_queue.h"

#include <cstdlib>

void freePacketNode(PacketNode* node) {
  if (node == nullptr) return;
  std::free(node->data);
  delete node;
}

PacketQueue::~PacketQueue() { clear(); }

void PacketQueue::push(PacketNode* node) {
  node->next = nullptr;
  std::lock_guard<std::mutex> guard(lock_);
  if (tail_ != nullptr) {
    tail_->next = node;
  } else {
    head_ = node;
  }
  tail_ = node;
  ++count_;
  queuedBytes_ += node->size;
}

PacketNode* PacketQueue::pop() {
  std::lock_guard<std::mutex> guard(lock_);
  PacketNode* node = head_;
  if (node == nullptr) return nullptr;
  head_ = node->next;
  node->next = nullptr;
  if (head_ == nullptr) {
    tail_ = nullptr;
    count_ = 0;
    queuedBytes_ = 0;
  } else {
    --count_;
    queuedBytes_ -= node->size;
  }
  return node;
}

PacketNode* PacketQueue::takeAll() {
  std::lock_guard<std::mutex> guard(lock_);
  PacketNode* chain = head_;
  head_ = tail_ = nullptr;
  count_ = 0;
  queuedBytes_ = 0;
  return chain;
}

void PacketQueue::clear() {
  PacketNode* node = takeAll();
  while (node != nullptr) {
    PacketNode* next = node->next;
    freePacketNode(node);
    node = next;
  }
}

uint32_t PacketQueue::count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return count_;
}

uint32_t PacketQueue::queuedBytes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return queuedBytes_;
}
