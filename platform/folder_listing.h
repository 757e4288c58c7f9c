// Looking into folders named by Windows-style paths (backslashes, as in
// file_path.h): the subfolders a folder holds, whether a folder exists, and a
// stamp that changes when entries are added to or removed from it. Links to
// folders (symbolic links, junctions) count as folders and are followed one
// level at a time, so a link loop costs one failed look, never a hang. Win32:
// FindFirstFileA/FindNextFileA, GetFileAttributesExA. POSIX: opendir/readdir,
// stat. Safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The names of the folders directly inside `windowsStylePath` ("." and ".."
// left out), in the order the file system gives them. False, with `names`
// empty, when the folder cannot be read (missing, not a folder, no access).
bool listSubfolders(const std::string& windowsStylePath, std::vector<std::string>* names);

// True when the path names a folder (or a link to one).
bool isFolder(const std::string& windowsStylePath);

// The folder's last modification time in the platform's own units; 0 when
// it cannot be read. Adding, removing or renaming an entry changes it.
uint64_t folderStamp(const std::string& windowsStylePath);
