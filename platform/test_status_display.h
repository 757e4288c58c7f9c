// Test support: the program's status display, read and worked as its user
// would. Win32: Orvxlink.exe's status dialog, found among its process's
// windows; the status control (1000) and the lines below it are read with
// WM_GETTEXT, and "Exit", Escape and the close box are worked with posted
// messages. POSIX: orvxlink run in a pseudo-terminal; its screen is read
// frame by frame and keys are typed to it. Each object is used by one thread at a time; the caller
// closes what it opens, which ends the program if it still runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/test_process.h"

struct StatusDisplay;

// Starts the program and waits up to the time for its display to be up (on
// POSIX at once). Null on failure, with the reason in *error.
StatusDisplay* openStatusDisplay(const TestProcessOptions& program, unsigned timeoutMs, std::string* error);

// The status as the display showed it first. POSIX: the first frame drawn
// (ask before nextStatusView). Win32: the status control's text, read as soon
// as the window was found. True only when that view certainly came before the
// first refresh: on Win32 when it was read within refreshPeriodMs of the
// program's start, which a loaded machine may miss; on POSIX when a frame
// came within timeoutMs.
bool firstStatusView(StatusDisplay* display, std::string* text, unsigned refreshPeriodMs, unsigned timeoutMs);

// The next view of the status: POSIX: the next whole frame the program drew
// since the last call, in drawing order, as plain text; Win32: the status
// control's text at this moment. Waits up to the time for one; false when
// none came (or the window has gone).
bool nextStatusView(StatusDisplay* display, std::string* text, unsigned timeoutMs);

// The lines below the status: whether and where apps connect, the last app
// that connected, and where the log goes.
enum class StatusLine { kAddress, kLastApp, kLogPlace };

// The line as the display shows it now. Win32: the text of the dialog's
// control for it (1001, 1002, 1003); POSIX: the next whole frame, which holds
// the line among the rest. Waits up to the time; false when none came.
bool statusLineView(StatusDisplay* display, StatusLine line, std::string* text, unsigned timeoutMs);

// True where each view is one frame the program drew (POSIX), so views can be
// counted; false where a view is the text at the moment of reading (Win32).
bool statusViewsAreFrames();

// The window styles as the system reports them for the dialog and its two
// controls (GetWindowLong GWL_STYLE and GWL_EXSTYLE). Win32 only; POSIX has
// no window: false.
struct StatusWindowStyles {
  uint32_t dialog = 0;
  uint32_t dialogExtended = 0;
  uint32_t exitButton = 0;     // control 1, "Exit"
  uint32_t statusControl = 0;  // control 1000
};
bool readStatusWindowStyles(StatusDisplay* display, StatusWindowStyles* styles);

// The ways a user ends the program. POSIX: the keys q, Escape and Ctrl-C;
// Win32: the "Exit" button, the Escape key and the caption's close box.
enum class ExitGesture { kExitButton, kEscapeKey, kCloseBox };

// Makes the gesture. False when it could not be delivered.
bool makeExitGesture(StatusDisplay* display, ExitGesture gesture);

// Waits up to the time for the program to end; true with its exit status.
bool waitStatusDisplayExit(StatusDisplay* display, unsigned timeoutMs, int* exitStatus);

// A picture of the display, rows top to bottom, 3 bytes (R, G, B) a pixel.
struct StatusImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Win32: the dialog as it is drawn on the screen. POSIX has no picture of a
// terminal: false.
bool captureStatusImage(StatusDisplay* display, StatusImage* image);

void closeStatusDisplay(StatusDisplay* display);
