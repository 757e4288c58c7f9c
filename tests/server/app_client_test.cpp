// orvxlink-client against a real listener: set lands in the pending settings
// record, dump decodes the record, FMC data makes the round trip, and wrong
// usage or an absent bridge give clear errors and a non-zero exit.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "bridge/flight_record.h"
#include "bridge/settings_record.h"
#include "platform/socket_library.h"
#include "server/app_protocol.h"
#include "server/shared_data_store.h"
#include "server_test_support.h"
#include "tools/client/client_tool.h"
#include "tools/client/upload_file.h"

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

// A file is taken up to exactly the largest upload, and refused one byte past
// it or when empty, before anything is sent.
TEST(UploadFileTest, FilesUpToTheLimitAreTakenAndNoneBeyondIt) {
  struct Case {
    size_t size;
    bool taken;
  };
  const Case cases[] = {{7, true}, {8, true}, {9, false}, {0, false}};
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("orvxlink-upload-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " bytes");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(c.size, 'F');
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_EQ(readUploadFile(file.string(), 8, bytes, error), c.taken) << error;
    EXPECT_EQ(bytes.size(), c.taken ? c.size : 0u);
  }
  std::filesystem::remove(file);
}

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
  build.comFreq[0] = 0.183;  // 118.30 MHz: BCD 0x1830 over 10000
  build.comFreq[1] = 0.0;    // no radio
  publishFlightRecord();

  ASSERT_EQ(run({"dump"}), kClientExitOk) << err_.str();
  const std::string view = out_.str();
  EXPECT_NE(view.find("lat 47.449889"), std::string::npos) << view;
  EXPECT_NE(view.find("alt 12345 ft"), std::string::npos) << view;
  EXPECT_NE(view.find("AP on"), std::string::npos) << view;
  EXPECT_NE(view.find("alt 10000 ft"), std::string::npos) << view;
  EXPECT_NE(view.find("[ALT]"), std::string::npos) << view;
  EXPECT_NE(view.find("COM1 118.300 (raw 0.1830)"), std::string::npos) << view;
  EXPECT_NE(view.find("COM2 ---.--- (raw 0.0000)"), std::string::npos) << view;

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
  ASSERT_EQ(run({"fmc", "set", path, "--word", "010"}), kClientExitOk) << err_.str();
  EXPECT_EQ(fmcDataStore().snapshot().word, 10u) << "a leading zero is not octal";
  ASSERT_EQ(run({"fmc", "set", path, "--word", "-1"}), kClientExitOk) << err_.str();
  EXPECT_EQ(fmcDataStore().snapshot().word, 0xFFFFFFFFu);
  std::remove(path.c_str());
}

// Every bad argument or file ends with status 2 and a message, before any
// connection: the endpoint is a listening socket that never accepts, so a
// connection attempt would be left pending on it.
TEST(AppClientToolArguments, BadArgumentsAndFilesAreRefusedBeforeConnecting) {
  startSocketLibrary();
  const TcpSocket listening = createTcpSocket();
  ASSERT_TRUE(bindTcpSocket(listening, ipv4AddressFromText("127.0.0.1"), 0));
  ASSERT_TRUE(listenTcpSocket(listening, 4));
  const std::string endpoint = "127.0.0.1:" + std::to_string(tcpLocalPort(listening));

  namespace fs = std::filesystem;
  const fs::path folder = fs::path(::testing::TempDir()) / ("orvxlink-client-args-" + endpoint.substr(10));
  fs::create_directories(folder);
  const std::string good = (folder / "route.bin").string();
  const std::string empty = (folder / "empty.bin").string();
  const std::string huge = (folder / "huge.bin").string();
  std::ofstream(good, std::ios::binary) << "ROUTE1";
  std::ofstream(empty, std::ios::binary).flush();
  std::ofstream(huge, std::ios::binary).flush();
  fs::resize_file(huge, kMaxUploadLength + 1);  // sparse: costs no disk
  const std::string missing = (folder / "missing.bin").string();

  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  std::vector<Case> cases = {
      {{endpoint, "fmc", "set", folder.string()}, "is a folder"},
      {{endpoint, "fpl", "set", folder.string()}, "is a folder"},
      {{endpoint, "fmc", "set", missing}, "cannot open"},
      {{endpoint, "fmc", "set", empty}, "is empty"},
      {{endpoint, "fpl", "set", huge}, "holds more than the 16777216 bytes"},
      {{endpoint, "fmc", "set", good, "--word", "4294967296"}, "--word takes a 32-bit number"},
      {{endpoint, "fmc", "set", good, "--word", "-2147483649"}, "--word takes a 32-bit number"},
      {{endpoint, "fmc", "set", good, "--word", "12abc"}, "--word takes a 32-bit number"},
      {{endpoint, "fmc", "set", good, "--word", "0x1FFFFFFFF"}, "--word takes a 32-bit number"},
      {{endpoint, "fmc", "set", good, "--word", " 5"}, "--word takes a 32-bit number"},
      {{endpoint, "fmc", "get", "--out", folder.string()}, "cannot write"},
      {{endpoint, "set", "--alt", "nan"}, "--alt takes a finite decimal number"},
      {{endpoint, "set", "--alt", "1e400"}, "--alt takes a finite decimal number"},
      {{endpoint, "set", "--alt", "-inf"}, "--alt takes a finite decimal number"},
      {{endpoint, "set", "--speed", "0x10"}, "--speed takes a finite decimal number"},
      {{endpoint, "set", "--hdg", "90deg"}, "--hdg takes a finite decimal number"},
      {{endpoint, "set", "--target-alt", "."}, "--target-alt takes a finite decimal number"},
      {{endpoint, "set", "--vs", ""}, "--vs takes a finite decimal number"},
      {{endpoint, "watch", "--count", "-1"}, "--count takes a whole number"},
      {{endpoint, "watch", "--interval", "1e3"}, "--interval takes a whole number"},
      {{endpoint, "dumo"}, "unknown command: dumo"},
      {{"dumo"}, "unknown command: dumo"},
      {{"dumo", "--hex"}, "unknown command: dumo"},
      {{"127.0.0.1:65536", "dump"}, "not a HOST[:PORT]"},
      {{"127.0.0.1:0", "dump"}, "not a HOST[:PORT]"},
      {{"127.0.0.1:+80", "dump"}, "not a HOST[:PORT]"},
  };
  if (fs::exists("/dev/zero")) cases.push_back({{endpoint, "fmc", "set", "/dev/zero"}, "holds more than"});
  for (const Case& c : cases) {
    std::string trace;
    for (const std::string& arg : c.args) trace += "[" + arg + "]";
    SCOPED_TRACE(trace);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runOrvxlinkClient(c.args, out, err, false), kClientExitUsage);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_FALSE(waitTcpReadable(listening, 0)) << "a connection was attempted";
  }

  // The same endpoint written with a leading zero in its port is that port,
  // and is connected to. Closing the listening socket then turns the
  // client's pending connection away, so it ends at once.
  std::ostringstream out;
  std::ostringstream err;
  const std::string zeroPadded = "127.0.0.1:0" + endpoint.substr(10);
  auto run = std::async(std::launch::async, [&] { return runOrvxlinkClient({zeroPadded, "dump"}, out, err, false); });
  EXPECT_TRUE(waitTcpReadable(listening, 5000)) << "no connection came to " << zeroPadded;
  closeTcpSocket(listening);
  EXPECT_EQ(run.get(), kClientExitFailure);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  stopSocketLibrary();
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
