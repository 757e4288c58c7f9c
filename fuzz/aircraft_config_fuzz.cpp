// The aircraft configuration reader: the fuzzer's bytes are split into an
// "aircraft.cfg" and a "flight_model.cfg" (either may be missing) in a
// scratch folder, and the reader runs on them as on a newly loaded aircraft.
// Whatever the files hold, every detent angle it keeps is one from 0 to 90
// degrees or the no-angle mark.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "bridge/aircraft_config.h"
#include "bridge/shared_state.h"
#include "fuzz/scratch_files.h"

namespace {

void writeOrRemove(const std::string& path, bool present, const std::string& text) {
  if (present) {
    writeScratchFile(path, text);
  } else {
    std::remove(path.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = makeScratchFolder("orvx-aircraft-fuzz");
  if (folder.empty()) return 0;

  FuzzedDataProvider input(data, size);
  const bool hasAircraftCfg = input.ConsumeBool();
  const bool hasFlightModelCfg = input.ConsumeBool();
  const std::string aircraftCfg = input.ConsumeRandomLengthString(size);
  const std::string flightModelCfg = input.ConsumeRemainingBytesAsString();
  writeOrRemove(folder + "/aircraft.cfg", hasAircraftCfg, aircraftCfg);
  writeOrRemove(folder + "/flight_model.cfg", hasFlightModelCfg, flightModelCfg);

  // The simulator names the aircraft's file with a Windows path.
  aircraftFilePath = folder + "/aircraft.cfg";
  for (char& c : aircraftFilePath)
    if (c == '/') c = '\\';
  readAircraftConfig();

  for (float angle : flapDetentTable()) {
    if (!(angle == kNoFlapAngle || (angle >= 0.0f && angle <= 90.0f))) __builtin_trap();
  }
  return 0;
}
