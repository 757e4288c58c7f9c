#include "server/listener.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "log/log.h"
#include "platform/clock.h"
#include "platform/network_addresses.h"
#include "platform/tcp_socket.h"
#include "server/connection_registry.h"
#include "server/parked_record_request.h"
#include "server/serving_threads.h"

namespace {

// The bridge listens on every interface; the text is fixed for the program.
const char* const kBindAddressText = "ANY";
constexpr int kListenBacklog = 6;

// The listening socket and the stop request are shared by the listener thread
// (which opens the socket) and the stop path (which closes it); one lock
// orders the two, so a stop that comes while the listener is still setting up
// is never undone by the listener setting listenerRunning again.
struct ListeningState {
  std::mutex lock;
  TcpSocket socket = kInvalidTcpSocket;
  bool stopRequested = false;
};

ListeningState& listening() {
  static ListeningState state;
  return state;
}

std::thread& listenerThread() {
  static std::thread thread;
  return thread;
}

std::atomic<uint16_t> boundPort{0};

std::atomic<ServingThreadJoinedObserver> joinedObserver{nullptr};

Ipv4Address bindAddress(const char* text) {
  return std::strcmp(text, "ANY") == 0 ? kIpv4AnyAddress : ipv4AddressFromText(text);
}

// The app port could not be opened: the failed step's own log line, then the
// system's reason, and the status display told whether another program holds
// the port or what else went wrong. Requires: `code` read right after the
// failed call, before anything else could change the thread's last error.
void noteOpenFailure(const char* failedStep, int code, uint16_t port) {
  const std::string reason = tcpSocketErrorText(code);
  logMessage("%s", failedStep);
  logMessage("Orvx Socket: port %u cannot be opened: %s (error %d)", static_cast<unsigned>(port), reason.c_str(), code);
  AppPortState failed;
  failed.phase = AppPortPhase::kFailed;
  failed.addressInUse = isAddressInUseTcpFailure(code);
  failed.errorText = reason;
  noteAppPortState(failed);
}

// "192.168.1.20, 10.0.0.5", or a word that there is none.
std::string addressListText(const std::vector<std::string>& addresses) {
  if (addresses.empty()) return "none yet";
  std::string list;
  for (const std::string& address : addresses) list += (list.empty() ? "" : ", ") + address;
  return list;
}

void noteListening(uint16_t port) {
  logMessage("Orvx Socket: listening on port %u (this PC's network addresses: %s)", static_cast<unsigned>(port),
             addressListText(localIpv4Addresses()).c_str());
  AppPortState listening;
  listening.phase = AppPortPhase::kListening;
  noteAppPortState(listening);
}

// Creates, binds and listens; returns the listening socket, or
// kInvalidTcpSocket after a failure or a stop that came first. A socket that
// failed to bind or listen stays open until the stop path closes it.
TcpSocket openListeningSocket(uint16_t port) {
  ListeningState& state = listening();
  std::lock_guard<std::mutex> hold(state.lock);
  if (state.stopRequested) return kInvalidTcpSocket;
  state.socket = createTcpSocket();
  if (state.socket == kInvalidTcpSocket) {
    noteOpenFailure("Orvx Socket: creating the listening socket failed", lastTcpSocketError(), port);
    return kInvalidTcpSocket;
  }
  if (!bindTcpSocket(state.socket, bindAddress(kBindAddressText), port)) {
    noteOpenFailure("Orvx Socket: bind failed", lastTcpSocketError(), port);
    return kInvalidTcpSocket;
  }
  if (!listenTcpSocket(state.socket, kListenBacklog)) {
    noteOpenFailure("Orvx Socket: listen failed", lastTcpSocketError(), port);
    return kInvalidTcpSocket;
  }
  const uint16_t bound = tcpLocalPort(state.socket);
  noteListening(bound);
  boundPort.store(bound);  // last: callers take a bound port as "listening, and said so"
  listenerRunning.store(true);
  return state.socket;
}

// Clears listenerRunning first, so that the accept this wakes takes the drain
// path, then shuts the listening socket down and closes it.
void closeListeningSocket() {
  ListeningState& state = listening();
  std::lock_guard<std::mutex> hold(state.lock);
  state.stopRequested = true;
  listenerRunning.store(false);
  if (state.socket == kInvalidTcpSocket) return;
  shutdownTcpReceive(state.socket);
  closeTcpSocket(state.socket);
  state.socket = kInvalidTcpSocket;
}

// Prepares a new run: a socket left open by a listener that failed to bind
// is closed, and the stop state cleared.
void resetListeningState() {
  ListeningState& state = listening();
  std::lock_guard<std::mutex> hold(state.lock);
  if (state.socket != kInvalidTcpSocket) closeTcpSocket(state.socket);
  state.socket = kInvalidTcpSocket;
  state.stopRequested = false;
  boundPort.store(0);
  noteAppPortState(AppPortState());
}

// Accept failures that come one after another (no descriptors or memory left,
// say) are not retried at once, which would spin a core and flood the log:
// the listener pauses after each, logs the first and then one line in a
// hundred with the count.
constexpr unsigned kAcceptFailurePauseMilliseconds = 100;
constexpr unsigned kAcceptFailuresPerLogLine = 100;

// How long the listener waits for a connection before it joins the serving
// threads that have ended since, and looks at listenerRunning again.
constexpr int kReapPeriodMilliseconds = 200;

void noteAcceptFailure(unsigned& failuresInARow) {
  ++failuresInARow;
  if (failuresInARow == 1) {
    logMessage("Orvx Socket: accept failed");
  } else if (failuresInARow % kAcceptFailuresPerLogLine == 0) {
    logMessage("Orvx Socket: accept failed (%u times in a row)", failuresInARow);
  }
  sleepMilliseconds(kAcceptFailurePauseMilliseconds);
}

// Accepts until the listening socket is closed by the stop path, or until a
// serving thread cannot be started. Between connections it joins the
// serving threads that have ended.
void acceptConnections(TcpSocket listeningSocket, ServingThreads& servingThreads) {
  unsigned failuresInARow = 0;
  while (listenerRunning.load()) {
    servingThreads.joinEnded();
    if (!waitTcpReadable(listeningSocket, kReapPeriodMilliseconds) || !listenerRunning.load()) continue;
    const TcpSocket accepted = acceptTcpConnection(listeningSocket);
    if (accepted == kInvalidTcpSocket) {
      if (listenerRunning.load()) noteAcceptFailure(failuresInARow);
      continue;
    }
    failuresInARow = 0;
    if (!servingThreads.start(accepted)) {
      logMessage("Orvx Socket: creating client thread failed");
      return;
    }
    logMessage("Orvx Socket: successfully created client serving thread");
  }
  logMessage("Orvx Socket: listening socket was closed");
}

// Every serving thread still running is joined, in start order, even after
// a serving thread could not be started: they end when their apps go or when
// the stop path releases them.
void joinServingThreads(ServingThreads& servingThreads) {
  const std::vector<uint16_t> joined = servingThreads.joinAll();
  if (ServingThreadJoinedObserver observer = joinedObserver.load()) {
    for (uint16_t peerPort : joined) observer(peerPort);
  }
}

}  // namespace

void runListener(uint16_t port) {
  const TcpSocket listeningSocket = openListeningSocket(port);
  if (listeningSocket == kInvalidTcpSocket) return;
  ServingThreads servingThreads;
  acceptConnections(listeningSocket, servingThreads);
  joinServingThreads(servingThreads);
}

bool startListenerThread(uint16_t port) {
  std::thread& thread = listenerThread();
  if (thread.joinable()) thread.join();  // an earlier listener that has ended
  resetListeningState();
  resetConnectionRegistry();
  // Apps waiting for the next build get it from the thread that publishes it.
  onFlightRecordPublished(ParkedRecordRequest::deliverToParked);
  listenerRunning.store(true);
  try {
    thread = std::thread(runListener, port);
  } catch (const std::system_error&) {
    listenerRunning.store(false);
    return false;
  }
  return true;
}

void stopListener() {
  std::thread& thread = listenerThread();
  if (!listenerRunning.load() || !thread.joinable()) return;
  closeListeningSocket();
  releaseAllConnections();
  thread.join();
  thread = std::thread();
}

uint16_t listenerBoundPort() { return boundPort.load(); }

void observeServingThreadJoins(ServingThreadJoinedObserver observer) { joinedObserver.store(observer); }
