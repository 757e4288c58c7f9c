#include "platform/folder_listing.h"

#include <windows.h>

namespace {

bool isDotEntry(const char* name) { return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')); }

}  // namespace

bool listSubfolders(const std::string& windowsStylePath, std::vector<std::string>* names) {
  names->clear();
  if (!isFolder(windowsStylePath)) return false;
  const std::string pattern =
      windowsStylePath + (!windowsStylePath.empty() && windowsStylePath.back() == '\\' ? "*" : "\\*");
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty folder
  do {
    // A junction or a link to a folder carries the folder attribute too.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !isDotEntry(found.cFileName)) {
      names->push_back(found.cFileName);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

bool isFolder(const std::string& windowsStylePath) {
  const DWORD attributes = GetFileAttributesA(windowsStylePath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint64_t folderStamp(const std::string& windowsStylePath) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(windowsStylePath.c_str(), GetFileExInfoStandard, &data)) return 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return 0;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}
