// The emulator's protocol server, seen from a hand-written client: replies,
// data packing with unit conversion, client events, system events and state,
// frames, several clients and every transport.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "simlink/simconnect.h"
#include "simlink/wire.h"
#include "tests/sim/sim_test_support.h"
#include "tests/sim/test_sim_client.h"
#include "tools/sim/request_decoder.h"
#include "tools/sim/request_log.h"

namespace simtest {
namespace {

constexpr unsigned kDeadlineMs = 5000;
constexpr double kPi = 3.14159265358979323846;

class SimProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    emulator_ = startEmulator(testOptions());
    ASSERT_NE(emulator_, nullptr);
  }

  std::unique_ptr<TestSimClient> connectClient() {
    auto client = TestSimClient::overTcp(4, emulator_->tcp4Port());
    EXPECT_NE(client, nullptr) << "no TCP connection to the emulator";
    return client;
  }

  Bytes requestData(TestSimClient& client, uint32_t sendId, uint32_t requestId, uint32_t defineId) {
    client.send(requestDataRequest(sendId, requestId, defineId));
    return client.takeMessage(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, kDeadlineMs);
  }

  std::unique_ptr<simemu::SimEmulator> emulator_;
};

TEST_F(SimProtocolTest, OpenRequestIsAnsweredAndLoggedWithItsFields) {
  auto client = connectClient();
  ASSERT_NE(client, nullptr);
  client->send(openRequest(1, "Orvxlink"));
  const Bytes open = client->takeMessage(SIMCONNECT_RECV_ID_OPEN, kDeadlineMs);
  ASSERT_FALSE(open.empty()) << "no OPEN message came back";
  EXPECT_EQ(u32At(open, 0), open.size());
  EXPECT_EQ(textAt(open, 12, 256), "KittyHawk");

  ASSERT_TRUE(emulator_->waitForRequests(simwire::kOpen, 1, kDeadlineMs));
  const simemu::LoggedRequest entry = emulator_->requestsOfKind(simwire::kOpen).at(0);
  EXPECT_EQ(entry.sendId, 1u);
  EXPECT_EQ(entry.field("applicationName"), "Orvxlink");
  EXPECT_EQ(entry.field("buildMajor"), "62651");
  EXPECT_EQ(entry.raw.size(), simwire::kOpenSize);
  EXPECT_TRUE(entry.note.empty()) << entry.note;
  EXPECT_NE(entry.toJson().find("\"name\":\"Open\""), std::string::npos);
  EXPECT_EQ(emulator_->counters().opens, 1u);
}

