#include "platform/terminal.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool rawModeActive = false;
termios savedMode{};
struct sigaction savedHangUpAction {};

// Whole writes even when the terminal takes a frame in pieces.
void writeAll(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(STDOUT_FILENO, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // the terminal has gone; nothing to tell it
    data += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace

bool standardStreamsAreTerminal() { return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1; }

bool enterRawTerminal() {
  if (rawModeActive) return true;
  if (tcgetattr(STDIN_FILENO, &savedMode) != 0) return false;
  termios raw = savedMode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) return false;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGHUP, &ignore, &savedHangUpAction);
  rawModeActive = true;
  return true;
}

void restoreTerminal() {
  if (!rawModeActive) return;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedMode);
  sigaction(SIGHUP, &savedHangUpAction, nullptr);
  rawModeActive = false;
}

TerminalInput readTerminalKeys(std::string* keys, unsigned timeoutMs) {
  keys->clear();
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const int ready = poll(&input, 1, static_cast<int>(timeoutMs));
  if (ready < 0) return errno == EINTR ? TerminalInput::kNothingYet : TerminalInput::kClosed;
  if (ready == 0) return TerminalInput::kNothingYet;
  if ((input.revents & POLLIN) == 0) return TerminalInput::kClosed;  // hang-up or error only
  char buffer[64];
  const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) return TerminalInput::kNothingYet;
  if (count <= 0) return TerminalInput::kClosed;
  keys->assign(buffer, static_cast<size_t>(count));
  return TerminalInput::kKeys;
}

void writeTerminal(const std::string& text) { writeAll(text.data(), text.size()); }
