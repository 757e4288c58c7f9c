// The link's receive path: the fuzzer's bytes arrive from the simulator in
// pieces whose sizes the input also chooses; the receive buffer cuts them
// into messages, the link queues each one, and dispatch hands them to the
// bridge's message handler, which builds records from data blocks and reads
// aircraft files named by events. The loop below does what a receive
// completion does with the bytes it got; a cut that fails ends the input as
// it ends the link.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bridge/shared_state.h"
#include "bridge/sim_messages.h"
#include "simlink/client_client.h"
#include "simlink/link_config.h"
#include "simlink/receive_buffer.h"

namespace {

// True while the link would stay up: every whole message was queued.
bool cutAndQueue(ReceiveBuffer& buffer, MessageHolder& holder, ClientClient& link, uint32_t maxReceiveSize) {
  for (;;) {
    switch (buffer.cut(holder, maxReceiveSize)) {
      case CutResult::kComplete:
        if (link.OnMessage(holder) != 0) return false;
        continue;
      case CutResult::kNeedMore:
        return true;
      default:
        return false;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One link for the whole run, as the session keeps one for many frames.
  static ClientClient* link = new ClientClient(TransportKind::kSocket);

  FuzzedDataProvider input(data, size);
  const uint32_t maxReceiveSize =
      input.ConsumeBool() ? kDefaultMaxReceiveSize : input.ConsumeIntegralInRange<uint32_t>(0, 2 * kReceiveBufferLimit);
  std::vector<uint32_t> pieces;
  for (int i = input.ConsumeIntegralInRange<int>(1, 8); i > 0; --i) {
    pieces.push_back(input.ConsumeIntegralInRange<uint32_t>(1, 5000));
  }
  const std::vector<uint8_t> stream = input.ConsumeRemainingBytes<uint8_t>();

  // The listener counts as started, so data blocks build records instead of
  // opening a port; no aircraft file is pending from an earlier input.
  listenerRunning.store(true);
  aircraftChanged = false;
  aircraftFilePath.clear();

  ReceiveBuffer buffer;
  MessageHolder holder;
  if (!buffer.allocate()) return 0;
  size_t at = 0;
  for (size_t piece = 0; at < stream.size(); ++piece) {
    const uint32_t length = static_cast<uint32_t>(
        std::min<size_t>({pieces[piece % pieces.size()], stream.size() - at, buffer.freeLength()}));
    if (length == 0) break;  // a full buffer with no message to cut fails the cut first
    std::memcpy(buffer.freeSpace(), stream.data() + at, length);
    buffer.commit(length);
    at += length;
    const bool linkUp = cutAndQueue(buffer, holder, *link, maxReceiveSize);
    link->deliver(onSimMessage, nullptr);
    if (!linkUp) break;
  }
  releaseMessageHolder(holder);
  return 0;
}
