// The program's command line, read the same on Windows and POSIX: each case
// varies one argument from a plain start.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

// A packages folder that exists for the length of a test, and a name beside
// it that does not.
class PackagesFolder {
 public:
  PackagesFolder()
      : path_(fs::temp_directory_path() / ("orvxlink-packages-" + std::to_string(std::random_device()()))) {
    fs::create_directories(path_ / "Community");
  }
  ~PackagesFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string path() const { return path_.string(); }
  std::string missing() const { return (path_ / "Missing").string(); }
  std::string file() const { return (path_ / "Community" / "layout.json").string(); }

 private:
  fs::path path_;
};

struct Case {
  std::vector<std::string> args;
  bool ok;
  AppOptions expected;
  std::string error;  // a part of the message when !ok
};

AppOptions withLog() {
  AppOptions options;
  options.log = true;
  return options;
}

AppOptions withLogFile(const std::string& file) {
  AppOptions options = withLog();
  options.logFile = file;
  return options;
}

AppOptions withPackages(const std::string& dir) {
  AppOptions options;
  options.packagesDir = dir;
  return options;
}

AppOptions showing(bool help, bool version) {
  AppOptions options;
  options.showHelp = help;
  options.showVersion = version;
  return options;
}

TEST(CommandLine, ReadsEachOptionAndRefusesWhatItDoesNotKnow) {
  const PackagesFolder packages;
  const std::string folder = packages.path();
  {
    std::FILE* file = std::fopen(packages.file().c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }
  const Case cases[] = {
      {{}, true, AppOptions(), ""},
      {{"--log"}, true, withLog(), ""},
      {{"--version"}, true, showing(false, true), ""},
      {{"--help"}, true, showing(true, false), ""},
      {{"-h"}, true, showing(true, false), ""},
      {{"/?"}, true, showing(true, false), ""},
      {{"--packages", folder}, true, withPackages(folder), ""},
      {{"--packages=" + folder}, true, withPackages(folder), ""},
      {{"--packages"}, false, AppOptions(), "--packages needs a folder"},
      {{"--packages="}, false, AppOptions(), "--packages needs a folder"},
      {{"--packages", "--log"}, false, AppOptions(), "--packages needs a folder"},
      {{"--packages", "-h"}, false, AppOptions(), "--packages needs a folder"},
      {{"--packages", "/?"}, false, AppOptions(), "--packages needs a folder"},
      {{"--packages", "--help", folder}, false, AppOptions(), "--packages needs a folder"},
      {{"--packages", packages.missing()}, false, AppOptions(), "--packages: no folder " + packages.missing()},
      {{"--packages=" + packages.missing()}, false, AppOptions(), "--packages: no folder"},
      {{"--packages", packages.file()}, false, AppOptions(), "--packages: no folder"},
      {{"--LOG"}, false, AppOptions(), "unknown option: --LOG"},
      {{"-log"}, false, AppOptions(), "unknown option: -log"},
      {{"--logs"}, false, AppOptions(), "unknown option: --logs"},
      {{"Orvxlink.log"}, false, AppOptions(), "unexpected argument: Orvxlink.log"},
      {{"--log", "--bogus"}, false, withLog(), "unknown option: --bogus"},
      {{"--log=C:\\Logs\\orvx.txt"}, true, withLogFile("C:\\Logs\\orvx.txt"), ""},
      {{"--log=a.log", "--log"}, true, withLog(), ""},  // the last one counts
      {{"--log="}, false, AppOptions(), "--log= needs a file"},
  };
  for (const Case& c : cases) {
    std::string trace;
    for (const std::string& arg : c.args) trace += "[" + arg + "]";
    SCOPED_TRACE(trace);
    AppOptions options;
    std::string error;
    EXPECT_EQ(parseCommandLine(c.args, options, error), c.ok);
    EXPECT_EQ(options.log, c.expected.log);
    EXPECT_EQ(options.logFile, c.expected.logFile);
    EXPECT_EQ(options.showHelp, c.expected.showHelp);
    EXPECT_EQ(options.showVersion, c.expected.showVersion);
    if (c.ok) {
      EXPECT_EQ(options.packagesDir, c.expected.packagesDir);
      EXPECT_EQ(error, "");
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(CommandLine, HelpNamesTheProgramAndEveryOption) {
  const std::string help = commandLineHelp("Orvxlink.exe");
  EXPECT_EQ(help.rfind("usage: Orvxlink.exe ", 0), 0u) << help;
  for (const char* option : {"--log", "--log=FILE", "--packages DIR", "--version", "--help", "Orvxlink.log", "5193"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(versionText("orvxlink").rfind("orvxlink ", 0), 0u);
}

}  // namespace
