#include "tools/sim/radio_navigation.h"

#include <algorithm>
#include <cmath>

namespace simemu {

namespace {

constexpr GridPoint kLocalizer{kLocalizerXFt, 0};
constexpr GridPoint kGlideSlope{kGlideSlopeXFt, 0};
constexpr GridPoint kVor{kVorXFt, kVorYFt};
constexpr GridPoint kOuterLocator{kOuterMarkerXFt, 0};
constexpr double kLocalizerRangeFt = 25 * kFeetPerNm;
constexpr double kVorRangeFt = 130 * kFeetPerNm;
constexpr double kNdbRangeFt = 60 * kFeetPerNm;

double clampNeedle(double value, double limit) { return std::max(-limit, std::min(limit, value)); }

double slantNm(GridPoint from, GridPoint station, double heightFt) {
  return std::hypot(distanceFt(from, station), heightFt) / kFeetPerNm;
}

// 1 (to) or 2 (from): from when the radial lies within 90 degrees of the course.
int toFromFlag(double radialDeg, double obsDeg) { return std::fabs(wrap180(radialDeg - obsDeg)) < 90 ? 2 : 1; }

void updateIls(GridPoint position, double heightFt, NavRadioState* ils) {
  // The approach comes from the west, so the aircraft is seen from the
  // localizer on the reciprocal of the runway course.
  const double offCourseDeg = wrap180(bearingDeg(kLocalizer, position) - wrap360(kRunwayCourseDeg + 180));
  const double range = distanceFt(position, kLocalizer);
  const bool inFront = position.eastFt < kLocalizer.eastFt;
  ils->hasNav = range < kLocalizerRangeFt;
  ils->hasLocalizer = ils->hasNav && inFront && std::fabs(offCourseDeg) < 35;
  ils->cdi = ils->hasLocalizer ? clampNeedle(offCourseDeg / kLocalizerFullScaleDeg * 127, 127) : 0;
  const double toGlideSlopeFt = kGlideSlope.eastFt - position.eastFt;
  ils->hasGlideSlope = ils->hasLocalizer && toGlideSlopeFt > 0;
  const double pathDeg = radToDeg(std::atan2(heightFt, std::max(toGlideSlopeFt, 1.0)));
  ils->gsi = ils->hasGlideSlope ? clampNeedle((kGlideSlopeDeg - pathDeg) / kGlideSlopeFullScaleDeg * 119, 119) : 0;
  ils->hasDme = ils->hasNav;
  ils->dmeNm = ils->hasDme ? slantNm(position, kGlideSlope, heightFt) : 0;
  ils->radialDeg = wrap360(bearingDeg(kLocalizer, position) - ils->magVarDeg);
  ils->toFrom = ils->hasNav ? toFromFlag(ils->radialDeg, ils->obsDeg) : 0;
}

void updateVor(GridPoint position, double heightFt, NavRadioState* vor) {
  vor->hasNav = distanceFt(position, kVor) < kVorRangeFt;
  vor->hasDme = vor->hasNav;
  vor->radialDeg = wrap360(bearingDeg(kVor, position) - vor->magVarDeg);
  vor->toFrom = vor->hasNav ? toFromFlag(vor->radialDeg, vor->obsDeg) : 0;
  // The needle shows how far the selected course lies off, full scale at 10 degrees.
  const double courseError =
      vor->toFrom == 2 ? wrap180(vor->obsDeg - vor->radialDeg) : wrap180(vor->obsDeg - wrap360(vor->radialDeg + 180));
  vor->cdi = vor->hasNav ? clampNeedle(-courseError / 10 * 127, 127) : 0;
  vor->dmeNm = vor->hasDme ? slantNm(position, kVor, heightFt) : 0;
}

void updateAdf(GridPoint position, GridPoint station, double headingDeg, AdfRadioState* adf) {
  adf->relativeBearingDeg =
      distanceFt(position, station) < kNdbRangeFt ? wrap360(bearingDeg(position, station) - headingDeg) : 90;
}

// The beacon's cone widens with height; inside it only near the centre line.
bool overMarker(GridPoint position, double heightFt, double markerEastFt) {
  const double halfWidthFt = std::max(300.0, heightFt * 0.58);
  return std::fabs(position.eastFt - markerEastFt) < halfWidthFt && std::fabs(position.northFt) < 3000;
}

int markerBeacon(GridPoint position, double heightFt) {
  if (overMarker(position, heightFt, kOuterMarkerXFt)) return 1;
  if (overMarker(position, heightFt, kMiddleMarkerXFt)) return 2;
  if (overMarker(position, heightFt, kInnerMarkerXFt)) return 3;
  return 0;
}

}  // namespace

void tuneRadios(SimState* state) {
  NavRadioState& ils = state->nav[0];
  ils = NavRadioState();
  ils.frequencyMhz = 110.30;
  ils.ident = "IORX";
  ils.magVarDeg = kMagVarDeg;
  ils.obsDeg = wrap360(kRunwayCourseDeg - kMagVarDeg);
  NavRadioState& vor = state->nav[1];
  vor = NavRadioState();
  vor.frequencyMhz = 113.90;
  vor.ident = "ORV";
  vor.magVarDeg = kMagVarDeg;
  vor.obsDeg = 180;
  state->adf[0] = AdfRadioState();
  state->adf[0].frequencyKhz = 350.0;
  state->adf[0].ident = "OX";
  state->adf[1] = AdfRadioState();
  state->adf[1].frequencyKhz = 415.5;
  state->adf[1].ident = "RV";
  state->comMhz[0] = 118.300;
  state->comMhz[1] = 121.500;
}

void updateRadios(GridPoint position, SimState* state) {
  const double heightFt = std::max(0.0, state->altitudeFt - kFieldElevationFt);
  updateIls(position, heightFt, &state->nav[0]);
  updateVor(position, heightFt, &state->nav[1]);
  updateAdf(position, kOuterLocator, state->headingTrueDeg, &state->adf[0]);
  updateAdf(position, kVor, state->headingTrueDeg, &state->adf[1]);
  state->markerBeacon = markerBeacon(position, heightFt);
}

}  // namespace simemu
