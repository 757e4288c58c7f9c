#include "platform/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/file_path.h"

namespace {

bool statIsFolder(const std::string& nativePath) {
  struct stat status;
  return ::stat(nativePath.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool isDotEntry(const char* name) { return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')); }

}  // namespace

bool listSubfolders(const std::string& windowsStylePath, std::vector<std::string>* names) {
  names->clear();
  const std::string folder = nativeFilePath(windowsStylePath);
  DIR* directory = ::opendir(folder.c_str());
  if (directory == nullptr) return false;
  while (const dirent* entry = ::readdir(directory)) {
    if (isDotEntry(entry->d_name)) continue;
    // d_type spares a stat for plain folders and files; links and file
    // systems that do not fill it in are asked with stat, which follows links.
    const bool folderEntry = entry->d_type == DT_DIR || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                                         statIsFolder(folder + "/" + entry->d_name));
    if (folderEntry) names->push_back(entry->d_name);
  }
  ::closedir(directory);
  return true;
}

bool isFolder(const std::string& windowsStylePath) { return statIsFolder(nativeFilePath(windowsStylePath)); }

uint64_t folderStamp(const std::string& windowsStylePath) {
  struct stat status;
  if (::stat(nativeFilePath(windowsStylePath).c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return 0;
  return static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(status.st_mtim.tv_nsec);
}
