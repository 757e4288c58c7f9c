#include "platform/line_input.h"

#include <windows.h>

#include "platform/line_splitting.h"

namespace {

std::string pending;  // bytes read but not yet handed out; reader thread only
bool inputEnded = false;

bool takeLine(std::string* line) { return takeBufferedLine(pending, line); }

// True when the console's input buffer holds a pressed Enter key, so that a
// line-mode read returns at once.
bool consoleHasLine(HANDLE input) {
  INPUT_RECORD records[128];
  DWORD count = 0;
  if (!PeekConsoleInputA(input, records, 128, &count)) return false;
  for (DWORD i = 0; i < count; ++i) {
    const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
    if (records[i].EventType == KEY_EVENT && key.bKeyDown && key.uChar.AsciiChar == '\r') return true;
  }
  return false;
}

// How many bytes may be read now without blocking; -1 at the end of input,
// and also for input that cannot be polled (a pipe whose fill level cannot
// be peeked, as under Wine, or a character device that is no console): a
// read there could block for good and never let its thread be joined.
long readableBytes(HANDLE input) {
  DWORD mode = 0;
  if (GetConsoleMode(input, &mode)) return consoleHasLine(input) ? 4096 : 0;
  switch (GetFileType(input)) {
    case FILE_TYPE_PIPE: {
      DWORD available = 0;
      if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) return -1;
      return static_cast<long>(available);
    }
    case FILE_TYPE_DISK:
      return 4096;  // a file never blocks
    default:
      return -1;
  }
}

}  // namespace

LineRead readStandardInputLine(std::string* line, unsigned timeoutMs) {
  if (takeLine(line)) return LineRead::kLine;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (inputEnded || input == nullptr || input == INVALID_HANDLE_VALUE) return LineRead::kEnd;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  long readable = readableBytes(input);
  while (readable == 0 && GetTickCount64() < deadline) {
    Sleep(20);
    readable = readableBytes(input);
  }
  if (readable == 0) return LineRead::kNothingYet;
  char buffer[4096];
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(readable > 4096 ? 4096 : readable);
  if (readable < 0 || !ReadFile(input, buffer, wanted, &got, nullptr) || got == 0) {
    inputEnded = true;
    if (pending.empty()) return LineRead::kEnd;
    *line = pending;
    pending.clear();
    return LineRead::kLine;
  }
  pending.append(buffer, got);
  return takeLine(line) ? LineRead::kLine : LineRead::kNothingYet;
}
