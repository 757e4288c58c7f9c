#include "platform/known_folders.h"

#include <unistd.h>

#include <cstdlib>

namespace {

std::string environmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

bool commonDocumentsFolder(std::string& folder) {
  std::string configDirs = environmentText("XDG_CONFIG_DIRS");
  std::string first = configDirs.substr(0, configDirs.find(':'));
  if (first.empty()) first = "/etc/xdg";
  folder = first + "/orvxlink";
  return true;
}

bool userDocumentsFolder(std::string& folder) {
  const std::string documents = environmentText("XDG_DOCUMENTS_DIR");
  if (!documents.empty()) {
    folder = documents;
    return true;
  }
  const std::string home = environmentText("HOME");
  if (home.empty()) return false;
  folder = home + "/Documents";
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
