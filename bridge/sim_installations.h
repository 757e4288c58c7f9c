// The simulator installations whose packages the bridge may read: Microsoft
// Flight Simulator 2020 and 2024, each from the Microsoft Store (or Xbox app)
// and from Steam, each with its own UserCfg.opt naming its packages folder;
// and which of the two simulators a link's open reply comes from. Pure
// functions, safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/package_index.h"

enum class SimGeneration { kUnknown, k2020, k2024 };

struct SimInstallation {
  SimGeneration generation;
  std::string name;         // "MSFS 2024 (Steam)", for the log
  std::string userCfgPath;  // where that edition keeps its UserCfg.opt
  PackageLayout layout;     // the layers of its packages folder
};

// The installations in the fixed order they are tried when the connected
// simulator is not known: 2020 Store, 2020 Steam, 2024 Store, 2024 Steam
// (2020 first, as the bridge has always looked there; within a simulator the
// Store edition first). An edition whose user folder cannot be determined is
// left out.
std::vector<SimInstallation> simulatorInstallations();

// The simulator that sent an open reply, from its application name
// ("KittyHawk" for 2020, "SunRise" for 2024, in any case) or, for any other
// name, its application version major number (11 for 2020, 12 for 2024).
// kUnknown otherwise.
SimGeneration simulatorOfOpenReply(const std::string& applicationName, uint32_t applicationVersionMajor);

// "2020", "2024" or "unknown".
const char* simGenerationName(SimGeneration generation);
