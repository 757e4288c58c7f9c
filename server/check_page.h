// The check page a tablet's browser gets on the app port: what the bridge
// knows right now, as a small self-refreshing HTML page ("/") or as JSON
// ("/status.json"), and the HTTP answers around them. Pure functions of a
// snapshot; any thread.
#pragma once

#include <cstdint>
#include <string>

#include "server/http_request_head.h"

// What one page view shows. Taken once per request (see check_page_status.h)
// and rendered from this alone.
struct CheckPageStatus {
  std::string program;
  std::string version;
  bool simConnected = false;
  int32_t appsConnected = 0;
  std::string aircraftTitle;  // empty: not known
  // The latest record the apps get.
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  double altitudeFt = 0;
  double headingTrueDeg = 0;
  double groundSpeedKt = 0;
  int32_t buildCounter = 0;
  double recordsPerSecond = 0;
  std::string requestFrom;  // the browser's address and port
  // One further line of advice for the user, shown as it stands; empty: none.
  std::string note;
};

std::string checkPageHtml(const CheckPageStatus& status);
std::string checkPageJson(const CheckPageStatus& status);

// What a request asks for.
enum class CheckPageTarget { page, statusJson, notFound, methodNotAllowed };
CheckPageTarget checkPageTarget(const HttpRequestHead& request);

// One complete HTTP/1.1 answer: status line, heads (the body's type and
// length, no caching, the connection closing) and the body unless
// `headOnly`. 405 names the methods allowed.
std::string httpAnswer(int status, const char* contentType, const std::string& body, bool headOnly);

// A short plain-text answer for a failed request: 400, 404, 405, 408 or 431.
std::string httpErrorAnswer(int status, bool headOnly);
