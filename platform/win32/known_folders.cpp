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

bool programStateFolder(std::string& folder) {
  std::string localAppData;
  return shellFolder(CSIDL_LOCAL_APPDATA, localAppData) && combinePath(localAppData, "Orvxlink", folder);
}

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

bool makeFolderPath(const std::string& folder) {
  const int result = SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
  if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS && result != ERROR_FILE_EXISTS) return false;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
