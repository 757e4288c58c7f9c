// orvxlink-client against a real listener: set lands in the pending settings
// record, dump decodes the record, FMC data makes the round trip, and wrong
// usage or an absent bridge give clear errors and a non-zero exit.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "bridge/flight_record.h"
#include "bridge/settings_record.h"
#include "server/shared_data_store.h"
#include "server_test_support.h"
#include "tools/client/client_tool.h"

namespace {

class AppClientToolTest : public ServerTest {
 protected:
  int run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    args.insert(args.begin(), "127.0.0.1:" + std::to_string(port()));
    return runOrvxlinkClient(args, out_, err_, false);
  }
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(AppClientToolTest, SetUploadsTheSettingsRecordTheOptionsDescribe) {
  ASSERT_EQ(run({"set", "--ap-master", "on", "--fd", "off", "--alt", "12000", "--vs", "-1500", "--target-speed", "0.78",
                 "--target-hdg", "270"}),
            kClientExitOk)
      << err_.str();
  const SettingsRecord pending = pendingSettingsSnapshot();
  EXPECT_EQ(pending.changeFlags, 0x1u | 0x4u | 0x20000u | 0x40000u);
  EXPECT_EQ(pending.switches[switchIndex(124)], 1);
  EXPECT_EQ(pending.switches[switchIndex(126)], 0);
  EXPECT_EQ(pending.setAltitudeFt, 12000.0);
  EXPECT_EQ(pending.setVerticalSpeedFpm, -1500.0);
  EXPECT_EQ(pending.targetSpeed, 0.78);
  EXPECT_EQ(pending.targetHeadingDeg, 270.0);
  EXPECT_EQ(pending.targetAltitudeFt, -1.0) << "targets not given stay without a request";
}

TEST_F(AppClientToolTest, DumpPrintsDecodedFieldsOrHex) {
  FlightRecord& build = flightRecordForBuild();
  build.latitudeDeg = 47.449889;
  build.altitudeFt = 12345.0;
  build.apAltitudeFt = 10000.0;
  build.apEngaged = 1;
  build.apModeLights[1][0] = build.apModeLights[1][1] = 1;
  publishFlightRecord();

  ASSERT_EQ(run({"dump"}), kClientExitOk) << err_.str();
  const std::string view = out_.str();
  EXPECT_NE(view.find("lat 47.449889"), std::string::npos) << view;
  EXPECT_NE(view.find("alt 12345 ft"), std::string::npos) << view;
  EXPECT_NE(view.find("AP on"), std::string::npos) << view;
  EXPECT_NE(view.find("alt 10000 ft"), std::string::npos) << view;
  EXPECT_NE(view.find("[ALT]"), std::string::npos) << view;

  ASSERT_EQ(run({"dump", "--hex"}), kClientExitOk) << err_.str();
  EXPECT_EQ(out_.str().rfind("0000  4f 52 56 58 33 30 00", 0), 0u) << out_.str().substr(0, 80);
}

TEST_F(AppClientToolTest, WatchPrintsOneLinePerPollWhenNotATerminal) {
  ASSERT_EQ(run({"watch", "--count", "3", "--interval", "0"}), kClientExitOk) << err_.str();
  std::istringstream lines(out_.str());
  int count = 0;
  for (std::string line; std::getline(lines, line);) count += line.rfind("lat ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(count, 3);
}

TEST_F(AppClientToolTest, FmcDataMakesTheRoundTrip) {
  const std::string path = ::testing::TempDir() + "orvxlink-fmc-" + std::to_string(port()) + ".bin";
  {
    std::ofstream file(path, std::ios::binary);
    file << "ROUTE1";
  }
  ASSERT_EQ(run({"fmc", "set", path, "--word", "0x2A"}), kClientExitOk) << err_.str();
  EXPECT_EQ(fmcDataStore().snapshot().word, 42u);
  ASSERT_EQ(run({"fmc", "get"}), kClientExitOk) << err_.str();
  EXPECT_NE(out_.str().find("6 bytes, word 42"), std::string::npos) << out_.str();
  ASSERT_EQ(run({"fpl", "set", path}), kClientExitOk) << err_.str();
  EXPECT_EQ(*flightPlanStore().snapshot().data, bytesOf("ROUTE1"));
  std::remove(path.c_str());
}

TEST_F(AppClientToolTest, WrongUsageAndAnAbsentBridgeFailClearly) {
  EXPECT_EQ(run({"fly"}), kClientExitUsage);
  EXPECT_NE(err_.str().find("unknown command: fly"), std::string::npos);
  EXPECT_EQ(run({"set", "--ap-master", "maybe"}), kClientExitUsage);
  EXPECT_NE(err_.str().find("--ap-master takes on or off"), std::string::npos);

  const TcpSocket probe = createTcpSocket();  // a port where nobody listens
  ASSERT_TRUE(bindTcpSocket(probe, ipv4AddressFromText("127.0.0.1"), 0));
  const uint16_t deadPort = tcpLocalPort(probe);
  closeTcpSocket(probe);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runOrvxlinkClient({"127.0.0.1:" + std::to_string(deadPort), "dump"}, out, err, false), kClientExitFailure);
  EXPECT_NE(err.str().find("cannot connect to 127.0.0.1:" + std::to_string(deadPort)), std::string::npos) << err.str();
}

}  // namespace
