#include "app/address_line.h"

#include "bridge/shared_state.h"
#include "platform/network_addresses.h"

namespace {

// "A", "A or B", "A, B or C".
std::string addressList(const std::vector<std::string>& addresses) {
  std::string list;
  for (size_t i = 0; i < addresses.size(); ++i) {
    if (i > 0) list += i + 1 == addresses.size() ? " or " : ", ";
    list += addresses[i];
  }
  return list;
}

}  // namespace

std::string addressLineText(const std::vector<std::string>& addresses, uint16_t port, bool portInUse) {
  const std::string portText = std::to_string(port);
  if (portInUse) {
    return "Apps cannot connect: port " + portText +
           " is in use by another program (another copy of Orvxlink?). Close it, then restart Orvxlink.";
  }
  if (addresses.empty()) return "No network address: connect this PC to the tablet's network (Wi-Fi or cable).";
  return "Apps connect to " + addressList(addresses) + ", port " + portText;
}

std::string AddressLine::refresh(bool portInUse) {
  if (refreshes_ == 0) addresses_ = localIpv4Addresses();
  refreshes_ = (refreshes_ + 1) % kRefreshesPerLookup;
  return addressLineText(addresses_, kAppPort, portInUse);
}
