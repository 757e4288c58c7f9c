#include "tools/client/flight_record_view.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// Appends printf-style text.
void appendf(std::string& text, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

void appendf(std::string& text, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  text += buffer;
}

// A zero-terminated text inside a fixed field, never read past the field.
std::string fieldText(const char* field, size_t size) {
  size_t length = 0;
  while (length < size && field[length] != '\0') ++length;
  return std::string(field, length);
}

const char* onOff(uint8_t flag) { return flag != 0 ? "on" : "off"; }

void appendPosition(std::string& t, const FlightRecord& r) {
  appendf(t, "Position   lat %.6f  lon %.6f  alt %.0f ft  indicated %.0f ft  radio %.0f ft\n", r.latitudeDeg,
          r.longitudeDeg, r.altitudeFt, r.indicatedAltitudeFt, r.sideRadioHeightFt[0]);
}

void appendSpeeds(std::string& t, const FlightRecord& r) {
  appendf(t, "Speeds     IAS %.1f kt  TAS %.1f kt  GS %.1f kt  Mach %.3f  VS %.0f fpm  max %.1f kt\n",
          r.sideIndicatedAirspeedKt[0], r.trueAirspeedKt, r.groundSpeedKt, r.mach, r.verticalSpeedFpm,
          r.sideMaxSpeedKt[0]);
}

void appendDirection(std::string& t, const FlightRecord& r) {
  appendf(t, "Direction  heading %.1f T / %.1f M  track %.1f T  magvar %.1f  wind %.0f/%.0f kt\n", r.headingTrueDeg,
          r.headingMagDeg, r.trackTrueDeg, r.magVarDeg, r.windDirDeg, r.windSpeedKt);
}

void appendAttitude(std::string& t, const FlightRecord& r) {
  appendf(t, "Attitude   pitch %.1f  bank %.1f  AoA %.1f  g %.2f  slip %.2f  turn %.2f deg/s\n", r.pitchDeg, r.bankDeg,
          r.angleOfAttackDeg, r.gLoad, r.slipBall, r.sideTurnRateDegSec[0]);
}

void appendAutopilot(std::string& t, const FlightRecord& r) {
  appendf(t, "Autopilot  AP %s  A/T %s  FD %s/%s  hdg %.0f  spd %.0f kt  mach %.2f  alt %.0f ft  vs %.0f fpm\n",
          onOff(r.apEngaged), r.autothrottleArmed != 0 ? "armed" : "off", onOff(r.sideFlightDirectorOn[0]),
          onOff(r.sideFlightDirectorOn[1]), r.apHeadingDeg, r.apAirspeedKt, r.apMach, r.apAltitudeFt,
          r.apVerticalSpeedFpm);
  // The first ten light pairs; the rest are never lit.
  static const char* const kLightNames[] = {"HDG", "ALT", "ALT/VS", "SPD", "MACH", "N1", "NAV", "NAV", "GS", "GS"};
  t += "Modes     ";
  for (size_t pair = 0; pair < sizeof kLightNames / sizeof kLightNames[0]; pair += 1) {
    if (pair == 7 || pair == 9) continue;  // the second pair of NAV and GS repeats the first
    appendf(t, " [%s]", r.apModeLights[pair][0] != 0 ? kLightNames[pair] : "---");
  }
  t += "\n";
}

void appendEngineRow(std::string& t, const char* name, const double (&values)[4], const char* format) {
  appendf(t, "  %-5s", name);
  for (double value : values) appendf(t, format, value);
  t += "\n";
}

void appendEngines(std::string& t, const FlightRecord& r) {
  t += "Engines             1         2         3         4\n";
  appendEngineRow(t, "N1 %", r.engN1Pct, " %9.1f");
  appendEngineRow(t, "N2 %", r.engN2Pct, " %9.1f");
  appendEngineRow(t, "EGT C", r.engEgtC, " %9.0f");
  appendEngineRow(t, "FF k", r.engFuelFlowKpph, " %9.2f");
  appendEngineRow(t, "Oil p", r.engOilPressPsi, " %9.0f");
}

void appendFuel(std::string& t, const FlightRecord& r) {
  static const char* const kTankNames[] = {"C",  "C2", "C3", "L", "R",
                                           "LA", "RA", "LT", "RT"};  // indices 9 to 11 are unused
  t += "Fuel      ";
  bool any = false;
  for (size_t tank = 0; tank < sizeof kTankNames / sizeof kTankNames[0]; ++tank) {
    if (r.tankCapacityGal[tank] <= 0.0) continue;
    appendf(t, " %s %.0f%% of %.0f gal", kTankNames[tank], r.tankLevelPct[tank], r.tankCapacityGal[tank]);
    any = true;
  }
  t += any ? "\n" : " no tanks\n";
}

// A COM frequency as the record carries it (the four BCD digits after the
// leading 1, over 10000: 0.183 for 118.30 MHz) and as a pilot reads it.
void appendComFrequency(std::string& t, int radio, double raw) {
  if (raw <= 0.0) {
    appendf(t, "COM%d ---.--- (raw %.4f)", radio, raw);
  } else {
    appendf(t, "COM%d %.3f (raw %.4f)", radio, comFrequencyMhz(raw), raw);
  }
}

void appendRadios(std::string& t, const FlightRecord& r) {
  t += "Radios     ";
  appendComFrequency(t, 1, r.comFreq[0]);
  t += "  ";
  appendComFrequency(t, 2, r.comFreq[1]);
  appendf(t, "  ADF1 %.1f kHz  ADF2 %.1f kHz\n", r.adfFreqKhz[0], r.adfFreqKhz[1]);
  for (int nav = 0; nav < 2; ++nav) {
    appendf(t, "           NAV%d %.2f %-5s dme %.1f nm  brg %.0f  cdi %.2f  gs %.2f\n", nav + 1, r.navFreqMhz[nav],
            fieldText(r.radioIdent[nav], sizeof r.radioIdent[nav]).c_str(), r.navDmeNm[nav], r.navRelBearingDeg[nav],
            r.navCdiDeviation[nav], r.navGsDeviation[nav]);
  }
}

void appendControls(std::string& t, const FlightRecord& r) {
  appendf(t, "Controls   flaps %.1f deg (detent %.1f, max %.1f)  gear %.0f/%.0f/%.0f  spoilers %.2f%s\n",
          r.flapAngleDeg, r.flapDetentAngleDeg, r.flapMaxDetentAngleDeg, r.gearDown[0], r.gearDown[1], r.gearDown[2],
          r.speedBrakeRatio, r.spoilersArmed != 0 ? " armed" : "");
}

}  // namespace

