#include "tests/e2e/bridge_fixture.h"

#include <filesystem>
#include <fstream>
#include <thread>

#include "bridge/bridge.h"
#include "bridge/sim_messages.h"
#include "platform/socket_library.h"
#include "platform/test_user_folders.h"
#include "simlink/wire.h"
#include "tests/free_tcp_port.h"

namespace fs = std::filesystem;

simemu::SimEmulatorOptions tcpEmulator(double frameRateHz) {
  simemu::SimEmulatorOptions options;
  options.frameRateHz = frameRateHz;
  options.fixedStepSeconds = 1.0 / 30;
  options.startSeconds = 600;
  return options;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

void BridgeEndToEnd::SetUp() {
  startSocketLibrary();
  // A short name: the local pipe's socket path lives below it and Unix
  // socket paths are limited to about a hundred characters.
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  scratch_ = (fs::temp_directory_path() / ("oe2e-" + std::to_string(stamp % 1000000000))).string();
  fs::create_directories(scratch_);
  ASSERT_TRUE(redirectUserFolders(scratch_ + "/user"));
  previousDirectory_ = fs::current_path().string();
  fs::create_directories(scratch_ + "/work");
  fs::current_path(scratch_ + "/work");
}

void BridgeEndToEnd::TearDown() {
  stopBridgeHere();
  if (emulator_) emulator_->stop();
  emulator_.reset();
  fs::current_path(previousDirectory_);
  restoreUserFolders();
  std::error_code ignored;
  fs::remove_all(scratch_, ignored);
  stopSocketLibrary();
}

void BridgeEndToEnd::startEmulator(simemu::SimEmulatorOptions options) {
  emulator_ = std::make_unique<simemu::SimEmulator>(options);
  std::string error;
  ASSERT_TRUE(emulator_->start(&error)) << error;
}

void BridgeEndToEnd::pointBridgeAtEmulatorTcp() {
  std::ofstream config("SimConnect.cfg");
  config << "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << emulator_->tcp4Port() << "\n";
}

void BridgeEndToEnd::startBridgeHere() {
  appPort_ = freeLoopbackTcpPort();
  setListenerPort(appPort_);
  startBridge();
  bridgeRunning_ = true;
}

void BridgeEndToEnd::stopBridgeHere() {
  if (!bridgeRunning_) return;
  stopBridge();
  bridgeRunning_ = false;
}

std::unique_ptr<AppClient> BridgeEndToEnd::startFlightToApp() {
  startEmulator(tcpEmulator());
  if (::testing::Test::HasFatalFailure()) return nullptr;
  pointBridgeAtEmulatorTcp();
  startBridgeHere();
  std::unique_ptr<AppClient> app = connectApp();
  if (app) recordAfterBuild(*app, 0);
  return app;
}

int BridgeEndToEnd::startSilentLink() {
  startEmulator(tcpEmulator(0));
  if (::testing::Test::HasFatalFailure()) return 0;
  pointBridgeAtEmulatorTcp();
  startBridgeHere();
  EXPECT_TRUE(emulator_->waitForRequests(simwire::kSubscribeToSystemEvent, 3, 20000));
  const std::vector<int> clients = emulator_->clientIds();
  return clients.empty() ? 0 : clients.front();
}

std::unique_ptr<AppClient> BridgeEndToEnd::connectApp() {
  auto app = std::make_unique<AppClient>();
  const bool connected = eventually([&] { return app->connect("127.0.0.1", appPort_); }, std::chrono::seconds(20));
  EXPECT_TRUE(connected) << "the bridge never accepted an app on port " << appPort_;
  return connected ? std::move(app) : nullptr;
}

FlightRecord BridgeEndToEnd::recordAfterBuild(AppClient& app, int32_t after) {
  FlightRecord record{};
  const bool built = eventually([&] { return flightBuildCounter() > after; }, std::chrono::seconds(20));
  EXPECT_TRUE(built) << "no record built after counter " << after;
  EXPECT_TRUE(app.requestFlightRecord(record)) << app.lastError();
  return record;
}
