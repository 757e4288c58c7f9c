// The check page on a live app port: what a browser's requests get, heads
// that are huge, endless, binary, slow or in pieces, apps that start like a
// request, and page views that leave apps, the count and the process as they
// were.
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "platform/test_process_usage.h"
#include "server/app_protocol.h"
#include "server/listener.h"
#include "server_test_support.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

using CheckPageServerTest = ServerTest;

// Publishes builds until destroyed, as a simulator sends frames, so that a
// page view's look at the record rate is short.
class Builds {
 public:
  Builds()
      : thread_([this] {
          while (running_.load()) {
            flightRecordForBuild().latitudeDeg += 0.001;
            publishFlightRecord();
            std::this_thread::sleep_for(milliseconds(5));
          }
        }) {}
  ~Builds() {
    running_.store(false);
    thread_.join();
  }

 private:
  std::atomic<bool> running_{true};
  std::thread thread_;
};

bool hasHead(const HttpResponse& response, const std::string& head) {
  return response.heads.find("\r\n" + head + "\r\n") != std::string::npos;
}

TEST_F(CheckPageServerTest, RequestsGetOneAnswerAndTheConnectionCloses) {
  Builds builds;
  const struct {
    std::string request;
    int status;
    const char* contentType;
    bool body;
  } cases[] = {
      {"GET / HTTP/1.1\r\nHost: bridge\r\n\r\n", 200, "text/html; charset=utf-8", true},
      {"GET /status.json HTTP/1.1\r\n\r\n", 200, "application/json", true},
      {"GET /status.json?t=1 HTTP/1.0\r\n\r\n", 200, "application/json", true},
      {"HEAD / HTTP/1.1\r\n\r\n", 200, "text/html; charset=utf-8", false},
      {"HEAD /status.json HTTP/1.1\r\n\r\n", 200, "application/json", false},
      {"GET /favicon.ico HTTP/1.1\r\n\r\n", 404, "text/plain; charset=utf-8", true},
      {"GET /../status.json HTTP/1.1\r\n\r\n", 404, "text/plain; charset=utf-8", true},
      {"HEAD /nowhere HTTP/1.1\r\n\r\n", 404, "text/plain; charset=utf-8", false},
      {"POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", 405, "text/plain; charset=utf-8", true},
      {"DELETE /status.json HTTP/1.1\r\n\r\n", 405, "text/plain; charset=utf-8", true},
      {"GET / HTTP/9.9\r\n\r\n", 400, "text/plain; charset=utf-8", true},
      {std::string("GET / HTTP/1.1\r\nX: \x01\x02\0\xff\r\n\r\n", 27), 400, "text/plain; charset=utf-8", true},
      {"GET / HTTP/1.1\r\n" + std::string(9000, 'a') + "\r\n\r\n", 431, "text/plain; charset=utf-8", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request.substr(0, 40));
    const HttpResponse response = httpExchange(port(), c.request);
    EXPECT_EQ(response.status, c.status);
    EXPECT_TRUE(response.closed);
    EXPECT_TRUE(hasHead(response, std::string("Content-Type: ") + c.contentType)) << response.heads;
    EXPECT_TRUE(hasHead(response, "Connection: close")) << response.heads;
    if (c.body) {
      EXPECT_TRUE(hasHead(response, "Content-Length: " + std::to_string(response.body.size()))) << response.heads;
    } else {
      EXPECT_EQ(response.body, "");
      EXPECT_EQ(response.heads.find("Content-Length: 0\r\n"), std::string::npos) << "HEAD gives the body's length";
    }
  }
  EXPECT_EQ(connectedClientCount.load(), 0);
}

TEST_F(CheckPageServerTest, HeadsInPiecesAreReadWhole) {
  const std::string request = "GET /status.json HTTP/1.1\r\nHost: bridge\r\nAccept: */*\r\n\r\n";
  for (size_t piece : {1u, 3u, 7u, 16u}) {
    RawApp browser(port());
    for (size_t at = 0; at < request.size(); at += piece) {
      browser.send(request.substr(at, piece));
      std::this_thread::sleep_for(milliseconds(1));
    }
    const HttpResponse response = readHttpResponse(browser);
    EXPECT_EQ(response.status, 200) << "pieces of " << piece;
    EXPECT_EQ(response.body.rfind("{\"program\":\"Orvxlink\"", 0), 0u) << response.body;
  }
}

