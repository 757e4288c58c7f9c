// The address line and the lines under it, as the user reads them: whether
// and where apps connect, the last app, and where the log goes.
#include "app/address_line.h"

#include <gtest/gtest.h>

#include "app/detail_lines.h"
#include "app/status_screen.h"
#include "platform/local_time.h"

namespace {

AppPortState portIn(AppPortPhase phase, bool addressInUse = false, const std::string& errorText = "") {
  AppPortState state;
  state.phase = phase;
  state.addressInUse = addressInUse;
  state.errorText = errorText;
  return state;
}

// The precedence: a port that could not be opened, then no address, then
// not open yet, then where apps connect. One input changes per row.
TEST(AddressLine, SaysWhereAppsConnectOrWhyTheyCannot) {
  const std::string inUse =
      "Apps cannot connect: port 5193 is in use by another program (another copy of Orvxlink?). Close it, then "
      "restart Orvxlink.";
  const std::string noAddress = "No network address: connect this PC to the tablet's network (Wi-Fi or cable).";
  struct Case {
    AppPortState port;
    std::vector<std::string> addresses;
    uint16_t portNumber;
    std::string expected;
  };
  const Case cases[] = {
      {portIn(AppPortPhase::kListening), {"192.168.1.20"}, 5193, "Apps connect to 192.168.1.20, port 5193"},
      {portIn(AppPortPhase::kListening),
       {"192.168.1.20", "10.0.0.5"},
       5193,
       "Apps connect to 192.168.1.20 or 10.0.0.5, port 5193"},
      {portIn(AppPortPhase::kListening),
       {"192.168.1.20", "10.0.0.5", "172.17.0.1"},
       5193,
       "Apps connect to 192.168.1.20, 10.0.0.5 or 172.17.0.1, port 5193"},
      {portIn(AppPortPhase::kListening), {"10.0.0.5"}, 40000, "Apps connect to 10.0.0.5, port 40000"},
      {portIn(AppPortPhase::kListening), {}, 5193, noAddress},
      {portIn(AppPortPhase::kNotOpen),
       {"192.168.1.20", "10.0.0.5"},
       5193,
       "Apps can connect to 192.168.1.20 or 10.0.0.5, port 5193, once the simulator sends its first data (a flight "
       "loaded)."},
      {portIn(AppPortPhase::kNotOpen), {}, 5193, noAddress},
      {portIn(AppPortPhase::kFailed, true, "Address already in use"), {"192.168.1.20"}, 5193, inUse},
      {portIn(AppPortPhase::kFailed, true, "Address already in use"), {}, 5193, inUse},
      // Any other failure is not blamed on another program: the system's
      // own reason is shown.
      {portIn(AppPortPhase::kFailed, false, "Permission denied"),
       {"192.168.1.20"},
       5193,
       "Apps cannot connect: port 5193 could not be opened: Permission denied"},
      {portIn(AppPortPhase::kFailed, false, "Too many open files"),
       {},
       5193,
       "Apps cannot connect: port 5193 could not be opened: Too many open files"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(addressLineText(c.port, c.addresses, c.portNumber), c.expected);
  }
}

TEST(DetailLines, NameTheLastAppAndWhereTheLogGoes) {
  EXPECT_EQ(lastAppLineText("", ""), "No app has connected yet.");
  EXPECT_EQ(lastAppLineText("192.168.1.31:50112", "14:32:05"), "Last app: 192.168.1.31:50112, connected at 14:32:05");
  EXPECT_EQ(logPlaceLineText(""), "") << "no line while the log is off";
  EXPECT_EQ(logPlaceLineText("Orvxlink.log"), "Log: Orvxlink.log");
}

// The last app's time is the local time of day it connected, not the time
// of the refresh: a moment fixed by hand in local time comes back as written.
TEST(DetailLines, LastAppTimeIsTheLocalTimeOfDay) {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 11;
  local.tm_mday = 7;
  local.tm_hour = 9;
  local.tm_min = 5;
  local.tm_sec = 7;
  local.tm_isdst = -1;
  const std::time_t moment = std::mktime(&local);
  noteAppArrival("10.0.0.9:50000");
  EXPECT_EQ(localClockTime(moment), "09:05:07");
  EXPECT_NE(lastAppLine().find("Last app: 10.0.0.9:50000, connected at "), std::string::npos) << lastAppLine();
}

TEST(AddressLine, StatusScreenShowsItAndTheDetailsBetweenTheStatusAndTheWayOut) {
  const std::string frame =
      statusScreenFrame("0 client(s) connected.\n\nFS2020 connected", "Apps connect to 10.0.0.5, port 5193",
                        {"No app has connected yet.", "Log: Orvxlink.log"});
  size_t at = 0;
  for (const char* line : {"FS2020 connected", "Apps connect to 10.0.0.5, port 5193", "No app has connected yet.",
                           "Log: Orvxlink.log", "Press q or Esc to exit."}) {
    const size_t found = frame.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << " missing or out of order";
    at = found;
  }
  EXPECT_EQ(statusScreenFrame("", "Apps connect to 10.0.0.5, port 5193", {"No app has connected yet.", ""}),
            statusScreenFrame("", "Apps connect to 10.0.0.5, port 5193", {"No app has connected yet."}))
      << "the log's line takes no room while the log is off";
}

}  // namespace
