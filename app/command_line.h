// The program's command line, the same on Windows and POSIX: what the user
// asked for at start-up. The program's main thread parses once before
// anything starts; parsing looks at the file system only to check that a
// --packages folder exists.
#pragma once

#include <string>
#include <vector>

struct AppOptions {
  bool log = false;          // --log or --log=FILE: write the diagnostic log
  std::string logFile;       // --log=FILE: the log's file; empty for Orvxlink.log
  bool showVersion = false;  // --version: print the version and end
  bool showHelp = false;     // --help: print the usage and end
  // --packages DIR: the folder holding the simulator's Community and
  // Official package folders; empty when not given.
  std::string packagesDir;
};

// Exit status after a command line that cannot be understood.
constexpr int kAppExitUsage = 2;

// Parses the arguments after the program's name. False, with a message for
// the user in `error`, on an unknown option, a missing value or a stray
// argument, or a --packages folder that does not exist; `options` then holds
// what was read before it.
bool parseCommandLine(const std::vector<std::string>& args, AppOptions& options, std::string& error);

// The usage text, naming the program as the user started it.
std::string commandLineHelp(const std::string& programName);

// "<programName> <version>" and a line end.
std::string versionText(const std::string& programName);
