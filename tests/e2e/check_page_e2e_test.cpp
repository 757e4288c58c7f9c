// The check page with the bridge flying against the simulator emulator: a
// plain HTTP client sees the record counter move while frames flow, and the
// JSON agrees with the record an app receives.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "tests/e2e/bridge_fixture.h"
#include "tests/server/server_test_support.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A flat JSON object of strings and numbers, as "/status.json" is: each
// value as its text (strings unquoted, escapes kept). Empty when the text is
// not such an object.
std::map<std::string, std::string> parseFlatJson(const std::string& text) {
  std::map<std::string, std::string> fields;
  size_t at = 0;
  auto fail = [&] { return std::map<std::string, std::string>{}; };
  auto quoted = [&](std::string& out) {
    if (at >= text.size() || text[at] != '"') return false;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
      if (text[at] == '\\') out += text[at++];
      if (at < text.size()) out += text[at];
    }
    return at++ < text.size();
  };
  if (text.empty() || text[at++] != '{') return fail();
  for (;;) {
    std::string key;
    std::string value;
    if (!quoted(key) || at >= text.size() || text[at++] != ':') return fail();
    if (at < text.size() && text[at] == '"') {
      if (!quoted(value)) return fail();
    } else {
      char* end = nullptr;
      std::strtod(text.c_str() + at, &end);
      if (end == text.c_str() + at) return fail();
      value = text.substr(at, static_cast<size_t>(end - (text.c_str() + at)));
      at = static_cast<size_t>(end - text.c_str());
    }
    fields[key] = value;
    if (at < text.size() && text[at] == ',') {
      ++at;
      continue;
    }
    if (text.compare(at, std::string::npos, "}\n") != 0) return fail();
    return fields;
  }
}

long long pageCounter(const std::string& html) {
  const std::string label = "Record counter</th><td>";
  const size_t at = html.find(label);
  return at == std::string::npos ? -1 : std::atoll(html.c_str() + at + label.size());
}

using CheckPageEndToEnd = BridgeEndToEnd;

TEST_F(CheckPageEndToEnd, PageCounterMovesWhileFramesFlowAndJsonAgreesWithTheAppsRecord) {
  std::unique_ptr<AppClient> app = startFlightToApp();
  ASSERT_TRUE(app);

  const HttpResponse first = httpExchange(appPort_, "GET / HTTP/1.1\r\nHost: bridge\r\n\r\n");
  ASSERT_EQ(first.status, 200) << first.heads;
  const long long firstCounter = pageCounter(first.body);
  ASSERT_GT(firstCounter, 0) << first.body;
  ASSERT_TRUE(eventually([&] { return flightBuildCounter() > firstCounter; }, seconds(10)));
  const HttpResponse second = httpExchange(appPort_, "GET / HTTP/1.1\r\nHost: bridge\r\n\r\n");
  EXPECT_GT(pageCounter(second.body), firstCounter) << second.body;
  EXPECT_NE(second.body.find("<th>Simulator</th><td>connected"), std::string::npos);

  auto flowing = parseFlatJson(httpExchange(appPort_, "GET /status.json HTTP/1.1\r\n\r\n").body);
  ASSERT_FALSE(flowing.empty());
  EXPECT_GT(std::atof(flowing["recordsPerSecond"].c_str()), 5.0) << "the emulator sends 30 frames a second";

  // With the frames stopped, the app's record and the page's are the same build.
  emulator_->setFrameRate(0);
  int32_t settled = flightBuildCounter();
  ASSERT_TRUE(eventually(
      [&] {
        const int32_t now = waitForBuildCounterChange(settled, milliseconds(300));
        const bool still = now == settled;
        settled = now;
        return still;
      },
      seconds(10)));
  FlightRecord record{};
  ASSERT_TRUE(app->requestFlightRecord(record)) << app->lastError();
  const HttpResponse json = httpExchange(appPort_, "GET /status.json HTTP/1.1\r\n\r\n");
  ASSERT_EQ(json.status, 200);
  auto fields = parseFlatJson(json.body);
  ASSERT_FALSE(fields.empty()) << json.body;
  EXPECT_EQ(fields["program"], "Orvxlink");
  EXPECT_EQ(fields["simulator"], "connected");
  EXPECT_EQ(fields["appsConnected"], "1");
  EXPECT_EQ(fields["recordCounter"], std::to_string(settled));
  EXPECT_EQ(fields["recordsPerSecond"], "0.0");
  const struct {
    const char* key;
    double value;
    double within;
  } values[] = {
      {"latitudeDeg", record.latitudeDeg, 1e-6},     {"longitudeDeg", record.longitudeDeg, 1e-6},
      {"altitudeFt", record.altitudeFt, 0.01},       {"headingTrueDeg", record.headingTrueDeg, 0.01},
      {"groundSpeedKt", record.groundSpeedKt, 0.01},
  };
  for (const auto& v : values) {
    EXPECT_NEAR(std::atof(fields[v.key].c_str()), v.value, v.within) << v.key;
  }
  EXPECT_NE(record.latitudeDeg, 0.0) << "the emulator's flight has a position";
}

}  // namespace
