// Where files are: a path made absolute in the platform's own form, and the
// folder of the running program. Safe from any thread.
#pragma once

#include <string>

// The absolute form of path (resolved against the current directory), with
// the platform's separators; path itself when it cannot be resolved.
std::string absoluteFilePath(const std::string& path);
// The folder that holds the running executable, without a trailing
// separator; empty when it cannot be found.
std::string executableFolder();
