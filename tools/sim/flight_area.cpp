#include "tools/sim/flight_area.h"

#include <cmath>

namespace simemu {

namespace {
constexpr double kFeetPerDegreeLatitude = 60 * kFeetPerNm;
}

double degToRad(double degrees) { return degrees * kPi / 180.0; }
double radToDeg(double radians) { return radians * 180.0 / kPi; }

double wrap360(double degrees) {
  const double wrapped = std::fmod(degrees, 360.0);
  return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

double wrap180(double degrees) { return wrap360(degrees + 180.0) - 180.0; }

double bearingDeg(GridPoint from, GridPoint to) {
  return wrap360(radToDeg(std::atan2(to.eastFt - from.eastFt, to.northFt - from.northFt)));
}

double distanceFt(GridPoint a, GridPoint b) { return std::hypot(a.eastFt - b.eastFt, a.northFt - b.northFt); }

double latitudeOf(GridPoint point) { return kOriginLatitudeDeg + point.northFt / kFeetPerDegreeLatitude; }

double longitudeOf(GridPoint point) {
  return kOriginLongitudeDeg + point.eastFt / (kFeetPerDegreeLatitude * std::cos(degToRad(kOriginLatitudeDeg)));
}

}  // namespace simemu
