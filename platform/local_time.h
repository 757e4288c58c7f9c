// The current local time in the standard asctime form, without its newline:
// "Www Mmm dd hh:mm:ss yyyy" (24 characters). Safe from any thread.
#pragma once

#include <string>

std::string localTimeAsctime();
