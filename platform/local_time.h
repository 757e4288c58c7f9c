// Local time as text. Safe from any thread.
#pragma once

#include <ctime>
#include <string>

// The current local time in the standard asctime form, without its newline:
// "Www Mmm dd hh:mm:ss yyyy" (24 characters).
std::string localTimeAsctime();

// The local time of day of a moment: "hh:mm:ss", 24-hour clock.
std::string localClockTime(std::time_t moment);
