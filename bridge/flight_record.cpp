#include "bridge/flight_record.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>

// The wire layout, field by field.
#define ORVX_AT(field, offset) static_assert(offsetof(FlightRecord, field) == (offset), #field " is at " #offset)
ORVX_AT(tag, 0);
ORVX_AT(simulatorName, 8);
ORVX_AT(platformName, 16);
ORVX_AT(unixTime, 24);
ORVX_AT(baroDefaultHpa, 32);
ORVX_AT(baroStandardHpa, 40);
ORVX_AT(reserved48, 48);
ORVX_AT(altReserved, 56);
ORVX_AT(reserved64, 64);
ORVX_AT(magVarDeg, 72);
ORVX_AT(windDirDeg, 80);
ORVX_AT(windSpeedKt, 88);
ORVX_AT(latitudeDeg, 96);
ORVX_AT(longitudeDeg, 104);
ORVX_AT(altitudeFt, 112);
ORVX_AT(reserved120, 120);
ORVX_AT(trackTrueDeg, 128);
ORVX_AT(headingTrueDeg, 136);
ORVX_AT(trueAirspeedKt, 144);
ORVX_AT(mach, 152);
ORVX_AT(groundSpeedKt, 160);
ORVX_AT(verticalSpeedFpm, 168);
ORVX_AT(pitchDeg, 176);
ORVX_AT(bankDeg, 184);
ORVX_AT(reserved192, 192);
ORVX_AT(angleOfAttackDeg, 208);
ORVX_AT(validPair216, 216);
ORVX_AT(sideBaroHpa, 224);
ORVX_AT(reserved240, 240);
ORVX_AT(sideIndicatedAltFt, 256);
ORVX_AT(sideAltReserved, 272);
ORVX_AT(sideTrueAirspeedKt, 288);
ORVX_AT(sideIndicatedAirspeedKt, 304);
ORVX_AT(sideMaxSpeedKt, 320);
ORVX_AT(sideMach, 336);
ORVX_AT(sideValidFlags, 352);
ORVX_AT(baroReferenceHpa, 368);
ORVX_AT(reserved376, 376);
ORVX_AT(indicatedAltitudeFt, 384);
ORVX_AT(sidePitchDeg, 392);
ORVX_AT(sideBankDeg, 408);
ORVX_AT(sideHeadingMagDeg, 424);
ORVX_AT(sideVerticalSpeedFpm, 440);
ORVX_AT(sideTurnRateDegSec, 456);
ORVX_AT(headingMagDeg, 472);
ORVX_AT(slipBall, 480);
ORVX_AT(sideRadioHeightFt, 488);
ORVX_AT(gLoad, 504);
ORVX_AT(elevatorTrimDeg, 512);
ORVX_AT(aileronTrimDeg, 520);
ORVX_AT(rudderTrimDeg, 528);
ORVX_AT(gearDown, 536);
ORVX_AT(flapAngleDeg, 560);
ORVX_AT(flapDetentAngleDeg, 568);
ORVX_AT(flapMaxDetentAngleDeg, 576);
ORVX_AT(speedBrakeRatio, 584);
ORVX_AT(spoilersArmed, 592);
ORVX_AT(reserved593, 593);
ORVX_AT(validPairs600, 600);
ORVX_AT(navGlideslopeRx, 610);
ORVX_AT(navLocalizerRx, 612);
ORVX_AT(reserved614, 614);
ORVX_AT(navGlideslopeRx2, 620);
ORVX_AT(navReceiving, 622);
ORVX_AT(reserved624, 624);
ORVX_AT(navFromFlag, 628);
ORVX_AT(navToFlag, 630);
ORVX_AT(reserved632, 632);
ORVX_AT(validFlags639, 639);
ORVX_AT(tankLevelPct, 648);
ORVX_AT(tankCapacityGal, 744);
ORVX_AT(reserved840, 840);
ORVX_AT(reserved896, 896);
ORVX_AT(engN1Pct, 904);
ORVX_AT(engN2Pct, 936);
ORVX_AT(engEpr, 968);
ORVX_AT(engEgtC, 1000);
ORVX_AT(engVibration, 1032);
ORVX_AT(engHydPressPsi, 1064);
ORVX_AT(engHydQuantity, 1096);
ORVX_AT(engTorque, 1128);
ORVX_AT(engRpm, 1160);
ORVX_AT(engTurbineInletTempC, 1192);
ORVX_AT(engFuelFlowKpph, 1224);
ORVX_AT(engFuelPressPsi, 1256);
ORVX_AT(engOilTempC, 1288);
ORVX_AT(engOilPressPsi, 1320);
ORVX_AT(reserved1352, 1352);
ORVX_AT(engOilQuantityPct, 1384);
ORVX_AT(reserved1416, 1416);
ORVX_AT(engStarterOn, 1480);
ORVX_AT(reserved1496, 1496);
ORVX_AT(reserved1524, 1524);
ORVX_AT(reserved1525, 1525);
ORVX_AT(reserved1537, 1537);
ORVX_AT(reserved1549, 1549);
ORVX_AT(engStarterFlag, 1577);
ORVX_AT(navGlideslopeRx3, 1581);
ORVX_AT(navLocalizerRx2, 1583);
ORVX_AT(navGsDeviation, 1592);
ORVX_AT(navCdiDeviation, 1608);
ORVX_AT(reserved1624, 1624);
ORVX_AT(radioValid, 1656);
ORVX_AT(ilsValid, 1660);
ORVX_AT(navValid2, 1662);
ORVX_AT(comFreq, 1664);
ORVX_AT(adfFreqKhz, 1680);
ORVX_AT(navFreqMhz, 1696);
ORVX_AT(reserved1712, 1712);
ORVX_AT(navDmeNm, 1728);
ORVX_AT(navRelBearingDeg, 1744);
ORVX_AT(adfBearingDeg, 1760);
ORVX_AT(radioIdent, 1776);
ORVX_AT(ilsIdent, 1800);
ORVX_AT(validFlags1824, 1824);
ORVX_AT(reserved1830, 1830);
ORVX_AT(markerBeacon, 1836);
ORVX_AT(sideFlightDirectorOn, 1839);
ORVX_AT(sideFdPitchDeg, 1848);
ORVX_AT(sideFdBankDeg, 1864);
ORVX_AT(reserved1880, 1880);
ORVX_AT(apHeadingDeg, 1888);
ORVX_AT(apAirspeedKt, 1896);
ORVX_AT(apMach, 1904);
ORVX_AT(apAltitudeFt, 1912);
ORVX_AT(apVerticalSpeedFpm, 1920);
ORVX_AT(reserved1928, 1928);
ORVX_AT(reserved1936, 1936);
ORVX_AT(apEngaged, 1940);
ORVX_AT(autothrottleArmed, 1941);
ORVX_AT(reserved1942, 1942);
ORVX_AT(apModeLights, 1943);
ORVX_AT(reserved1973, 1973);
ORVX_AT(apDisengaged, 1974);
ORVX_AT(sideFlightDirectorOn2, 1975);
ORVX_AT(reserved1984, 1984);
ORVX_AT(reserved1988, 1988);
ORVX_AT(reserved1992, 1992);
ORVX_AT(reserved2040, 2040);
ORVX_AT(reserved2048, 2048);
ORVX_AT(reserved2076, 2076);
ORVX_AT(reserved2088, 2088);
ORVX_AT(reserved2096, 2096);
ORVX_AT(reserved2272, 2272);
#undef ORVX_AT

