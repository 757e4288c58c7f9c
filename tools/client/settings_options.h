// The options of "orvxlink-client set", turned into a settings record with
// the right change flags, switch bytes, values and targets. Pure functions;
// any thread.
#pragma once

#include <string>
#include <vector>

#include "bridge/settings_record.h"

// Starts from the record's start values and applies each "--name value" pair.
// False with `error` set on an unknown option, a missing or malformed value,
// or no option at all.
bool settingsFromOptions(const std::vector<std::string>& options, SettingsRecord& record, std::string& error);

// One line per option, for the usage text.
std::string settingsOptionsHelp();
