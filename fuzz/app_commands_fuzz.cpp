// The command stream of one serving thread: the fuzzer's bytes are what an
// app sends (frames, settings records, upload lengths and payloads), written
// in pieces whose sizes the input also chooses, while the app side reads
// every reply. The serving thread must end once the app has closed its side,
// whatever it sent.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "bridge/settings_record.h"
#include "bridge/shared_state.h"
#include "platform/test_socket_pair.h"
#include "server/client_session.h"
#include "server/shared_data_store.h"

namespace {

void sendAsApp(TcpSocket app, const std::vector<uint8_t>& bytes, const std::vector<size_t>& pieces) {
  size_t at = 0;
  for (size_t piece = 0; at < bytes.size(); ++piece) {
    size_t length = pieces.empty() ? bytes.size() - at : pieces[piece % pieces.size()];
    if (length > bytes.size() - at) length = bytes.size() - at;
    const long sent = sendOnTcpSocket(app, bytes.data() + at, length);
    if (sent <= 0) break;  // the serving thread has ended the connection
    at += static_cast<size_t>(sent);
  }
  // Both directions: replies still on their way fail at once, so the
  // serving thread reads the close next instead of waiting on a send.
  shutdownTcpBoth(app);
}

void readAllReplies(TcpSocket app) {
  uint8_t reply[4096];
  while (receiveFromTcpSocket(app, reply, sizeof reply) > 0) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<size_t> pieces;
  for (int i = input.ConsumeIntegralInRange<int>(0, 8); i > 0; --i) {
    pieces.push_back(input.ConsumeIntegralInRange<size_t>(1, 200));
  }
  const std::vector<uint8_t> stream = input.ConsumeRemainingBytes<uint8_t>();

  // Each input starts from the program's start state.
  fmcDataStore().clear();
  flightPlanStore().clear();
  resetPendingSettings();
  listenerRunning.store(true);

  TcpSocket app;
  TcpSocket served;
  if (!makeConnectedSocketPair(app, served)) return 0;
  std::thread reader(readAllReplies, app);
  std::thread writer(sendAsApp, app, std::cref(stream), std::cref(pieces));
  serveClient(served);  // closes its end
  writer.join();
  reader.join();
  closeTcpSocket(app);
  return 0;
}
