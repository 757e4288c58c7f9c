#include "platform/test_status_display.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/posix/test_child_program.h"

struct StatusDisplay {
  pid_t pid = -1;
  int terminal = -1;   // the pseudo-terminal's controlling side
  std::string screen;  // everything drawn and not yet taken as a frame
  bool frameTaken = false;
  bool ended = false;  // waited for
  int exitStatus = -1;
};

namespace {

// A frame runs from the cursor-home sequence to the erase-below sequence
// that ends it.
const char kFrameStart[] = "\x1b[H";
const char kFrameEnd[] = "\x1b[J";

// The frame's text without its control sequences and carriage returns.
std::string plainText(const std::string& frame) {
  std::string text;
  for (size_t i = 0; i < frame.size(); ++i) {
    if (frame[i] == '\x1b' && i + 1 < frame.size() && frame[i + 1] == '[') {
      i += 2;
      while (i < frame.size() && (frame[i] < '@' || frame[i] > '~')) ++i;
    } else if (frame[i] != '\r') {
      text += frame[i];
    }
  }
  return text;
}

bool takeFrame(StatusDisplay* display, std::string* text) {
  const size_t start = display->screen.find(kFrameStart);
  if (start == std::string::npos) return false;
  const size_t end = display->screen.find(kFrameEnd, start);
  if (end == std::string::npos) return false;
  *text = plainText(display->screen.substr(start + 3, end - start - 3));
  display->screen.erase(0, end + 3);
  display->frameTaken = true;
  return true;
}

// Reads what the program drew, waiting up to the time for something. False
// when the terminal has closed (the program has ended).
bool readScreen(StatusDisplay* display, int timeoutMs) {
  pollfd readable{display->terminal, POLLIN, 0};
  if (poll(&readable, 1, timeoutMs) <= 0) return true;
  char buffer[1024];
  const ssize_t count = read(display->terminal, buffer, sizeof buffer);
  if (count <= 0) return count < 0 && errno == EINTR;
  display->screen.append(buffer, static_cast<size_t>(count));
  return true;
}

}  // namespace

StatusDisplay* openStatusDisplay(const TestProcessOptions& program, unsigned, std::string* error) {
  const ChildProgramLaunch launch(program);
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
  if (pid == 0) launch.execute();
  if (pid < 0) {
    *error = std::string("forkpty: ") + std::strerror(errno);
    return nullptr;
  }
  auto* display = new StatusDisplay;
  display->pid = pid;
  display->terminal = terminal;
  return display;
}

bool firstStatusView(StatusDisplay* display, std::string* text, unsigned, unsigned timeoutMs) {
  return !display->frameTaken && nextStatusView(display, text, timeoutMs);
}

bool nextStatusView(StatusDisplay* display, std::string* text, unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!takeFrame(display, text)) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readScreen(display, static_cast<int>(left.count()))) return false;
  }
  return true;
}

bool statusLineView(StatusDisplay* display, StatusLine, std::string* text, unsigned timeoutMs) {
  return nextStatusView(display, text, timeoutMs);
}

bool makeExitGesture(StatusDisplay* display, ExitGesture gesture) {
  const char key = gesture == ExitGesture::kExitButton ? 'q' : gesture == ExitGesture::kEscapeKey ? '\x1b' : '\x03';
  return write(display->terminal, &key, 1) == 1;
}

bool waitStatusDisplayExit(StatusDisplay* display, unsigned timeoutMs, int* exitStatus) {
  // Keep taking what it draws meanwhile, so that it never blocks on a full
  // terminal while stopping.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!display->ended) {
    if (waitForChildProgram(display->pid, 0, &display->exitStatus)) {
      display->ended = true;
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (!readScreen(display, 5)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  *exitStatus = display->exitStatus;
  return true;
}

bool statusViewsAreFrames() { return true; }

bool readStatusWindowStyles(StatusDisplay*, StatusWindowStyles*) { return false; }

bool captureStatusImage(StatusDisplay*, StatusImage*) { return false; }

void closeStatusDisplay(StatusDisplay* display) {
  if (display == nullptr) return;
  if (!display->ended) {
    kill(display->pid, SIGKILL);
    waitForChildProgram(display->pid, 10000, &display->exitStatus);
  }
  close(display->terminal);
  delete display;
}
