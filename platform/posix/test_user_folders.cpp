#include "platform/test_user_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace {

struct SavedVariable {
  const char* name;
  bool wasSet;
  std::string value;
};

std::vector<SavedVariable> savedVariables;

void redirectVariable(const char* name, const std::string& value) {
  const char* old = std::getenv(name);
  savedVariables.push_back(SavedVariable{name, old != nullptr, old != nullptr ? old : ""});
  setenv(name, value.c_str(), 1);
}

}  // namespace

bool redirectUserFolders(const std::string& scratchFolder) {
  restoreUserFolders();
  const std::pair<const char*, const char*> layout[] = {
      {"HOME", "/home"},
      {"XDG_DOCUMENTS_DIR", "/documents"},
      {"XDG_CONFIG_DIRS", "/common"},
      {"XDG_CONFIG_HOME", "/config"},
      {"XDG_DATA_HOME", "/data"},
      {"XDG_STATE_HOME", "/state"},
      {"XDG_RUNTIME_DIR", "/run"},
  };
  for (const auto& [name, subfolder] : layout) {
    const std::string folder = scratchFolder + subfolder;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    redirectVariable(name, folder);
  }
  std::error_code error;
  std::filesystem::create_directories(scratchFolder + "/common/orvxlink", error);
  return !error;
}

void restoreUserFolders() {
  for (auto saved = savedVariables.rbegin(); saved != savedVariables.rend(); ++saved) {
    if (saved->wasSet) {
      setenv(saved->name, saved->value.c_str(), 1);
    } else {
      unsetenv(saved->name);
    }
  }
  savedVariables.clear();
}
