// The simulator link's log lines over long streaks, with the clock in the
// test's hands: one line when a streak begins, one a minute while it lasts,
// one when it ends; the settings only when they change; a loss says why.
#include "bridge/link_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "log/log.h"

namespace fs = std::filesystem;

namespace {

class LinkLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("orvxlink-linklog-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    wasEnabled_ = logEnabled.load();
    logEnabled.store(true);
    testing::internal::CaptureStdout();  // the echo is not looked at
  }
  void TearDown() override {
    testing::internal::GetCapturedStdout();
    logEnabled.store(wasEnabled_);
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Every message, without its time stamp.
  static std::vector<std::string> messages() {
    std::ifstream file(logFilePath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line.substr(27));
    return lines;
  }

  static LinkOpenReport report(const std::string& settings) {
    LinkOpenReport r;
    r.filesLookedAt = {"a/SimConnect.cfg"};
    r.filesRead = {"a/SimConnect.cfg"};
    r.settings = settings;
    r.attempts = {{"IPv4 sim-pc port 500", "Connection refused"}};
    return r;
  }

  fs::path previous_;
  fs::path folder_;
  bool wasEnabled_ = false;
};

using Clock = LinkLog::Clock;
using std::chrono::milliseconds;

TEST_F(LinkLogTest, AStreakIsOneLineThenOneAMinuteThenItsEnd) {
  struct Case {
    const char* name;
    int failingMs;  // failed opens every 100 ms from 0 up to (not including) this
    std::vector<std::string> expected;
  };
  const std::string settings =
      "Simulator link settings: protocol IPv4, address sim-pc, port 500, from a/SimConnect.cfg";
  const std::string first =
      "Simulator link: cannot connect: IPv4 sim-pc port 500 (Connection refused); trying again until it answers";
  const Case cases[] = {
      {"no failure", 0, {settings, "Simulator link: connected over IPv4 sim-pc port 500"}},
      {"under a minute",
       60000,
       {settings, first, "Simulator link: connected over IPv4 sim-pc port 500 after 600 failed attempts in 60 s"}},
      {"two and a half minutes",
       150000,
       {settings, first,
        "Simulator link: still cannot connect after 60 s (600 more attempts); the last: IPv4 sim-pc port 500 "
        "(Connection refused)",
        "Simulator link: still cannot connect after 120 s (600 more attempts); the last: IPv4 sim-pc port 500 "
        "(Connection refused)",
        "Simulator link: connected over IPv4 sim-pc port 500 after 1500 failed attempts in 150 s"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(logFilePath);
    LinkLog log;
    const Clock::time_point start = Clock::now();
    const LinkOpenReport failing = report("protocol IPv4, address sim-pc, port 500");
    for (int ms = 0; ms < c.failingMs; ms += 100) {
      log.openFailed(failing, describeOpenFailure(failing, kSimConnectFail), start + milliseconds(ms));
    }
    LinkOpenReport connected = failing;
    connected.attempts.back().failure.clear();
    log.opened(connected, start + milliseconds(c.failingMs));
    EXPECT_EQ(messages(), c.expected);
  }
}

TEST_F(LinkLogTest, ChangedSettingsAreLoggedOnceWithoutRestartingTheStreak) {
  LinkLog log;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < 20; ++i) {
    const LinkOpenReport r =
        report(i < 10 ? "protocol IPv4, address sim-pc, port 500" : "protocol Pipe, address ., port default");
    log.openFailed(r, "refused", start + milliseconds(100 * i));
  }
  const std::vector<std::string> lines = messages();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Simulator link: cannot connect: refused; trying again until it answers");
  EXPECT_EQ(lines[2], "Simulator link settings: protocol Pipe, address ., port default, from a/SimConnect.cfg");
}

// A quit message explains the loss that follows it, and only that one.
TEST_F(LinkLogTest, LossSaysTheSimulatorQuitOnlyAfterItsQuitMessage) {
  LinkLog log;
  const LinkOpenReport r = report("protocol Pipe, address default, port default");
  log.opened(r, Clock::now());
  log.simulatorQuit();
  log.lost(kSimConnectLinkFailed);
  log.opened(r, Clock::now());
  log.lost(kSimConnectLinkFailed);
  const std::vector<std::string> lines = messages();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Simulator link lost: the simulator quit");
  EXPECT_EQ(lines[4], "Simulator link lost: the simulator closed the connection (0xC000013E)");
}

}  // namespace