TEST_F(CheckPageServerTest, EndlessHeadIsRefusedAtItsBound) {
  RawApp browser(port());
  browser.send(std::string("GET / HTTP/1.1\r\n"));
  std::atomic<bool> sending{true};
  std::thread flood([&] {
    const std::string line = "X-Filler: " + std::string(100, 'f') + "\r\n";
    for (int i = 0; i < 10000 && sending.load(); ++i) browser.send(line);
  });
  const HttpResponse response = readHttpResponse(browser);
  sending.store(false);
  flood.join();
  EXPECT_EQ(response.status, 431);
}

// One byte a second from the first byte on, or after a request line's start:
// closed once the head's 2 s are up (with 408 once it is known to be a
// request), while an app on another connection goes on being served.
TEST_F(CheckPageServerTest, DribbledRequestIsClosedAfterTheBoundWithoutDelayingApps) {
  LogCapture log;
  RawApp app(port());
  app.sync();
  const std::string request = "GET / HTTP/1.1\r\nHost: bridge\r\n\r\n";
  const struct {
    size_t sentAtOnce;
    int status;
  } cases[] = {{0, 0}, {6, 408}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sentAtOnce);
    RawApp browser(port());
    std::atomic<bool> dribbling{true};
    const auto start = Clock::now();
    std::thread dribble([&] {
      browser.send(request.substr(0, c.sentAtOnce));
      for (size_t at = c.sentAtOnce; at < request.size() && dribbling.load(); ++at) {
        browser.send(request.substr(at, 1));
        for (int i = 0; i < 100 && dribbling.load(); ++i) std::this_thread::sleep_for(milliseconds(10));
      }
    });
    int rounds = 0;
    while (!browser.replyWaiting(milliseconds(0)) && Clock::now() - start < seconds(10)) {
      app.sync();
      ++rounds;
    }
    const HttpResponse response = readHttpResponse(browser);
    const auto took = Clock::now() - start;
    dribbling.store(false);
    dribble.join();
    EXPECT_TRUE(response.closed);
    EXPECT_EQ(response.status, c.status);
    EXPECT_GE(took, milliseconds(1900)) << "closed before the head's time was up";
    EXPECT_LT(took, seconds(8)) << "a dribbled head is not bounded";
    EXPECT_GT(rounds, 10) << "the app waited for the browser";
  }
  EXPECT_EQ(log.countLines(": - - 408"), 1u);
  EXPECT_EQ(connectedClientCount.load(), 1);
}

TEST_F(CheckPageServerTest, AStartThatNeverDecidesIsClosedAfterTheBound) {
  RawApp browser(port());
  browser.send(std::string("GET"));
  EXPECT_TRUE(browser.closedByBridge(seconds(8)));
}

TEST_F(CheckPageServerTest, StopEndsPromptlyWhileHeadsAreUnfinished) {
  RawApp undecided(port());
  undecided.send(std::string("GE"));
  RawApp midHead(port());
  midHead.send(std::string("GET / HTTP/1.1\r\nHost"));
  RawApp app(port());
  app.sync();
  auto stopped = std::async(std::launch::async, stopListener);
  EXPECT_EQ(stopped.wait_for(seconds(10)), std::future_status::ready) << "the stop never completed";
  EXPECT_TRUE(midHead.closedByBridge());
  EXPECT_TRUE(undecided.closedByBridge());
}

// Apps whose first bytes look like a request line up to a point keep the app
// handling: the frame is ignored, the next ones are carried out.
TEST_F(CheckPageServerTest, AppFramesThatStartLikeARequestAreServedAsFrames) {
  LogCapture log;
  for (const char* first : {"GET garbag", "GET http:/", "ABCDEFGHI ", "GET\r\n\r\n\r\n"}) {
    SCOPED_TRACE(first);
    RawApp app(port());
    app.send(std::string(first, kCommandFrameSize) + "e and more");
    app.sync();
    EXPECT_TRUE(waitUntil([] { return connectedClientCount.load() == 1; }));
    EXPECT_EQ(lastAppArrival().peer, "127.0.0.1:" + std::to_string(app.localPort()));
    app.close();
    ASSERT_TRUE(waitUntil([] { return connectedClientCount.load() == 0; }));
  }
  EXPECT_EQ(log.countLines("Orvx Socket: app connected from 127.0.0.1:"), 4u);
  EXPECT_EQ(log.countLines("records sent"), 4u);
  EXPECT_EQ(log.countLines("page view"), 0u);
}