TEST_F(SimProtocolTest, DataMessagePacksDeclaredDatumsInOrderWithUnitsConverted) {
  emulator_->editState([](simemu::SimState& s) {
    s.title = "Orvx Jet 320 Demo";
    s.altitudeFt = 1000;
    s.headingTrueDeg = 90;
    s.verticalSpeedFpm = 600;
    s.engines[0].egtC = 500;
    s.nav[0].ident = "IORX";
    s.comMhz[0] = 123.45;
    s.adf[0].frequencyKhz = 350.5;
    s.autopilot.master = true;
    s.pitchDeg = 5;
    s.gearPosition[0] = 0.5;
  });
  auto client = connectClient();
  ASSERT_NE(client, nullptr);
  const struct {
    const char* name;
    const char* units;
    uint32_t type;
  } datums[] = {
      {"Title", "", SIMCONNECT_DATATYPE_STRING256},
      {"PLANE ALTITUDE", "Feet", SIMCONNECT_DATATYPE_FLOAT64},
      {"PLANE ALTITUDE", "Meters", SIMCONNECT_DATATYPE_FLOAT32},
      {"PLANE HEADING DEGREES TRUE", "Radians", SIMCONNECT_DATATYPE_FLOAT64},
      {"VERTICAL SPEED", "Feet per second", SIMCONNECT_DATATYPE_FLOAT64},
      {"ENG EXHAUST GAS TEMPERATURE:1", "Rankine", SIMCONNECT_DATATYPE_FLOAT64},
      {"NAV IDENT:1", "Number", SIMCONNECT_DATATYPE_INT64},
      {"COM ACTIVE FREQUENCY:1", "Frequency BCD16", SIMCONNECT_DATATYPE_INT32},
      {"ADF ACTIVE FREQUENCY:1", "Frequency ADF BCD32", SIMCONNECT_DATATYPE_INT32},
      {"AUTOPILOT MASTER", "Bool", SIMCONNECT_DATATYPE_INT32},
      {"PLANE PITCH DEGREES", "Radians", SIMCONNECT_DATATYPE_FLOAT64},
      {"GEAR CENTER POSITION", "Percent", SIMCONNECT_DATATYPE_FLOAT64},
      {"NOT A VARIABLE", "Number", SIMCONNECT_DATATYPE_FLOAT64},
      {"PLANE ALTITUDE", "Furlongs", SIMCONNECT_DATATYPE_FLOAT64},
      {"TITLE", "", SIMCONNECT_DATATYPE_STRING8},
  };
  uint32_t sendId = 1;
  for (const auto& datum : datums) {
    client->send(addToDataDefinitionRequest(sendId++, 7, datum.name, datum.units, datum.type));
  }
  const Bytes data = requestData(*client, sendId++, 42, 7);
  ASSERT_EQ(data.size(), 40u + 352u) << "data block of the wrong size";
  EXPECT_EQ(u32At(data, 0), data.size());
  EXPECT_EQ(u32At(data, 12), 42u);  // request id
  EXPECT_EQ(u32At(data, 20), 7u);   // define id
  EXPECT_EQ(u32At(data, 28), 1u);   // entry 1 ...
  EXPECT_EQ(u32At(data, 32), 1u);   // ... of 1
  EXPECT_EQ(u32At(data, 36), 15u);  // datum count
  const size_t d = 40;
  EXPECT_EQ(textAt(data, d + 0, 256), "Orvx Jet 320 Demo");
  EXPECT_EQ(data[d + 255], 0);
  EXPECT_DOUBLE_EQ(f64At(data, d + 256), 1000.0);
  EXPECT_NEAR(f32At(data, d + 264), 304.8f, 0.01f);
  EXPECT_NEAR(f64At(data, d + 268), kPi / 2, 1e-12);
  EXPECT_NEAR(f64At(data, d + 276), 10.0, 1e-9);
  EXPECT_NEAR(f64At(data, d + 284), 500 * 1.8 + 491.67, 1e-9);
  EXPECT_EQ(textAt(data, d + 292, 8), "IORX");
  EXPECT_EQ(i64At(data, d + 292), 0x5852'4F49);  // 'I' 'O' 'R' 'X', lowest byte first
  EXPECT_EQ(u32At(data, d + 300), 0x2345u);
  EXPECT_EQ(u32At(data, d + 304), 0x03505000u);
  EXPECT_EQ(u32At(data, d + 308), 1u);
  EXPECT_NEAR(f64At(data, d + 312), -5 * kPi / 180, 1e-12);  // the simulator counts nose up as negative
  EXPECT_DOUBLE_EQ(f64At(data, d + 320), 50.0);
  EXPECT_EQ(f64At(data, d + 328), 0.0);
  EXPECT_EQ(f64At(data, d + 336), 0.0);
  EXPECT_EQ(textAt(data, d + 344, 8), "Orvx Je");

  simemu::ClientSession session;
  ASSERT_TRUE(emulator_->clientSession(emulator_->clientIds().at(0), &session));
  const std::vector<simemu::Datum>& kept = session.definitions.at(7);
  ASSERT_EQ(kept.size(), 15u);
  EXPECT_EQ(kept[1].unitsName, "Feet");
  EXPECT_EQ(kept[0].unitsName, "");
  EXPECT_EQ(kept[6].datumType, static_cast<uint32_t>(SIMCONNECT_DATATYPE_INT64));
  EXPECT_EQ(kept[12].problem, "unknown variable");
  EXPECT_EQ(kept[13].problem, "unknown unit");
  const auto answers = emulator_->requestsOfKind(simwire::kRequestDataOnSimObjectType);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_NE(answers[0].note.find("NOT A VARIABLE"), std::string::npos) << answers[0].note;
}

TEST_F(SimProtocolTest, MappedClientEventsChangeTheNextDataBlock) {
  auto client = connectClient();
  ASSERT_NE(client, nullptr);
  uint32_t sendId = 1;
  // Each event with the data sent and the value the variable then reads.
  const struct {
    uint32_t id;
    const char* event;
    const char* variable;
    const char* units;
    uint32_t data;
    double reads;
  } rows[] = {
      {3, "AP_MASTER", "AUTOPILOT MASTER", "Bool", 1, 1.0},
      {14, "AP_ALT_VAR_SET_ENGLISH", "AUTOPILOT ALTITUDE LOCK VAR", "Feet", 12300, 12300.0},
      {15, "AP_VS_VAR_SET_ENGLISH", "AUTOPILOT VERTICAL HOLD VAR", "Feet/minute", static_cast<uint32_t>(-1500),
       -1500.0},
      {18, "HEADING_BUG_SET", "AUTOPILOT HEADING LOCK DIR", "Degrees", 270, 270.0},
      {13, "VOR1_SET", "NAV OBS:1", "Degrees", static_cast<uint32_t>(-10), 350.0},
      {17, "AP_MACH_VAR_SET", "AUTOPILOT MACH HOLD VAR", "Number", 78, 0.78},
  };
  for (const auto& row : rows) {
    client->send(mapClientEventRequest(sendId++, row.id, row.event));
    client->send(addToDataDefinitionRequest(sendId++, 0, row.variable, row.units, SIMCONNECT_DATATYPE_FLOAT64));
  }
  for (const auto& row : rows) client->send(transmitClientEventRequest(sendId++, row.id, row.data));
  client->send(transmitClientEventRequest(sendId++, 99, 1));  // never mapped
  const Bytes data = requestData(*client, sendId++, 1, 0);
  ASSERT_EQ(data.size(), 40u + 6 * 8);
  for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(f64At(data, 40 + 8 * i), rows[i].reads, 1e-12) << rows[i].event;
  EXPECT_EQ(emulator_->counters().clientEventsApplied, 6u);
  const auto transmits = emulator_->requestsOfKind(simwire::kTransmitClientEvent);
  ASSERT_EQ(transmits.size(), 7u);
  EXPECT_NE(transmits.back().note.find("not mapped"), std::string::npos);

  // Switch data other than 0 and 1 toggles, as the simulator's toggles do.
  client->send(transmitClientEventRequest(sendId++, 3, 2));
  EXPECT_EQ(f64At(requestData(*client, sendId++, 1, 0), 40), 0.0);
  client->send(transmitClientEventRequest(sendId++, 3, 0));
  EXPECT_EQ(f64At(requestData(*client, sendId++, 1, 0), 40), 0.0);
  client->send(transmitClientEventRequest(sendId++, 3, 1));
  EXPECT_EQ(f64At(requestData(*client, sendId++, 1, 0), 40), 1.0);
  EXPECT_TRUE(emulator_->snapshot().autopilot.master);
}

TEST_F(SimProtocolTest, SimStartAndAircraftLoadedCarryTheAircraftPath) {
  auto client = connectClient();
  ASSERT_NE(client, nullptr);
  client->send(subscribeRequest(1, 1, "AircraftLoaded"));
  client->send(subscribeRequest(2, 2, "SimStart"));
  const Bytes simStart = client->takeMessage(SIMCONNECT_RECV_ID_EVENT, kDeadlineMs);
  ASSERT_EQ(simStart.size(), 24u) << "no SimStart event";
  EXPECT_EQ(u32At(simStart, 16), 2u);

  client->send(systemStateRequest(3, 2, "AircraftLoaded"));
  const Bytes state = client->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, kDeadlineMs);
  ASSERT_EQ(state.size(), 284u);
  EXPECT_EQ(u32At(state, 12), 2u);
  const std::string path = textAt(state, 24, 260);
  EXPECT_EQ(path, emulator_->aircraftFilePath());
  EXPECT_EQ(path.find('/'), std::string::npos) << path;
  const std::string tail = "\\orvx_jet\\aircraft.cfg";
  ASSERT_GT(path.size(), tail.size());
  EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
  std::string forward = path;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  EXPECT_TRUE(std::filesystem::exists(forward)) << forward;

  std::string error;
  ASSERT_TRUE(emulator_->selectAircraft("orvx_turboprop", &error)) << error;
  const Bytes fileName = client->takeMessage(SIMCONNECT_RECV_ID_EVENT_FILENAME, kDeadlineMs);
  ASSERT_EQ(fileName.size(), 288u) << "no file-name event after the aircraft changed";
  EXPECT_EQ(u32At(fileName, 16), 1u);
  const std::string newPath = textAt(fileName, 24, 260);
  EXPECT_NE(newPath.find("\\orvx_turboprop\\aircraft.cfg"), std::string::npos) << newPath;
  EXPECT_EQ(emulator_->snapshot().title, "Orvx TP-72 Demo");
}

