#include "bridge/user_cfg.h"

#include <cstdio>

#include "platform/file_path.h"

namespace {

constexpr char kSettingName[] = "installedpackagespath";
constexpr size_t kSettingNameLength = sizeof kSettingName - 1;
constexpr size_t kMostBytesRead = 1 << 20;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithSettingName(const std::string& line, size_t at) {
  if (line.size() - at < kSettingNameLength) return false;
  for (size_t i = 0; i < kSettingNameLength; ++i)
    if (lowerAscii(line[at + i]) != kSettingName[i]) return false;
  return true;
}

bool holdsControlCharacter(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

// The folder of one line, if the line is the setting; `isSetting` tells
// whether it was, so that a malformed setting line is not passed over for a
// later one.
std::optional<std::string> folderOfLine(const std::string& line, bool* isSetting) {
  size_t at = 0;
  while (at < line.size() && isBlank(line[at])) ++at;
  *isSetting = false;
  if (!startsWithSettingName(line, at)) return std::nullopt;
  at += kSettingNameLength;
  if (at < line.size() && !isBlank(line[at]) && line[at] != '"') return std::nullopt;  // a longer name
  *isSetting = true;
  while (at < line.size() && isBlank(line[at])) ++at;

  std::string folder;
  if (at < line.size() && line[at] == '"') {
    const size_t closing = line.find('"', at + 1);
    if (closing == std::string::npos) return std::nullopt;
    folder = line.substr(at + 1, closing - at - 1);
  } else {
    size_t end = line.size();
    while (end > at && isBlank(line[end - 1])) --end;
    folder = line.substr(at, end - at);
  }
  if (folder.empty() || holdsControlCharacter(folder)) return std::nullopt;
  return folder;
}

}  // namespace

std::optional<std::string> installedPackagesPathFromUserCfg(const std::string& text) {
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    bool isSetting = false;
    std::optional<std::string> folder = folderOfLine(text.substr(lineStart, lineEnd - lineStart), &isSetting);
    if (isSetting) return folder;
    lineStart = lineEnd + 1;
  }
  return std::nullopt;
}

std::optional<std::string> readInstalledPackagesPath(const std::string& windowsStylePath) {
  std::FILE* file = openTextFileForReading(windowsStylePath);
  if (file == nullptr) return std::nullopt;
  std::string text(kMostBytesRead, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), file));
  std::fclose(file);
  return installedPackagesPathFromUserCfg(text);
}
