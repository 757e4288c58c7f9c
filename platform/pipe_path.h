// Where a Windows named pipe lives. On Win32 a pipe path such as
// "\\.\pipe\Microsoft Flight Simulator\SimConnect" is used as it stands. On
// POSIX the same pipe is a Unix-domain stream socket in a per-user folder:
// $XDG_RUNTIME_DIR if set, else /tmp; its file name is "orvxlink-pipe-"
// followed by the pipe's own name (the text after "\pipe\"), with every
// character outside [A-Za-z0-9._-] replaced by '_'. Only the local machine
// "." has pipes on POSIX. Both the link library and the simulator emulator
// use this mapping, so they always meet.
#pragma once

#include <string>

// Returns the path to open or listen on for the pipe path, or an empty text
// when the pipe cannot be mapped (another machine, or no "\pipe\" part).
std::string localPipeEndpoint(const std::string& pipePath);