TEST_F(SimProtocolTest, FrameEventsFollowTheConfiguredRateAndKind) {
  auto client = connectClient();
  ASSERT_NE(client, nullptr);
  client->send(subscribeRequest(1, 0, "Frame"));
  ASSERT_TRUE(emulator_->waitForRequests(simwire::kSubscribeToSystemEvent, 1, kDeadlineMs));
  emulator_->setFrameRate(50);
  ASSERT_TRUE(emulator_->waitFor([&] { return client->countOf(SIMCONNECT_RECV_ID_EVENT_FRAME) >= 10; }, 10000))
      << "fewer than 10 frames in 10 s at 50 Hz";
  const Bytes frame = client->takeMessage(SIMCONNECT_RECV_ID_EVENT_FRAME, kDeadlineMs);
  ASSERT_EQ(frame.size(), 32u);
  EXPECT_EQ(u32At(frame, 16), 0u);
  EXPECT_EQ(f32At(frame, 24), 50.0f);

  emulator_->setFrameEventKind(simemu::FrameEventKind::kPlainEvent);
  ASSERT_TRUE(emulator_->waitFor([&] { return client->countOf(SIMCONNECT_RECV_ID_EVENT) >= 3; }, 10000))
      << "no frames as plain events";
  const Bytes plain = client->takeMessage(SIMCONNECT_RECV_ID_EVENT, kDeadlineMs);
  EXPECT_EQ(u32At(plain, 16), 0u);
  emulator_->setFrameRate(0);
}

