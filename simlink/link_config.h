// The settings that govern opening one link, read from up to three
// "SimConnect.cfg" files (all users' documents, the user's documents, the
// current directory, in that order; later files override earlier ones) and
// from the simulator's registry ports. Lives for one open only; used by the
// thread that opens links.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kProtocolPipe = 1;
constexpr uint32_t kProtocolIpv4 = 2;   // AF_INET on Win32
constexpr uint32_t kProtocolIpv6 = 23;  // AF_INET6 on Win32
constexpr uint32_t kDefaultMaxReceiveSize = 41088;
// The configuration index that reads no file at all.
constexpr uint32_t kNoConfigurationFiles = 0xFFFFFFFFu;

struct LinkConfig {
  uint32_t protocol = kProtocolPipe;  // the transport tried first
  std::string address;                // pipe: machine name (empty = "."); TCP: host
  std::string port;                   // pipe: the pipe's name (empty = default); TCP: service
  uint32_t maxReceiveSize = kDefaultMaxReceiveSize;
  bool disableNagle = false;
};

// The configuration files in reading order; a folder that cannot be
// determined or a path that cannot be joined is left out.
std::vector<std::string> configurationFilePaths();

// "SimConnect" for index 0, else "SimConnect.<index>" in decimal.
std::string configurationSectionName(uint32_t configIndex);

// True when one of the files has the section with at least one line.
bool configurationSectionExists(const std::vector<std::string>& files, const std::string& section);

// Applies one file's keys to the configuration, in the order Protocol,
// Address, Port, MaxReceiveSize (only ever raised), DisableNagle. A missing
// file or key changes nothing. True when the file has the section.
bool applyConfigurationFile(const std::string& file, const std::string& section, LinkConfig& config);

// The defaults, then (unless the index is kNoConfigurationFiles) every file;
// the files that had the section are added to `filesRead` when it is given.
LinkConfig readLinkConfig(uint32_t configIndex, const std::vector<std::string>& files,
                          std::vector<std::string>* filesRead = nullptr);

// "protocol IPv4, address sim-pc, port 500", as the user would write them
// in SimConnect.cfg ("default" for an empty address or port).
std::string describeLinkConfig(const LinkConfig& config);
