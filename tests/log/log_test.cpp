// The diagnostic log: line format, the off switch, start-up truncation and
// the first line, where the log goes when its file cannot be written, the
// size bound, long messages, many threads at once.
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

#include "log/log_file.h"
#include "platform/file_location.h"
#include "platform/known_folders.h"
#include "platform/test_last_error.h"
#include "platform/test_user_folders.h"

namespace fs = std::filesystem;

namespace {

// Runs each test in a fresh working directory, since the log file is
// relative to it, with the user's folders in a scratch folder, and the log
// back on its usual file; restores the switch afterwards.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("orvxlink-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "work");
    ASSERT_TRUE(redirectUserFolders((folder_ / "user").string()));
    fs::current_path(folder_ / "work");
    wasEnabled_ = logEnabled.load();
    useUsualFile();
  }
  void TearDown() override {
    useUsualFile();
    logEnabled.store(wasEnabled_);
    setLogStartText("Orvxlink log");
    fs::current_path(previous_);
    restoreUserFolders();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Puts the log back on Orvxlink.log in the working folder, and leaves it
  // off with no file.
  static void useUsualFile() {
    setLogFileRequest("");
    logEnabled.store(true);
    testing::internal::CaptureStdout();
    truncateLogFile();
    testing::internal::GetCapturedStdout();
    logEnabled.store(false);
    fs::remove(logFilePath);
  }

  static std::string stateFolder() {
    std::string folder;
    EXPECT_TRUE(programStateFolder(folder));
    return folder;
  }

  static std::string readFile(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  static std::string readLog() { return readFile(logFilePath); }  // text mode: a Windows line end reads as "\n"

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

TEST_F(LogTest, StartUpTruncatesThePreviousRunAndSaysWhereTheLogIs) {
  logEnabled.store(true);
  { std::ofstream(logFilePath) << "a line of the previous run\n"; }
  setLogStartText("Orvxlink 9.9 started with --log");
  testing::internal::CaptureStdout();
  truncateLogFile();
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(logEnabled.load());
  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 1u) << readLog();
  const std::string here = fs::current_path().string();
  EXPECT_EQ(lines[0].substr(24), "-->Orvxlink 9.9 started with --log; working folder " + here + "; log file " +
                                     absoluteFilePath(logFilePath));
  EXPECT_EQ(logFileInUse(), absoluteFilePath(logFilePath));
}

// The working folder of a program the simulator starts may not be writable:
// the log goes to the program's state folder instead, and its first line
// says where and why. Only when that cannot be written either is it off.
TEST_F(LogTest, UnwritableLogFileMovesToTheStateFolderAndSaysSo) {
  struct Case {
    const char* name;
    std::string requested;  // as --log=FILE gives it; empty for --log
    std::string blocked;    // a folder made where the file should be; empty for none
    std::string fallbackName;
  };
  const Case cases[] = {
      {"a folder in the log file's place", "", logFilePath, logFilePath},
      {"a named file in a missing folder", "no such folder/run.txt", "", "run.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.blocked.empty()) fs::create_directory(c.blocked);
    setLogFileRequest(c.requested);
    logEnabled.store(true);
    testing::internal::CaptureStdout();
    truncateLogFile();
    logMessage("after start-up");
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(logEnabled.load());

    const fs::path fallback = fs::path(stateFolder()) / c.fallbackName;
    EXPECT_EQ(logFileInUse(), absoluteFilePath(fallback.string()));
    std::istringstream text(readFile(fallback));
    std::string first;
    std::string second;
    std::getline(text, first);
    std::getline(text, second);
    const std::string requested = absoluteFilePath(c.requested.empty() ? logFilePath : c.requested);
    EXPECT_NE(first.find("; log file " + fallback.string() + ", since " + requested + " cannot be written: "),
              std::string::npos)
        << first;
    EXPECT_EQ(second.substr(24), "-->after start-up");
    if (!c.blocked.empty()) fs::remove(c.blocked);
    fs::remove(fallback);
  }
}

TEST_F(LogTest, NoWritablePlaceSwitchesLoggingOff) {
  fs::create_directory(logFilePath);                              // a folder where the file should be
  fs::create_directories(fs::path(stateFolder()).parent_path());  // and a file where the
  { std::ofstream(stateFolder()) << "not a folder"; }             // state folder should be
  logEnabled.store(true);
  truncateLogFile();
  EXPECT_FALSE(logEnabled.load());
  EXPECT_EQ(logFileInUse(), "");
  fs::remove(stateFolder());
}

// At the bound the file becomes the one older file and a new one starts;
// a second turn replaces the older file, so at most two files exist and no
// line is lost at the turn or cut in two.
TEST_F(LogTest, SizeBoundKeepsOneOlderFile) {
  logEnabled.store(true);
  const std::string filler(1000, 'f');
  const int linesPerFile = static_cast<int>(kLogFileSizeLimit / (24 + 3 + 6 + 1000 + 1)) + 1;
  testing::internal::CaptureStdout();
  for (int i = 0; i < 2 * linesPerFile + 10; ++i) logMessage("%05d %s", i, filler.c_str());
  testing::internal::GetCapturedStdout();

  const std::string older = olderLogPath(logFilePath);
  ASSERT_TRUE(fs::exists(older));
  EXPECT_LE(fs::file_size(older), kLogFileSizeLimit + 2048);
  EXPECT_GE(fs::file_size(older), kLogFileSizeLimit);
  EXPECT_LT(fs::file_size(logFilePath), kLogFileSizeLimit);
  std::istringstream text(readFile(older) + readLog());
  int expected = -1;
  for (std::string line; std::getline(text, line);) {
    ASSERT_EQ(line.size(), 24u + 3 + 6 + 1000) << "a line cut in two";
    const int number = std::stoi(line.substr(27, 5));
    if (expected >= 0) {
      ASSERT_EQ(number, expected) << "a line lost at the turn";
    }
    expected = number + 1;
  }
  EXPECT_EQ(expected, 2 * linesPerFile + 10);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(".")) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2u);
}

TEST(LogFile, OlderFileSitsBesideWithOldBeforeTheExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {"Orvxlink.log", "Orvxlink.old.log"},
      {"C:\\Logs\\orvx.txt", "C:\\Logs\\orvx.old.txt"},
      {"/var/log/v1.2/orvx", "/var/log/v1.2/orvx.old"},
      {"logs/.log", "logs/.log.old"},
  };
  for (const auto& [path, older] : cases) EXPECT_EQ(olderLogPath(path), older) << path;
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
