#include "bridge/aircraft_config.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bridge/aircraft_files_trace.h"
#include "bridge/aircraft_packages.h"
#include "bridge/modular_aircraft.h"
#include "bridge/package_index.h"
#include "bridge/shared_state.h"
#include "log/log.h"
#include "platform/file_path.h"

namespace {

FlapDetentTable& storedTable() {
  static FlapDetentTable table{};  // all 0.0 until a file is read
  return table;
}

// One read takes at most 499 characters, so a longer line is handled as
// several lines.
constexpr int kReadBufferSize = 500;

// How a file marks comments. Both kinds cut a line at "//"; the simulator's
// own flight_model.cfg files also end their lines with "; remark", which
// aircraft.cfg lines keep (there the ';' makes a value fail the number check).
enum class CommentRule { kSlashesOnly, kSlashesAndSemicolon };

// Where the reader stands inside the file.
struct SectionState {
  bool inFlapSection = false;
  int flapType = -1;  // -1 until the section's "type" line is read
};

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Only ASCII letters change; bytes above 0x7F are left as they are (they
// fail the number check anyway).
void lowerAscii(std::string& text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

// Digits, spaces and '.', and a '-' in first place.
bool looksNumeric(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool allowed = (c >= '0' && c <= '9') || c == ' ' || c == '.' || (i == 0 && c == '-');
    if (!allowed) return false;
  }
  return true;
}

// The integer at the start of the text, read as atoi reads it (leading
// spaces, an optional '-', decimal digits), but saturated at the int range
// instead of overflowing, since a file may hold any number of digits.
int leadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  constexpr int64_t kLimit = int64_t{1} << 31;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (magnitude < kLimit) magnitude = magnitude * 10 + (text[i] - '0');
  if (negative) return static_cast<int>(magnitude >= kLimit ? -kLimit : -magnitude);
  return static_cast<int>(magnitude >= kLimit ? kLimit - 1 : magnitude);
}

// The first run of characters without a carriage return or line feed.
std::string lineContent(const char* read) {
  const char* begin = read;
  while (*begin == '\r' || *begin == '\n') ++begin;
  const char* end = begin;
  while (*end != '\0' && *end != '\r' && *end != '\n') ++end;
  return std::string(begin, end);
}

// "type = N" inside a flap section sets the section's flap type; any other
// key that contains "type" is passed over.
void applyTypeLine(const std::string& line, SectionState& state) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  if (trimmed(line.substr(0, equals)) != "type") return;
  const std::string value = trimmed(line.substr(equals + 1));
  if (!value.empty() && looksNumeric(value)) state.flapType = leadingInteger(value);
}

// The angle of a "flaps-position.N = angle[, ...]" value, or false when the
// value is not an angle from 0 to 90 degrees.
bool flapAngle(const std::string& value, float& angle) {
  if (!looksNumeric(value)) return false;
  const double read = std::strtod(value.c_str(), nullptr);
  // Checked in double first so that only values near the range are narrowed
  // (narrowing a double beyond the float range is undefined).
  if (!(read >= -1.0 && read <= 91.0)) return false;
  angle = static_cast<float>(read);
  return angle >= 0.0f && angle <= 90.0f;
}

// "flaps-position.N = angle[, ...]" stores the angle for detent N, unless an
// earlier line already gave one.
void applyPositionLine(const std::string& line, FlapDetentTable& angles) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == line.size()) return;
  const std::string key = trimmed(line.substr(0, equals));
  std::string value = line.substr(equals + 1);
  const size_t comma = value.find(',');
  if (comma != std::string::npos) value.resize(comma);
  value = trimmed(value);
  float angle = 0.0f;
  if (value.empty() || !flapAngle(value, angle)) return;

  const size_t dot = key.find('.');
  if (dot == std::string::npos || dot + 1 == key.size()) return;
  const std::string indexText = key.substr(dot + 1);
  if (!looksNumeric(indexText)) return;
  const int index = leadingInteger(indexText);
  if (index < 0 || index >= static_cast<int>(kFlapDetentCount)) return;
  if (angles[index] == kNoFlapAngle) angles[index] = angle;
}

void cutComments(std::string& line, CommentRule rule) {
  if (rule == CommentRule::kSlashesAndSemicolon) {
    const size_t semicolon = line.find(';');
    if (semicolon != std::string::npos) line.resize(semicolon);
  }
  if (line.size() >= 2) {
    const size_t comment = line.find("//");
    if (comment != std::string::npos) line.resize(comment);
  }
}

void processLine(const char* read, CommentRule rule, SectionState& state, FlapDetentTable& angles) {
  std::string line = lineContent(read);
  if (line.empty()) return;
  cutComments(line, rule);
  lowerAscii(line);

  if (!line.empty() && line[0] == '[') {
    state.inFlapSection = line.size() >= 7 && contains(line, "[flaps.");
    state.flapType = -1;
    return;
  }
  if (!state.inFlapSection) return;
  if (line.size() >= 4 && contains(line, "type")) {
    applyTypeLine(line, state);  // a line with "type" in it is never a position line
    return;
  }
  if (state.flapType == 1 && line.size() >= 14 && contains(line, "flaps-position")) applyPositionLine(line, angles);
}

// Reads one configuration file into `angles`. Returns false, leaving
// `angles` alone, when the file cannot be opened.
bool readFlapFile(const std::string& windowsStylePath, CommentRule rule, FlapDetentTable& angles) {
  std::FILE* file = openTextFileForReading(windowsStylePath);
  if (file == nullptr) return false;
  angles.fill(kNoFlapAngle);
  SectionState state;
  char read[kReadBufferSize];
  while (std::fgets(read, sizeof read, file) != nullptr) {
    if (read[0] != '\0') processLine(read, rule, state, angles);
  }
  std::fclose(file);
  return true;
}

