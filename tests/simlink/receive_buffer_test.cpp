// Cutting received bytes into messages: whole messages, partial ones, the
// size limits, and how the buffer compacts and grows.
#include "simlink/receive_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "simlink/packet_queue.h"

namespace {

constexpr uint32_t kLimit = 41088;

std::vector<uint8_t> frame(uint32_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i);
  if (size >= 4) std::memcpy(bytes.data(), &size, 4);
  return bytes;
}

// Feeds bytes as one read would, at most what the free space takes.
size_t feed(ReceiveBuffer& buffer, const uint8_t* bytes, size_t length) {
  const size_t taken = length < buffer.freeLength() ? length : buffer.freeLength();
  std::memcpy(buffer.freeSpace(), bytes, taken);
  buffer.commit(static_cast<uint32_t>(taken));
  return taken;
}

class CutTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(buffer.allocate()); }
  void TearDown() override { releaseMessageHolder(holder); }

  std::vector<uint8_t> held() const { return std::vector<uint8_t>(holder.data, holder.data + holder.size); }

  ReceiveBuffer buffer;
  MessageHolder holder;
};

TEST_F(CutTest, TwoMessagesInOneReadAreCutInOrderWithoutMovingTheSecond) {
  const auto first = frame(40, 1);
  const auto second = frame(60, 2);
  feed(buffer, first.data(), first.size());
  feed(buffer, second.data(), second.size());

  ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kComplete);
  EXPECT_EQ(held(), first);
  EXPECT_EQ(buffer.readPosition(), 40u);  // the second stays where it arrived
  ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kComplete);
  EXPECT_EQ(held(), second);
  EXPECT_EQ(buffer.writePosition(), 0u);  // everything consumed: back to the start
  EXPECT_EQ(buffer.cut(holder, kLimit), CutResult::kNeedMore);
}

TEST_F(CutTest, MessageSplitOverManyReadsCompletesWithItsLastByte) {
  const auto message = frame(1688, 3);
  for (size_t sent = 0; sent < message.size(); ++sent) {
    ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kNeedMore) << "after " << sent << " bytes";
    feed(buffer, &message[sent], 1);
  }
  ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kComplete);
  EXPECT_EQ(held(), message);
}

TEST_F(CutTest, UnreadTailMovesToTheStartWhenTheEndIsReached) {
  const auto first = frame(1688, 4);
  const auto second = frame(1688, 5);
  const auto stream = [&] {
    std::vector<uint8_t> all(first);
    all.insert(all.end(), second.begin(), second.end());
    return all;
  }();
  size_t offset = feed(buffer, stream.data(), stream.size());  // fills all 2048 bytes
  ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kComplete);
  EXPECT_EQ(held(), first);
  // The partial second message moved to the start to make room.
  EXPECT_EQ(buffer.readPosition(), 0u);
  EXPECT_EQ(buffer.writePosition(), 2048u - 1688u);
  EXPECT_EQ(buffer.capacity(), 2048u);
  ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kNeedMore);
  offset += feed(buffer, stream.data() + offset, stream.size() - offset);
  ASSERT_EQ(offset, stream.size());
  ASSERT_EQ(buffer.cut(holder, kLimit), CutResult::kComplete);
  EXPECT_EQ(held(), second);
}

TEST_F(CutTest, BufferGrowsInStepsOnlyWhenFullWithOneUnfinishedMessage) {
  const auto message = frame(5000, 6);
  size_t offset = 0;
  std::vector<uint32_t> capacities;
  while (offset < message.size()) {
    offset += feed(buffer, message.data() + offset, message.size() - offset);
    const CutResult result = buffer.cut(holder, kLimit);
    capacities.push_back(buffer.capacity());
    const CutResult expected = offset < message.size() ? CutResult::kNeedMore : CutResult::kComplete;
    ASSERT_EQ(result, expected);
  }
  EXPECT_EQ(held(), message);
  EXPECT_EQ(capacities, (std::vector<uint32_t>{4096, 6144, 6144}));
}

