// The program as its user sees it, started whole: on Windows the status
// window (read from outside the process, as another program would), on POSIX
// the status screen in a pseudo-terminal. The program's app port is fixed, so
// these tests run one at a time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "app/address_line.h"
#include "bridge/shared_state.h"
#include "platform/network_addresses.h"
#include "platform/socket_library.h"
#include "platform/tcp_socket.h"
#include "platform/test_status_display.h"
#include "platform/test_tcp_reset.h"
#include "server/app_protocol.h"
#include "tests/app/app_test_support.h"
#include "tests/app/png_file.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr unsigned kStartMs = 30000;   // the first start of a program under Wine is slow
constexpr unsigned kStatusMs = 15000;  // a few refreshes, and the simulator's first data
constexpr unsigned kExitMs = 1500;     // the stop takes well under this
constexpr unsigned kCleanupMs = 10000;
constexpr unsigned kRefreshMs = 500;  // the status is refreshed this often

const char kWaitingStatus[] = "0 client(s) connected.\n\nWaiting for FS2020 connection";
const char kConnectedStatus[] = "1 client(s) connected.\n\nFS2020 connected";

// The first view whose text holds `wanted`, or the last one seen when none
// did within the time.
std::string waitForStatus(StatusDisplay* display, const std::string& wanted, unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string text;
  while (std::chrono::steady_clock::now() < deadline) {
    if (nextStatusView(display, &text, 200) && text.find(wanted) != std::string::npos) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // between reads of a window's text
  }
  return text;
}

struct DisplayCloser {
  void operator()(StatusDisplay* display) const { closeStatusDisplay(display); }
};
using DisplayHandle = std::unique_ptr<StatusDisplay, DisplayCloser>;

struct ProcessCloser {
  void operator()(TestProcess* process) const { closeTestProcess(process); }
};
using ProcessHandle = std::unique_ptr<TestProcess, ProcessCloser>;

// An app's end of a connection to the program, reset when it goes (see
// platform/test_tcp_reset.h: the program's port must not stay in TIME_WAIT).
class AppConnection {
 public:
  explicit AppConnection(TcpSocket socket) : socket_(socket) {}
  ~AppConnection() {
    if (socket_ != kInvalidTcpSocket) resetTcpConnection(socket_);
  }
  AppConnection(const AppConnection&) = delete;
  AppConnection& operator=(const AppConnection&) = delete;
  TcpSocket socket() const { return socket_; }

 private:
  TcpSocket socket_;
};

DisplayHandle openProgram(const ScratchFolder& folder, const std::vector<std::string>& arguments = {}) {
  std::string error;
  DisplayHandle display(openStatusDisplay(programInFolder(folder, arguments), kStartMs, &error));
  EXPECT_NE(display, nullptr) << error;
  return display;
}

// An app connected to the program's port: the listener only opens once the
// simulator has delivered data, so keep trying until the time is up.
TcpSocket connectApp(unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    TcpSocket app = createTcpSocket();
    if (app != kInvalidTcpSocket && connectTcpSocket(app, ipv4AddressFromText("127.0.0.1"), kAppPort)) return app;
    if (app != kInvalidTcpSocket) closeTcpSocket(app);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return kInvalidTcpSocket;
}

// True when the program closed the app's connection within the time; what
// it sent before (replies to the app's commands) is read past.
bool appSeesClose(TcpSocket app, unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[4096];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !waitTcpReadable(app, static_cast<int>(left.count()))) return false;
    if (receiveFromTcpSocket(app, buffer, sizeof buffer) <= 0) return true;
  }
}

// Saves the window's picture beside the tests for the documentation, and
// checks that it shows something (more than one colour).
void saveWindowPicture(StatusDisplay* display) {
  StatusImage image;
  if (!captureStatusImage(display, &image)) return;  // a terminal has no picture
  std::set<uint32_t> colours;
  for (size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
    colours.insert(image.rgb[i] << 16 | image.rgb[i + 1] << 8 | image.rgb[i + 2]);
  }
  EXPECT_GT(colours.size(), 2u) << "the window's picture is blank";
  const char* binary = std::getenv("ORVXLINK_BINARY_DIR");
  ASSERT_NE(binary, nullptr) << "ctest sets ORVXLINK_BINARY_DIR";
  EXPECT_TRUE(writePngFile(std::string(binary) + "/status-window.png", image.width, image.height, image.rgb));
}

