// The flight-data record "ORVX30": the 2280-byte image of the user aircraft's
// state that apps fetch with "rSIMDATA30", and its build counter.
//
// Ownership and threads. The session thread is the only writer: the builder
// fills the session thread's own working record (flightRecordForBuild) and
// then publishes it (publishFlightRecord), which copies it into a new,
// immutable published build and makes that the latest, then hands it to the
// published-build handler (which sends it to apps already waiting for a new
// build). Readers (serving threads) take a reference to the latest build and
// send from it; a build is never changed once published and lives as long as
// anyone holds it, so a reader can never see half of a build and never holds
// up the writer or another reader for more than a pointer copy. A published
// build carries the tag "ORVX30" already, as apps must receive it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

// Little-endian wire image; every field sits at its natural alignment, so the
// struct has no hidden padding (checked below).
struct FlightRecord {
  char tag[8];
  char simulatorName[8];
  char platformName[8];
  double unixTime;
  double baroDefaultHpa;
  double baroStandardHpa;
  double reserved48;
  double altReserved;
  uint8_t reserved64;
  uint8_t padding65[7];
  double magVarDeg;
  double windDirDeg;
  double windSpeedKt;
  double latitudeDeg;
  double longitudeDeg;
  double altitudeFt;
  double reserved120;
  double trackTrueDeg;
  double headingTrueDeg;
  double trueAirspeedKt;
  double mach;
  double groundSpeedKt;
  double verticalSpeedFpm;
  double pitchDeg;
  double bankDeg;
  double reserved192[2];
  double angleOfAttackDeg;
  uint8_t validPair216[2];
  uint8_t padding218[6];
  double sideBaroHpa[2];
  double reserved240[2];
  double sideIndicatedAltFt[2];
  double sideAltReserved[2];
  double sideTrueAirspeedKt[2];
  double sideIndicatedAirspeedKt[2];
  double sideMaxSpeedKt[2];
  double sideMach[2];
  uint8_t sideValidFlags[7][2];
  uint8_t padding366[2];
  double baroReferenceHpa;
  double reserved376;
  double indicatedAltitudeFt;
  double sidePitchDeg[2];
  double sideBankDeg[2];
  double sideHeadingMagDeg[2];
  double sideVerticalSpeedFpm[2];
  double sideTurnRateDegSec[2];
  double headingMagDeg;
  double slipBall;
  double sideRadioHeightFt[2];
  double gLoad;
  double elevatorTrimDeg;
  double aileronTrimDeg;
  double rudderTrimDeg;
  double gearDown[3];
  double flapAngleDeg;
  double flapDetentAngleDeg;
  double flapMaxDetentAngleDeg;
  double speedBrakeRatio;
  uint8_t spoilersArmed;
  uint8_t reserved593[7];
  uint8_t validPairs600[5][2];
  uint8_t navGlideslopeRx[2];
  uint8_t navLocalizerRx[2];
  uint8_t reserved614[3][2];
  uint8_t navGlideslopeRx2[2];
  uint8_t navReceiving[2];
  uint8_t reserved624[2][2];
  uint8_t navFromFlag[2];
  uint8_t navToFlag[2];
  uint8_t reserved632[7];
  uint8_t validFlags639[4];
  uint8_t padding643[5];
  double tankLevelPct[12];
  double tankCapacityGal[12];
  double reserved840[7];
  uint8_t reserved896[7];
  uint8_t padding903[1];
  double engN1Pct[4];
  double engN2Pct[4];
  double engEpr[4];
  double engEgtC[4];
  double engVibration[4];
  double engHydPressPsi[4];
  double engHydQuantity[4];
  double engTorque[4];
  double engRpm[4];
  double engTurbineInletTempC[4];
  double engFuelFlowKpph[4];
  double engFuelPressPsi[4];
  double engOilTempC[4];
  double engOilPressPsi[4];
  double reserved1352[4];
  double engOilQuantityPct[4];
  double reserved1416[2][4];
  int32_t engStarterOn[4];
  uint8_t reserved1496[7][4];
  uint8_t reserved1524;
  uint8_t reserved1525[3][4];
  uint8_t reserved1537[12];
  uint8_t reserved1549[7][4];
  uint8_t engStarterFlag[4];
  uint8_t navGlideslopeRx3[2];
  uint8_t navLocalizerRx2[2];
  uint8_t padding1585[7];
  double navGsDeviation[2];
  double navCdiDeviation[2];
  double reserved1624[4];
  uint8_t radioValid[4];
  uint8_t ilsValid[2];
  uint8_t navValid2[2];
  double comFreq[2];
  double adfFreqKhz[2];
  double navFreqMhz[2];
  double reserved1712[2];
  double navDmeNm[2];
  double navRelBearingDeg[2];
  double adfBearingDeg[2];
  char radioIdent[4][6];
  char ilsIdent[4][6];
  uint8_t validFlags1824[6];
  uint8_t reserved1830[6];
  uint8_t markerBeacon[3];
  uint8_t sideFlightDirectorOn[2];
  uint8_t padding1841[7];
  double sideFdPitchDeg[2];
  double sideFdBankDeg[2];
  uint8_t reserved1880[2];
  uint8_t padding1882[6];
  double apHeadingDeg;
  double apAirspeedKt;
  double apMach;
  double apAltitudeFt;
  double apVerticalSpeedFpm;
  double reserved1928;
  uint8_t reserved1936[4];
  uint8_t apEngaged;
  uint8_t autothrottleArmed;
  uint8_t reserved1942;
  uint8_t apModeLights[15][2];
  uint8_t reserved1973;
  uint8_t apDisengaged;
  uint8_t sideFlightDirectorOn2[2];
  uint8_t padding1977[7];
  int32_t reserved1984;
  int32_t reserved1988;
  uint8_t reserved1992[48];
  int64_t reserved2040;
  uint8_t reserved2048[28];
  uint8_t reserved2076[12];
  int32_t reserved2088[2];
  uint8_t reserved2096[176];
  uint8_t reserved2272;
  uint8_t padding2273[7];
};