TEST_F(CutTest, SizeFieldsOutsideTheLimitsAreRejected) {
  const uint32_t tooLarge = kLimit + 1;
  feed(buffer, reinterpret_cast<const uint8_t*>(&tooLarge), 4);
  EXPECT_EQ(buffer.cut(holder, kLimit), CutResult::kTooLarge);
  EXPECT_EQ(holder.data, nullptr);  // nothing allocated for it

  for (uint32_t tooSmall = 0; tooSmall < 4; ++tooSmall) {
    ReceiveBuffer fresh;
    ASSERT_TRUE(fresh.allocate());
    feed(fresh, reinterpret_cast<const uint8_t*>(&tooSmall), 4);
    EXPECT_EQ(fresh.cut(holder, kLimit), CutResult::kTooSmall) << tooSmall;
  }
}

// The buffer's own limit is 1 MiB, written out here rather than read from the
// header, so a changed limit shows. Each message is fed as reads would bring
// it; the verdict comes from the first cut that is not "need more".
struct EdgeCase {
  const char* what;
  uint32_t size;
  uint32_t maxReceiveSize;
  CutResult expected;
};

TEST(CutEdgeTest, MessagesAtTheEdgesOfBothLimits) {
  constexpr uint32_t kOneMiB = 1024 * 1024;
  const EdgeCase cases[] = {
      {"exactly the configured limit", kLimit, kLimit, CutResult::kComplete},
      {"one byte over the configured limit", kLimit + 1, kLimit, CutResult::kTooLarge},
      {"half a MiB and more, the limit allowing it", kOneMiB / 2 + 4096, 0xFFFFFFFFu, CutResult::kComplete},
      {"exactly the largest buffer", kOneMiB, 0xFFFFFFFFu, CutResult::kComplete},
      {"one byte past the largest buffer", kOneMiB + 1, 0xFFFFFFFFu, CutResult::kTooLarge},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.what);
    ReceiveBuffer buffer;
    MessageHolder holder;
    ASSERT_TRUE(buffer.allocate());
    const auto message = frame(c.size, 7);
    size_t offset = 0;
    CutResult result = CutResult::kNeedMore;
    while (result == CutResult::kNeedMore && offset < message.size()) {
      offset += feed(buffer, message.data() + offset, message.size() - offset);
      result = buffer.cut(holder, c.maxReceiveSize);
    }
    EXPECT_EQ(result, c.expected);
    if (c.expected == CutResult::kComplete) {
      EXPECT_EQ(offset, message.size());
      EXPECT_TRUE(holder.data != nullptr && std::vector<uint8_t>(holder.data, holder.data + holder.size) == message);
    } else {
      EXPECT_EQ(holder.data, nullptr) << "nothing is allocated for a message refused";
    }
    releaseMessageHolder(holder);
  }
}

TEST(PacketQueueTest, KeepsOrderCountsAndBytes) {
  PacketQueue queue;
  for (uint32_t size : {10u, 20u, 30u}) {
    auto* node = new PacketNode;
    node->size = size;
    queue.push(node);
  }
  EXPECT_EQ(queue.count(), 3u);
  EXPECT_EQ(queue.queuedBytes(), 60u);
  PacketNode* first = queue.pop();
  EXPECT_EQ(first->size, 10u);
  freePacketNode(first);
  EXPECT_EQ(queue.queuedBytes(), 50u);
  PacketNode* rest = queue.takeAll();
  EXPECT_EQ(queue.count(), 0u);
  ASSERT_NE(rest, nullptr);
  EXPECT_EQ(rest->size, 20u);
  EXPECT_EQ(rest->next->size, 30u);
  EXPECT_EQ(rest->next->next, nullptr);
  freePacketNode(rest->next);
  freePacketNode(rest);
}

}  // namespace