// The emulator on a free port, and the folder's SimConnect.cfg sending the
// program to it.
ProcessHandle startSimulatorFor(const ScratchFolder& folder) {
  std::string error;
  ProcessHandle simulator(startTestProcess(simulatorEmulator(), &error));
  EXPECT_NE(simulator, nullptr) << error;
  if (simulator == nullptr) return simulator;
  const int simulatorPort = listeningPort(waitForLine(simulator.get(), "listening on", kStartMs));
  EXPECT_NE(simulatorPort, 0) << "the emulator never said where it listens";
  writeSimulatorConfig(folder, simulatorPort);
  return simulator;
}

void stopSimulator(TestProcess* simulator) {
  writeTestProcessInput(simulator, "quit\n");
  int status = -1;
  EXPECT_TRUE(waitTestProcessExit(simulator, kCleanupMs, &status)) << "the emulator did not stop";
}

// The lines of a text file, without line ends; empty when it is missing.
std::vector<std::string> fileLines(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The version that CMakeLists.txt's project() line states.
std::string projectVersion() {
  const char* source = std::getenv("ORVXLINK_SOURCE_DIR");
  std::ifstream file(std::string(source != nullptr ? source : ".") + "/CMakeLists.txt");
  std::stringstream text;
  text << file.rdbuf();
  std::smatch match;
  const std::string content = text.str();
  return std::regex_search(content, match, std::regex(R"(project\(Orvxlink VERSION ([0-9.]+))")) ? match[1].str() : "?";
}

// Presses Exit and checks that the program ends with status 0.
void exitProgram(StatusDisplay* display) {
  ASSERT_TRUE(makeExitGesture(display, ExitGesture::kExitButton));
  int status = -1;
  EXPECT_TRUE(waitStatusDisplayExit(display, kExitMs, &status)) << "the program did not end";
  EXPECT_EQ(status, 0);
}

// The line once it holds `wanted`, or the last view seen.
std::string waitForStatusLine(StatusDisplay* display, StatusLine line, const std::string& wanted) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStatusMs);
  std::string shown;
  while (std::chrono::steady_clock::now() < deadline && shown.find(wanted) == std::string::npos) {
    statusLineView(display, line, &shown, 200);
  }
  return shown;
}

std::string waitForAddressLine(StatusDisplay* display, const std::string& wanted) {
  return waitForStatusLine(display, StatusLine::kAddress, wanted);
}

AppPortState appPortIn(AppPortPhase phase, bool addressInUse = false) {
  AppPortState state;
  state.phase = phase;
  state.addressInUse = addressInUse;
  return state;
}

// "hh:mm:ss" on a 24-hour clock.
bool isClockTime(const std::string& text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return text.substr(0, 2) < "24" && text[3] < '6' && text[6] < '6';
}

class StatusDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { startSocketLibrary(); }
  void TearDown() override { stopSocketLibrary(); }
  ScratchFolder folder_;
};

TEST_F(StatusDisplayTest, EmptyUntilTheFirstRefreshThenNoClientsAndWaitingForTheSimulator) {
  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);
  std::string first;
  if (firstStatusView(display.get(), &first, kRefreshMs, kStatusMs)) {
    EXPECT_THAT(first, Not(HasSubstr("client(s)"))) << "the status was there before the first refresh";
  } else {
    std::printf("the first view came too late to be sure it preceded the first refresh; not checked\n");
  }
  EXPECT_THAT(waitForStatus(display.get(), kWaitingStatus, kStatusMs), HasSubstr(kWaitingStatus));
}

// Twice a second: over three seconds about six frames, where a period of a
// second or a quarter of one would show three or twelve.
TEST_F(StatusDisplayTest, StatusIsRedrawnEvery500Milliseconds) {
  if (!statusViewsAreFrames()) GTEST_SKIP() << "the window's text cannot tell one refresh from the next";
  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);
  ASSERT_THAT(waitForStatus(display.get(), kWaitingStatus, kStatusMs), HasSubstr(kWaitingStatus));
  const auto start = std::chrono::steady_clock::now();
  int frames = 0;
  std::string text;
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(6 * kRefreshMs)) {
    if (nextStatusView(display.get(), &text, 100)) ++frames;
  }
  EXPECT_GE(frames, 4);
  EXPECT_LE(frames, 9);
}

