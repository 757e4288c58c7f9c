// The address line the program shows below the status text: whether and
// where a tablet on the same network connects. In order of precedence: the
// app port could not be opened (taken by another program, or the system's
// own reason); the PC has no usable address; the port is not open yet (it
// opens at the simulator's first data); the addresses apps connect to.
// Shared by the Windows status window and the POSIX status screen; the UI
// thread owns an AddressLine, addressLineText is a pure function.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/shared_state.h"

// The line for the app port's state, the machine's addresses and the port.
std::string addressLineText(const AppPortState& appPort, const std::vector<std::string>& addresses, uint16_t port);

// The line as the status display refreshes it: the machine's addresses are
// read on the first refresh and again every few refreshes, so a change of
// network shows within seconds without asking the system twice a second.
class AddressLine {
 public:
  // Refreshes that reuse the addresses read last.
  static constexpr int kRefreshesPerLookup = 4;

  // The line to show now, for the app port's state.
  std::string refresh(const AppPortState& appPort);

 private:
  int refreshes_ = 0;
  std::vector<std::string> addresses_;
};
