#include "bridge/aircraft_files_trace.h"

#include <cstdio>

namespace {

std::string describe(const std::string& path, const FileOrigin& origin) {
  if (origin.layer.empty()) return path + " (" + origin.installation + ")";
  return path + " (" + origin.layer + ", " + origin.installation + ")";
}

std::string anglesText(const FlapDetentTable& angles) {
  std::string text;
  for (size_t i = 0; i < angles.size(); ++i) {
    if (angles[i] == kNoFlapAngle) continue;
    char number[48];
    std::snprintf(number, sizeof number, "%s%zu: %g", text.empty() ? "" : ", ", i, static_cast<double>(angles[i]));
    text += number;
  }
  return text;
}

bool hasAngle(const FlapDetentTable& angles) { return !anglesText(angles).empty(); }

}  // namespace

void AircraftFilesTrace::noteMissing(const std::string& path, const FileOrigin& origin) {
  tried_.push_back(describe(path, origin) + ": cannot be opened");
}

void AircraftFilesTrace::noteRead(const std::string& path, const FileOrigin& origin, const FlapDetentTable& angles) {
  opened_ = true;
  if (hasAngle(angles)) {
    source_ = describe(path, origin);
    angles_ = angles;
    tried_.push_back(describe(path, origin) + ": flap angles");
  } else {
    tried_.push_back(describe(path, origin) + ": no flap angle");
  }
}

void AircraftFilesTrace::noteNotInPackages(const std::string& installation, const std::string& packagesFolder) {
  tried_.push_back("not in the packages of " + installation + " (" + packagesFolder + ")");
}

std::string AircraftFilesTrace::summary() const {
  const std::string head = "Aircraft \"" + reportedPath_ + "\": ";
  if (noFolder_) return head + "no folder in the reported path; flap angles kept";
  if (!source_.empty()) return head + "flap angles (detent: degrees) " + anglesText(angles_) + " from " + source_;
  std::string text = head + (opened_ ? "no flap angle in its files" : "no file found, previous flap angles kept");
  text += "; tried: ";
  for (size_t i = 0; i < tried_.size(); ++i) text += (i == 0 ? "" : "; ") + tried_[i];
  if (tried_.empty()) text += "nothing (no packages folder in use)";
  return text;
}
