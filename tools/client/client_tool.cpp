#include "tools/client/client_tool.h"

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "bridge/shared_state.h"
#include "orvxlink_version.h"
#include "platform/clock.h"
#include "tools/client/app_client.h"
#include "tools/client/argument_numbers.h"
#include "tools/client/flight_record_view.h"
#include "tools/client/settings_options.h"
#include "tools/client/upload_file.h"

namespace {

const char* const kUsageHead =
    "usage: orvxlink-client [HOST[:PORT]] COMMAND [OPTIONS]\n"
    "\n"
    "Speaks to an Orvxlink bridge as a tablet app does (default 127.0.0.1:5193).\n"
    "\n"
    "commands:\n"
    "  watch [--count N] [--interval MS]  poll the flight data and show it live;\n"
    "                                     N polls (default 0: until stopped), MS between polls (default 200)\n"
    "  dump [--hex]                       fetch one flight-data record, decoded or as hex\n"
    "  set OPTION VALUE ...               upload autopilot settings; options:\n";

const char* const kUsageTail =
    "  fmc get [--out FILE]               fetch the FMC data (hex, or written to FILE) and its word\n"
    "  fmc peek                           the first eight bytes of the FMC data\n"
    "  fmc set FILE [--word N]            store FILE as the FMC data, with word N (default 0)\n"
    "  fpl set FILE [--word N]            upload FILE as the flight-plan data, with word N (default 0)\n"
    "  help                               this text\n"
    "  --version                          the version\n"
    "\n"
    "exit status: 0 done, 1 the bridge could not be reached or closed the connection,\n"
    "             2 wrong usage or a file that cannot be used (nothing is sent then)\n";

struct Endpoint {
  std::string host = "127.0.0.1";
  uint16_t port = kAppPort;
};

// What a command needs: where to connect, its words and options, and where
// to print.
struct Invocation {
  Endpoint endpoint;
  std::vector<std::string> words;
  std::ostream& out;
  std::ostream& err;
  bool refreshInPlace;
};

std::string usage() { return std::string(kUsageHead) + settingsOptionsHelp() + kUsageTail; }

int usageError(const Invocation& call, const std::string& message) {
  call.err << "orvxlink-client: " << message << "\n(orvxlink-client help shows the usage)\n";
  return kClientExitUsage;
}

int failure(const Invocation& call, const std::string& message) {
  call.err << "orvxlink-client: " << message << "\n";
  return kClientExitFailure;
}

bool parseEndpoint(const std::string& text, Endpoint& endpoint) {
  const size_t colon = text.rfind(':');
  endpoint.host = text.substr(0, colon);
  if (endpoint.host.empty()) return false;
  if (colon == std::string::npos) return true;
  long long port = 0;
  if (!parseWholeNumber(text.substr(colon + 1), 1, 65535, port)) return false;
  endpoint.port = static_cast<uint16_t>(port);
  return true;
}

// Reads "--name VALUE" pairs from `words` starting at `first`; false on an
// option not in `known`.
bool readOptions(const std::vector<std::string>& words, size_t first, const std::vector<std::string>& known,
                 std::vector<std::pair<std::string, std::string>>& options, std::string& error) {
  for (size_t i = first; i < words.size(); i += 2) {
    bool isKnown = false;
    for (const std::string& name : known) isKnown = isKnown || words[i] == name;
    if (!isKnown) return error = "unexpected argument: " + words[i], false;
    if (words[i] == "--hex") {  // the one flag without a value
      options.emplace_back(words[i], "");
      --i;
      continue;
    }
    if (i + 1 >= words.size()) return error = words[i] + " needs a value", false;
    options.emplace_back(words[i], words[i + 1]);
  }
  return true;
}

bool connectTo(AppClient& client, const Invocation& call) {
  return client.connect(call.endpoint.host, call.endpoint.port);
}

int runWatch(const Invocation& call) {
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;
  if (!readOptions(call.words, 1, {"--count", "--interval"}, options, error)) return usageError(call, error);
  long long count = 0;
  long long interval = 200;
  for (const auto& option : options) {
    long long& target = option.first == "--count" ? count : interval;
    if (!parseWholeNumber(option.second, 0, 86400000, target)) {
      return usageError(call, option.first + " takes a whole number, not \"" + option.second + "\"");
    }
  }
  AppClient client;
  if (!connectTo(client, call)) return failure(call, client.lastError());
  for (long long poll = 1; count == 0 || poll <= count; ++poll) {
    FlightRecord record;
    if (!client.requestFlightRecord(record)) return failure(call, client.lastError());
    if (call.refreshInPlace) {
      call.out << "\x1b[H\x1b[2J"
               << "orvxlink-client watch " << call.endpoint.host << ":" << call.endpoint.port << "  poll " << poll
               << "\n\n"
               << describeFlightRecord(record);
    } else {
      call.out << summarizeFlightRecord(record) << "\n";
    }
    call.out.flush();
    if (count == 0 || poll < count) sleepMilliseconds(static_cast<unsigned>(interval));
  }
  return kClientExitOk;
}

int runDump(const Invocation& call) {
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;
  if (!readOptions(call.words, 1, {"--hex"}, options, error)) return usageError(call, error);
  AppClient client;
  FlightRecord record;
  if (!connectTo(client, call) || !client.requestFlightRecord(record)) return failure(call, client.lastError());
  if (options.empty()) {
    call.out << describeFlightRecord(record);
  } else {
    call.out << hexDump(reinterpret_cast<const uint8_t*>(&record), sizeof record);
  }
  return kClientExitOk;
}

int runSet(const Invocation& call) {
  SettingsRecord record;
  std::string error;
  if (!settingsFromOptions(std::vector<std::string>(call.words.begin() + 1, call.words.end()), record, error)) {
    return usageError(call, error);
  }
  AppClient client;
  if (!connectTo(client, call) || !client.uploadSettings(record) || !client.confirmUploads()) {
    return failure(call, client.lastError());
  }
  char flags[16];
  snprintf(flags, sizeof flags, "0x%08X", static_cast<unsigned>(record.changeFlags));
  call.out << "settings uploaded (change flags " << flags << ")\n";
  return kClientExitOk;
}

// "fmc set FILE" and "fpl set FILE".
int runDataUpload(const Invocation& call, bool flightPlan) {
  if (call.words.size() < 3 || call.words[1] != "set") return usageError(call, call.words[0] + " set needs a FILE");
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;
  if (!readOptions(call.words, 3, {"--word"}, options, error)) return usageError(call, error);
  uint32_t word32 = 0;
  for (const auto& option : options) {
    if (!parseWord(option.second, word32)) {
      return usageError(
          call, "--word takes a 32-bit number (decimal, or hexadecimal after 0x), not \"" + option.second + "\"");
    }
  }
  std::vector<uint8_t> data;
  if (!readUploadFile(call.words[2], kMaxUploadLength, data, error)) return usageError(call, error);
  AppClient client;
  const bool uploaded = connectTo(client, call) &&
                        (flightPlan ? client.uploadFlightPlan(data, word32) : client.uploadFmcData(data, word32)) &&
                        client.confirmUploads();
  if (!uploaded) return failure(call, client.lastError());
  call.out << data.size() << " bytes uploaded with word " << word32 << "\n";
  return kClientExitOk;
}

int runFmcGet(const Invocation& call) {
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;
  if (!readOptions(call.words, 2, {"--out"}, options, error)) return usageError(call, error);
  // The output file is opened before the bridge is asked, so a wrong path
  // costs no round trip.
  std::ofstream file;
  if (!options.empty()) {
    file.open(options[0].second, std::ios::binary);
    if (!file) return usageError(call, "cannot write " + options[0].second);
  }
  AppClient client;
  std::vector<uint8_t> data;
  uint32_t word = 0;
  if (!connectTo(client, call) || !client.requestFmcData(data, word)) return failure(call, client.lastError());
  call.out << "FMC data: " << data.size() << " bytes, word " << word << "\n";
  if (options.empty()) {
    call.out << hexDump(data.data(), data.size());
    return kClientExitOk;
  }
  file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!file) return failure(call, "cannot write " + options[0].second);
  return kClientExitOk;
}

