// The flight-data record builder: the worked conversions, the flap detent
// lookup, BCD frequencies, the build counter, and the whole 2280-byte
// image against one laid out here from raw offsets.
#include "bridge/flight_record_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "bridge/aircraft_config.h"
#include "bridge/flight_record.h"
#include "tests/bridge/flap_table_loader.h"
#include "tests/bridge/sim_block.h"

namespace {

constexpr double R = 57.2957795129;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Block offsets used below, written out as the catalogue lays them out.
constexpr uint32_t kHeadingTrue = 304, kMagvar = 320, kPitch = 384, kVelocityZ = 1672, kVelocityX = 1680;
constexpr uint32_t kFlapsHandleIndex = 608, kFlapsNumPositions = 616;
constexpr uint32_t kCom1 = 1640, kCom2 = 1644, kApMaster = 472;

class BuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetFlightRecord();
    ASSERT_TRUE(loadZeroFlapDetentTable());
  }

  static FlightRecord build(const SimBlock& block) {
    buildFlightRecord(block.data());
    FlightRecord published;
    readFlightRecord(published);
    return published;
  }
};

TEST_F(BuilderTest, TrackHeadingAndPitchWorkedValues) {
  FlightRecord r = build(SimBlock().setDouble(kVelocityX, 10.0).setDouble(kVelocityZ, 0.0));
  EXPECT_DOUBLE_EQ(r.trackTrueDeg, 89.99999999999407);  // the track's pi is 3.14159265359, not M_PI
  r = build(SimBlock().setDouble(kVelocityX, -10.0));
  EXPECT_DOUBLE_EQ(r.trackTrueDeg, 270.0000000000059);
  r = build(SimBlock());
  EXPECT_EQ(r.trackTrueDeg, 0.0);

  r = build(SimBlock().setDouble(kHeadingTrue, 0.1).setDouble(kMagvar, 10.0).setDouble(kPitch, -0.1));
  EXPECT_DOUBLE_EQ(r.headingTrueDeg, 5.72957795129);
  EXPECT_DOUBLE_EQ(r.headingMagDeg, 355.72957795129);
  EXPECT_DOUBLE_EQ(r.sideHeadingMagDeg[1], 355.72957795129);
  EXPECT_DOUBLE_EQ(r.pitchDeg, 5.72957795129);  // nose up is positive for apps
  EXPECT_DOUBLE_EQ(r.sidePitchDeg[0], 5.72957795129);

  r = build(SimBlock().setDouble(kHeadingTrue, 7.0));
  EXPECT_NEAR(r.headingTrueDeg, 401.07, 0.001);  // true heading is sent unwrapped
  EXPECT_NEAR(r.headingMagDeg, 41.07, 0.001);
}

TEST(WrapDegrees, StepsIntoRangeAndAlwaysEnds) {
  EXPECT_EQ(wrapDegrees(-720.5), 359.5);
  EXPECT_EQ(wrapDegrees(720.0), 0.0);
  EXPECT_EQ(wrapDegrees(359.75), 359.75);
  EXPECT_EQ(wrapDegrees(-1e-20), 0.0);  // -1e-20 + 360 rounds to 360, which is not in range
  for (double far : {1e300, -1e300, 123456789.25, -std::numeric_limits<double>::max()}) {
    const double wrapped = wrapDegrees(far);  // a plain loop would never end here
    EXPECT_TRUE(wrapped >= 0.0 && wrapped < 360.0) << far << " gave " << wrapped;
  }
  EXPECT_EQ(wrapDegrees(123456789.25), 189.25);
  EXPECT_TRUE(std::isnan(wrapDegrees(kNaN)));
  EXPECT_TRUE(std::isnan(wrapDegrees(kInf)));
  EXPECT_TRUE(std::isnan(wrapDegrees(-kInf)));
}

