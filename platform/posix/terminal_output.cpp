#include "platform/terminal_output.h"

#include <unistd.h>

bool enableInPlaceTerminalOutput() { return isatty(STDOUT_FILENO) == 1; }
