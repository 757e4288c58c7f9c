// The folders where the simulator's configuration files live, and joining a
// folder with a file name. Win32: SHGetFolderPathA (CSIDL_COMMON_DOCUMENTS,
// CSIDL_PERSONAL, CSIDL_LOCAL_APPDATA, CSIDL_APPDATA), GetCurrentDirectoryA
// (260 characters at most) and PathCombineA. POSIX: the all-users documents
// folder is "orvxlink" in the first folder of $XDG_CONFIG_DIRS
// (/etc/xdg/orvxlink when unset), the user's documents folder is
// $XDG_DOCUMENTS_DIR, else ~/Documents; the local application data folder is
// $XDG_DATA_HOME, else ~/.local/share; the roaming one $XDG_CONFIG_HOME, else
// ~/.config; the program's own state folder $XDG_STATE_HOME/orvxlink, else
// ~/.local/state/orvxlink; paths are joined with '/'. makeFolderPath:
// SHCreateDirectoryExA on Win32, mkdir for each missing folder on POSIX. Each returns false when the folder
// cannot be determined or the path cannot be joined. Safe from any thread.
#pragma once

#include <string>

bool commonDocumentsFolder(std::string& folder);
bool userDocumentsFolder(std::string& folder);
// %LOCALAPPDATA% and %APPDATA% on Windows.
bool localAppDataFolder(std::string& folder);
bool roamingAppDataFolder(std::string& folder);
// The per-user folder for the program's own files (its log when the working
// folder cannot be written): %LOCALAPPDATA%\Orvxlink on Windows. It may not
// exist yet.
bool programStateFolder(std::string& folder);
bool currentDirectoryPath(std::string& folder);
// Creates the folder (an absolute path) and any missing folder above it;
// true when it exists afterwards.
bool makeFolderPath(const std::string& folder);
bool combinePath(const std::string& folder, const char* fileName, std::string& path);
