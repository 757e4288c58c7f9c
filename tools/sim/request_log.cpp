#include "tools/sim/request_log.h"

#include "tools/sim/wire_bytes.h"

namespace simemu {

std::string LoggedRequest::field(const std::string& name) const {
  for (const RequestField& entry : fields) {
    if (entry.name == name) return entry.value;
  }
  return std::string();
}

std::string jsonString(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      out += "\\u00";
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string LoggedRequest::toJson() const {
  std::string json = "{\"seq\":" + std::to_string(sequence) + ",\"client\":" + std::to_string(clientId) +
                     ",\"kind\":" + std::to_string(kind) + ",\"name\":" + jsonString(kindName) +
                     ",\"size\":" + std::to_string(size) + ",\"version\":" + std::to_string(version) +
                     ",\"sendId\":" + std::to_string(sendId) + ",\"fields\":{";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) json += ",";
    json += jsonString(fields[i].name) + ":" + (fields[i].numeric ? fields[i].value : jsonString(fields[i].value));
  }
  json += "}";
  if (!note.empty()) json += ",\"note\":" + jsonString(note);
  return json + ",\"raw\":\"" + hexBytes(raw) + "\"}";
}

RequestLog::~RequestLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RequestLog::openFile(const std::string& path, std::string* error) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr && error != nullptr) *error = "cannot write the request log " + path;
  return file_ != nullptr;
}

void RequestLog::append(LoggedRequest entry) {
  entry.sequence = ++appended_;
  if (file_ != nullptr) {
    const std::string line = entry.toJson() + "\n";
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
  }
  if (kept_ > 0 && entries_.size() >= 2 * kept_) {
    entries_.erase(entries_.begin(), entries_.end() - static_cast<std::ptrdiff_t>(kept_) + 1);
  }
  entries_.push_back(std::move(entry));
}

}  // namespace simemu
