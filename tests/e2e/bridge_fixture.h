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

// Emulator options for end-to-end runs: TCP on loopback, frames at the given
// rate with a fixed script step, starting airborne so that values move.
simemu::SimEmulatorOptions tcpEmulator(double frameRateHz = 30);

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

  // The usual start: the emulator flying on TCP, the bridge pointed at it and
  // one app connected that has received a built record. Null (with the test
  // failed) when any step never happens.
  std::unique_ptr<AppClient> startFlightToApp();

  // The bridge linked to a silent emulator (no frames until the test sends
  // them), its subscriptions made; the link's client id in the emulator (0,
  // with the test failed, when it never links).
  int startSilentLink();

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
