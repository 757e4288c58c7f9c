#include "tools/client/settings_options.h"

#include <cstddef>
#include <cstdio>

#include "tools/client/argument_numbers.h"

namespace {

// A switch: its change-flag bit and the offset of its switch byte.
struct SwitchOption {
  const char* name;
  unsigned bit;
  size_t switchOffset;
  const char* help;
};

const SwitchOption kSwitchOptions[] = {
    {"--ap-master", 0, 124, "autopilot master"}, {"--autothrottle", 1, 125, "autothrottle arm"},
    {"--fd", 2, 126, "flight director"},         {"--speed-hold", 3, 127, "airspeed hold"},
    {"--n1-hold", 4, 128, "N1 (RPM) hold"},      {"--mach-hold", 5, 129, "Mach hold"},
    {"--alt-hold", 6, 130, "altitude hold"},     {"--hdg-hold", 9, 133, "heading hold"},
    {"--nav-hold", 10, 135, "NAV 1 hold"},       {"--app-hold", 11, 136, "approach hold"},
};

// A value sent when its change-flag bit is set.
struct ValueOption {
  const char* name;
  unsigned bit;
  double SettingsRecord::*field;
  const char* argument;
  const char* help;
};

const ValueOption kValueOptions[] = {
    {"--speed", 14, &SettingsRecord::setSpeedKt, "KT", "autopilot speed"},
    {"--n1", 15, &SettingsRecord::setN1RefPct, "PCT", "N1 reference"},
    {"--mach", 16, &SettingsRecord::setMach, "M", "autopilot Mach"},
    {"--alt", 17, &SettingsRecord::setAltitudeFt, "FT", "autopilot altitude"},
    {"--vs", 18, &SettingsRecord::setVerticalSpeedFpm, "FPM", "autopilot vertical speed"},
    {"--hdg", 19, &SettingsRecord::setHeadingDeg, "DEG", "heading bug"},
    {"--course", 20, &SettingsRecord::setCourseDeg, "DEG", "NAV 1 course"},
};

// A target: a request whenever it holds other than -1.
struct TargetOption {
  const char* name;
  double SettingsRecord::*field;
  const char* argument;
  const char* help;
};

const TargetOption kTargetOptions[] = {
    {"--target-alt", &SettingsRecord::targetAltitudeFt, "FT", "altitude to hold (engages altitude hold)"},
    {"--target-vs", &SettingsRecord::targetVerticalSpeedFpm, "FPM", "vertical speed to hold"},
    {"--target-speed", &SettingsRecord::targetSpeed, "V", "speed to hold: Mach below 2, else knots"},
    {"--target-hdg", &SettingsRecord::targetHeadingDeg, "DEG", "heading to hold"},
};

std::string helpLine(const char* name, const char* argument, const char* help) {
  char line[160];
  snprintf(line, sizeof line, "    %-15s %-7s %s\n", name, argument, help);
  return line;
}

bool parseSwitch(const std::string& text, uint8_t& position) {
  if (text == "on" || text == "1")
    position = 1;
  else if (text == "off" || text == "0")
    position = 0;
  else
    return false;
  return true;
}

// Applies one option; false with `error` set when it is unknown or malformed.
bool applyOption(const std::string& name, const std::string& value, SettingsRecord& record, std::string& error) {
  for (const SwitchOption& option : kSwitchOptions) {
    if (name != option.name) continue;
    uint8_t position = 0;
    if (!parseSwitch(value, position)) return error = name + " takes on or off, not \"" + value + "\"", false;
    record.changeFlags |= 1u << option.bit;
    record.switches[switchIndex(option.switchOffset)] = position;
    return true;
  }
  double number = 0.0;
  const bool numeric = parseDecimalNumber(value, number);
  for (const ValueOption& option : kValueOptions) {
    if (name != option.name) continue;
    if (!numeric) return error = name + " takes a finite decimal number, not \"" + value + "\"", false;
    record.changeFlags |= 1u << option.bit;
    record.*option.field = number;
    return true;
  }
  for (const TargetOption& option : kTargetOptions) {
    if (name != option.name) continue;
    if (!numeric) return error = name + " takes a finite decimal number, not \"" + value + "\"", false;
    record.*option.field = number;
    return true;
  }
  error = "unknown option for set: " + name;
  return false;
}

}  // namespace

bool settingsFromOptions(const std::vector<std::string>& options, SettingsRecord& record, std::string& error) {
  resetSettingsRecord(record);
  if (options.empty()) {
    error = "set needs at least one option";
    return false;
  }
  for (size_t i = 0; i < options.size(); i += 2) {
    if (i + 1 >= options.size()) {
      error = options[i] + " needs a value";
      return false;
    }
    if (!applyOption(options[i], options[i + 1], record, error)) return false;
  }
  return true;
}

std::string settingsOptionsHelp() {
  std::string help;
  for (const SwitchOption& option : kSwitchOptions) help += helpLine(option.name, "on|off", option.help);
  for (const ValueOption& option : kValueOptions) help += helpLine(option.name, option.argument, option.help);
  for (const TargetOption& option : kTargetOptions) help += helpLine(option.name, option.argument, option.help);
  return help;
}