int runFmcPeek(const Invocation& call) {
  if (call.words.size() > 2) return usageError(call, "unexpected argument: " + call.words[2]);
  AppClient client;
  uint8_t first[kFmcPeekSize];
  if (!connectTo(client, call) || !client.peekFmcData(first)) return failure(call, client.lastError());
  call.out << hexDump(first, sizeof first);
  return kClientExitOk;
}

int runFmc(const Invocation& call) {
  const std::string action = call.words.size() > 1 ? call.words[1] : "";
  if (action == "get") return runFmcGet(call);
  if (action == "peek") return runFmcPeek(call);
  if (action == "set") return runDataUpload(call, false);
  return usageError(call, "fmc takes get, peek or set");
}

bool isCommand(const std::string& word) {
  for (const char* command : {"watch", "dump", "set", "fmc", "fpl", "help", "--help", "-h", "--version"}) {
    if (word == command) return true;
  }
  return false;
}

// Takes a leading HOST[:PORT] off the words. A first word that is no command
// is a host only when a command follows it; otherwise it is most likely a
// misspelt command ("dumo"), and is reported as one.
bool takeEndpoint(Invocation& call, std::string& error) {
  if (call.words.empty() || isCommand(call.words[0])) return true;
  if (call.words.size() < 2 || !isCommand(call.words[1])) {
    const bool hostFirst = call.words.size() >= 2 && call.words[1].compare(0, 1, "-") != 0;
    error = "unknown command: " + call.words[hostFirst ? 1 : 0];
    return false;
  }
  if (!parseEndpoint(call.words[0], call.endpoint)) {
    error = "not a HOST[:PORT] (port 1 to 65535): " + call.words[0];
    return false;
  }
  call.words.erase(call.words.begin());
  return true;
}

}  // namespace

int runOrvxlinkClient(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool refreshInPlace) {
  Invocation call{Endpoint(), args, out, err, refreshInPlace};
  std::string error;
  if (!takeEndpoint(call, error)) return usageError(call, error);
  if (call.words.empty()) return usageError(call, "no command given");

  const std::string& command = call.words[0];
  if (command == "help" || command == "--help" || command == "-h") {
    out << usage();
    return kClientExitOk;
  }
  if (command == "--version") {
    out << "orvxlink-client " << ORVXLINK_VERSION << "\n";
    return kClientExitOk;
  }
  if (command == "watch") return runWatch(call);
  if (command == "dump") return runDump(call);
  if (command == "set") return runSet(call);
  if (command == "fmc") return runFmc(call);
  if (command == "fpl") return runDataUpload(call, true);
  return usageError(call, "unknown command: " + command);
}
