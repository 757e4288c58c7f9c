#include "platform/known_folders.h"

#include <unistd.h>

#include <cstdlib>

namespace {

std::string environmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// $variable when set, else the folder below the home folder.
bool xdgFolder(const char* variable, const char* belowHome, std::string& folder) {
  const std::string value = environmentText(variable);
  if (!value.empty()) {
    folder = value;
    return true;
  }
  const std::string home = environmentText("HOME");
  if (home.empty()) return false;
  folder = home + belowHome;
  return true;
}

}  // namespace

bool commonDocumentsFolder(std::string& folder) {
  std::string configDirs = environmentText("XDG_CONFIG_DIRS");
  std::string first = configDirs.substr(0, configDirs.find(':'));
  if (first.empty()) first = "/etc/xdg";
  folder = first + "/orvxlink";
  return true;
}

bool userDocumentsFolder(std::string& folder) { return xdgFolder("XDG_DOCUMENTS_DIR", "/Documents", folder); }

bool localAppDataFolder(std::string& folder) { return xdgFolder("XDG_DATA_HOME", "/.local/share", folder); }

bool roamingAppDataFolder(std::string& folder) { return xdgFolder("XDG_CONFIG_HOME", "/.config", folder); }

bool currentDirectoryPath(std::string& folder) {
  char buffer[4096];
  if (getcwd(buffer, sizeof buffer) == nullptr) return false;
  folder = buffer;
  return true;
}

bool combinePath(const std::string& folder, const char* fileName, std::string& path) {
  if (fileName == nullptr) return false;
  if (folder.empty() || fileName[0] == '/') {
    path = fileName;
  } else {
    path = folder + (folder.back() == '/' ? "" : "/") + fileName;
  }
  return true;
}
