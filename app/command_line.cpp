#include "app/command_line.h"

#include "orvxlink_version.h"
#include "platform/folder_listing.h"

namespace {

const std::string kLogPrefix = "--log=";
const std::string kPackagesOption = "--packages";
const std::string kPackagesPrefix = kPackagesOption + "=";

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool isHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "/?"; }

// An argument that reads as an option rather than a folder: "--log", "-h",
// "/?". A folder whose name begins with '-' can still be given as
// "--packages=-name".
bool looksLikeOption(const std::string& arg) { return startsWith(arg, "-") || isHelpOption(arg); }

// "--packages DIR" or "--packages=DIR"; advances `i` past a separate value.
// An option in the place of DIR ("--packages --log") means the folder was
// left out, not a folder named like an option. The folder must exist: a
// mistyped one would otherwise leave every flap angle at 0 without a word.
bool readPackagesDir(const std::vector<std::string>& args, size_t& i, AppOptions& options, std::string& error) {
  const std::string& arg = args[i];
  if (startsWith(arg, kPackagesPrefix)) {
    options.packagesDir = arg.substr(kPackagesPrefix.size());
  } else if (i + 1 < args.size() && !looksLikeOption(args[i + 1])) {
    options.packagesDir = args[++i];
  } else {
    options.packagesDir.clear();
  }
  if (options.packagesDir.empty()) {
    error = "--packages needs a folder: --packages DIR";
  } else if (!isFolder(options.packagesDir)) {
    error = "--packages: no folder " + options.packagesDir +
            " (name the simulator's packages folder, the one holding Community and Official)";
  }
  return error.empty();
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, AppOptions& options, std::string& error) {
  error.clear();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--log") {
      options.log = true;
      options.logFile.clear();
    } else if (startsWith(arg, kLogPrefix)) {
      if (arg.size() == kLogPrefix.size()) {
        error = "--log= needs a file: --log=FILE";
        return false;
      }
      options.log = true;
      options.logFile = arg.substr(kLogPrefix.size());
    } else if (arg == "--version") {
      options.showVersion = true;
    } else if (isHelpOption(arg)) {
      options.showHelp = true;
    } else if (arg == kPackagesOption || startsWith(arg, kPackagesPrefix)) {
      if (!readPackagesDir(args, i, options, error)) return false;
    } else {
      error = (arg.size() > 1 && arg[0] == '-' ? "unknown option: " : "unexpected argument: ") + arg;
      return false;
    }
  }
  return true;
}

std::string commandLineHelp(const std::string& programName) {
  return "usage: " + programName + " [--log | --log=FILE] [--packages DIR]\n" + "       " + programName +
         " --help | --version\n"
         "\n"
         "Serves the flight simulator's aircraft data to tablet apps on TCP port 5193\n"
         "and relays their autopilot commands to the simulator.\n"
         "\n"
         "  --log            write the diagnostic log Orvxlink.log in the working folder\n"
         "                   (when it cannot be written there, in the user's own\n"
         "                   application data; the log's first line says where)\n"
         "  --log=FILE       write the diagnostic log to FILE\n"
         "  --packages DIR   the simulator's packages folder, the one that holds the\n"
         "                   Community and Official folders\n"
         "  --version        show the version and end\n"
         "  --help           show this text and end\n";
}

std::string versionText(const std::string& programName) { return programName + " " + ORVXLINK_VERSION + "\n"; }
