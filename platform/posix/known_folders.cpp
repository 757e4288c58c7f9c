#include "platform/known_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

bool programStateFolder(std::string& folder) {
  if (!xdgFolder("XDG_STATE_HOME", "/.local/state", folder)) return false;
  folder += "/orvxlink";
  return true;
}

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

bool makeFolderPath(const std::string& folder) {
  if (folder.empty()) return false;
  // Every folder on the way down, then the folder itself.
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    if (mkdir(folder.substr(0, slash).c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  struct stat status {};
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
  return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}
