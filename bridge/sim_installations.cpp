#include "bridge/sim_installations.h"

#include "bridge/ascii_text.h"
#include "platform/known_folders.h"

namespace {

// Where each edition keeps its UserCfg.opt, below %LOCALAPPDATA% or
// %APPDATA%, in the fixed order of simulatorInstallations().
struct Edition {
  SimGeneration generation;
  const char* name;
  bool local;  // below %LOCALAPPDATA%, else %APPDATA%
  const char* userCfg;
  PackageLayout layout;
};

constexpr Edition kEditions[] = {
    {SimGeneration::k2020, "MSFS 2020 (Microsoft Store)", true,
     "\\Packages\\Microsoft.FlightSimulator_8wekyb3d8bbwe\\LocalCache\\UserCfg.opt", PackageLayout::k2020},
    {SimGeneration::k2020, "MSFS 2020 (Steam)", false, "\\Microsoft Flight Simulator\\UserCfg.opt",
     PackageLayout::k2020},
    {SimGeneration::k2024, "MSFS 2024 (Microsoft Store)", true,
     "\\Packages\\Microsoft.Limitless_8wekyb3d8bbwe\\LocalCache\\UserCfg.opt", PackageLayout::k2024},
    {SimGeneration::k2024, "MSFS 2024 (Steam)", false, "\\Microsoft Flight Simulator 2024\\UserCfg.opt",
     PackageLayout::k2024},
};

}  // namespace

std::vector<SimInstallation> simulatorInstallations() {
  std::string local;
  std::string roaming;
  const bool haveLocal = localAppDataFolder(local);
  const bool haveRoaming = roamingAppDataFolder(roaming);
  std::vector<SimInstallation> installations;
  for (const Edition& edition : kEditions) {
    if (edition.local ? !haveLocal : !haveRoaming) continue;
    installations.push_back(SimInstallation{edition.generation, edition.name,
                                            (edition.local ? local : roaming) + edition.userCfg, edition.layout});
  }
  return installations;
}

SimGeneration simulatorOfOpenReply(const std::string& applicationName, uint32_t applicationVersionMajor) {
  if (equalsIgnoringAsciiCase(applicationName, "kittyhawk")) return SimGeneration::k2020;
  if (equalsIgnoringAsciiCase(applicationName, "sunrise")) return SimGeneration::k2024;
  if (applicationVersionMajor == 11) return SimGeneration::k2020;
  if (applicationVersionMajor == 12) return SimGeneration::k2024;
  return SimGeneration::kUnknown;
}

const char* simGenerationName(SimGeneration generation) {
  switch (generation) {
    case SimGeneration::k2020:
      return "2020";
    case SimGeneration::k2024:
      return "2024";
    case SimGeneration::kUnknown:
      break;
  }
  return "unknown";
}
