// Switching the diagnostic log on as the command line asks, with the start
// line that names the program, its version and the options it was given.
// The program's main thread, once, before the bridge starts.
#pragma once

#include <string>
#include <vector>

#include "app/command_line.h"

// "<programName> <version> started with <args>" (arguments with a space in
// double quotes), or "... started with no options".
std::string logStartText(const std::string& programName, const std::vector<std::string>& args);

// Turns the log on for --log or --log=FILE (never off: the build may have
// it on), names its file and gives it the start text.
void setUpLog(const AppOptions& options, const std::string& programName, const std::vector<std::string>& args);
