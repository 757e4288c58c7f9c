#include "platform/network_addresses.h"

// The socket headers first: the adapter list's types use them.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <algorithm>
#include <vector>

namespace {

constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
constexpr int kTries = 3;  // the list may grow between the size query and the read

// The adapters' list, or an empty buffer when it cannot be read.
std::vector<unsigned char> readAdapters() {
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    buffer.resize(size);
    const ULONG result =
        GetAdaptersAddresses(AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    if (result == ERROR_SUCCESS) return buffer;
    if (result != ERROR_BUFFER_OVERFLOW) break;
  }
  return {};
}

void addAdapterAddresses(const IP_ADAPTER_ADDRESSES& adapter, std::vector<std::string>& addresses) {
  if (adapter.OperStatus != IfOperStatusUp || adapter.IfType == IF_TYPE_SOFTWARE_LOOPBACK) return;
  for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter.FirstUnicastAddress; unicast != nullptr;
       unicast = unicast->Next) {
    const SOCKADDR* address = unicast->Address.lpSockaddr;
    if (address == nullptr || address->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
    if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) == nullptr) continue;
    if (std::find(addresses.begin(), addresses.end(), text) == addresses.end()) addresses.push_back(text);
  }
}

}  // namespace

std::vector<std::string> localIpv4Addresses() {
  std::vector<std::string> addresses;
  std::vector<unsigned char> buffer = readAdapters();
  if (buffer.empty()) return addresses;
  for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
       adapter = adapter->Next) {
    addAdapterAddresses(*adapter, addresses);
  }
  return addresses;
}
