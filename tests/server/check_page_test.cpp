// The check page's pure parts: telling a request line from an app's first
// frame, finding and parsing the request head, the answers and their bodies.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "server/check_page.h"
#include "server/http_request_head.h"

namespace {

using Opening = ConnectionOpening;

TEST(ConnectionOpening, DecidesWithinTheFirstFrame) {
  const struct {
    std::string bytes;
    Opening expected;
  } cases[] = {
      {"", Opening::undecided},
      {"G", Opening::undecided},
      {"GET", Opening::undecided},
      {"GET ", Opening::undecided},
      {"GET /", Opening::httpRequest},
      {"HEAD /stat", Opening::httpRequest},
      {"PROPFIND /", Opening::httpRequest},  // the longest method that fits the frame
      {"ABCDEFGHI ", Opening::appFrame},     // a '/' could only come after the frame
      {"MKCALENDAR", Opening::appFrame},
      {"rSIMDATA30", Opening::appFrame},
      {"sMCPDATA20", Opening::appFrame},
      {"r", Opening::appFrame},
      {"GET garbag", Opening::appFrame},
      {"GET http:/", Opening::appFrame},  // a request line's path starts with '/'
      {"GET  /", Opening::appFrame},
      {"get /", Opening::appFrame},
      {"GeT /", Opening::appFrame},
      {std::string("\0GET /", 6), Opening::appFrame},
      {"\x16\x03\x01", Opening::appFrame},  // a TLS hello
  };
  for (const auto& c : cases) {
    EXPECT_EQ(classifyConnectionOpening(c.bytes.data(), c.bytes.size()), c.expected) << '"' << c.bytes << '"';
  }
}

TEST(HttpRequestHead, LengthEndsAtTheFirstEmptyLine) {
  const std::string head = "GET / HTTP/1.1\r\nHost: tablet\r\n\r\n";
  const struct {
    std::string bytes;
    size_t expected;
  } cases[] = {
      {head, head.size()},
      {head + "GET /next HTTP/1.1\r\n\r\n", head.size()},
      {"GET / HTTP/1.1\nHost: x\n\n", 24},
      {"GET / HTTP/1.1\r\nHost: x\r\n", 0},
      {"GET / HTTP/1.1\r\n\r", 0},
      {"GET / HTTP/1.1", 0},
      {"GET / HTTP/1.1\r\n\r\n", 18},
  };
  for (const auto& c : cases) EXPECT_EQ(httpHeadLength(c.bytes), c.expected) << c.bytes;
}

TEST(HttpRequestHead, ParsesRequestLinesAndRefusesMalformedHeads) {
  const struct {
    std::string head;
    bool valid;
    const char* method;
    const char* path;
    const char* query;
  } cases[] = {
      {"GET / HTTP/1.1\r\nHost: 192.168.1.20:5193\r\n\r\n", true, "GET", "/", ""},
      {"HEAD /status.json HTTP/1.0\r\n\r\n", true, "HEAD", "/status.json", ""},
      {"GET /status.json?refresh=1&x=%20 HTTP/1.1\r\n\r\n", true, "GET", "/status.json", "refresh=1&x=%20"},
      {"GET /#top HTTP/1.1\r\n\r\n", true, "GET", "/", ""},
      {"GET http://192.168.1.20:5193/status.json HTTP/1.1\r\n\r\n", true, "GET", "/status.json", ""},
      {"GET HTTP://tablet HTTP/1.1\r\n\r\n", true, "GET", "/", ""},
      {"GET /../../etc/passwd HTTP/1.1\r\n\r\n", true, "GET", "/../../etc/passwd", ""},
      {"POST / HTTP/1.1\nContent-Length: 0\n\n", true, "POST", "/", ""},
      {"GET / HTTP/1.1\r\nUser-Agent: caf\xc3\xa9\t1\r\n\r\n", true, "GET", "/", ""},
      {"GET / HTTP/2.0\r\n\r\n", false, "", "", ""},
      {"GET / HTTP/1.1 \r\n\r\n", false, "", "", ""},
      {"GET /a b HTTP/1.1\r\n\r\n", false, "", "", ""},
      {"GET  / HTTP/1.1\r\n\r\n", false, "", "", ""},
      {"get / HTTP/1.1\r\n\r\n", false, "", "", ""},
      {"GET ftp://x/ HTTP/1.1\r\n\r\n", false, "", "", ""},
      {"GET / HTTP/1.1\r\nNo colon here\r\n\r\n", false, "", "", ""},
      {"GET / HTTP/1.1\r\n: no name\r\n\r\n", false, "", "", ""},
      {"GET / HTTP/1.1\r\nHost: x\r\n  folded\r\n\r\n", false, "", "", ""},
      {std::string("GET / HTTP/1.1\r\nHost: a\0b\r\n\r\n", 29), false, "", "", ""},
      {"GET / HTTP/1.1\r\nHo st: x\r\n\r\n", false, "", "", ""},
      {"GET /\x01 HTTP/1.1\r\n\r\n", false, "", "", ""},
      {"GET / HTTP/1.1\r\nHost: x\r\n", false, "", "", ""},  // not complete
  };
  for (const auto& c : cases) {
    HttpRequestHead request;
    ASSERT_EQ(parseHttpRequestHead(c.head, request), c.valid) << c.head;
    if (!c.valid) continue;
    EXPECT_EQ(request.method, c.method) << c.head;
    EXPECT_EQ(request.path, c.path) << c.head;
    EXPECT_EQ(request.query, c.query) << c.head;
  }
}

TEST(CheckPage, TargetsByMethodThenPath) {
  const struct {
    const char* method;
    const char* path;
    CheckPageTarget expected;
  } cases[] = {
      {"GET", "/", CheckPageTarget::page},
      {"HEAD", "/", CheckPageTarget::page},
      {"GET", "/status.json", CheckPageTarget::statusJson},
      {"HEAD", "/status.json", CheckPageTarget::statusJson},
      {"GET", "/index.html", CheckPageTarget::notFound},
      {"GET", "/status.json/", CheckPageTarget::notFound},
      {"GET", "/../status.json", CheckPageTarget::notFound},
      {"GET", "//", CheckPageTarget::notFound},
      {"POST", "/", CheckPageTarget::methodNotAllowed},
      {"PUT", "/nowhere", CheckPageTarget::methodNotAllowed},
      {"OPTIONS", "/status.json", CheckPageTarget::methodNotAllowed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(checkPageTarget(HttpRequestHead{c.method, c.path, ""}), c.expected) << c.method << " " << c.path;
  }
}

TEST(CheckPage, AnswersCarryTheBodyLengthAndHeadLeavesTheBodyOut) {
  const std::string body = "{\"a\":1}\n";
  EXPECT_EQ(httpAnswer(200, "application/json", body, false),
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 8\r\n"
            "Cache-Control: no-store\r\nConnection: close\r\n\r\n{\"a\":1}\n");
  EXPECT_EQ(httpAnswer(200, "application/json", body, true),
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 8\r\n"
            "Cache-Control: no-store\r\nConnection: close\r\n\r\n");
  const std::string notAllowed = httpErrorAnswer(405, false);
  EXPECT_EQ(notAllowed.rfind("HTTP/1.1 405 Method Not Allowed\r\n", 0), 0u) << notAllowed;
  EXPECT_NE(notAllowed.find("\r\nAllow: GET, HEAD\r\n"), std::string::npos) << notAllowed;
  EXPECT_EQ(httpErrorAnswer(431, false).rfind("HTTP/1.1 431 Request Header Fields Too Large\r\n", 0), 0u);
  EXPECT_EQ(httpErrorAnswer(408, false).rfind("HTTP/1.1 408 Request Timeout\r\n", 0), 0u);
}

CheckPageStatus sampleStatus() {
  CheckPageStatus s;
  s.program = "Orvxlink";
  s.version = "9.8.7";
  s.simConnected = true;
  s.appsConnected = 3;
  s.aircraftTitle = "Cessna \"Skyhawk\" <G1000>\\";
  s.latitudeDeg = 47.4502;
  s.longitudeDeg = -122.3088;
  s.altitudeFt = 4321.5;
  s.headingTrueDeg = 271.4;
  s.groundSpeedKt = 123.6;
  s.buildCounter = 8765;
  s.recordsPerSecond = 59.94;
  s.requestFrom = "192.168.1.31:50112";
  return s;
}

TEST(CheckPage, JsonEscapesTextAndCarriesEveryValue) {
  CheckPageStatus s = sampleStatus();
  s.note = "line\none";
  EXPECT_EQ(checkPageJson(s),
            "{\"program\":\"Orvxlink\",\"version\":\"9.8.7\",\"simulator\":\"connected\",\"appsConnected\":3,"
            "\"aircraftTitle\":\"Cessna \\\"Skyhawk\\\" <G1000>\\\\\",\"latitudeDeg\":47.4502000,"
            "\"longitudeDeg\":-122.3088000,\"altitudeFt\":4321.50,\"headingTrueDeg\":271.40,\"groundSpeedKt\":123.60,"
            "\"recordCounter\":8765,\"recordsPerSecond\":59.9,\"requestFrom\":\"192.168.1.31:50112\","
            "\"note\":\"line\\u000aone\"}\n");
  s.simConnected = false;
  s.altitudeFt = std::nan("");
  s.groundSpeedKt = -HUGE_VAL;
  const std::string json = checkPageJson(s);
  EXPECT_NE(json.find("\"simulator\":\"waiting\""), std::string::npos);
  EXPECT_NE(json.find("\"altitudeFt\":null,"), std::string::npos) << "JSON has no NaN";
  EXPECT_NE(json.find("\"groundSpeedKt\":null,"), std::string::npos) << "JSON has no infinity";
}

TEST(CheckPage, HtmlShowsTheStateEscapedAndRefreshesItself) {
  CheckPageStatus s = sampleStatus();
  std::string html = checkPageHtml(s);
  for (const char* expected : {"<meta http-equiv=\"refresh\"", "Orvxlink 9.8.7", "connected", ">3<",
                               "Cessna &quot;Skyhawk&quot; &lt;G1000&gt;\\", "47.45020", "-122.30880", "4322 ft",
                               "271&deg;", "124 kt", ">8765<", ">59.9<", "192.168.1.31:50112"}) {
    EXPECT_NE(html.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(html.find("Aircraft files"), std::string::npos) << "an empty note shows nothing";

  s.simConnected = false;
  s.aircraftTitle.clear();
  s.note = "<b>aircraft files</b> & more";
  html = checkPageHtml(s);
  for (const char* expected :
       {"waiting for the simulator", "not known yet", "<th>Aircraft files</th><td>&lt;b&gt;aircraft files&lt;/b&gt; &amp; more"}) {
    EXPECT_NE(html.find(expected), std::string::npos) << expected;
  }
}

}  // namespace
