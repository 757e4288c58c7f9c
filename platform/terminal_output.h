// Whether standard output is a terminal that can redraw a view in place with
// ANSI escape sequences (on Win32 this switches the console's virtual
// terminal processing on). Called once at program start, by the main thread.
#pragma once

// True when stdout is such a terminal; false for files and pipes.
bool enableInPlaceTerminalOutput();
