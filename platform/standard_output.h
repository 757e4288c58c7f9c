// Keeps the program's own writes to standard output and error harmless when
// nobody reads them: output piped into a command that has exited, or a
// stream that was closed before the program started. Call once, from the
// main thread, before any other thread starts and before any file or socket
// is opened.
#pragma once

// POSIX: a write to a pipe whose reader has gone fails with EPIPE instead of
// ending the process with SIGPIPE, and a standard stream that is not open is
// opened on the null device, so that no file or socket opened later takes
// its descriptor and receives the program's output. Windows: nothing to do
// (a missing stream only makes the writes fail).
void protectStandardOutput();
