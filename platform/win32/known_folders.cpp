#include "platform/known_folders.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

namespace {

bool shellFolder(int csidl, std::string& folder) {
  char buffer[MAX_PATH];
  if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return false;
  folder = buffer;
  return true;
}

}  // namespace

bool commonDocumentsFolder(std::string& folder) { return shellFolder(CSIDL_COMMON_DOCUMENTS, folder); }

bool userDocumentsFolder(std::string& folder) { return shellFolder(CSIDL_PERSONAL, folder); }

bool localAppDataFolder(std::string& folder) { return shellFolder(CSIDL_LOCAL_APPDATA, folder); }

bool roamingAppDataFolder(std::string& folder) { return shellFolder(CSIDL_APPDATA, folder); }

bool currentDirectoryPath(std::string& folder) {
  char buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return false;
  folder = buffer;
  return true;
}

bool combinePath(const std::string& folder, const char* fileName, std::string& path) {
  char buffer[MAX_PATH];
  if (PathCombineA(buffer, folder.c_str(), fileName) == nullptr) return false;
  path = buffer;
  return true;
}