// The dialog as its template makes it, read back from the running window.
TEST_F(StatusDisplayTest, WindowHasTheTemplatesStyles) {
  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);
  StatusWindowStyles styles;
  if (!readStatusWindowStyles(display.get(), &styles)) GTEST_SKIP() << "no window here";
  // Window and control style bits as the platform publishes them.
  constexpr uint32_t kPopup = 0x80000000u, kVisible = 0x10000000u, kCaption = 0x00C00000u, kSysMenu = 0x00080000u,
                     kThickFrame = 0x00040000u, kMinimizeBox = 0x00020000u, kMaximizeBox = 0x00010000u,
                     kAppWindow = 0x00040000u, kTabStop = 0x00010000u, kGroup = 0x00020000u, kChild = 0x40000000u;
  constexpr uint32_t kDefPushButton = 0x1u, kButtonTypeMask = 0xFu, kLeftText = 0x0u, kStaticTypeMask = 0x1Fu;
  const uint32_t wanted = kPopup | kVisible | kCaption | kSysMenu | kThickFrame;
  EXPECT_EQ(styles.dialog & wanted, wanted) << std::hex << styles.dialog;
  EXPECT_EQ(styles.dialog & (kMinimizeBox | kMaximizeBox), 0u) << "no minimise or maximise box";
  EXPECT_EQ(styles.dialogExtended & kAppWindow, kAppWindow) << "shown on the task bar";
  EXPECT_EQ(styles.exitButton & kButtonTypeMask, kDefPushButton) << std::hex << styles.exitButton;
  EXPECT_EQ(styles.exitButton & (kChild | kVisible | kTabStop), kChild | kVisible | kTabStop);
  EXPECT_EQ(styles.statusControl & kStaticTypeMask, kLeftText) << std::hex << styles.statusControl;
  EXPECT_EQ(styles.statusControl & (kChild | kVisible | kGroup), kChild | kVisible | kGroup);
}

TEST_F(StatusDisplayTest, ExitEscapeAndCloseEachStopTheProgramWithStatusZero) {
  for (ExitGesture gesture : {ExitGesture::kExitButton, ExitGesture::kEscapeKey, ExitGesture::kCloseBox}) {
    SCOPED_TRACE(static_cast<int>(gesture));
    DisplayHandle display = openProgram(folder_);
    ASSERT_NE(display, nullptr);
    ASSERT_THAT(waitForStatus(display.get(), kWaitingStatus, kStatusMs), HasSubstr(kWaitingStatus));
    ASSERT_TRUE(makeExitGesture(display.get(), gesture));
    int status = -1;
    EXPECT_TRUE(waitStatusDisplayExit(display.get(), kExitMs, &status)) << "the program did not end";
    EXPECT_EQ(status, 0);
  }
}

// With the simulator delivering data the port listens: the address line
// tells the user to connect, and once an app has sent its first command the
// line below names it with the time it came.
TEST_F(StatusDisplayTest, ShowsTheConnectedAppAndSimulatorAndExitClosesTheAppBeforeEnding) {
  ProcessHandle simulator = startSimulatorFor(folder_);
  ASSERT_NE(simulator, nullptr);

  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);
  const AppConnection app(connectApp(kStatusMs));
  ASSERT_NE(app.socket(), kInvalidTcpSocket) << "the program never accepted an app";
  EXPECT_THAT(waitForStatus(display.get(), kConnectedStatus, kStatusMs), HasSubstr(kConnectedStatus));
  const std::vector<std::string> addresses = localIpv4Addresses();
  if (!addresses.empty()) {
    const std::string listening = addressLineText(appPortIn(AppPortPhase::kListening), addresses, kAppPort);
    EXPECT_THAT(waitForAddressLine(display.get(), listening), HasSubstr(listening));
  }
  EXPECT_THAT(waitForStatusLine(display.get(), StatusLine::kLastApp, "No app has connected yet."),
              HasSubstr("No app has connected yet."))
      << "an app that has sent nothing is not named yet";
  ASSERT_EQ(sendOnTcpSocket(app.socket(), kRequestFlightData, kCommandFrameSize), static_cast<long>(kCommandFrameSize));
  const std::string named = "Last app: 127.0.0.1:" + std::to_string(tcpLocalPort(app.socket())) + ", connected at ";
  const std::string lastApp = waitForStatusLine(display.get(), StatusLine::kLastApp, named);
  const size_t at = lastApp.find(named);
  ASSERT_NE(at, std::string::npos) << lastApp;
  EXPECT_TRUE(isClockTime(lastApp.substr(at + named.size(), 8))) << lastApp;
  saveWindowPicture(display.get());

  ASSERT_TRUE(makeExitGesture(display.get(), ExitGesture::kExitButton));
  EXPECT_TRUE(appSeesClose(app.socket(), kExitMs)) << "the bridge never closed the app's connection";
  int status = -1;
  EXPECT_TRUE(waitStatusDisplayExit(display.get(), kExitMs, &status)) << "the program did not end";
  EXPECT_EQ(status, 0);

  stopSimulator(simulator.get());
}

