// The simulator link's story in the log, from the bridge running against the
// emulator: a streak of failed opens is one line (and the settings line)
// however many attempts it takes, and each later event (the open that ends
// the streak, the link lost, the open after it) is one line.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "log/log.h"
#include "tests/e2e/bridge_fixture.h"
#include "tests/free_tcp_port.h"

namespace {

class LinkLogEndToEnd : public BridgeEndToEnd {
 protected:
  void SetUp() override {
    BridgeEndToEnd::SetUp();
    wasEnabled_ = logEnabled.load();
    logEnabled.store(true);
  }
  void TearDown() override {
    BridgeEndToEnd::TearDown();
    logEnabled.store(wasEnabled_);
  }

  static void pointBridgeAt(uint16_t port) {
    std::ofstream config("SimConnect.cfg");
    config << "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << port << "\n";
  }

  // The messages of the log's stamped lines, in order; a message that begins
  // with a line break is the line after its stamp.
  static std::vector<std::string> messages() {
    std::ifstream file(logFilePath);
    std::vector<std::string> lines;
    bool takeNext = false;
    for (std::string line; std::getline(file, line);) {
      const bool stamped = line.size() >= 27 && line.compare(24, 3, "-->") == 0;
      if (takeNext && !stamped) lines.push_back(line);
      takeNext = stamped && line.size() == 27;
      if (stamped && !takeNext) lines.push_back(line.substr(27));
    }
    return lines;
  }

  static size_t countStarting(const std::vector<std::string>& lines, const std::string& start) {
    size_t count = 0;
    for (const std::string& line : lines) count += line.rfind(start, 0) == 0 ? 1 : 0;
    return count;
  }

  bool wasEnabled_ = false;
};

TEST_F(LinkLogEndToEnd, EachLinkEventIsOneLineAndAFailingStreakIsOne) {
  const uint16_t closedPort = freeLoopbackTcpPort();  // nothing listens there
  pointBridgeAt(closedPort);
  startBridgeHere();
  std::this_thread::sleep_for(std::chrono::seconds(5));  // about 50 failed opens

  std::vector<std::string> lines = messages();
  ASSERT_GE(lines.size(), 1u);
  EXPECT_NE(lines[0].find("; log file "), std::string::npos) << "the first line says where the log is";
  EXPECT_LE(lines.size(), 1u + 2u) << "5 s of failed opens gave more than two lines";
  const std::string target = "IPv4 127.0.0.1 port " + std::to_string(closedPort) + " (";
  ASSERT_EQ(countStarting(lines, "Simulator link: cannot connect: " + target), 1u) << "the failure names its target";
  ASSERT_EQ(countStarting(lines, "Simulator link settings: protocol IPv4, address 127.0.0.1, port " +
                                     std::to_string(closedPort) + ", from "),
            1u);

  // The simulator comes: SimConnect.cfg is changed to reach it.
  startEmulator(tcpEmulator());
  ASSERT_FALSE(HasFatalFailure());
  pointBridgeAtEmulatorTcp();
  std::unique_ptr<AppClient> app = connectApp();
  ASSERT_TRUE(app);
  const std::string emulatorTarget = "IPv4 127.0.0.1 port " + std::to_string(emulator_->tcp4Port());
  ASSERT_TRUE(eventually([&] { return countStarting(messages(), "Simulator link: connected over ") == 1; },
                         std::chrono::seconds(20)));

  // The link is lost and opened again.
  const uint64_t opens = emulator_->counters().opens;
  emulator_->dropClient(emulator_->clientIds().front());
  ASSERT_TRUE(emulator_->waitFor([&] { return emulator_->counters().opens > opens; }, 20000));
  ASSERT_TRUE(eventually([&] { return countStarting(messages(), "Simulator link: connected over ") == 2; },
                         std::chrono::seconds(20)));
  stopBridgeHere();

  lines = messages();
  const struct {
    std::string start;
    size_t count;
  } expected[] = {
      {"Simulator link settings: protocol IPv4, address 127.0.0.1, port " + std::to_string(closedPort), 1},
      {"Simulator link settings: protocol IPv4, address 127.0.0.1, port " + std::to_string(emulator_->tcp4Port()), 1},
      {"Simulator link: cannot connect: ", 1},
      {"Simulator link: still cannot connect", 0},
      {"Simulator link: connected over " + emulatorTarget + " after ", 1},
      {"Simulator link: connected over " + emulatorTarget, 2},
      {"Simulator link lost: ", 1},
      {"SimConnect Connected", 2},  // the line after the stamped "\nSimConnect Connected"
  };
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  for (const auto& e : expected) EXPECT_EQ(countStarting(lines, e.start), e.count) << e.start << "\n" << all;
}

}  // namespace