TEST_F(BuilderTest, FlapDetentLookupTruncatesAndFallsBackToZero) {
  FlapDetentTable table;
  table.fill(kNoFlapAngle);
  table[0] = 1.5f;
  table[2] = 20.0f;
  table[19] = 40.0f;
  ASSERT_TRUE(loadFlapDetentTable(table));

  EXPECT_EQ(flapDetentLookup(2.9), 20.0);  // entry 2
  EXPECT_EQ(flapDetentLookup(-0.5), 1.5);  // truncation toward zero: entry 0
  EXPECT_EQ(flapDetentLookup(19.99), 40.0);
  EXPECT_EQ(flapDetentLookup(20.0), 0.0);  // past the table
  EXPECT_EQ(flapDetentLookup(-1.0), 0.0);
  EXPECT_EQ(flapDetentLookup(1.0), 0.0);  // entry 1 has no angle (-1.0)
  for (double outOfRange : {kNaN, kInf, -kInf, 1e300, -3e9, 4294967296.0})
    EXPECT_EQ(flapDetentLookup(outOfRange), 0.0) << outOfRange;

  const FlightRecord r = build(SimBlock().setDouble(kFlapsHandleIndex, 2.9).setDouble(kFlapsNumPositions, 19.0));
  EXPECT_EQ(r.flapDetentAngleDeg, 20.0);
  EXPECT_EQ(r.flapMaxDetentAngleDeg, 40.0);
}

// The NAV flags and idents, the marker and the autopilot lights are checked
// in the whole image below; here the BCD decoding and what it does with words
// that are no BCD, and a NaN switch.
TEST_F(BuilderTest, BcdFrequenciesAndANaNSwitch) {
  EXPECT_EQ(decodeBcd(0x1234), 1234u);
  EXPECT_EQ(decodeBcd(0x1A), 20u);  // a group above 9 counts with its value
  EXPECT_EQ(decodeBcd(0xFFFFFFFF), 166666665u);

  FlightRecord r = build(SimBlock().setInt32(kCom1, 0x2345).setInt32(kCom2, static_cast<int32_t>(0x99999999u)));
  EXPECT_DOUBLE_EQ(r.comFreq[0], 0.2345);
  EXPECT_DOUBLE_EQ(r.comFreq[1], 9999.9999);  // a negative 32-bit word is read as its bits

  r = build(SimBlock().setDouble(kApMaster, kNaN));  // NaN counts as on
  EXPECT_EQ(r.apEngaged, 1);
  EXPECT_EQ(r.apDisengaged, 0);
}

TEST_F(BuilderTest, CounterAdvancesAfterEachBuild) {
  const SimBlock block;
  buildFlightRecord(block.data());
  EXPECT_EQ(flightBuildCounter(), 1);
  buildFlightRecord(block.data());
  EXPECT_EQ(flightBuildCounter(), 2);
}

// --- The whole image -----------------------------------------------------------

// The record as a byte image, written at the offsets of the record's layout.
class Image {
 public:
  explicit Image(uint8_t fill) { std::memset(bytes_, fill, sizeof bytes_); }
  void d(size_t offset, double value) { std::memcpy(bytes_ + offset, &value, 8); }
  void d2(size_t offset, double value) { d(offset, value), d(offset + 8, value); }
  void i32(size_t offset, int32_t value) { std::memcpy(bytes_ + offset, &value, 4); }
  void b(size_t offset, bool value) { bytes_[offset] = value ? 1 : 0; }
  void b2(size_t offset, bool value) { b(offset, value), b(offset + 1, value); }
  void fill(size_t from, size_t to, uint8_t value) { std::memset(bytes_ + from, value, to - from + 1); }
  void text(size_t offset, const char* text, size_t bytes) { std::memcpy(bytes_ + offset, text, bytes); }
  void copy(size_t to, size_t from, size_t size) { std::memmove(bytes_ + to, bytes_ + from, size); }
  const uint8_t* bytes() const { return bytes_; }

 private:
  uint8_t bytes_[2280];
};

// The stepwise wrap, as apps expect it.
double wrapped(double v) {
  while (v < 0.0) v += 360.0;
  while (v >= 360.0) v -= 360.0;
  return v;
}

double bcd(uint32_t v) { return v == 0 ? 0.0 : (v % 16) + 10.0 * bcd(v / 16); }