namespace {

// The latest published build. The lock guards only the pointer: it is held
// to swap it or to take a reference, never while a record is copied or sent.
// Waiters sleep on `built` and are woken once per build.
struct SharedFlightRecord {
  std::mutex lock;
  std::condition_variable built;
  FlightRecordBuild latest = std::make_shared<PublishedFlightRecord>();  // all zero until the reset
  // The latest build's counter, readable without the lock.
  std::atomic<int32_t> latestCounter{0};
  std::atomic<FlightRecordPublishedHandler> published{nullptr};
};

SharedFlightRecord& shared() {
  static SharedFlightRecord store;
  return store;
}

FlightRecord& working() {
  static FlightRecord record{};
  return record;
}

void writeStartupImage(FlightRecord& r) {
  std::memset(&r, 0, sizeof r);
  r.baroDefaultHpa = 1013.0;
  r.baroStandardHpa = 1013.0;
  r.validPair216[0] = r.validPair216[1] = 1;
  r.sideBaroHpa[0] = r.sideBaroHpa[1] = 1013.0;
  std::memset(r.sideValidFlags, 1, sizeof r.sideValidFlags);
  r.baroReferenceHpa = 1013.0;
  r.validPairs600[4][0] = r.validPairs600[4][1] = 1;
  std::memset(r.validFlags639, 1, sizeof r.validFlags639);
  r.reserved1984 = 8;
  r.reserved1988 = 8;
  r.reserved2040 = 200;
  r.reserved2088[0] = r.reserved2088[1] = -1;
  r.reserved2272 = 0x55;
}

// Publishes a copy of the working record, tagged as apps receive it, under
// the given counter. Without memory for the copy the build is skipped: the
// apps keep the one before, and the next frame tries again.
void publish(int32_t counter) {
  std::shared_ptr<PublishedFlightRecord> build;
  try {
    build = std::make_shared<PublishedFlightRecord>();
  } catch (const std::bad_alloc&) {
    return;
  }
  build->record = working();
  std::memcpy(build->record.tag, kFlightRecordTag, sizeof kFlightRecordTag);  // "ORVX30" and its zero byte
  build->buildCounter = counter;
  const FlightRecordBuild published = std::move(build);
  SharedFlightRecord& s = shared();
  FlightRecordBuild replaced;  // the old build is released outside the lock
  {
    std::lock_guard<std::mutex> hold(s.lock);
    replaced = std::move(s.latest);
    s.latest = published;
    s.latestCounter.store(counter);
  }
  s.built.notify_all();
  if (FlightRecordPublishedHandler handler = s.published.load()) handler(published);
}

}  // namespace

void resetFlightRecord() {
  writeStartupImage(working());
  publish(0);
}

FlightRecord& flightRecordForBuild() { return working(); }

void publishFlightRecord() { publish(advanceBuildCounter(flightBuildCounter())); }

void onFlightRecordPublished(FlightRecordPublishedHandler handler) { shared().published.store(handler); }

FlightRecordBuild latestFlightRecord() {
  SharedFlightRecord& s = shared();
  std::lock_guard<std::mutex> hold(s.lock);
  return s.latest;
}

FlightRecordBuild waitForFlightRecordAfter(int32_t seen, std::chrono::milliseconds timeout) {
  SharedFlightRecord& s = shared();
  std::unique_lock<std::mutex> hold(s.lock);
  s.built.wait_for(hold, timeout, [&] { return s.latest->buildCounter != seen; });
  return s.latest;
}

int32_t readFlightRecord(FlightRecord& copy) {
  const FlightRecordBuild build = latestFlightRecord();
  copy = build->record;
  return build->buildCounter;
}

int32_t flightBuildCounter() { return shared().latestCounter.load(); }

int32_t waitForBuildCounterChange(int32_t seen, std::chrono::milliseconds timeout) {
  return waitForFlightRecordAfter(seen, timeout)->buildCounter;
}
