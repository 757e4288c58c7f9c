// The program's terminal used as a full-screen status display: whether the
// program has one, raw key input without echo, and output of ANSI-coded
// frames. POSIX: termios on standard input, plain writes to standard output.
// Win32: the console's modes, with virtual terminal input and processing.
// Only the program's main thread calls these.
#pragma once

#include <string>

// True when both standard input and standard output are a terminal.
bool standardStreamsAreTerminal();

// Switches standard input to raw key input: no echo, no line editing, and
// Ctrl-C, Ctrl-Z and Ctrl-S arrive as plain keys instead of acting. Output
// keeps turning "\n" into a new line and interprets ANSI sequences. A hang-up
// of the terminal no longer ends the process: input reports kClosed instead,
// so the program can stop in order. Remembers the modes it replaced; false
// when they cannot be changed.
bool enterRawTerminal();

// Puts back the modes enterRawTerminal replaced. Does nothing if it did not
// run or the modes are already back.
void restoreTerminal();

enum class TerminalInput { kKeys, kNothingYet, kClosed };

// Waits at most timeoutMs for typed keys and stores the bytes that are there
// in *keys. kClosed when the terminal has gone away.
TerminalInput readTerminalKeys(std::string* keys, unsigned timeoutMs);

// Writes the text to standard output at once (no buffering).
void writeTerminal(const std::string& text);
