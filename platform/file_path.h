// Opening a file named by a Windows-style path. The simulator reports the
// loaded aircraft's file as a Windows path ("C:\...\aircraft.cfg"), and the
// bridge builds the names of files beside it with backslashes. On Win32 such a
// path is used as it stands. On POSIX every backslash becomes '/', so a
// relative "tests\data\x\aircraft.cfg" or an absolute "\tmp\x\aircraft.cfg"
// names the same file there (a drive letter has no meaning on POSIX and is
// kept as an ordinary folder name). Safe from any thread.
#pragma once

#include <cstdio>
#include <string>

// The path as this platform's file functions expect it.
std::string nativeFilePath(const std::string& windowsStylePath);

// Opens a regular file for reading in text mode; the caller closes it with
// std::fclose. Returns nullptr when the file cannot be opened or is not a
// regular file (a folder in its place, a device, a pipe), so a reader never
// blocks on or misreads something that is not a file.
std::FILE* openTextFileForReading(const std::string& windowsStylePath);
