#include "bridge/sim_installations.h"

#include "platform/known_folders.h"

namespace {

bool equalsIgnoringCase(const std::string& text, const char* lower) {
  size_t i = 0;
  for (; i < text.size() && lower[i] != '\0'; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return i == text.size() && lower[i] == '\0';
}

}  // namespace

std::vector<SimInstallation> simulatorInstallations() {
  std::string local;
  std::string roaming;
  const bool haveLocal = localAppDataFolder(local);
  const bool haveRoaming = roamingAppDataFolder(roaming);
  std::vector<SimInstallation> installations;
  if (haveLocal) {
    installations.push_back({SimGeneration::k2020, "MSFS 2020 (Microsoft Store)",
                             local + "\\Packages\\Microsoft.FlightSimulator_8wekyb3d8bbwe\\LocalCache\\UserCfg.opt",
                             PackageLayout::k2020});
  }
  if (haveRoaming) {
    installations.push_back({SimGeneration::k2020, "MSFS 2020 (Steam)",
                             roaming + "\\Microsoft Flight Simulator\\UserCfg.opt", PackageLayout::k2020});
  }
  if (haveLocal) {
    installations.push_back({SimGeneration::k2024, "MSFS 2024 (Microsoft Store)",
                             local + "\\Packages\\Microsoft.Limitless_8wekyb3d8bbwe\\LocalCache\\UserCfg.opt",
                             PackageLayout::k2024});
  }
  if (haveRoaming) {
    installations.push_back({SimGeneration::k2024, "MSFS 2024 (Steam)",
                             roaming + "\\Microsoft Flight Simulator 2024\\UserCfg.opt", PackageLayout::k2024});
  }
  return installations;
}

SimGeneration simulatorOfOpenReply(const std::string& applicationName, uint32_t applicationVersionMajor) {
  if (equalsIgnoringCase(applicationName, "kittyhawk")) return SimGeneration::k2020;
  if (equalsIgnoringCase(applicationName, "sunrise")) return SimGeneration::k2024;
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
