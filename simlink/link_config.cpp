#include "simlink/link_config.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#include "platform/known_folders.h"
#include "platform/profile.h"
#include "simlink/registry_port.h"

namespace {

constexpr const char* kConfigurationFileName = "SimConnect.cfg";
constexpr uint32_t kValueBufferSize = 2048;
constexpr uint32_t kSectionNameBufferSize = 26;
constexpr uint32_t kSectionProbeBufferSize = 30;

bool sameTextIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    const char lowerA = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char lowerB = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (lowerA != lowerB) return false;
  }
  return *a == *b;
}

// The key's value; empty means "not set".
std::string readKey(const std::string& file, const std::string& section, const char* key) {
  char value[kValueBufferSize];
  readProfileString(section.c_str(), key, "", value, kValueBufferSize, file.c_str());
  return value;
}

// A number as the Windows C runtime's atoi reads it: leading white space, an
// optional sign, then decimal digits up to the first other character (none:
// 0). A value beyond the int range is held at INT_MAX or INT_MIN, since a
// file may hold any number of digits.
int decimalValue(const std::string& text) {
  const char* at = text.c_str();
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
  const bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  const int64_t limit = negative ? -int64_t{INT_MIN} : int64_t{INT_MAX};
  int64_t magnitude = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    magnitude = magnitude * 10 + (*at - '0');
    if (magnitude > limit) magnitude = limit;  // held, so it never grows past the int64 range
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

void applyProtocol(const std::string& text, LinkConfig& config) {
  if (sameTextIgnoringCase(text.c_str(), "Auto") || sameTextIgnoringCase(text.c_str(), "Pipe")) {
    config.protocol = kProtocolPipe;
  } else if (sameTextIgnoringCase(text.c_str(), "IPv4")) {
    config.protocol = kProtocolIpv4;
    if (config.port.empty()) readRegistryPort(IpVersion::kIpv4, config.port);
  } else if (sameTextIgnoringCase(text.c_str(), "IPv6")) {
    config.protocol = kProtocolIpv6;
    if (config.port.empty()) readRegistryPort(IpVersion::kIpv6, config.port);
  }
}

void addFile(bool (*folderOf)(std::string&), std::vector<std::string>& files) {
  std::string folder;
  std::string path;
  if (folderOf(folder) && combinePath(folder, kConfigurationFileName, path)) files.push_back(path);
}

}  // namespace

std::vector<std::string> configurationFilePaths() {
  std::vector<std::string> files;
  addFile(commonDocumentsFolder, files);
  addFile(userDocumentsFolder, files);
  addFile(currentDirectoryPath, files);
  return files;
}

std::string configurationSectionName(uint32_t configIndex) {
  char name[kSectionNameBufferSize];
  if (configIndex == 0) {
    std::snprintf(name, sizeof name, "SimConnect");
  } else {
    std::snprintf(name, sizeof name, "SimConnect.%u", configIndex);
  }
  return name;
}

bool configurationSectionExists(const std::vector<std::string>& files, const std::string& section) {
  char lines[kSectionProbeBufferSize];
  for (const std::string& file : files) {
    if (readProfileSection(section.c_str(), lines, kSectionProbeBufferSize, file.c_str()) != 0) return true;
  }
  return false;
}

bool applyConfigurationFile(const std::string& file, const std::string& section, LinkConfig& config) {
  // A file without the section (usually: no file at all) sets nothing; one
  // look instead of one per key keeps a retried open cheap.
  if (!configurationSectionExists({file}, section)) return false;
  const std::string protocol = readKey(file, section, "Protocol");
  if (!protocol.empty()) applyProtocol(protocol, config);

  const std::string address = readKey(file, section, "Address");
  if (!address.empty()) config.address = address;

  const std::string port = readKey(file, section, "Port");
  if (!port.empty()) config.port = port;

  const std::string maxReceiveSize = readKey(file, section, "MaxReceiveSize");
  if (!maxReceiveSize.empty()) {
    const auto value = static_cast<uint32_t>(decimalValue(maxReceiveSize));
    if (value > config.maxReceiveSize) config.maxReceiveSize = value;  // raised, never lowered
  }

  const std::string disableNagle = readKey(file, section, "DisableNagle");
  if (!disableNagle.empty()) config.disableNagle = decimalValue(disableNagle) != 0;
  return true;
}

LinkConfig readLinkConfig(uint32_t configIndex, const std::vector<std::string>& files,
                          std::vector<std::string>* filesRead) {
  LinkConfig config;
  if (configIndex == kNoConfigurationFiles) return config;
  const std::string section = configurationSectionName(configIndex);
  for (const std::string& file : files) {
    if (applyConfigurationFile(file, section, config) && filesRead != nullptr) filesRead->push_back(file);
  }
  return config;
}

std::string describeLinkConfig(const LinkConfig& config) {
  const char* protocol = config.protocol == kProtocolIpv4 ? "IPv4" : config.protocol == kProtocolIpv6 ? "IPv6" : "Pipe";
  return std::string("protocol ") + protocol + ", address " + (config.address.empty() ? "default" : config.address) +
         ", port " + (config.port.empty() ? "default" : config.port);
}
