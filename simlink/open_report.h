// What the last link open on the calling thread read and tried, for the
// program to tell its user: the configuration files read, the settings they
// gave, and each transport attempt with its target and, when it failed, the
// system's reason. The link library itself never logs. Each thread sees only
// its own opens (the one that opens links, in the bridge); the report stays
// until that thread's next open.
#pragma once

#include <string>
#include <vector>

struct LinkAttempt {
  std::string target;   // "pipe \\.\pipe\...", "IPv6 ::1 port 500", "IPv4 sim-pc port 500"
  std::string failure;  // the system's reason; empty for the attempt that connected
};

struct LinkOpenReport {
  std::vector<std::string> filesLookedAt;  // every configuration file, in reading order
  std::vector<std::string> filesRead;      // those that had the section
  std::string settings;                    // "protocol IPv4, address sim-pc, port 500" from defaults and files
  std::vector<LinkAttempt> attempts;       // in the order made; empty when none was possible
};

// The calling thread's report; filled by SimConnect_Open.
const LinkOpenReport& lastLinkOpenReport();

// The link library's own: the calling thread's report, to be filled.
LinkOpenReport& linkOpenReportToFill();