// With stamps on, a data answer carries the number of frames sent so far as
// its latitude and the steady clock in microseconds as its longitude; the
// chain benchmark reads both back out of the apps' records.
TEST(SimStampTest, DataAnswersCarryTheFrameNumberAndTheSendTime) {
  simemu::SimEmulatorOptions options = testOptions();
  options.stampBlocks = true;
  auto emulator = startEmulator(options);
  ASSERT_NE(emulator, nullptr);
  auto client = TestSimClient::overTcp(4, emulator->tcp4Port());
  ASSERT_NE(client, nullptr);
  client->send(addToDataDefinitionRequest(1, 3, "PLANE LATITUDE", "Degrees", SIMCONNECT_DATATYPE_FLOAT64));
  client->send(addToDataDefinitionRequest(2, 3, "PLANE LONGITUDE", "Degrees", SIMCONNECT_DATATYPE_FLOAT64));
  client->send(subscribeRequest(3, 0, "Frame"));
  ASSERT_TRUE(emulator->waitForRequests(simwire::kSubscribeToSystemEvent, 1, kDeadlineMs));
  emulator->setFrameRate(100);
  ASSERT_TRUE(emulator->waitFor([&] { return client->countOf(SIMCONNECT_RECV_ID_EVENT_FRAME) >= 5; }, 10000));
  emulator->setFrameRate(0);
  // Every frame sent has arrived: the count at the client is the oracle.
  ASSERT_TRUE(emulator->waitFor(
      [&] { return client->countOf(SIMCONNECT_RECV_ID_EVENT_FRAME) == emulator->counters().framesSent; }, kDeadlineMs));
  const double framesReceived = static_cast<double>(client->countOf(SIMCONNECT_RECV_ID_EVENT_FRAME));

  const auto microsecondsNow = [] {
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  };
  const double before = microsecondsNow();
  client->send(requestDataRequest(4, 9, 3));
  const Bytes data = client->takeMessage(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, kDeadlineMs);
  const double after = microsecondsNow();
  ASSERT_EQ(data.size(), 40u + 16u);
  EXPECT_EQ(f64At(data, 40), framesReceived);
  EXPECT_GE(f64At(data, 48), before);
  EXPECT_LE(f64At(data, 48), after);
  EXPECT_NE(emulator->snapshot().latitudeDeg, framesReceived) << "the flight itself is left alone";
}