// Before the simulator's first data no socket listens: the address line says
// where apps will connect and that they can once a flight is loaded, and no
// app has connected yet. The addresses themselves are checked against the
// system in tests/platform; this checks that the display shows the line.
TEST_F(StatusDisplayTest, BeforeTheFirstDataAppsAreToldToWaitForAFlight) {
  const std::vector<std::string> addresses = localIpv4Addresses();
  if (addresses.empty()) GTEST_SKIP() << "this machine has no network address; the no-address test covers it";
  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);
  const std::string expected = addressLineText(appPortIn(AppPortPhase::kNotOpen), addresses, kAppPort);
  EXPECT_THAT(expected, HasSubstr("once the simulator sends its first data"));
  EXPECT_THAT(waitForAddressLine(display.get(), expected), HasSubstr(expected));
  EXPECT_THAT(waitForStatusLine(display.get(), StatusLine::kLastApp, "No app has connected yet."),
              HasSubstr("No app has connected yet."));
  EXPECT_THAT(waitForStatus(display.get(), kWaitingStatus, kStatusMs), HasSubstr(kWaitingStatus))
      << "the status control keeps its own text";
  exitProgram(display.get());
}

// Another program holds the app port: once the simulator's first data has
// the bridge try to listen, the address line says that apps cannot connect
// instead of leaving "0 client(s) connected." unexplained.
TEST_F(StatusDisplayTest, AddressLineSaysSoWhenTheAppPortIsTaken) {
  const TcpSocket taken = createTcpSocket();
  ASSERT_TRUE(bindTcpSocket(taken, kIpv4AnyAddress, kAppPort)) << "port " << kAppPort << " is busy already";
  ASSERT_TRUE(listenTcpSocket(taken, 1));
  ProcessHandle simulator = startSimulatorFor(folder_);
  ASSERT_NE(simulator, nullptr);
  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);

  const std::string expected = addressLineText(appPortIn(AppPortPhase::kFailed, true), {}, kAppPort);
  EXPECT_THAT(waitForAddressLine(display.get(), expected), HasSubstr(expected));
  EXPECT_THAT(waitForStatus(display.get(), "FS2020 connected", kStatusMs), HasSubstr("0 client(s) connected."));

  exitProgram(display.get());
  closeTcpSocket(taken);
  stopSimulator(simulator.get());
}

// Any other failure to open the port is not blamed on another program: the
// line gives the system's own reason. The bind is refused with access denied:
// by a system-call filter where there is one (as a security policy would),
// else by the port held for exclusive use (as Windows answers it).
TEST_F(StatusDisplayTest, AnyOtherFailureToOpenThePortShowsTheSystemsReason) {
  TestProcessOptions program = programInFolder(folder_);
  TcpSocket held = kInvalidTcpSocket;
  if (testRestrictionAvailable(TestRestriction::kBindDenied)) {
    program.restriction = TestRestriction::kBindDenied;
  } else if ((held = holdTcpPortExclusively(kAppPort)) == kInvalidTcpSocket) {
    GTEST_SKIP() << "binds cannot be refused here";
  }
  ProcessHandle simulator = startSimulatorFor(folder_);
  ASSERT_NE(simulator, nullptr);
  std::string error;
  DisplayHandle display(openStatusDisplay(program, kStartMs, &error));
  ASSERT_NE(display, nullptr) << error;

  const std::string failed = "Apps cannot connect: port 5193 could not be opened: ";
  const std::string shown = waitForAddressLine(display.get(), failed);
  ASSERT_THAT(shown, HasSubstr(failed));
  EXPECT_THAT(shown, Not(HasSubstr("in use by another program")));
  EXPECT_THAT(shown, ::testing::ContainsRegex(failed + "\\w")) << "the reason is missing";
  EXPECT_THAT(waitForStatus(display.get(), "FS2020 connected", kStatusMs), HasSubstr("FS2020 connected"))
      << "the simulator side goes on";

  exitProgram(display.get());
  if (held != kInvalidTcpSocket) closeTcpSocket(held);
  stopSimulator(simulator.get());
}

