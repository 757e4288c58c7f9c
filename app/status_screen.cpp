#include "app/status_screen.h"

#include <algorithm>

namespace {

const char kCursorHome[] = "\x1b[H";
const char kEraseLineEnd[] = "\x1b[K";
const char kEraseBelow[] = "\x1b[J";

// The status text has three lines; an empty one still takes their room, so
// the footer stays put when the first refresh fills them.
constexpr size_t kStatusLines = 3;

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::string statusScreenOpening() { return "\x1b[2J\x1b[?25l"; }

std::string statusScreenFrame(const std::string& status, const std::string& addressLine,
                              const std::vector<std::string>& detailLines) {
  std::vector<std::string> lines = {"Orvxlink", ""};
  std::vector<std::string> statusLines = status.empty() ? std::vector<std::string>{} : splitLines(status);
  statusLines.resize(std::max(statusLines.size(), kStatusLines));
  lines.insert(lines.end(), statusLines.begin(), statusLines.end());
  lines.push_back("");
  lines.push_back(addressLine);
  for (const std::string& line : detailLines) {
    if (!line.empty()) lines.push_back(line);
  }
  lines.push_back("");
  lines.push_back("Press q or Esc to exit.");

  std::string frame = kCursorHome;
  for (const std::string& line : lines) frame += line + kEraseLineEnd + "\n";
  return frame + kEraseBelow;
}

std::string statusScreenClosing() { return "\x1b[?25h"; }
