// Test support: points every per-user and all-users place that the link
// library and the bridge read (both documents folders, both application data
// folders, the settings store and, on POSIX, the folder of local pipes) into
// subfolders of one scratch folder, so that a test neither reads nor changes
// the user's own. POSIX: sets HOME and the XDG_* variables. Win32: sets the
// shell folders "Personal", "Local AppData", "AppData" (current user) and
// "Common Documents" (machine) in the registry; the settings store needs
// nothing there, since tests under Wine run in a prefix of their own. Main
// test thread only, with no link open; restoreUserFolders undoes it.
#pragma once

#include <string>

// Creates the subfolders and redirects to them. False on failure.
bool redirectUserFolders(const std::string& scratchFolder);
void restoreUserFolders();
