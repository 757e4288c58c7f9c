#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace simtest {

std::string packagesRoot() {
  const char* source = std::getenv("ORVXLINK_SOURCE_DIR");
  return std::string(source != nullptr ? source : ".") + "/tools/sim/packages";
}

std::string aircraftRoot() { return packagesRoot() + "/Official/OneStore/orvx-aircraft/SimObjects/Airplanes"; }

std::string uniquePipeName() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return "\\\\.\\pipe\\orvx-sim-test-" + std::to_string(stamp % 100000000) + "-" + std::to_string(++counter);
}

simemu::SimEmulatorOptions testOptions() {
  simemu::SimEmulatorOptions options;
  options.aircraftRoot = aircraftRoot();
  options.frameRateHz = 0;
  return options;
}

std::unique_ptr<simemu::SimEmulator> startEmulator(const simemu::SimEmulatorOptions& options) {
  auto emulator = std::make_unique<simemu::SimEmulator>(options);
  std::string error;
  if (!emulator->start(&error)) {
    ADD_FAILURE() << "emulator did not start: " << error;
    return nullptr;
  }
  return emulator;
}

}  // namespace simtest