double comFrequencyMhz(double raw) { return 100.0 + raw * 100.0; }

std::string describeFlightRecord(const FlightRecord& r) {
  std::string text;
  appendf(text, "%s  %s/%s  time %.0f\n", fieldText(r.tag, sizeof r.tag).c_str(),
          fieldText(r.simulatorName, sizeof r.simulatorName).c_str(),
          fieldText(r.platformName, sizeof r.platformName).c_str(), r.unixTime);
  appendPosition(text, r);
  appendSpeeds(text, r);
  appendDirection(text, r);
  appendAttitude(text, r);
  appendAutopilot(text, r);
  appendEngines(text, r);
  appendFuel(text, r);
  appendRadios(text, r);
  appendControls(text, r);
  return text;
}

std::string summarizeFlightRecord(const FlightRecord& r) {
  std::string text;
  appendf(text,
          "lat %.6f lon %.6f alt %.0f ft ias %.1f kt gs %.1f kt hdg %.1f M vs %.0f fpm ap %s alt-sel %.0f ft com1 %.3f",
          r.latitudeDeg, r.longitudeDeg, r.altitudeFt, r.sideIndicatedAirspeedKt[0], r.groundSpeedKt, r.headingMagDeg,
          r.verticalSpeedFpm, onOff(r.apEngaged), r.apAltitudeFt, comFrequencyMhz(r.comFreq[0]));
  return text;
}

std::string hexDump(const uint8_t* bytes, size_t length) {
  std::string text;
  for (size_t line = 0; line < length; line += 16) {
    appendf(text, "%04lx ", static_cast<unsigned long>(line));
    std::string printable;
    for (size_t i = line; i < line + 16; ++i) {
      if (i < length) {
        appendf(text, " %02x", bytes[i]);
        printable += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
      } else {
        text += "   ";
      }
    }
    text += "  " + printable + "\n";
  }
  return text;
}