// Every variable gets a value of its own; some switches are off so that a
// flag read from the wrong switch shows.
SimBlock distinctBlock() {
  SimBlock block;
  for (uint32_t offset = 256; offset < 1688; offset += 8) block.setDouble(offset, offset / 8 + 0.125);
  for (uint32_t off : {480u, 488u, 504u, 528u, 536u, 552u, 592u, 640u, 1176u, 1192u, 1384u, 1424u, 1448u, 1608u})
    block.setDouble(off, 0.0);
  block.setDouble(560, 0.0);  // flight director off
  block.setDouble(608, 2.0);  // flap lever at detent 2
  block.setDouble(616, 5.0);  // 5 detents
  block.setDouble(624, 0.1).setDouble(632, 0.3);
  block.setInt64(1536, 1).setInt64(1544, 2);                    // NAV 1 TO, NAV 2 FROM
  block.setText8(1584, "ILS1").setText8(1592, "VORTACX");       // NAV idents
  block.setInt32(1616, 0x00345000).setInt32(1620, 0x00123500);  // ADF, BCD words
  block.setInt32(1640, 0x2345).setInt32(1644, 0x1975);          // COM
  block.setInt64(1648, 2);                                      // middle marker
  return block;
}

Image expectedImage(const SimBlock& block, const FlapDetentTable& flaps, double unixTime) {
  auto v = [&](uint32_t offset) { return block.getDouble(offset); };
  auto on = [&](uint32_t offset) { return v(offset) != 0.0; };
  auto flap = [&](double position) {
    const float angle = flaps[static_cast<size_t>(position)];
    return angle >= 0.0f ? double{angle} : 0.0;
  };

  Image e(0xAA);  // bytes a build does not own keep the working record's filler
  e.text(0, "ORVX30", 7);
  e.text(8, "P3D", 4);
  e.text(16, "WIN32", 6);
  e.d(24, unixTime);
  e.d(40, 1013.2);
  e.b(64, false);
  e.d(72, v(320));
  e.d(80, v(1656));
  e.d(88, v(1664));
  e.d(96, v(256));
  e.d(104, v(264));
  e.d(112, v(272));
  e.d(120, 0.0);
  e.d(128, wrapped(std::atan2(v(1680), v(1672)) * 180.0 / 3.14159265359));
  const double headingTrue = v(304) * R;
  const double pitch = -(v(384) * R), bank = -(v(376) * R);
  const double verticalSpeed = v(360) * 60.0;
  const double headingMag = wrapped(headingTrue - v(320));
  e.d(136, headingTrue);
  e.d(144, v(352));
  e.d(152, v(336));
  e.d(160, v(344));
  e.d(168, verticalSpeed);
  e.d(176, pitch);
  e.d(184, bank);
  e.d2(192, 0.0);
  e.d(208, v(392) * R);
  e.b2(216, true);
  e.d2(224, v(296));
  e.d2(240, 0.0);
  e.d2(256, v(280));
  e.copy(272, 56, 8), e.copy(280, 56, 8);  // copies of the never-written altReserved
  e.d2(288, v(352));
  e.d2(304, v(328));
  e.d2(320, v(368));
  e.d2(336, v(336));
  e.fill(352, 365, 1);
  e.d(376, 0.0);
  e.d(384, v(280));
  e.d2(392, pitch);
  e.d2(408, bank);
  e.d2(424, headingMag);
  e.d2(440, verticalSpeed);
  e.d2(456, v(400) * R);
  e.d(472, headingMag);
  e.d(480, v(408) * 0.0078125 * 3.0);
  e.d2(488, v(288));
  e.d(504, v(416));
  e.d(512, v(664) * R);
  e.d(520, v(672) * R);
  e.d(528, v(680) * R);
  for (int leg = 0; leg < 3; ++leg) e.d(536 + 8 * leg, v(584 + 8 * leg) / 100.0 != 0.0 ? 1.0 : 0.0);
  e.d(560, (v(632) * R + v(624) * R) * 0.5);
  e.d(568, flap(v(608)));
  e.d(576, flap(v(616)));
  e.d(584, (v(656) + v(648)) * 0.5 / 16383.0);
  e.b(592, on(640));
  e.fill(593, 599, 0);
  e.fill(600, 609, 1);
  for (int k = 0; k < 2; ++k) {
    const bool hasNav = on(1408 + 8 * k), glideslope = hasNav && on(1440 + 8 * k);
    const bool localizer = hasNav && on(1424 + 8 * k);
    const int64_t toFrom = block.getInt64(1536 + 8 * k);
    e.b(610 + k, glideslope), e.b(620 + k, glideslope), e.b(1581 + k, glideslope);
    e.b(612 + k, localizer), e.b(1583 + k, localizer);
    e.b(622 + k, hasNav);
    e.b(628 + k, toFrom == 2);
    e.b(630 + k, toFrom == 1);
  }
  e.fill(614, 619, 0), e.fill(624, 627, 0), e.fill(632, 638, 0);
  e.fill(639, 642, 1);
  for (int t = 0; t < 12; ++t) {
    e.d(648 + 8 * t, t < 9 ? v(1200 + 16 * t) : 0.0);  // level and capacity alternate in the block
    e.d(744 + 8 * t, t < 9 ? v(1208 + 16 * t) : 0.0);
  }
  e.fill(840, 902, 0);
  for (int n = 0; n < 4; ++n) {
    const uint32_t s = 8 * n;
    e.d(904 + s, v(688 + s));
    e.d(936 + s, v(720 + s));
    e.d(968 + s, v(752 + s));
    e.d(1000 + s, (v(784 + s) - 491.67) * 0.5555555555555556);
    e.d(1032 + s, v(912 + s));
    e.d(1064 + s, v(944 + s) * 0.00694444444);
    e.d(1096 + s, v(976 + s) / 100.0);
    e.d(1128 + s, v(1072 + s) * 12.0);
    e.d(1160 + s, v(1104 + s));
    e.d(1192 + s, v(1136 + s));
    e.d(1224 + s, v(1008 + s) / 1000.0);
    e.d(1256 + s, v(1040 + s));
    e.d(1288 + s, (v(848 + s) - 491.67) * 0.5555555555555556);
    e.d(1320 + s, v(816 + s) * 0.00694444444);
    e.d(1384 + s, v(880 + s) * 100.0);
    e.i32(1480 + 4 * n, on(1168 + s) ? 1 : 0);
    e.b(1577 + n, on(1168 + s));
  }
  e.fill(1352, 1383, 0), e.fill(1416, 1479, 0), e.fill(1496, 1576, 0);
  for (int k = 0; k < 2; ++k) {
    const uint32_t s = 8 * k;
    const bool usable = on(1376 + s) && on(1408 + s);
    e.d(1592 + s, v(1488 + s) / 119.0);
    e.d(1608 + s, v(1472 + s) * 0.0078125);
    e.b(1656 + k, usable), e.b(1662 + k, usable);
    e.b(1658 + k, on(1600 + s));
    e.b(1660 + k, usable && on(1440 + s));
    e.d(1664 + s, bcd(static_cast<uint32_t>(block.getInt32(1640 + 4 * k))) / 10000.0);
    e.d(1680 + s, bcd(static_cast<uint32_t>(block.getInt32(1616 + 4 * k))) / 10000.0);
    e.d(1696 + s, v(1392 + s));
    e.d(1728 + s, v(1568 + s));
    e.d(1744 + s, wrapped(v(1520 + s) + 180.0 - headingTrue + v(320)));
    e.d(1760 + s, wrapped(v(1624 + s)));
  }
  e.fill(1624, 1655, 0);
  e.text(1776, "ILS1\0\0", 6), e.text(1782, "VORTA\0", 6);  // at most five characters
  e.fill(1788, 1799, 0);                                    // ADF idents stay empty
  e.text(1800, on(1440) ? "ILS1\0\0" : "\0\0\0\0\0\0", 6);
  e.text(1806, on(1448) ? "VORTA\0" : "\0\0\0\0\0\0", 6);
  e.fill(1824, 1829, 1), e.fill(1830, 1835, 0);
  for (int m = 0; m < 3; ++m) e.b(1836 + m, block.getInt64(1648) == m + 1);
  e.b2(1839, on(560)), e.b2(1975, on(560));
  e.d2(1848, v(576) * R);
  e.d2(1864, v(568) * R);
  e.fill(1880, 1881, 0);
  e.d(1888, v(424)), e.d(1896, v(432)), e.d(1904, v(440)), e.d(1912, v(456)), e.d(1920, v(464));
  e.d(1928, 0.0);
  e.b(1940, on(472));
  e.b(1941, on(480));
  const bool lights[15] = {on(488),
                           on(520),
                           on(528) || on(520),
                           on(496),
                           on(504),
                           on(512),
                           on(536) || on(552),
                           on(536) || on(552),
                           on(544) || on(552),
                           on(544) || on(552)};
  for (int pair = 0; pair < 15; ++pair) e.b2(1943 + 2 * pair, lights[pair]);
  e.b(1973, false);
  e.b(1974, !on(472));
  e.fill(2076, 2095, 0);
  return e;
}

