#include "platform/terminal_output.h"

#include <windows.h>

bool enableInPlaceTerminalOutput() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  // GetConsoleMode fails for files and pipes: those get plain lines.
  if (output == INVALID_HANDLE_VALUE || output == nullptr || !GetConsoleMode(output, &mode)) return false;
  return SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
