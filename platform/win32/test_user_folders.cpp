#include "platform/test_user_folders.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct SavedValue {
  HKEY root;
  const char* name;
  bool existed;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<SavedValue> savedValues;

bool redirectShellFolder(HKEY root, const char* name, const std::string& folder) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, kShellFoldersKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  SavedValue saved{root, name, false, REG_SZ, std::vector<BYTE>(1024)};
  DWORD size = static_cast<DWORD>(saved.data.size());
  saved.existed = RegQueryValueExA(key, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
  saved.data.resize(saved.existed ? size : 0);
  const LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                     static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  savedValues.push_back(saved);
  return true;
}

}  // namespace

bool redirectUserFolders(const std::string& scratchFolder) {
  restoreUserFolders();
  const std::string documents = scratchFolder + "\\documents";
  const std::string common = scratchFolder + "\\common-documents";
  const std::string localAppData = scratchFolder + "\\local-appdata";
  const std::string roamingAppData = scratchFolder + "\\roaming-appdata";
  for (const std::string& folder : {documents, common, localAppData, roamingAppData}) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
  }
  return redirectShellFolder(HKEY_CURRENT_USER, "Personal", documents) &&
         redirectShellFolder(HKEY_LOCAL_MACHINE, "Common Documents", common) &&
         redirectShellFolder(HKEY_CURRENT_USER, "Local AppData", localAppData) &&
         redirectShellFolder(HKEY_CURRENT_USER, "AppData", roamingAppData);
}

void restoreUserFolders() {
  for (auto saved = savedValues.rbegin(); saved != savedValues.rend(); ++saved) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(saved->root, kShellFoldersKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) continue;
    if (saved->existed) {
      RegSetValueExA(key, saved->name, 0, saved->type, saved->data.data(), static_cast<DWORD>(saved->data.size()));
    } else {
      RegDeleteValueA(key, saved->name);
    }
    RegCloseKey(key);
  }
  savedValues.clear();
}