bool hasAnyAngle(const FlapDetentTable& angles) {
  for (float angle : angles)
    if (angle != kNoFlapAngle) return true;
  return false;
}

// The folders that may hold the aircraft's files (several when packages lay
// one aircraft folder over another: each file is taken from the first folder
// that has it), where each came from, and, for a preset of a modular
// aircraft, the preset's folder inside them.
struct AircraftFolders {
  std::vector<std::string> folders;
  std::vector<FileOrigin> origins;
  std::string presetFolder;
};

std::string inFolder(const std::string& folder, const std::string& subfolder, const char* fileName) {
  return folder + "\\" + (subfolder.empty() ? "" : subfolder + "\\") + fileName;
}

// Reads fileName (in subfolder) from the first folder where it opens; false
// when it opens in none.
bool readFirstFlapFile(const AircraftFolders& where, const std::string& subfolder, const char* fileName,
                       CommentRule rule, FlapDetentTable& angles, AircraftFilesTrace& trace) {
  for (size_t i = 0; i < where.folders.size(); ++i) {
    const std::string path = inFolder(where.folders[i], subfolder, fileName);
    if (readFlapFile(path, rule, angles)) {
      trace.noteRead(path, where.origins[i], angles);
      return true;
    }
    trace.noteMissing(path, where.origins[i]);
  }
  return false;
}

// Reads aircraft.cfg, and flight_model.cfg when that gives no angle, from
// subfolder of the folders. False, leaving `angles` alone, when neither file
// opens anywhere.
bool readConfigFiles(const AircraftFolders& where, const std::string& subfolder, FlapDetentTable& angles,
                     AircraftFilesTrace& trace) {
  bool opened = readFirstFlapFile(where, subfolder, "aircraft.cfg", CommentRule::kSlashesOnly, angles, trace);
  if (!opened || !hasAnyAngle(angles)) {
    opened =
        readFirstFlapFile(where, subfolder, "flight_model.cfg", CommentRule::kSlashesAndSemicolon, angles, trace) ||
        opened;
  }
  return opened;
}

// Reads the aircraft: its own files (the preset's, for a preset), then,
// when they give no angle, a modular aircraft's common files. The common
// files' table wins when it has angles or nothing else opened; otherwise
// the aircraft's own (without angles) stands, as for any file without flaps.
bool readAircraftFolders(const AircraftFolders& where, FlapDetentTable& angles, AircraftFilesTrace& trace) {
  FlapDetentTable own;
  const bool ownOpened = readConfigFiles(where, where.presetFolder, own, trace);
  if (ownOpened && hasAnyAngle(own)) {
    angles = own;
    return true;
  }
  FlapDetentTable common;
  if (readConfigFiles(where, kModularCommonFolder, common, trace) && (hasAnyAngle(common) || !ownOpened)) {
    angles = common;
    return true;
  }
  if (ownOpened) angles = own;
  return ownOpened;
}

// Logs the packages folders in use whenever they differ from those last
// logged (session thread only).
void logPackagesSources(const std::vector<AircraftInPackages>& found) {
  static std::string lastLogged;
  std::vector<PackagesSource> sources;
  for (const AircraftInPackages& aircraft : found) sources.push_back(aircraft.source);
  const std::string text = describePackagesSources(sources);
  if (text == lastLogged) return;
  lastLogged = text;
  logMessage("%s", text.c_str());
}

// Reads the aircraft in the first packages folder where a file of it opens.
bool readAircraftInPackages(const std::string& reportedPath, FlapDetentTable& angles, AircraftFilesTrace& trace) {
  if (!packageFolderKey(reportedPath)) {
    trace.noteRefusedPath();
    return false;
  }
  const std::vector<AircraftInPackages> found = aircraftInPackages(reportedPath);
  logPackagesSources(found);
  for (const AircraftInPackages& aircraft : found) {
    if (aircraft.folders.empty()) {
      trace.noteNotInPackages(aircraft.source.installation, aircraft.source.folder);
      continue;
    }
    AircraftFolders where{aircraft.folders, {}, aircraft.presetFolder};
    for (const std::string& layer : aircraft.layers)
      where.origins.push_back(FileOrigin{aircraft.source.installation, layer});
    if (readAircraftFolders(where, angles, trace)) return true;
  }
  return false;
}

void publish(const AircraftFilesTrace& trace) {
  const std::string note = trace.summary();
  setAircraftFilesNote(note);
  logMessage("%s", note.c_str());
}

}  // namespace

const FlapDetentTable& flapDetentTable() { return storedTable(); }

void readAircraftConfig() {
  AircraftFilesTrace trace(aircraftFilePath);
  const size_t lastBackslash = aircraftFilePath.rfind('\\');
  if (lastBackslash == std::string::npos) {  // also an empty path
    trace.noteNoFolder();
    publish(trace);
    return;
  }
  const ModularSplit reported = splitPresetFolder(aircraftFilePath.substr(0, lastBackslash));
  const AircraftFolders asReported{{reported.aircraftFolder}, {FileOrigin{"as reported", ""}}, reported.presetFolder};

  FlapDetentTable angles;
  if (readAircraftFolders(asReported, angles, trace) || readAircraftInPackages(aircraftFilePath, angles, trace)) {
    storedTable() = angles;
  }
  publish(trace);
}
