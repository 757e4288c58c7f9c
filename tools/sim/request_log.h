// The emulator's record of every request its clients sent: kind, send id,
// decoded fields, raw bytes and a note on anything odd, kept in memory and,
// when a file is given, appended to it as one JSON object per line. Not
// thread-safe: the emulator touches it under its lock.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace simemu {

struct RequestField {
  std::string name;
  std::string value;  // decimal for numbers, the text itself for texts
  bool numeric = true;
};

struct LoggedRequest {
  uint64_t sequence = 0;  // 1 for the first request of the run
  int clientId = 0;
  uint32_t size = 0;
  uint32_t version = 0;
  uint32_t kind = 0;
  uint32_t sendId = 0;
  std::string kindName;
  std::vector<RequestField> fields;
  std::string note;  // empty when all was well
  std::vector<uint8_t> raw;

  // The value of the named field; empty text when there is none.
  std::string field(const std::string& name) const;
  // One JSON object, no line end.
  std::string toJson() const;
};

class RequestLog {
 public:
  RequestLog() = default;
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Starts (truncates) the JSON-lines file. False with a reason on failure.
  bool openFile(const std::string& path, std::string* error);
  // Numbers the entry, keeps it and writes it to the file, if any.
  void append(LoggedRequest entry);
  // Keeps only about the latest `count` entries in memory (between count and
  // twice that), so that a long run does not grow without end; 0 keeps all.
  // The file, if any, still gets every entry.
  void keepAtMost(size_t count) { kept_ = count; }
  const std::vector<LoggedRequest>& entries() const { return entries_; }

 private:
  std::vector<LoggedRequest> entries_;
  uint64_t appended_ = 0;
  size_t kept_ = 0;
  std::FILE* file_ = nullptr;
};

// Text as a JSON string literal, quotes included. Bytes outside printable
// ASCII are escaped as \u00XX.
std::string jsonString(const std::string& text);

}  // namespace simemu
