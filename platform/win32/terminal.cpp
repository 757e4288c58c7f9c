#include "platform/terminal.h"

#include <windows.h>

namespace {

bool rawModeActive = false;
DWORD savedInputMode = 0;
DWORD savedOutputMode = 0;

HANDLE inputHandle() { return GetStdHandle(STD_INPUT_HANDLE); }
HANDLE outputHandle() { return GetStdHandle(STD_OUTPUT_HANDLE); }

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// The characters of the key presses among the pending console events.
void collectKeyCharacters(std::string* keys) {
  INPUT_RECORD records[32];
  DWORD count = 0;
  if (!ReadConsoleInputA(inputHandle(), records, 32, &count)) return;
  for (DWORD i = 0; i < count; ++i) {
    const INPUT_RECORD& record = records[i];
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const char character = record.Event.KeyEvent.uChar.AsciiChar;
    if (character != '\0') keys->append(record.Event.KeyEvent.wRepeatCount, character);
  }
}

}  // namespace

bool standardStreamsAreTerminal() { return isConsole(inputHandle()) && isConsole(outputHandle()); }

bool enterRawTerminal() {
  if (rawModeActive) return true;
  if (!GetConsoleMode(inputHandle(), &savedInputMode) || !GetConsoleMode(outputHandle(), &savedOutputMode)) {
    return false;
  }
  // No line input, echo or Ctrl-C processing: every key reaches the program.
  const DWORD rawInput = ENABLE_VIRTUAL_TERMINAL_INPUT;
  const DWORD vtOutput = savedOutputMode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
  if (!SetConsoleMode(inputHandle(), rawInput)) return false;
  if (!SetConsoleMode(outputHandle(), vtOutput)) {
    SetConsoleMode(inputHandle(), savedInputMode);
    return false;
  }
  rawModeActive = true;
  return true;
}

void restoreTerminal() {
  if (!rawModeActive) return;
  SetConsoleMode(inputHandle(), savedInputMode);
  SetConsoleMode(outputHandle(), savedOutputMode);
  rawModeActive = false;
}

TerminalInput readTerminalKeys(std::string* keys, unsigned timeoutMs) {
  keys->clear();
  const DWORD waited = WaitForSingleObject(inputHandle(), timeoutMs);
  if (waited == WAIT_TIMEOUT) return TerminalInput::kNothingYet;
  if (waited != WAIT_OBJECT_0) return TerminalInput::kClosed;
  collectKeyCharacters(keys);
  return keys->empty() ? TerminalInput::kNothingYet : TerminalInput::kKeys;
}

void writeTerminal(const std::string& text) {
  DWORD written = 0;
  WriteFile(outputHandle(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
