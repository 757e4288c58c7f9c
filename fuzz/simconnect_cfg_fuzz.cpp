// "SimConnect.cfg" and the profile reader under it, with the settings store
// that holds the simulator's registry ports: the fuzzer's bytes are split
// into a configuration file and the store's file, and the link's
// configuration is read from them for the default section and a numbered
// one. The profile functions must keep to their buffers whatever the files
// hold, and a configuration never lowers the receive size.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/scratch_files.h"
#include "platform/profile.h"
#include "simlink/link_config.h"

namespace {

// The settings store reads orvxlink/registry.ini under XDG_CONFIG_HOME.
std::string scratchFolder() {
  const std::string folder = makeScratchFolder("orvx-simconnect-cfg-fuzz");
  if (folder.empty()) return folder;
  mkdir((folder + "/orvxlink").c_str(), 0700);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  return folder;
}

void checkProfileBuffers(const std::string& file, const std::string& section, const std::string& key,
                         uint32_t bufferSize) {
  std::vector<char> buffer(bufferSize + 1, '\x7f');  // one guard byte past the buffer
  const uint32_t copied =
      readProfileString(section.c_str(), key.c_str(), "default", buffer.data(), bufferSize, file.c_str());
  if (bufferSize > 0 && (copied >= bufferSize || buffer[copied] != '\0')) __builtin_trap();
  if (buffer[bufferSize] != '\x7f') __builtin_trap();

  std::fill(buffer.begin(), buffer.end(), '\x7f');
  // Every line ends in a NUL and one more follows the last; the count leaves
  // out only that last one. Cut short, the count is bufferSize - 2 and two
  // NULs end the buffer.
  const uint32_t lines = readProfileSection(section.c_str(), buffer.data(), bufferSize, file.c_str());
  if (bufferSize >= 2) {
    const bool whole = lines == 0 || buffer[lines - 1] == '\0';
    const bool cut = lines == bufferSize - 2 && buffer[lines + 1] == '\0';
    if (lines >= bufferSize || buffer[lines] != '\0' || !(whole || cut)) __builtin_trap();
  }
  if (buffer[bufferSize] != '\x7f') __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = scratchFolder();
  if (folder.empty()) return 0;

  FuzzedDataProvider input(data, size);
  const uint32_t configIndex = input.ConsumeIntegralInRange<uint32_t>(0, 3);
  const uint32_t bufferSize = input.ConsumeIntegralInRange<uint32_t>(0, 40);
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string registry = input.ConsumeRandomLengthString(size);
  const std::string simConnectCfg = input.ConsumeRemainingBytesAsString();
  const std::string cfgPath = folder + "/SimConnect.cfg";
  writeScratchFile(folder + "/orvxlink/registry.ini", registry);
  writeScratchFile(cfgPath, simConnectCfg);

  const std::vector<std::string> files{cfgPath, folder + "/missing.cfg", cfgPath};
  const std::string section = configurationSectionName(configIndex);
  configurationSectionExists(files, section);
  const LinkConfig config = readLinkConfig(configIndex, files);
  if (config.maxReceiveSize < kDefaultMaxReceiveSize) __builtin_trap();
  checkProfileBuffers(cfgPath, section, key, bufferSize);
  return 0;
}
