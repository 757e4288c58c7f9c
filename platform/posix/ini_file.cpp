#include "platform/posix/ini_file.h"

#include <strings.h>
#include <sys/stat.h>

#include <fstream>

namespace {

std::string trimmed(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

std::string withoutQuotes(const std::string& text) {
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

void createParentFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

}  // namespace

bool sameIniName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool loadIniFile(const std::string& path, IniFile& file) {
  file.sections.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const std::string text = trimmed(line);
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      const size_t close = text.find(']');
      const std::string name = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      file.sections.push_back(IniSection{trimmed(name), {}});
      continue;
    }
    if (file.sections.empty()) continue;
    IniEntry entry;
    const size_t equals = text.find('=');
    entry.key = trimmed(text.substr(0, equals));
    if (equals != std::string::npos) {
      entry.hasValue = true;
      entry.value = withoutQuotes(trimmed(text.substr(equals + 1)));
    }
    file.sections.back().entries.push_back(entry);
  }
  return true;
}

bool saveIniFile(const std::string& path, const IniFile& file) {
  createParentFolders(path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const IniSection& section : file.sections) {
    out << '[' << section.name << "]\n";
    for (const IniEntry& entry : section.entries) {
      out << entry.key;
      if (entry.hasValue) out << '=' << entry.value;
      out << '\n';
    }
  }
  return static_cast<bool>(out);
}

const IniSection* findIniSection(const IniFile& file, const std::string& name) {
  for (const IniSection& section : file.sections) {
    if (sameIniName(section.name, name)) return &section;
  }
  return nullptr;
}

IniSection* findIniSection(IniFile& file, const std::string& name) {
  return const_cast<IniSection*>(findIniSection(static_cast<const IniFile&>(file), name));
}

const IniEntry* findIniEntry(const IniSection& section, const std::string& key) {
  for (const IniEntry& entry : section.entries) {
    if (sameIniName(entry.key, key)) return &entry;
  }
  return nullptr;
}
