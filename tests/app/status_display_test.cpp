// The program as its user sees it, started whole: on Windows the status
// window (read from outside the process, as another program would), on POSIX
// the status screen in a pseudo-terminal. The program's app port is fixed, so
// these tests run one at a time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <thread>

#include "bridge/shared_state.h"
#include "platform/socket_library.h"
#include "platform/tcp_socket.h"
#include "platform/test_status_display.h"
#include "platform/test_tcp_reset.h"
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

DisplayHandle openProgram(const ScratchFolder& folder) {
  std::string error;
  DisplayHandle display(openStatusDisplay(programInFolder(folder), kStartMs, &error));
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

// True when the program closed the app's connection within the time.
bool appSeesClose(TcpSocket app, unsigned timeoutMs) {
  char byte;
  return waitTcpReadable(app, static_cast<int>(timeoutMs)) && receiveFromTcpSocket(app, &byte, 1) <= 0;
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

TEST_F(StatusDisplayTest, ShowsTheConnectedAppAndSimulatorAndExitClosesTheAppBeforeEnding) {
  std::string error;
  ProcessHandle simulator(startTestProcess(simulatorEmulator(), &error));
  ASSERT_NE(simulator, nullptr) << error;
  const int simulatorPort = listeningPort(waitForLine(simulator.get(), "listening on", kStartMs));
  ASSERT_NE(simulatorPort, 0) << "the emulator never said where it listens";
  writeSimulatorConfig(folder_, simulatorPort);

  DisplayHandle display = openProgram(folder_);
  ASSERT_NE(display, nullptr);
  const AppConnection app(connectApp(kStatusMs));
  ASSERT_NE(app.socket(), kInvalidTcpSocket) << "the program never accepted an app";
  EXPECT_THAT(waitForStatus(display.get(), kConnectedStatus, kStatusMs), HasSubstr(kConnectedStatus));
  saveWindowPicture(display.get());

  ASSERT_TRUE(makeExitGesture(display.get(), ExitGesture::kExitButton));
  EXPECT_TRUE(appSeesClose(app.socket(), kExitMs)) << "the bridge never closed the app's connection";
  int status = -1;
  EXPECT_TRUE(waitStatusDisplayExit(display.get(), kExitMs, &status)) << "the program did not end";
  EXPECT_EQ(status, 0);

  writeTestProcessInput(simulator.get(), "quit\n");
  int simulatorStatus = -1;
  EXPECT_TRUE(waitTestProcessExit(simulator.get(), kCleanupMs, &simulatorStatus)) << "the emulator did not stop";
}

}  // namespace
