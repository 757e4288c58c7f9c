// Package resolution's two readers of text from outside: the simulator's
// UserCfg.opt (the packages folder it names) and the aircraft path the
// simulator reports (the package-index key of its folder). The fuzzer's
// bytes are both. A folder taken from the file is never empty and holds no
// control character; a key never reaches outside a package: no drive or
// leading separator, no empty, "." or ".." part.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "bridge/package_index.h"
#include "bridge/user_cfg.h"

namespace {

bool isKeyInsideAPackage(const std::string& key) {
  if (key.empty() || key.find(':') != std::string::npos || key.find('/') != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = key.find('\\', start);
    const std::string part = key.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part.find_first_not_of(". ") == std::string::npos) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::optional<std::string> folder = installedPackagesPathFromUserCfg(text);
  if (folder) {
    if (folder->empty()) __builtin_trap();
    for (unsigned char c : *folder)
      if (c < 0x20) __builtin_trap();
  }

  FuzzedDataProvider input(data, size);
  const std::optional<std::string> key = packageFolderKey(input.ConsumeRemainingBytesAsString());
  if (key && !isKeyInsideAPackage(*key)) __builtin_trap();
  return 0;
}
