// The simulator's own settings file, "UserCfg.opt": the one line the bridge
// needs from it, `InstalledPackagesPath "D:\MSFS\Packages"`, the folder that
// holds the "Community" and "Official" package folders. Pure functions, safe
// from any thread.
#pragma once

#include <optional>
#include <string>

// The folder named by the first InstalledPackagesPath line of the file's
// text: the name (compared without regard to case) at the start of a line,
// leading blanks allowed, then blanks and the folder, either in double quotes
// or as the rest of the line with its blanks trimmed. Nothing when there is no
// such line, the quote is not closed on its line, the folder is empty, or it
// holds a control character (a NUL or other binary byte is no part of a
// path). Takes any bytes.
std::optional<std::string> installedPackagesPathFromUserCfg(const std::string& text);

// Reads the file (its first 1 MiB at most; the real file is a few kilobytes)
// and returns the folder its text names, as above. Nothing when the file
// cannot be opened or names no folder.
std::optional<std::string> readInstalledPackagesPath(const std::string& windowsStylePath);
