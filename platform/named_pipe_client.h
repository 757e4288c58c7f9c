// The client end of a named pipe, opened for overlapped I/O. Win32: the real
// pipe, opened with CreateFileA, waiting with WaitNamedPipeA while every
// instance is busy. POSIX: the Unix-domain stream socket that
// localPipeEndpoint maps the pipe path to; a busy pipe does not exist there
// (the listener's backlog queues connections). Safe from any thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/overlapped_io.h"

// Opens the pipe with read and write access, no sharing, opening only an
// existing pipe. While the pipe is busy, waits for a free instance for up to
// busyWaitMilliseconds per try and tries again. kInvalidIoHandle on failure,
// with the system's description of why in `failure` when it is given. The
// handle is not yet bound to the completion pool.
IoHandle openNamedPipeClient(const std::string& pipePath, uint32_t busyWaitMilliseconds,
                             std::string* failure = nullptr);
