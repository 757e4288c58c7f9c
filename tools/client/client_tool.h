// The orvxlink-client command line: parses HOST[:PORT], the command and its
// options, speaks to the bridge as an app does and prints what it gets. The
// executable's main calls it; tests call it in-process. Main thread only; the
// socket library must be started.
#pragma once

#include <ostream>
#include <string>
#include <vector>

constexpr int kClientExitOk = 0;
constexpr int kClientExitFailure = 1;  // cannot connect, connection closed
// The command line is wrong, or names a file that cannot be used; nothing
// has been sent to the bridge then.
constexpr int kClientExitUsage = 2;

// `args` are the arguments after the program name. `refreshInPlace` lets
// "watch" redraw its view in place (stdout is a terminal); otherwise it
// prints one line per record.
int runOrvxlinkClient(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool refreshInPlace);