// Builds the block over a filler and compares the whole image; the offsets
// of the first differing bytes in the message.
void expectWholeImage(const SimBlock& block, const FlapDetentTable& flaps) {
  // A filler in the working record shows every byte a build writes and every
  // byte it must leave alone.
  std::memset(&flightRecordForBuild(), 0xAA, sizeof(FlightRecord));
  const double before = static_cast<double>(std::time(nullptr));
  buildFlightRecord(block.data());
  FlightRecord built;
  readFlightRecord(built);
  const double after = static_cast<double>(std::time(nullptr));
  ASSERT_GE(built.unixTime, before);
  ASSERT_LE(built.unixTime, after);
  ASSERT_EQ(built.unixTime, std::floor(built.unixTime));

  const Image expected = expectedImage(block, flaps, built.unixTime);
  const auto* actual = reinterpret_cast<const uint8_t*>(&built);
  std::vector<size_t> differing;
  for (size_t i = 0; i < sizeof built; ++i)
    if (actual[i] != expected.bytes()[i]) differing.push_back(i);
  std::string where;
  for (size_t i = 0; i < differing.size() && i < 16; ++i) where += " " + std::to_string(differing[i]);
  EXPECT_TRUE(differing.empty()) << differing.size() << " bytes differ, first at offsets" << where;
}