constexpr size_t kFlightRecordSize = 2280;
static_assert(sizeof(FlightRecord) == kFlightRecordSize, "the flight-data record is 2280 bytes on the wire");

// The record's tag as apps expect it in bytes 0 to 6.
constexpr char kFlightRecordTag[] = "ORVX30";

// Next value of the build counter: 0, 1, ..., 2147483646, 0, ...
constexpr int32_t advanceBuildCounter(int32_t counter) { return counter >= 2147483646 ? 0 : counter + 1; }

// One published build: the record as apps receive it and its build counter.
// Immutable once published.
struct PublishedFlightRecord {
  FlightRecord record;
  int32_t buildCounter;
};
using FlightRecordBuild = std::shared_ptr<const PublishedFlightRecord>;

// Writes the start-up image into the working record and publishes it with
// build counter 0. Called by bridge start-up before any other bridge thread
// runs.
void resetFlightRecord();

// The session thread's working record, which the builder fills. Session
// thread only.
FlightRecord& flightRecordForBuild();

// Publishes the working record as the latest build, with the build counter
// advanced, and wakes readers waiting for a new build. Session thread only.
// Never throws: when there is no memory for the build, nothing is published.
void publishFlightRecord();

// Told about each build right after it became the latest, on the session
// thread that published it; used to hand new builds to apps that are waiting
// for one. None until set. Any thread; a build published while the handler
// changes goes to the old one or the new one.
using FlightRecordPublishedHandler = void (*)(const FlightRecordBuild& build);
void onFlightRecordPublished(FlightRecordPublishedHandler handler);

// The latest build. Any thread.
FlightRecordBuild latestFlightRecord();

// The latest build once its counter differs from `seen`, or the latest when
// `timeout` has passed first. Returns at once when it already differs. Any
// thread.
FlightRecordBuild waitForFlightRecordAfter(int32_t seen, std::chrono::milliseconds timeout);

// A copy of the latest build's record; returns its build counter. Any thread.
int32_t readFlightRecord(FlightRecord& copy);

// The current build counter, without taking the lock. Sequentially
// consistent with the publishing of builds. Any thread.
int32_t flightBuildCounter();

// Waits until the build counter differs from `seen` or `timeout` has passed,
// whichever comes first, and returns the counter then. Any thread.
int32_t waitForBuildCounterChange(int32_t seen, std::chrono::milliseconds timeout);
