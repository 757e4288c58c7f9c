// The status screen: the terminal form of the status window, as ANSI-coded
// frames that redraw the whole screen in place. Each frame starts by homing
// the cursor and ends by erasing whatever an earlier, longer frame left below
// it, so a reader of the terminal's output can tell complete frames apart.
// Pure functions, safe from any thread; the POSIX main thread draws.
#pragma once

#include <string>
#include <vector>

// Clears the screen and hides the cursor, once before the first frame.
std::string statusScreenOpening();

// One frame: the program's name, the status text (empty before the first
// refresh, like the window's status control), the address line, the detail
// lines that are not empty, and how to leave.
std::string statusScreenFrame(const std::string& status, const std::string& addressLine,
                              const std::vector<std::string>& detailLines = {});

// Shows the cursor again below the last frame, once after the last frame.
std::string statusScreenClosing();
