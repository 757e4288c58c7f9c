#include "app/address_line.h"

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

std::string portFailureText(const AppPortState& appPort, const std::string& portText) {
  if (appPort.addressInUse) {
    return "Apps cannot connect: port " + portText +
           " is in use by another program (another copy of Orvxlink?). Close it, then restart Orvxlink.";
  }
  return "Apps cannot connect: port " + portText + " could not be opened: " + appPort.errorText;
}

}  // namespace

std::string addressLineText(const AppPortState& appPort, const std::vector<std::string>& addresses, uint16_t port) {
  const std::string portText = std::to_string(port);
  if (appPort.phase == AppPortPhase::kFailed) return portFailureText(appPort, portText);
  if (addresses.empty()) return "No network address: connect this PC to the tablet's network (Wi-Fi or cable).";
  if (appPort.phase == AppPortPhase::kNotOpen) {
    // The listener opens the port only once the simulator delivers data, so
    // telling the user to connect now would only get the app refused.
    return "Apps can connect to " + addressList(addresses) + ", port " + portText +
           ", once the simulator sends its first data (a flight loaded).";
  }
  return "Apps connect to " + addressList(addresses) + ", port " + portText;
}

std::string AddressLine::refresh(const AppPortState& appPort) {
  if (refreshes_ == 0) addresses_ = localIpv4Addresses();
  refreshes_ = (refreshes_ + 1) % kRefreshesPerLookup;
  return addressLineText(appPort, addresses_, kAppPort);
}
