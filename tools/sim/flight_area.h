// The fixed world of the scripted flight: one airport with runway 09, its ILS,
// marker beacons, a VOR and two NDBs, on a flat local grid (feet east and
// north of the runway threshold). Constants and pure functions: safe from
// any thread.
#pragma once

namespace simemu {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFeetPerNm = 6076.11549;
constexpr double kFeetPerSecondPerKnot = 1.68780986;

constexpr double kOriginLatitudeDeg = 47.2585;  // runway 09 threshold
constexpr double kOriginLongitudeDeg = 8.4031;
constexpr double kFieldElevationFt = 410;
constexpr double kQnhMb = 1016.0;
constexpr double kMagVarDeg = 3.0;  // east
constexpr double kRunwayCourseDeg = 90.0;
constexpr double kRunwayLengthFt = 9000;

// Instrument landing system "IORX" on 110.30 MHz.
constexpr double kLocalizerXFt = kRunwayLengthFt + 1000;
constexpr double kGlideSlopeXFt = 1000;  // also the DME
constexpr double kGlideSlopeDeg = 3.0;
constexpr double kLocalizerFullScaleDeg = 2.5;
constexpr double kGlideSlopeFullScaleDeg = 0.7;
constexpr double kOuterMarkerXFt = -4.5 * kFeetPerNm;
constexpr double kMiddleMarkerXFt = -3500;
constexpr double kInnerMarkerXFt = -1000;

// VOR/DME "ORV" on 113.90 MHz, inside the traffic circuit.
constexpr double kVorXFt = -8 * kFeetPerNm;
constexpr double kVorYFt = 8 * kFeetPerNm;

struct GridPoint {
  double eastFt;
  double northFt;
};

double degToRad(double degrees);
double radToDeg(double radians);
// Into [0, 360).
double wrap360(double degrees);
// Into [-180, 180).
double wrap180(double degrees);
// True bearing from one grid point to another, degrees.
double bearingDeg(GridPoint from, GridPoint to);
double distanceFt(GridPoint a, GridPoint b);
double latitudeOf(GridPoint point);
double longitudeOf(GridPoint point);

}  // namespace simemu
