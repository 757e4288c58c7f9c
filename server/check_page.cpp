#include "server/check_page.h"

#include <cmath>
#include <cstdio>

namespace {

const char* reasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 431:
      return "Request Header Fields Too Large";
    default:
      return "Error";
  }
}

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A JSON number; JSON has none for NaN or infinity, so those are null.
std::string jsonNumber(const char* format, double value) {
  return std::isfinite(value) ? formatted(format, value) : "null";
}

std::string htmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", u);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string htmlRow(const char* label, const std::string& value) {
  return std::string("<tr><th>") + label + "</th><td>" + value + "</td></tr>\n";
}

std::string simulatorText(const CheckPageStatus& status) {
  return status.simConnected ? "connected" : "waiting for the simulator";
}

}  // namespace

std::string checkPageHtml(const CheckPageStatus& s) {
  const std::string title = htmlEscaped(s.program) + " " + htmlEscaped(s.version);
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<meta http-equiv=\"refresh\" content=\"2\">\n<title>" +
      title +
      "</title>\n<style>body{font-family:sans-serif;margin:1em}th{text-align:left;padding-right:1em}"
      "</style></head><body>\n<h1>" +
      title + "</h1>\n<p>This device reaches Orvxlink: apps on it can connect to this address, port 5193.</p>\n";
  page += "<table>\n";
  page += htmlRow("Simulator", simulatorText(s));
  page += htmlRow("Apps connected now", std::to_string(s.appsConnected));
  page += htmlRow("Aircraft", s.aircraftTitle.empty() ? "not known yet" : htmlEscaped(s.aircraftTitle));
  if (!s.note.empty()) page += htmlRow("Aircraft files", htmlEscaped(s.note));
  page += htmlRow("Latitude", formatted("%.5f&deg;", s.latitudeDeg));
  page += htmlRow("Longitude", formatted("%.5f&deg;", s.longitudeDeg));
  page += htmlRow("Altitude", formatted("%.0f ft", s.altitudeFt));
  page += htmlRow("Heading (true)", formatted("%.0f&deg;", s.headingTrueDeg));
  page += htmlRow("Ground speed", formatted("%.0f kt", s.groundSpeedKt));
  page += htmlRow("Record counter", std::to_string(s.buildCounter));
  page += htmlRow("Records per second", formatted("%.1f", s.recordsPerSecond));
  page += htmlRow("This browser", htmlEscaped(s.requestFrom));
  page += "</table>\n</body></html>\n";
  return page;
}

std::string checkPageJson(const CheckPageStatus& s) {
  std::string json = "{";
  json += "\"program\":" + jsonString(s.program);
  json += ",\"version\":" + jsonString(s.version);
  json += std::string(",\"simulator\":") + (s.simConnected ? "\"connected\"" : "\"waiting\"");
  json += ",\"appsConnected\":" + std::to_string(s.appsConnected);
  json += ",\"aircraftTitle\":" + jsonString(s.aircraftTitle);
  json += ",\"latitudeDeg\":" + jsonNumber("%.7f", s.latitudeDeg);
  json += ",\"longitudeDeg\":" + jsonNumber("%.7f", s.longitudeDeg);
  json += ",\"altitudeFt\":" + jsonNumber("%.2f", s.altitudeFt);
  json += ",\"headingTrueDeg\":" + jsonNumber("%.2f", s.headingTrueDeg);
  json += ",\"groundSpeedKt\":" + jsonNumber("%.2f", s.groundSpeedKt);
  json += ",\"recordCounter\":" + std::to_string(s.buildCounter);
  json += ",\"recordsPerSecond\":" + jsonNumber("%.1f", s.recordsPerSecond);
  json += ",\"requestFrom\":" + jsonString(s.requestFrom);
  json += ",\"note\":" + jsonString(s.note);
  return json + "}\n";
}

CheckPageTarget checkPageTarget(const HttpRequestHead& request) {
  if (request.method != "GET" && request.method != "HEAD") return CheckPageTarget::methodNotAllowed;
  if (request.path == "/") return CheckPageTarget::page;
  if (request.path == "/status.json") return CheckPageTarget::statusJson;
  return CheckPageTarget::notFound;
}

std::string httpAnswer(int status, const char* contentType, const std::string& body, bool headOnly) {
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
  answer += std::string("Content-Type: ") + contentType + "\r\n";
  answer += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  if (status == 405) answer += "Allow: GET, HEAD\r\n";
  answer += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
  if (!headOnly) answer += body;
  return answer;
}

std::string httpErrorAnswer(int status, bool headOnly) {
  return httpAnswer(status, "text/plain; charset=utf-8", std::to_string(status) + " " + reasonPhrase(status) + "\n",
                    headOnly);
}
