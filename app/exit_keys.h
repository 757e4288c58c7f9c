// Which keys typed at the status screen end the program: q, Escape and
// Ctrl-C, the screen's counterparts of the window's "Exit" button, Escape key
// and close box. Pure function; the POSIX main thread calls it.
#pragma once

#include <string>

// True when the bytes read from a terminal in raw mode hold an exit key.
// Keys that send escape sequences (arrows, function keys: ESC followed by
// '[' or 'O' and the sequence's own bytes) are not Escape; a lone ESC is.
bool holdsExitKey(const std::string& keys);
