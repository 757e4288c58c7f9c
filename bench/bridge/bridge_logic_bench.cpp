// What the session thread spends per simulator frame on the bridge's data
// logic: one record build (with its publish) and one relay plan with nothing
// pending. Prints figures only; asserts nothing about time.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bridge/aircraft_config.h"
#include "bridge/autopilot_relay.h"
#include "bridge/flight_record.h"
#include "bridge/flight_record_builder.h"
#include "bridge/settings_record.h"
#include "bridge/sim_catalogue.h"
#include "tests/bridge/flap_table_loader.h"

namespace {

// A block in flight: every double a plausible non-zero value, radios tuned.
struct FrameBlock {
  FrameBlock() {
    for (uint32_t offset = simvar::kPlaneLatitude; offset + 8 <= kSimDataBlockSize; offset += 8)
      setDouble(offset, 0.001 * offset + 0.5);
    setDouble(simvar::kPlaneHeadingDegreesTrue, 4.2);
    setDouble(simvar::kFlapsHandleIndex, 2.0);
    const int32_t com = 0x1975, adf = 0x03450000;
    std::memcpy(bytes + 1 + simvar::kComActiveFrequency, &com, 4);
    std::memcpy(bytes + 1 + simvar::kAdfActiveFrequency, &adf, 4);
    std::memcpy(bytes + 1 + simvar::kNavIdent, "IBOS\0\0\0\0", 8);
  }
  void setDouble(uint32_t offset, double value) { std::memcpy(bytes + 1 + offset, &value, 8); }
  const uint8_t* data() const { return bytes + 1; }  // unaligned, as in a received message

  uint8_t bytes[kSimDataBlockSize + 1] = {};
};

void setUp() {
  resetFlightRecord();
  resetPendingSettings();
  FlapDetentTable flaps;
  flaps.fill(kNoFlapAngle);
  flaps[0] = 0.0f, flaps[1] = 5.0f, flaps[2] = 15.0f, flaps[3] = 30.0f;
  loadFlapDetentTable(flaps);
}

void BM_BuildAndRelayPlanPerFrame(benchmark::State& state) {
  setUp();
  const FrameBlock block;
  for (auto _ : state) {
    buildFlightRecord(block.data());
    RelayPlan plan = takeAndPlanAutopilotRelay(block.data());
    benchmark::DoNotOptimize(plan);
  }
}
BENCHMARK(BM_BuildAndRelayPlanPerFrame);

void BM_BuildOnly(benchmark::State& state) {
  setUp();
  const FrameBlock block;
  for (auto _ : state) buildFlightRecord(block.data());
}
BENCHMARK(BM_BuildOnly);

void BM_RelayPlanNothingPending(benchmark::State& state) {
  setUp();
  const FrameBlock block;
  for (auto _ : state) {
    RelayPlan plan = takeAndPlanAutopilotRelay(block.data());
    benchmark::DoNotOptimize(plan);
  }
}
BENCHMARK(BM_RelayPlanNothingPending);

}  // namespace
