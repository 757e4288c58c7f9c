// Lines from the process's standard input (a terminal, a pipe or a file),
// read with a time limit so that the reading thread can notice a stop. Only
// one thread reads standard input.
#pragma once

#include <string>

enum class LineRead { kLine, kNothingYet, kEnd };

// Waits at most timeoutMs for a whole line and stores it in *line without its
// line end. kEnd when standard input is closed or unusable.
LineRead readStandardInputLine(std::string* line, unsigned timeoutMs);
