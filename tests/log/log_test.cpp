// The diagnostic log: line format, the off switch, start-up truncation, a
// file that cannot be written, long messages, many threads at once.
#include "log/log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/test_last_error.h"

namespace fs = std::filesystem;

namespace {

// Runs each test in a fresh working directory, since the log file is
// relative to it, and restores the switch afterwards.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("orvxlink-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    wasEnabled_ = logEnabled.load();
  }
  void TearDown() override {
    logEnabled.store(wasEnabled_);
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static std::string readLog() {
    std::ifstream file(logFilePath);  // text mode: a Windows line end reads as one newline
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  static std::vector<std::string> logLines() {
    std::vector<std::string> lines;
    std::istringstream text(readLog());
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  fs::path previous_;
  fs::path folder_;
  bool wasEnabled_ = false;
};

// "Www Mmm dd hh:mm:ss yyyy"
const std::regex kTimeStamp(R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4})");

TEST_F(LogTest, OffByDefaultCreatesAndPrintsNothing) {
  logEnabled.store(false);
  testing::internal::CaptureStdout();
  logMessage("Orvx Socket: bind failed");
  logSocketError();
  truncateLogFile();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(fs::exists(logFilePath));
}

TEST_F(LogTest, LineIsTimeStampArrowMessageAndOneNewline) {
  logEnabled.store(true);
  testing::internal::CaptureStdout();
  logMessage("\nSimConnect Connected");
  logMessage("%d%% done", 50);  // a '%' produced by formatting is written as it is
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nSimConnect Connected\n50% done\n");

  const std::string text = readLog();
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 3u) << text;
  ASSERT_EQ(lines[0].size(), 24u + 3u);
  EXPECT_TRUE(std::regex_match(lines[0].substr(0, 24), kTimeStamp)) << lines[0];
  EXPECT_EQ(lines[0].substr(24), "-->");
  EXPECT_EQ(lines[1], "SimConnect Connected");
  EXPECT_TRUE(std::regex_match(lines[2].substr(0, 24), kTimeStamp));
  EXPECT_EQ(lines[2].substr(24), "-->50% done");
  EXPECT_EQ(text.back(), '\n');
}

TEST_F(LogTest, SocketErrorLineCarriesCodeAndText) {
  logEnabled.store(true);
  testing::internal::CaptureStdout();
  const int code = setConnectionResetAsLastError();
  logSocketError();
  testing::internal::GetCapturedStdout();
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 1u);
  const std::string head = "-->Orvx Socket: WSA Error code " + std::to_string(code) + ": ";
  ASSERT_EQ(lines[0].substr(24, head.size()), head) << lines[0];
  const std::string text = lines[0].substr(24 + head.size());
  EXPECT_TRUE(describesConnectionReset(text)) << "not the system's description of the error: \"" << text << "\"";
}

TEST_F(LogTest, StartUpTruncatesThePreviousRun) {
  logEnabled.store(true);
  { std::ofstream(logFilePath) << "a line of the previous run\n"; }
  truncateLogFile();
  EXPECT_TRUE(logEnabled.load());
  EXPECT_TRUE(fs::exists(logFilePath));
  EXPECT_EQ(readLog(), "");
}

TEST_F(LogTest, UncreatableFileSwitchesLoggingOff) {
  fs::create_directory(logFilePath);  // a folder where the file should be
  logEnabled.store(true);
  truncateLogFile();
  EXPECT_FALSE(logEnabled.load());
}

TEST_F(LogTest, UnwritableFileDropsOnlyThatLine) {
  logEnabled.store(true);
  fs::create_directory(logFilePath);
  testing::internal::CaptureStdout();
  logMessage("first");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "first\n");  // standard output still has it
  fs::remove(logFilePath);
  testing::internal::CaptureStdout();
  logMessage("second");
  testing::internal::GetCapturedStdout();
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(24), "-->second");
}

TEST_F(LogTest, OverlongMessageIsCutAt2047Characters) {
  logEnabled.store(true);
  const std::string longText(5000, 'x');
  testing::internal::CaptureStdout();
  logMessage("%s", longText.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(2047, 'x') + "\n");
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(24), "-->" + std::string(2047, 'x'));
}

TEST_F(LogTest, ConcurrentLinesArriveWhole) {
  logEnabled.store(true);
  constexpr int kThreads = 8;
  constexpr int kLines = 1000;
  testing::internal::CaptureStdout();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) logMessage("thread %d line %d %s", t, i, std::string(100, 'a' + t).c_str());
    });
  }
  for (auto& thread : threads) thread.join();
  const std::string echoed = testing::internal::GetCapturedStdout();

  const std::vector<std::string> lines = logLines();
  // The echo and the file see the lines in the same order: one line is
  // printed and appended before the next thread's.
  std::istringstream echo(echoed);
  std::string echoedLine;
  for (const std::string& line : lines) {
    ASSERT_TRUE(std::getline(echo, echoedLine));
    ASSERT_EQ("-->" + echoedLine, line.substr(24)) << "standard output and the file disagree on the order";
  }
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  const std::regex whole(R"(-->thread ([0-9]) line ([0-9]+) ([a-z])\3{99})");
  std::vector<int> perThread(kThreads, 0);
  for (const std::string& line : lines) {
    std::smatch match;
    const std::string body = line.substr(24);
    ASSERT_TRUE(std::regex_match(body, match, whole)) << line;
    ASSERT_EQ(match[3].str()[0], 'a' + std::stoi(match[1].str()));
    ++perThread[std::stoi(match[1].str())];
  }
  for (int count : perThread) EXPECT_EQ(count, kLines);
}

}  // namespace