// A PC with no network address (only a loopback, and that down): the line
// says so rather than naming an address no tablet can reach.
TEST_F(StatusDisplayTest, WithoutANetworkAddressTheAddressLineSaysSo) {
  if (!testRestrictionAvailable(TestRestriction::kNoNetworkAddress)) GTEST_SKIP() << "no empty network here";
  TestProcessOptions program = programInFolder(folder_);
  program.restriction = TestRestriction::kNoNetworkAddress;
  std::string error;
  DisplayHandle display(openStatusDisplay(program, kStartMs, &error));
  ASSERT_NE(display, nullptr) << error;
  const std::string expected = addressLineText(appPortIn(AppPortPhase::kNotOpen), {}, kAppPort);
  EXPECT_THAT(expected, HasSubstr("No network address"));
  EXPECT_THAT(waitForAddressLine(display.get(), expected), HasSubstr(expected));
  exitProgram(display.get());
}

// --log writes the diagnostic log into the working folder, a line per event
// with its time stamp; without it no file appears. Both runs reach the same
// point: the simulator connected and an app served.
TEST_F(StatusDisplayTest, LogSwitchWritesTheLogFileOnlyWhenGiven) {
  const std::regex stamped(R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}-->(.*))");
  for (const bool withLog : {false, true}) {
    SCOPED_TRACE(withLog ? "--log" : "no switch");
    ScratchFolder folder;
    ProcessHandle simulator = startSimulatorFor(folder);
    ASSERT_NE(simulator, nullptr);
    DisplayHandle display =
        openProgram(folder, withLog ? std::vector<std::string>{"--log"} : std::vector<std::string>{});
    ASSERT_NE(display, nullptr);
    {
      const AppConnection app(connectApp(kStatusMs));
      ASSERT_NE(app.socket(), kInvalidTcpSocket) << "the program never accepted an app";
      ASSERT_THAT(waitForStatus(display.get(), kConnectedStatus, kStatusMs), HasSubstr(kConnectedStatus));
      // The window says where the log goes while there is one.
      std::string logPlace;
      if (withLog) {
        EXPECT_THAT(waitForStatusLine(display.get(), StatusLine::kLogPlace, "Log: "),
                    ::testing::ContainsRegex("Log: .*Orvxlink\\.log"));
      } else {
        ASSERT_TRUE(statusLineView(display.get(), StatusLine::kLogPlace, &logPlace, kStatusMs));
        EXPECT_THAT(logPlace, Not(HasSubstr("Log: ")));
      }
    }
    exitProgram(display.get());
    stopSimulator(simulator.get());

    const std::filesystem::path logFile = folder.path() / "Orvxlink.log";
    if (!withLog) {
      EXPECT_FALSE(std::filesystem::exists(logFile)) << "a log was written without --log";
      continue;
    }
    const std::vector<std::string> lines = fileLines(logFile);
    std::vector<std::string> messages;  // each stamped line's message, and the line after "-->" alone
    for (size_t i = 0; i < lines.size(); ++i) {
      std::smatch match;
      if (!std::regex_match(lines[i], match, stamped)) continue;
      messages.push_back(match[1].str().empty() && i + 1 < lines.size() ? lines[i + 1] : match[1].str());
    }
    EXPECT_THAT(messages, ::testing::Contains("SimConnect Connected"));
    EXPECT_THAT(messages, ::testing::Contains("Create SocketServe thread OK!"));
    EXPECT_THAT(messages, ::testing::Contains("Orvx Socket: successfully created client serving thread"));
    EXPECT_THAT(messages, ::testing::Contains(::testing::StartsWith(
                              "Orvx Socket: listening on port 5193 (this PC's network addresses: ")));
  }
}

// The program's own command line: --version shows the project's version,
// --help the options, anything else ends it at once with status 2 (its
// message goes to standard error, which tests do not read).
TEST_F(StatusDisplayTest, VersionHelpAndWrongOptionsEndAtOnce) {
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string output;  // a text the program prints; empty: none checked
  };
  const Case cases[] = {
      {{"--version"}, 0, " " + projectVersion()},
      {{"--help"}, 0, "--packages DIR"},
      {{"--bogus"}, 2, ""},
      {{"--packages"}, 2, ""},
      {{"--log", "extra"}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    std::string error;
    ProcessHandle program(startTestProcess(programInFolder(folder_, c.arguments), &error));
    ASSERT_NE(program, nullptr) << error;
    if (!c.output.empty()) {
      EXPECT_NE(waitForLine(program.get(), c.output, kStartMs), "") << "never printed \"" << c.output << "\"";
    }
    int status = -1;
    EXPECT_TRUE(waitTestProcessExit(program.get(), kStartMs, &status)) << "the program did not end";
    EXPECT_EQ(status, c.status);
  }
}

}  // namespace
