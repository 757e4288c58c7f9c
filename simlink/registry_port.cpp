#include "simlink/registry_port.h"

#include <cstdint>

#include "platform/settings_store.h"

namespace {

constexpr uint32_t kPortDataSize = 20;

}  // namespace

bool readRegistryPort(IpVersion version, std::string& port) {
  port.clear();
  char data[kPortDataSize];
  uint32_t returned = 0;
  const char* valueName = version == IpVersion::kIpv6 ? kIpv6PortValue : kIpv4PortValue;
  if (!readUserSettingValue(kSimulatorSettingsKey, valueName, data, kPortDataSize, returned)) return false;
  // The value need not end in a NUL: take at most the bytes returned.
  for (uint32_t i = 0; i < returned && i < kPortDataSize && data[i] != '\0'; ++i) port += data[i];
  return true;
}
