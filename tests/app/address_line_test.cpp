// The address line under the status: where apps connect, no address, or the
// app port taken by another program, as the user reads it.
#include "app/address_line.h"

#include <gtest/gtest.h>

#include "app/status_screen.h"

namespace {

TEST(AddressLine, SaysWhereAppsConnectOrWhyTheyCannot) {
  struct Case {
    std::vector<std::string> addresses;
    uint16_t port;
    bool portInUse;
    std::string expected;
  };
  const Case cases[] = {
      {{"192.168.1.20"}, 5193, false, "Apps connect to 192.168.1.20, port 5193"},
      {{"192.168.1.20", "10.0.0.5"}, 5193, false, "Apps connect to 192.168.1.20 or 10.0.0.5, port 5193"},
      {{"192.168.1.20", "10.0.0.5", "172.17.0.1"},
       5193,
       false,
       "Apps connect to 192.168.1.20, 10.0.0.5 or 172.17.0.1, port 5193"},
      {{"10.0.0.5"}, 40000, false, "Apps connect to 10.0.0.5, port 40000"},
      {{}, 5193, false, "No network address: connect this PC to the tablet's network (Wi-Fi or cable)."},
      {{"192.168.1.20"},
       5193,
       true,
       "Apps cannot connect: port 5193 is in use by another program (another copy of Orvxlink?). Close it, then "
       "restart Orvxlink."},
      {{},
       5193,
       true,
       "Apps cannot connect: port 5193 is in use by another program (another copy of Orvxlink?). Close it, then "
       "restart Orvxlink."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(addressLineText(c.addresses, c.port, c.portInUse), c.expected);
  }
}

TEST(AddressLine, StatusScreenShowsItBetweenTheStatusAndTheWayOut) {
  const std::string frame =
      statusScreenFrame("0 client(s) connected.\n\nFS2020 connected", "Apps connect to 10.0.0.5, port 5193");
  const size_t status = frame.find("FS2020 connected");
  const size_t address = frame.find("Apps connect to 10.0.0.5, port 5193");
  const size_t exit = frame.find("Press q or Esc to exit.");
  ASSERT_NE(status, std::string::npos);
  ASSERT_NE(address, std::string::npos);
  ASSERT_NE(exit, std::string::npos);
  EXPECT_LT(status, address);
  EXPECT_LT(address, exit);
}

}  // namespace