TEST_F(CheckPageServerTest, PageViewsAreNotAppsAndLeaveAppsAsTheyWere) {
  LogCapture log;
  Builds builds;
  RawApp app(port());
  app.send(commandFrame(kRequestFlightData));
  ASSERT_EQ(app.receive(kFlightRecordSize).size(), kFlightRecordSize);
  const AppArrival arrival = lastAppArrival();
  ASSERT_TRUE(waitUntil([] { return connectedClientCount.load() == 1; }));

  std::atomic<bool> viewing{true};
  std::atomic<int> countSeen{1};
  std::thread watch([&] {
    while (viewing.load()) {
      const int32_t now = connectedClientCount.load();
      if (now != 1) countSeen.store(now);
    }
  });
  for (int view = 0; view < 20; ++view) {
    const HttpResponse response = httpExchange(port(), "GET /status.json HTTP/1.1\r\n\r\n");
    ASSERT_EQ(response.status, 200);
    EXPECT_NE(response.body.find("\"appsConnected\":1,"), std::string::npos) << response.body;
    EXPECT_NE(response.body.find("\"requestFrom\":\"127.0.0.1:"), std::string::npos) << response.body;
    app.send(commandFrame(kRequestFlightData));
    const Bytes record = app.receive(kFlightRecordSize);
    ASSERT_EQ(record.size(), kFlightRecordSize);
    EXPECT_EQ(std::memcmp(record.data(), "ORVX30", 7), 0);
  }
  viewing.store(false);
  watch.join();
  EXPECT_EQ(countSeen.load(), 1) << "a page view was counted as an app";
  EXPECT_EQ(lastAppArrival().peer, arrival.peer);
  EXPECT_EQ(log.countLines("Orvx Socket: page view from 127.0.0.1:"), 20u);
  EXPECT_EQ(log.countLines(": GET /status.json 200"), 20u);
  EXPECT_EQ(log.countLines("Orvx Socket: app connected from"), 1u);
  app.close();
  ASSERT_TRUE(waitUntil([] { return connectedClientCount.load() == 0; }));
  EXPECT_EQ(log.countLines(" ended after "), 1u);
  EXPECT_EQ(log.countLines(", 21 records sent"), 1u) << "one record before the views and one after each";
}

TEST_F(CheckPageServerTest, ThousandPageViewsLeaveThreadsAndDescriptorsWhereTheyWere) {
  Builds builds;
  httpExchange(port(), "GET / HTTP/1.1\r\n\r\n");  // first use of everything a view needs
  const ProcessUsage before = currentProcessUsage();
  const char* const requests[] = {"GET / HTTP/1.1\r\n\r\n", "GET /status.json HTTP/1.1\r\n\r\n",
                                  "HEAD / HTTP/1.1\r\n\r\n", "GET /nowhere HTTP/1.1\r\n\r\n"};
  constexpr int kBrowsers = 8;
  constexpr int kViews = 1000;
  std::atomic<int> next{0};
  std::atomic<int> answered{0};
  std::vector<std::thread> browsers;
  for (int b = 0; b < kBrowsers; ++b) {
    browsers.emplace_back([&] {
      for (int view = next++; view < kViews; view = next++) {
        if (httpExchange(port(), requests[view % 4]).status != 0) ++answered;
      }
    });
  }
  for (std::thread& browser : browsers) browser.join();
  EXPECT_EQ(answered.load(), kViews);
  // The listener joins ended serving threads as it accepts; one more
  // connection lets it join the last of them.
  EXPECT_TRUE(waitUntil(
      [&] {
        httpExchange(port(), "GET /nowhere HTTP/1.1\r\n\r\n");
        const ProcessUsage after = currentProcessUsage();
        return after.threads <= before.threads + 1 && after.descriptors <= before.descriptors;
      },
      seconds(20)));
  const ProcessUsage after = currentProcessUsage();
  EXPECT_LE(after.threads, before.threads + 1);
  EXPECT_LE(after.descriptors, before.descriptors);
  EXPECT_EQ(connectedClientCount.load(), 0);
}

}  // namespace