TEST_F(SimProtocolTest, TwoClientsAtOnceKeepTheirOwnDefinitions) {
  auto first = connectClient();
  auto second = connectClient();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  first->send(addToDataDefinitionRequest(1, 1, "PLANE ALTITUDE", "Feet", SIMCONNECT_DATATYPE_FLOAT64));
  second->send(addToDataDefinitionRequest(1, 1, "AIRSPEED INDICATED", "Knots", SIMCONNECT_DATATYPE_FLOAT64));
  second->send(addToDataDefinitionRequest(2, 1, "MAGVAR", "Degrees", SIMCONNECT_DATATYPE_FLOAT32));
  const Bytes firstData = requestData(*first, 2, 5, 1);
  const Bytes secondData = requestData(*second, 3, 6, 1);
  EXPECT_EQ(firstData.size(), 48u);
  EXPECT_EQ(secondData.size(), 52u);
  EXPECT_EQ(u32At(secondData, 12), 6u);
  EXPECT_DOUBLE_EQ(f64At(firstData, 40), emulator_->snapshot().altitudeFt);
  EXPECT_EQ(emulator_->counters().clientsConnected, 2u);
  EXPECT_EQ(emulator_->clientIds().size(), 2u);
}

TEST_F(SimProtocolTest, ImpossibleRequestSizeClosesOnlyThatClient) {
  auto bad = connectClient();
  auto good = connectClient();
  ASSERT_NE(bad, nullptr);
  ASSERT_NE(good, nullptr);
  Bytes header = openRequest(1, "x");
  header[0] = 8;  // size field below the 16-byte header
  header[1] = header[2] = header[3] = 0;
  bad->send(Bytes(header.begin(), header.begin() + 16));
  EXPECT_TRUE(bad->waitForClose(kDeadlineMs)) << "the emulator kept a client whose framing is lost";
  good->send(openRequest(1, "still here"));
  EXPECT_FALSE(good->takeMessage(SIMCONNECT_RECV_ID_OPEN, kDeadlineMs).empty());
  EXPECT_TRUE(emulator_->waitForClients(1, kDeadlineMs));
  EXPECT_EQ(emulator_->counters().framingErrors, 1u);

  auto huge = connectClient();
  ASSERT_NE(huge, nullptr);
  Bytes oversize = openRequest(2, "y");
  oversize[0] = 0x50;  // 50000 bytes: above any request
  oversize[1] = 0xC3;
  huge->send(oversize);
  EXPECT_TRUE(huge->waitForClose(kDeadlineMs));
}

TEST(SimRequestLogTest, LogFileHasOneJsonLinePerRequestWithItsRawBytes) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("orvx-sim-log-" + std::to_string(std::rand()) + ".jsonl")).string();
  simemu::SimEmulatorOptions options = testOptions();
  options.requestLogPath = path;
  {
    auto emulator = startEmulator(options);
    ASSERT_NE(emulator, nullptr);
    auto client = TestSimClient::overTcp(4, emulator->tcp4Port());
    ASSERT_NE(client, nullptr);
    client->send(openRequest(1, "log \"quoted\""));
    client->send(subscribeRequest(2, 0, "NoSuchEvent"));
    ASSERT_TRUE(emulator->waitForRequests(simwire::kSubscribeToSystemEvent, 1, kDeadlineMs));
  }
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  file.close();
  std::filesystem::remove(path);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("{\"seq\":1,\"client\":1,", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("\"applicationName\":\"log \\\"quoted\\\"\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\"raw\":\"28010000050000000100"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"sendId\":2"), std::string::npos);
  EXPECT_NE(lines[1].find("\"note\":\"system event not simulated"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[1].back(), '}');
}

// A long run keeps only the latest requests: the oldest go in batches, the
// numbering runs on, and the order stays that of arrival.
TEST(SimRequestLogTest, KeepAtMostHoldsTheLatestRequestsInOrder) {
  struct Case {
    size_t kept;
    int appended;
    size_t fewest, most;
  } cases[] = {{0, 50, 50, 50}, {3, 2, 2, 2}, {3, 6, 6, 6}, {3, 7, 3, 6}, {3, 50, 3, 6}, {1, 9, 1, 2}};
  for (const Case& c : cases) {
    simemu::RequestLog log;
    log.keepAtMost(c.kept);
    for (int i = 0; i < c.appended; ++i) log.append(simemu::LoggedRequest{});
    const auto& kept = log.entries();
    SCOPED_TRACE("keep " + std::to_string(c.kept) + ", appended " + std::to_string(c.appended));
    EXPECT_GE(kept.size(), c.fewest);
    EXPECT_LE(kept.size(), c.most);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back().sequence, static_cast<uint64_t>(c.appended)) << "the latest is kept, numbered on";
    for (size_t i = 1; i < kept.size(); ++i) EXPECT_EQ(kept[i].sequence, kept[i - 1].sequence + 1);
  }
}

