// The flight-data record: its start-up image byte by byte, the build
// counter's wrap, and consistent copies while the session thread publishes.
#include "bridge/flight_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

double doubleAt(const unsigned char* bytes, size_t offset) {
  double value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

int64_t intAt(const unsigned char* bytes, size_t offset, size_t width) {
  int64_t value = 0;
  if (width == 4) {
    int32_t narrow;
    std::memcpy(&narrow, bytes + offset, 4);
    value = narrow;
  } else {
    std::memcpy(&value, bytes + offset, 8);
  }
  return value;
}

TEST(FlightRecord, StartUpImageIsExactlyAsPublished) {
  resetFlightRecord();
  FlightRecord copy;
  EXPECT_EQ(readFlightRecord(copy), 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&copy);

  // Every byte the start-up image gives a value other than zero, by offset.
  std::vector<bool> checked(kFlightRecordSize, false);
  auto expectDouble = [&](size_t offset, double value) {
    EXPECT_EQ(doubleAt(bytes, offset), value) << "double at " << offset;
    for (size_t i = 0; i < 8; ++i) checked[offset + i] = true;
  };
  auto expectOnes = [&](size_t from, size_t to) {
    for (size_t i = from; i <= to; ++i) {
      EXPECT_EQ(bytes[i], 1) << "byte " << i;
      checked[i] = true;
    }
  };
  auto expectInt = [&](size_t offset, size_t width, int64_t value) {
    EXPECT_EQ(intAt(bytes, offset, width), value) << "integer at " << offset;
    for (size_t i = 0; i < width; ++i) checked[offset + i] = true;
  };
  // Published as apps receive it: tagged "ORVX30", byte 6 and 7 zero.
  const char tag[] = "ORVX30";
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(bytes[i], static_cast<unsigned char>(tag[i])) << "tag byte " << i;
    checked[i] = true;
  }
  for (size_t offset : {32u, 40u, 224u, 232u, 368u}) expectDouble(offset, 1013.0);
  expectOnes(216, 217);
  expectOnes(352, 365);
  expectOnes(608, 609);
  expectOnes(639, 642);
  expectInt(1984, 4, 8);
  expectInt(1988, 4, 8);
  expectInt(2040, 8, 200);
  for (size_t i = 2088; i < 2096; ++i) {
    EXPECT_EQ(bytes[i], 0xFF) << "byte " << i;
    checked[i] = true;
  }
  EXPECT_EQ(bytes[2272], 0x55);
  checked[2272] = true;

  for (size_t i = 0; i < kFlightRecordSize; ++i) {
    if (!checked[i]) {
      EXPECT_EQ(bytes[i], 0) << "byte " << i << " should be zero";
    }
  }
}

TEST(FlightRecord, BuildCounterRunsToItsLimitThenZero) {
  EXPECT_EQ(advanceBuildCounter(0), 1);
  EXPECT_EQ(advanceBuildCounter(2147483645), 2147483646);
  EXPECT_EQ(advanceBuildCounter(2147483646), 0);  // never 2147483647, never negative
  EXPECT_EQ(advanceBuildCounter(1), 2);
}

TEST(FlightRecord, PublishCopiesTheWorkingRecordAndWakesWaiters) {
  resetFlightRecord();
  std::atomic<int32_t> seen{-1};
  std::thread waiter([&] { seen = waitForBuildCounterChange(0, std::chrono::seconds(10)); });
  flightRecordForBuild().altitudeFt = 12345.0;
  publishFlightRecord();
  waiter.join();
  EXPECT_EQ(seen.load(), 1);
  FlightRecord copy;
  EXPECT_EQ(readFlightRecord(copy), 1);
  EXPECT_EQ(copy.altitudeFt, 12345.0);
}

TEST(FlightRecord, WaitGivesUpAfterItsTimeout) {
  resetFlightRecord();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(waitForBuildCounterChange(0, std::chrono::milliseconds(20)), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(19));
}

// One writer publishing builds in which every double carries the build
// number, several readers copying at the same time: every copy must be one
// whole build, and belong to the counter returned with it.
TEST(FlightRecord, ReadersNeverSeeAHalfWrittenBuild) {
  resetFlightRecord();
  std::atomic<bool> done{false};
  std::atomic<long> copies{0};
  std::vector<std::thread> readers;
  std::atomic<bool> torn{false};
  for (int r = 0; r < 4; ++r) {
    readers.emplace_back([&] {
      FlightRecord copy;
      while (!done.load()) {
        const int32_t counter = readFlightRecord(copy);
        const double first = copy.latitudeDeg;
        if (copy.longitudeDeg != first || copy.altitudeFt != first || copy.apAltitudeFt != first ||
            copy.sideMach[1] != first || (counter != 0 && first != counter)) {
          torn = true;
        }
        ++copies;
      }
    });
  }
  // Publish until the readers have made plenty of copies (they may start
  // late on a busy machine), within a generous deadline.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (int build = 1; build <= 20000 || (copies.load() < 1000 && std::chrono::steady_clock::now() < deadline);
       ++build) {
    FlightRecord& r = flightRecordForBuild();
    const double value = build;
    r.latitudeDeg = value;
    r.longitudeDeg = value;
    r.altitudeFt = value;
    r.apAltitudeFt = value;
    r.sideMach[1] = value;
    publishFlightRecord();
  }
  done = true;
  for (auto& reader : readers) reader.join();
  EXPECT_FALSE(torn.load());
  EXPECT_GE(copies.load(), 1000) << "the readers never ran alongside the writer";
}

}  // namespace
