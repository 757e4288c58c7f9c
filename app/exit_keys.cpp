#include "app/exit_keys.h"

namespace {

constexpr char kEscape = '\x1b';
constexpr char kCtrlC = '\x03';

// The index just past an escape sequence that starts at keys[start] (an ESC
// followed by '[' or 'O'): parameters and intermediates, then one final byte
// from '@' to '~'.
size_t skipEscapeSequence(const std::string& keys, size_t start) {
  size_t i = start + 2;
  while (i < keys.size() && (keys[i] < '@' || keys[i] > '~')) ++i;
  return i + 1;
}

bool startsEscapeSequence(const std::string& keys, size_t i) {
  return keys[i] == kEscape && i + 1 < keys.size() && (keys[i + 1] == '[' || keys[i + 1] == 'O');
}

}  // namespace

bool holdsExitKey(const std::string& keys) {
  for (size_t i = 0; i < keys.size();) {
    if (startsEscapeSequence(keys, i)) {
      i = skipEscapeSequence(keys, i);
      continue;
    }
    const char key = keys[i];
    if (key == 'q' || key == 'Q' || key == kEscape || key == kCtrlC) return true;
    ++i;
  }
  return false;
}
