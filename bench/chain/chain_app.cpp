// One app of the chain benchmark, as a process of its own: connects to a
// server of the app protocol on loopback and asks for the flight-data record
// back to back ("rSIMDATA30") until its time is up. The emulator, run with
// --stamp-blocks, puts the frame number where the record's latitude goes and
// its steady-clock send time (microseconds) where the longitude goes; for
// each record the app writes one line to its output file:
//
//     frame  sent_us  received_us
//
// so the driver can count missed and repeated frames and the latency of each.
//
//     chain_app PORT SECONDS OUTPUT   polls for SECONDS, writes OUTPUT
//     chain_app --catalogue           prints the simulator variables the
//                                     bridge asks for: offset size type unit|name
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bridge/sim_catalogue.h"
#include "platform/socket_library.h"
#include "tools/client/app_client.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t nowMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

struct Receipt {
  int64_t frame;
  int64_t sentUs;
  int64_t receivedUs;
};

int printCatalogue() {
  for (const SimVariable& variable : kSimVariables) {
    std::printf("%u %u %u %s|%s\n", variable.offset, variable.size, static_cast<unsigned>(variable.dataType),
                variable.unit != nullptr ? variable.unit : "", variable.name);
  }
  return 0;
}

// The server may still be starting: try for a few seconds.
bool connectWithin(AppClient& client, uint16_t port, std::chrono::seconds patience) {
  const auto deadline = Clock::now() + patience;
  while (!client.connect("127.0.0.1", port)) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool poll(uint16_t port, double seconds, std::vector<Receipt>& receipts) {
  AppClient client;
  client.setReplyTimeoutMilliseconds(-1);  // no readiness check per receive: measure the server
  if (!connectWithin(client, port, std::chrono::seconds(10))) {
    std::fprintf(stderr, "chain_app: %s\n", client.lastError().c_str());
    return false;
  }
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  FlightRecord record;
  while (Clock::now() < end) {
    if (!client.requestFlightRecord(record)) {
      std::fprintf(stderr, "chain_app: %s\n", client.lastError().c_str());
      return false;
    }
    receipts.push_back(
        {static_cast<int64_t>(record.latitudeDeg), static_cast<int64_t>(record.longitudeDeg), nowMicroseconds()});
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--catalogue") return printCatalogue();
  if (argc != 4) {
    std::fprintf(stderr, "usage: chain_app PORT SECONDS OUTPUT | chain_app --catalogue\n");
    return 2;
  }
  const auto port = static_cast<uint16_t>(std::atoi(argv[1]));
  const double seconds = std::atof(argv[2]);
  startSocketLibrary();
  std::vector<Receipt> receipts;
  receipts.reserve(static_cast<size_t>(seconds * 1000) + 16);
  const bool polled = poll(port, seconds, receipts);
  stopSocketLibrary();
  FILE* out = std::fopen(argv[3], "w");
  if (out == nullptr) return 1;
  for (const Receipt& r : receipts) {
    std::fprintf(out, "%lld %lld %lld\n", static_cast<long long>(r.frame), static_cast<long long>(r.sentUs),
                 static_cast<long long>(r.receivedUs));
  }
  std::fclose(out);
  return polled ? 0 : 1;
}
