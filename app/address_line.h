// The address line the program shows below the status text: where a tablet
// on the same network connects, that the PC has no usable address, or that
// the app port is taken and apps cannot connect at all. Shared by the
// Windows status window and the POSIX status screen; the UI thread owns an
// AddressLine, addressLineText is a pure function.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The line for these addresses and port. `portInUse` (the listener could not
// bind the port) wins over the addresses.
std::string addressLineText(const std::vector<std::string>& addresses, uint16_t port, bool portInUse);

// The line as the status display refreshes it: the machine's addresses are
// read on the first refresh and again every few refreshes, so a change of
// network shows within seconds without asking the system twice a second.
class AddressLine {
 public:
  // Refreshes that reuse the addresses read last.
  static constexpr int kRefreshesPerLookup = 4;

  // The line to show now, for the app port and the listener's bind state.
  std::string refresh(bool portInUse);

 private:
  int refreshes_ = 0;
  std::vector<std::string> addresses_;
};