// The emulator on a pipe of its own and on nothing else.
simemu::SimEmulatorOptions pipeOptions() {
  simemu::SimEmulatorOptions options = testOptions();
  options.listenTcp4 = false;
  options.listenPipe = true;
  options.pipeName = uniquePipeName();
  return options;
}

TEST(SimTransportTest, PipeServesSeveralClientsAtOnce) {
  const simemu::SimEmulatorOptions options = pipeOptions();
  auto emulator = startEmulator(options);
  ASSERT_NE(emulator, nullptr);
  auto first = TestSimClient::overPipe(emulator->pipeName());
  auto second = TestSimClient::overPipe(emulator->pipeName());
  ASSERT_NE(first, nullptr) << "cannot open " << emulator->pipeName();
  ASSERT_NE(second, nullptr);
  first->send(openRequest(1, "first"));
  second->send(openRequest(1, "second"));
  EXPECT_FALSE(first->takeMessage(SIMCONNECT_RECV_ID_OPEN, kDeadlineMs).empty());
  EXPECT_FALSE(second->takeMessage(SIMCONNECT_RECV_ID_OPEN, kDeadlineMs).empty());
  second->send(systemStateRequest(2, 9, "AircraftLoaded"));
  const Bytes state = second->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, kDeadlineMs);
  ASSERT_EQ(state.size(), 284u);
  EXPECT_EQ(textAt(state, 24, 260), emulator->aircraftFilePath());
  simemu::ClientSession session;
  ASSERT_TRUE(emulator->clientSession(emulator->clientIds().at(0), &session));
  EXPECT_EQ(session.transport, "pipe");
}

TEST(SimTransportTest, SecondServerOnTheSamePipeIsRefused) {
  const simemu::SimEmulatorOptions options = pipeOptions();
  auto first = startEmulator(options);
  ASSERT_NE(first, nullptr);
  simemu::SimEmulator second(options);
  std::string error;
  EXPECT_FALSE(second.start(&error));
  EXPECT_FALSE(error.empty());
}

TEST(SimTransportTest, Ipv6LoopbackServesTheProtocol) {
  simemu::SimEmulatorOptions options = testOptions();
  options.listenTcp4 = false;
  options.listenTcp6 = true;
  simemu::SimEmulator emulator(options);
  std::string error;
  if (!emulator.start(&error)) GTEST_SKIP() << "no IPv6 loopback here: " << error;
  auto client = TestSimClient::overTcp(6, emulator.tcp6Port());
  ASSERT_NE(client, nullptr);
  client->send(openRequest(1, "v6"));
  EXPECT_FALSE(client->takeMessage(SIMCONNECT_RECV_ID_OPEN, kDeadlineMs).empty());
}

// A request is acted on only when it holds every byte of its kind: one even a
// single byte short is logged as such and left alone.
TEST(RequestDecoderTest, RequestsShorterThanTheirKindAreNotActedOn) {
  struct Case {
    int bytesBeyond;  // relative to the size of the kind
    const char* note;
  };
  const Case cases[] = {
      {0, ""}, {4, "longer than its kind"}, {-1, "shorter than its kind"}, {-4, "shorter than its kind"}};
  const uint32_t kind = simwire::kSubscribeToSystemEvent;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytesBeyond);
    std::vector<uint8_t> bytes(simemu::expectedRequestSize(kind) + c.bytesBeyond, 0);
    const uint32_t header[4] = {static_cast<uint32_t>(bytes.size()), simwire::kProtocolVersion, kind, 1};
    std::memcpy(bytes.data(), header, sizeof header);
    const simemu::LoggedRequest entry = simemu::decodeRequest(1, bytes.data(), bytes.size());
    EXPECT_EQ(entry.note.substr(0, std::string(c.note).size()), c.note) << entry.note;
    if (c.bytesBeyond == 0) {
      EXPECT_TRUE(entry.note.empty()) << entry.note;
    }
  }
}

}  // namespace
}  // namespace simtest
