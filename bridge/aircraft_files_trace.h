// The account of one aircraft look-up: every configuration file tried, where
// it came from (the folder as reported, or a package layer of an
// installation), what it gave, and the one-line summary that goes to the log
// and to aircraftFilesNote(). A value type, used by one thread at a time.
#pragma once

#include <string>
#include <vector>

#include "bridge/aircraft_config.h"

// Where a folder of the aircraft came from.
struct FileOrigin {
  std::string installation;  // "as reported", "--packages" or an installation's name
  std::string layer;         // the package layer; empty for the folder as reported
};

class AircraftFilesTrace {
 public:
  explicit AircraftFilesTrace(std::string reportedPath) : reportedPath_(std::move(reportedPath)) {}

  void noteMissing(const std::string& path, const FileOrigin& origin);
  void noteRead(const std::string& path, const FileOrigin& origin, const FlapDetentTable& angles);
  // An installation whose packages do not hold the aircraft's folder.
  void noteNotInPackages(const std::string& installation, const std::string& packagesFolder);
  void noteNoFolder() { noFolder_ = true; }
  void noteRefusedPath() { tried_.push_back("no package look-up (the path could reach outside a package)"); }

  // "Aircraft "<path>": flap angles 0, 10, 20 from <file> (<layer>,
  // <installation>)" when a file gave angles, else "no flap angle" with the
  // reason and every place tried.
  std::string summary() const;

 private:
  std::string reportedPath_;
  std::vector<std::string> tried_;
  std::string source_;  // the file that gave the angles, with its origin
  FlapDetentTable angles_{};
  bool opened_ = false;
  bool noFolder_ = false;
};
