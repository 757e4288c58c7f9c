// Test support for end-to-end runs: the bridge in this process against the
// simulator emulator, with a scratch working directory and user folders, a
// free app port, and waiting helpers. One bridge at a time (it is process-wide
// state), so each test starts and stops its own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "bridge/flight_record.h"
#include "tools/client/app_client.h"
#include "tools/sim/sim_emulator.h"

// Waits for `condition` with a deadline, checking every few milliseconds.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds deadline);

class BridgeEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the emulator (TCP on loopback unless `options` say otherwise).
  void startEmulator(simemu::SimEmulatorOptions options);
  // Writes a SimConnect.cfg that sends the bridge to the emulator's IPv4 port.
  void pointBridgeAtEmulatorTcp();
  // Starts the bridge on a free app port.
  void startBridgeHere();
  void stopBridgeHere();

  // Connects an app once the listener accepts; fails the test if it never does.
  std::unique_ptr<AppClient> connectApp();
  // A record whose build counter has moved past `after`.
  FlightRecord recordAfterBuild(AppClient& app, int32_t after);

  std::string scratch_;
  std::string previousDirectory_;
  uint16_t appPort_ = 0;
  bool bridgeRunning_ = false;
  std::unique_ptr<simemu::SimEmulator> emulator_;
};
