// The layout of a "modular" aircraft, as Microsoft Flight Simulator 2024
// keeps it: files shared by every variant in "<aircraft>\common\config", and
// each variant (preset) in "<aircraft>\presets\<maker>\<preset>\config" with
// its own entries. Pure functions, safe from any thread.
#pragma once

#include <string>

// The common configuration folder of a modular aircraft, relative to its
// folder.
constexpr char kModularCommonFolder[] = "common\\config";

// A folder split into the aircraft's folder and, when the folder is a
// preset's configuration folder, the preset part relative to it.
struct ModularSplit {
  std::string aircraftFolder;
  std::string presetFolder;  // "presets\<maker>\<preset>\config" as given; empty for any other folder
};

// Splits `folder` (parts separated by '\' or '/') when its last four parts
// are "presets", a maker, a preset and "config" ("presets" and "config" in
// any case, maker and preset neither empty nor only dots and spaces) and
// something comes before them; otherwise the whole folder is the aircraft's.
ModularSplit splitPresetFolder(const std::string& folder);