FlapDetentTable sampleFlaps() {
  FlapDetentTable flaps;
  flaps.fill(kNoFlapAngle);
  flaps[2] = 15.0f;
  flaps[5] = 30.0f;
  return flaps;
}

TEST_F(BuilderTest, WholeImageMatchesTheLayoutByteForByte) {
  ASSERT_TRUE(loadFlapDetentTable(sampleFlaps()));
  expectWholeImage(distinctBlock(), sampleFlaps());
}

// Every switch and hold the builder reads, at its block offset: autopilot
// master to flight director, gear legs, spoilers, engine starters, NAV
// available / has NAV / localizer / glideslope, ADF available.
const uint32_t kSwitchOffsets[] = {472,  480,  488,  496,  504,  512,  520,  528,  536,  544,
                                   552,  560,  584,  592,  600,  640,  1168, 1176, 1184, 1192,
                                   1376, 1384, 1408, 1416, 1424, 1432, 1440, 1448, 1600, 1608};

// Each switch turned the other way on its own, from a block with some on and
// some off, then from all off and from all on: a field read from the wrong
// switch differs in at least one of these images.
TEST_F(BuilderTest, EverySwitchFlippedAloneChangesOnlyItsOwnFields) {
  ASSERT_TRUE(loadFlapDetentTable(sampleFlaps()));
  for (const char* base : {"distinct", "all off", "all on"}) {
    SimBlock start = distinctBlock();
    for (uint32_t offset : kSwitchOffsets) {
      if (std::string(base) == "all off") start.setDouble(offset, 0.0);
      if (std::string(base) == "all on") start.setDouble(offset, 1.0);
    }
    for (uint32_t offset : kSwitchOffsets) {
      SimBlock flipped = start;
      flipped.setDouble(offset, start.getDouble(offset) != 0.0 ? 0.0 : 1.0);
      SCOPED_TRACE(std::string(base) + ", switch at block offset " + std::to_string(offset) + " flipped");
      expectWholeImage(flipped, sampleFlaps());
    }
  }
}

// The to/from indicator and the marker beacon through every value they take,
// one receiver at a time.
TEST_F(BuilderTest, ToFromAndMarkerTakeEveryValue) {
  ASSERT_TRUE(loadFlapDetentTable(sampleFlaps()));
  for (int64_t value = 0; value <= 3; ++value) {
    for (uint32_t offset : {1536u, 1544u, 1648u}) {
      SimBlock block = distinctBlock();
      block.setInt64(offset, value);
      SCOPED_TRACE("block offset " + std::to_string(offset) + " = " + std::to_string(value));
      expectWholeImage(block, sampleFlaps());
    }
  }
}

}  // namespace
