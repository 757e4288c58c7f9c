#include "bridge/sim_catalogue.h"

constexpr SimVariable kSimVariables[kSimVariableCount] = {
    {"Title", nullptr, SIMCONNECT_DATATYPE_STRING256, 0, 256},                                   // 1
    {"PLANE LATITUDE", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 256, 8},                          // 2
    {"PLANE LONGITUDE", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 264, 8},                         // 3
    {"PLANE ALTITUDE", "Feet", SIMCONNECT_DATATYPE_FLOAT64, 272, 8},                             // 4
    {"INDICATED ALTITUDE", "Feet", SIMCONNECT_DATATYPE_FLOAT64, 280, 8},                         // 5
    {"RADIO HEIGHT", "Feet", SIMCONNECT_DATATYPE_FLOAT64, 288, 8},                               // 6
    {"KOHLSMAN SETTING MB", "Millibars", SIMCONNECT_DATATYPE_FLOAT64, 296, 8},                   // 7
    {"PLANE HEADING DEGREES TRUE", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 304, 8},              // 8
    {"GPS GROUND TRUE TRACK", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 312, 8},                   // 9
    {"MAGVAR", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 320, 8},                                  // 10
    {"AIRSPEED INDICATED", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 328, 8},                        // 11
    {"AIRSPEED MACH", "Mach", SIMCONNECT_DATATYPE_FLOAT64, 336, 8},                              // 12
    {"GROUND VELOCITY", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 344, 8},                           // 13
    {"AIRSPEED TRUE", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 352, 8},                             // 14
    {"VERTICAL SPEED", "Feet per second", SIMCONNECT_DATATYPE_FLOAT64, 360, 8},                  // 15
    {"AIRSPEED BARBER POLE", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 368, 8},                      // 16
    {"PLANE BANK DEGREES", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 376, 8},                      // 17
    {"PLANE PITCH DEGREES", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 384, 8},                     // 18
    {"ANGLE OF ATTACK INDICATOR", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 392, 8},               // 19
    {"TURN INDICATOR RATE", "Radians per second", SIMCONNECT_DATATYPE_FLOAT64, 400, 8},          // 20
    {"TURN COORDINATOR BALL", "Position 128", SIMCONNECT_DATATYPE_FLOAT64, 408, 8},              // 21
    {"G FORCE", "GForce", SIMCONNECT_DATATYPE_FLOAT64, 416, 8},                                  // 22
    {"AUTOPILOT HEADING LOCK DIR", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 424, 8},              // 23
    {"AUTOPILOT AIRSPEED HOLD VAR", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 432, 8},               // 24
    {"AUTOPILOT MACH HOLD VAR", "Number", SIMCONNECT_DATATYPE_FLOAT64, 440, 8},                  // 25
    {"AUTOPILOT RPM HOLD VAR", "Number", SIMCONNECT_DATATYPE_FLOAT64, 448, 8},                   // 26
    {"AUTOPILOT ALTITUDE LOCK VAR", "Feet", SIMCONNECT_DATATYPE_FLOAT64, 456, 8},                // 27
    {"AUTOPILOT VERTICAL HOLD VAR", "Feet/minute", SIMCONNECT_DATATYPE_FLOAT64, 464, 8},         // 28
    {"AUTOPILOT MASTER", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 472, 8},                           // 29
    {"AUTOPILOT THROTTLE ARM", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 480, 8},                     // 30
    {"AUTOPILOT HEADING LOCK", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 488, 8},                     // 31
    {"AUTOPILOT AIRSPEED HOLD", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 496, 8},                    // 32
    {"AUTOPILOT MACH HOLD", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 504, 8},                        // 33
    {"AUTOPILOT RPM HOLD", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 512, 8},                         // 34
    {"AUTOPILOT ALTITUDE LOCK", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 520, 8},                    // 35
    {"AUTOPILOT VERTICAL HOLD", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 528, 8},                    // 36
    {"AUTOPILOT NAV1 LOCK", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 536, 8},                        // 37
    {"AUTOPILOT GLIDESLOPE HOLD", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 544, 8},                  // 38
    {"AUTOPILOT APPROACH HOLD", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 552, 8},                    // 39
    {"AUTOPILOT FLIGHT DIRECTOR ACTIVE", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 560, 8},           // 40
    {"AUTOPILOT FLIGHT DIRECTOR BANK", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 568, 8},          // 41
    {"AUTOPILOT FLIGHT DIRECTOR PITCH", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 576, 8},         // 42
    {"GEAR CENTER POSITION", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 584, 8},                    // 43
    {"GEAR LEFT POSITION", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 592, 8},                      // 44
    {"GEAR RIGHT POSITION", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 600, 8},                     // 45
    {"FLAPS HANDLE INDEX", "Number", SIMCONNECT_DATATYPE_FLOAT64, 608, 8},                       // 46
    {"FLAPS NUM HANDLE POSITIONS", "Number", SIMCONNECT_DATATYPE_FLOAT64, 616, 8},               // 47
    {"TRAILING EDGE FLAPS LEFT ANGLE", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 624, 8},          // 48
    {"TRAILING EDGE FLAPS LEFT ANGLE", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 632, 8},          // 49
    {"SPOILERS ARMED", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 640, 8},                             // 50
    {"SPOILERS LEFT POSITION", "Position", SIMCONNECT_DATATYPE_FLOAT64, 648, 8},                 // 51
    {"SPOILERS RIGHT POSITION", "Position", SIMCONNECT_DATATYPE_FLOAT64, 656, 8},                // 52
    {"ELEVATOR TRIM POSITION", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 664, 8},                  // 53
    {"AILERON TRIM", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 672, 8},                            // 54
    {"RUDDER TRIM", "Radians", SIMCONNECT_DATATYPE_FLOAT64, 680, 8},                             // 55
    {"ENG N1 RPM:1", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 688, 8},                            // 56
    {"ENG N1 RPM:2", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 696, 8},                            // 57
    {"ENG N1 RPM:3", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 704, 8},                            // 58
    {"ENG N1 RPM:4", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 712, 8},                            // 59
    {"ENG N2 RPM:1", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 720, 8},                            // 60
    {"ENG N2 RPM:2", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 728, 8},                            // 61
    {"ENG N2 RPM:3", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 736, 8},                            // 62
    {"ENG N2 RPM:4", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 744, 8},                            // 63
    {"ENG PRESSURE RATIO:1", "Ratio", SIMCONNECT_DATATYPE_FLOAT64, 752, 8},                      // 64
    {"ENG PRESSURE RATIO:2", "Ratio", SIMCONNECT_DATATYPE_FLOAT64, 760, 8},                      // 65
    {"ENG PRESSURE RATIO:3", "Ratio", SIMCONNECT_DATATYPE_FLOAT64, 768, 8},                      // 66
    {"ENG PRESSURE RATIO:4", "Ratio", SIMCONNECT_DATATYPE_FLOAT64, 776, 8},                      // 67
    {"ENG EXHAUST GAS TEMPERATURE:1", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 784, 8},           // 68
    {"ENG EXHAUST GAS TEMPERATURE:2", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 792, 8},           // 69
    {"ENG EXHAUST GAS TEMPERATURE:3", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 800, 8},           // 70
    {"ENG EXHAUST GAS TEMPERATURE:4", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 808, 8},           // 71
    {"GENERAL ENG OIL PRESSURE:1", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 816, 8},                  // 72
    {"GENERAL ENG OIL PRESSURE:2", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 824, 8},                  // 73
    {"GENERAL ENG OIL PRESSURE:3", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 832, 8},                  // 74
    {"GENERAL ENG OIL PRESSURE:4", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 840, 8},                  // 75
    {"GENERAL ENG OIL TEMPERATURE:1", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 848, 8},           // 76
    {"GENERAL ENG OIL TEMPERATURE:2", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 856, 8},           // 77
    {"GENERAL ENG OIL TEMPERATURE:3", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 864, 8},           // 78
    {"GENERAL ENG OIL TEMPERATURE:4", "Rankine", SIMCONNECT_DATATYPE_FLOAT64, 872, 8},           // 79
    {"ENG OIL QUANTITY:1", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 880, 8},             // 80
    {"ENG OIL QUANTITY:2", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 888, 8},             // 81
    {"ENG OIL QUANTITY:3", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 896, 8},             // 82
    {"ENG OIL QUANTITY:4", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 904, 8},             // 83
    {"ENG VIBRATION:1", "Number", SIMCONNECT_DATATYPE_FLOAT64, 912, 8},                          // 84
    {"ENG VIBRATION:2", "Number", SIMCONNECT_DATATYPE_FLOAT64, 920, 8},                          // 85
    {"ENG VIBRATION:3", "Number", SIMCONNECT_DATATYPE_FLOAT64, 928, 8},                          // 86
    {"ENG VIBRATION:4", "Number", SIMCONNECT_DATATYPE_FLOAT64, 936, 8},                          // 87
    {"ENG HYDRAULIC PRESSURE:1", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 944, 8},                    // 88
    {"ENG HYDRAULIC PRESSURE:2", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 952, 8},                    // 89
    {"ENG HYDRAULIC PRESSURE:3", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 960, 8},                    // 90
    {"ENG HYDRAULIC PRESSURE:4", "Psf", SIMCONNECT_DATATYPE_FLOAT64, 968, 8},                    // 91
    {"ENG HYDRAULIC QUANTITY:1", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 976, 8},       // 92
    {"ENG HYDRAULIC QUANTITY:2", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 984, 8},       // 93
    {"ENG HYDRAULIC QUANTITY:3", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 992, 8},       // 94
    {"ENG HYDRAULIC QUANTITY:4", "Percent over 100", SIMCONNECT_DATATYPE_FLOAT64, 1000, 8},      // 95
    {"ENG FUEL FLOW PPH:1", "Pounds per hour", SIMCONNECT_DATATYPE_FLOAT64, 1008, 8},            // 96
    {"ENG FUEL FLOW PPH:2", "Pounds per hour", SIMCONNECT_DATATYPE_FLOAT64, 1016, 8},            // 97
    {"ENG FUEL FLOW PPH:3", "Pounds per hour", SIMCONNECT_DATATYPE_FLOAT64, 1024, 8},            // 98
    {"ENG FUEL FLOW PPH:4", "Pounds per hour", SIMCONNECT_DATATYPE_FLOAT64, 1032, 8},            // 99
    {"GENERAL ENG FUEL PRESSURE:1", "Psi", SIMCONNECT_DATATYPE_FLOAT64, 1040, 8},                // 100
    {"GENERAL ENG FUEL PRESSURE:2", "Psi", SIMCONNECT_DATATYPE_FLOAT64, 1048, 8},                // 101
    {"GENERAL ENG FUEL PRESSURE:3", "Psi", SIMCONNECT_DATATYPE_FLOAT64, 1056, 8},                // 102
    {"GENERAL ENG FUEL PRESSURE:4", "Psi", SIMCONNECT_DATATYPE_FLOAT64, 1064, 8},                // 103
    {"ENG TORQUE:1", "Foot pounds", SIMCONNECT_DATATYPE_FLOAT64, 1072, 8},                       // 104
    {"ENG TORQUE:2", "Foot pounds", SIMCONNECT_DATATYPE_FLOAT64, 1080, 8},                       // 105
    {"ENG TORQUE:3", "Foot pounds", SIMCONNECT_DATATYPE_FLOAT64, 1088, 8},                       // 106
    {"ENG TORQUE:4", "Foot pounds", SIMCONNECT_DATATYPE_FLOAT64, 1096, 8},                       // 107
    {"GENERAL ENG RPM:1", "Rpm", SIMCONNECT_DATATYPE_FLOAT64, 1104, 8},                          // 108
    {"GENERAL ENG RPM:2", "Rpm", SIMCONNECT_DATATYPE_FLOAT64, 1112, 8},                          // 109
    {"GENERAL ENG RPM:3", "Rpm", SIMCONNECT_DATATYPE_FLOAT64, 1120, 8},                          // 110
    {"GENERAL ENG RPM:4", "Rpm", SIMCONNECT_DATATYPE_FLOAT64, 1128, 8},                          // 111
    {"RECIP ENG TURBINE INLET TEMPERATURE:1", "Celsius", SIMCONNECT_DATATYPE_FLOAT64, 1136, 8},  // 112
    {"RECIP ENG TURBINE INLET TEMPERATURE:2", "Celsius", SIMCONNECT_DATATYPE_FLOAT64, 1144, 8},  // 113
    {"RECIP ENG TURBINE INLET TEMPERATURE:3", "Celsius", SIMCONNECT_DATATYPE_FLOAT64, 1152, 8},  // 114
    {"RECIP ENG TURBINE INLET TEMPERATURE:4", "Celsius", SIMCONNECT_DATATYPE_FLOAT64, 1160, 8},  // 115
    {"GENERAL ENG STARTER:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1168, 8},                     // 116
    {"GENERAL ENG STARTER:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1176, 8},                     // 117
    {"GENERAL ENG STARTER:3", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1184, 8},                     // 118
    {"GENERAL ENG STARTER:4", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1192, 8},                     // 119
    {"FUEL TANK CENTER LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1200, 8},                 // 120
    {"FUEL TANK CENTER CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1208, 8},              // 121
    {"FUEL TANK CENTER2 LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1216, 8},                // 122
    {"FUEL TANK CENTER2 CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1224, 8},             // 123
    {"FUEL TANK CENTER3 LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1232, 8},                // 124
    {"FUEL TANK CENTER3 CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1240, 8},             // 125
    {"FUEL TANK LEFT MAIN LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1248, 8},              // 126
    {"FUEL TANK LEFT MAIN CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1256, 8},           // 127
    {"FUEL TANK RIGHT MAIN LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1264, 8},             // 128
    {"FUEL TANK RIGHT MAIN CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1272, 8},          // 129
    {"FUEL TANK LEFT AUX LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1280, 8},               // 130
    {"FUEL TANK LEFT AUX CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1288, 8},            // 131
    {"FUEL TANK RIGHT AUX LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1296, 8},              // 132
    {"FUEL TANK RIGHT AUX CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1304, 8},           // 133
    {"FUEL TANK LEFT TIP LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1312, 8},               // 134
    {"FUEL TANK LEFT TIP CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1320, 8},            // 135
    {"FUEL TANK RIGHT TIP LEVEL", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 1328, 8},              // 136
    {"FUEL TANK RIGHT TIP CAPACITY", "Gallons", SIMCONNECT_DATATYPE_FLOAT64, 1336, 8},           // 137
    {"HSI CDI NEEDLE VALID", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1344, 8},                      // 138
    {"HSI CDI NEEDLE", "Number", SIMCONNECT_DATATYPE_FLOAT64, 1352, 8},                          // 139
    {"HSI GSI NEEDLE VALID", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1360, 8},                      // 140
    {"HSI GSI NEEDLE", "Number", SIMCONNECT_DATATYPE_FLOAT64, 1368, 8},                          // 141
    {"NAV AVAILABLE:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1376, 8},                           // 142
    {"NAV AVAILABLE:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1384, 8},                           // 143
    {"NAV ACTIVE FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64, 1392, 8},                     // 144
    {"NAV ACTIVE FREQUENCY:2", "MHz", SIMCONNECT_DATATYPE_FLOAT64, 1400, 8},                     // 145
    {"NAV HAS NAV:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1408, 8},                             // 146
    {"NAV HAS NAV:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1416, 8},                             // 147
    {"NAV HAS LOCALIZER:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1424, 8},                       // 148
    {"NAV HAS LOCALIZER:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1432, 8},                       // 149
    {"NAV HAS GLIDE SLOPE:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1440, 8},                     // 150
    {"NAV HAS GLIDE SLOPE:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1448, 8},                     // 151
    {"NAV HAS DME:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1456, 8},                             // 152
    {"NAV HAS DME:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1464, 8},                             // 153
    {"NAV CDI:1", "Number", SIMCONNECT_DATATYPE_FLOAT64, 1472, 8},                               // 154
    {"NAV CDI:2", "Number", SIMCONNECT_DATATYPE_FLOAT64, 1480, 8},                               // 155
    {"NAV GSI:1", "Number", SIMCONNECT_DATATYPE_FLOAT64, 1488, 8},                               // 156
    {"NAV GSI:2", "Number", SIMCONNECT_DATATYPE_FLOAT64, 1496, 8},                               // 157
    {"NAV MAGVAR:1", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1504, 8},                           // 158
    {"NAV MAGVAR:2", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1512, 8},                           // 159
    {"NAV RADIAL:1", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1520, 8},                           // 160
    {"NAV RADIAL:2", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1528, 8},                           // 161
    {"NAV TOFROM:1", "Enum", SIMCONNECT_DATATYPE_INT64, 1536, 8},                                // 162
    {"NAV TOFROM:2", "Enum", SIMCONNECT_DATATYPE_INT64, 1544, 8},                                // 163
    {"NAV OBS:1", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1552, 8},                              // 164
    {"NAV OBS:2", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1560, 8},                              // 165
    {"NAV DME:1", "Nautical miles", SIMCONNECT_DATATYPE_FLOAT64, 1568, 8},                       // 166
    {"NAV DME:2", "Nautical miles", SIMCONNECT_DATATYPE_FLOAT64, 1576, 8},                       // 167
    {"NAV IDENT:1", "Number", SIMCONNECT_DATATYPE_INT64, 1584, 8},                               // 168
    {"NAV IDENT:2", "Number", SIMCONNECT_DATATYPE_INT64, 1592, 8},                               // 169
    {"ADF AVAILABLE:1", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1600, 8},                           // 170
    {"ADF AVAILABLE:2", "Bool", SIMCONNECT_DATATYPE_FLOAT64, 1608, 8},                           // 171
    {"ADF ACTIVE FREQUENCY:1", "Frequency ADF BCD32", SIMCONNECT_DATATYPE_INT32, 1616, 4},       // 172
    {"ADF ACTIVE FREQUENCY:2", "Frequency ADF BCD32", SIMCONNECT_DATATYPE_INT32, 1620, 4},       // 173
    {"ADF RADIAL:1", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1624, 8},                           // 174
    {"ADF RADIAL:2", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1632, 8},                           // 175
    {"COM ACTIVE FREQUENCY:1", "Frequency BCD16", SIMCONNECT_DATATYPE_INT32, 1640, 4},           // 176
    {"COM ACTIVE FREQUENCY:2", "Frequency BCD16", SIMCONNECT_DATATYPE_INT32, 1644, 4},           // 177
    {"MARKER BEACON STATE", "Enum", SIMCONNECT_DATATYPE_INT64, 1648, 8},                         // 178
    {"AMBIENT WIND DIRECTION", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 1656, 8},                 // 179
    {"AMBIENT WIND VELOCITY", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 1664, 8},                    // 180
    {"VELOCITY WORLD Z", "Feet per second", SIMCONNECT_DATATYPE_FLOAT64, 1672, 8},               // 181
    {"VELOCITY WORLD X", "Feet per second", SIMCONNECT_DATATYPE_FLOAT64, 1680, 8},               // 182
};

constexpr SimEventName kSystemEvents[kSystemEventCount] = {
    {kSystemEventFrame, "Frame"},
    {kSystemEventAircraftLoaded, "AircraftLoaded"},
    {kSystemEventSimStart, "SimStart"},
};

constexpr SimEventName kClientEvents[kClientEventCount] = {
    {kEventApMaster, "AP_MASTER"},
    {kEventAutoThrottleArm, "AUTO_THROTTLE_ARM"},
    {kEventToggleFlightDirector, "TOGGLE_FLIGHT_DIRECTOR"},
    {kEventApPanelAltitudeSet, "AP_PANEL_ALTITUDE_SET"},
    {kEventApPanelSpeedSet, "AP_PANEL_SPEED_SET"},
    {kEventApPanelMachSet, "AP_PANEL_MACH_SET"},
    {kEventApPanelHeadingSet, "AP_PANEL_HEADING_SET"},
    {kEventApN1Hold, "AP_N1_HOLD"},
    {kEventApLocHold, "AP_LOC_HOLD"},
    {kEventApAppHold, "AP_APP_HOLD"},
    {kEventVor1Set, "VOR1_SET"},
    {kEventApAltVarSetEnglish, "AP_ALT_VAR_SET_ENGLISH"},
    {kEventApVsVarSetEnglish, "AP_VS_VAR_SET_ENGLISH"},
    {kEventApSpdVarSet, "AP_SPD_VAR_SET"},
    {kEventApMachVarSet, "AP_MACH_VAR_SET"},
    {kEventHeadingBugSet, "HEADING_BUG_SET"},
    {kEventApN1RefSet, "AP_N1_REF_SET"},
};

// --- Compile-time checks of the layout ------------------------------------------
namespace {

constexpr uint32_t widthOf(DWORD dataType) {
  switch (dataType) {
    case SIMCONNECT_DATATYPE_STRING256:
      return 256;
    case SIMCONNECT_DATATYPE_FLOAT64:
    case SIMCONNECT_DATATYPE_INT64:
      return 8;
    case SIMCONNECT_DATATYPE_INT32:
      return 4;
    default:
      return 0;  // no other type belongs in the catalogue
  }
}

// Every entry is as wide as its type and starts where the previous one ends.
constexpr bool entriesArePacked() {
  uint32_t next = 0;
  for (const SimVariable& v : kSimVariables) {
    if (v.size == 0 || v.size != widthOf(v.dataType) || v.offset != next) return false;
    next += v.size;
  }
  return next == kSimDataBlockSize;
}

constexpr size_t countOf(DWORD dataType) {
  size_t count = 0;
  for (const SimVariable& v : kSimVariables) count += v.dataType == dataType ? 1 : 0;
  return count;
}

constexpr bool sameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

// Offset of the first entry with this variable name; the block size if none.
constexpr uint32_t offsetOf(const char* name) {
  for (const SimVariable& v : kSimVariables)
    if (sameText(v.name, name)) return v.offset;
  return kSimDataBlockSize;
}

// For "NAME:n", the entry of "NAME:1" (the block size if there is none).
constexpr uint32_t offsetOfIndexOne(const char* name) {
  for (const SimVariable& v : kSimVariables) {
    const char* a = v.name;
    const char* b = name;
    while (*a != '\0' && *a == *b && *a != ':') ++a, ++b;
    if (*a == ':' && *b == ':' && sameText(a, ":1")) return v.offset;
  }
  return kSimDataBlockSize;
}

constexpr bool indexedEntriesFollowIndexOne() {
  for (const SimVariable& v : kSimVariables) {
    const char* colon = v.name;
    while (*colon != '\0' && *colon != ':') ++colon;
    if (*colon == '\0') continue;
    const uint32_t index = static_cast<uint32_t>(colon[1] - '0');
    if (colon[2] != '\0' || index < 1 || index > 4) return false;
    if (v.offset != offsetOfIndexOne(v.name) + (index - 1) * v.size) return false;
  }
  return true;
}

constexpr bool idsFollowMappingOrder() {
  for (size_t i = 0; i < kClientEventCount; ++i)
    if (kClientEvents[i].id != 3 + i) return false;
  return true;
}

}  // namespace

static_assert(entriesArePacked(), "the 182 entries are packed back to back and end at byte 1688");
static_assert(countOf(SIMCONNECT_DATATYPE_STRING256) == 1 && countOf(SIMCONNECT_DATATYPE_FLOAT64) == 172 &&
                  countOf(SIMCONNECT_DATATYPE_INT64) == 5 && countOf(SIMCONNECT_DATATYPE_INT32) == 4,
              "1 text, 172 doubles, 5 64-bit and 4 32-bit integers");
static_assert(kSimVariables[0].unit == nullptr, "\"Title\" is asked for without a unit");
static_assert(idsFollowMappingOrder(), "client events 3 to 19 in mapping order");

// Every named offset belongs to the variable it is named after.
static_assert(offsetOf("Title") == simvar::kTitle, "Title");
static_assert(offsetOf("PLANE LATITUDE") == simvar::kPlaneLatitude, "PLANE LATITUDE");
static_assert(offsetOf("PLANE LONGITUDE") == simvar::kPlaneLongitude, "PLANE LONGITUDE");
static_assert(offsetOf("PLANE ALTITUDE") == simvar::kPlaneAltitude, "PLANE ALTITUDE");
static_assert(offsetOf("INDICATED ALTITUDE") == simvar::kIndicatedAltitude, "INDICATED ALTITUDE");
static_assert(offsetOf("RADIO HEIGHT") == simvar::kRadioHeight, "RADIO HEIGHT");
static_assert(offsetOf("KOHLSMAN SETTING MB") == simvar::kKohlsmanSettingMb, "KOHLSMAN SETTING MB");
static_assert(offsetOf("PLANE HEADING DEGREES TRUE") == simvar::kPlaneHeadingDegreesTrue, "PLANE HEADING DEGREES TRUE");
static_assert(offsetOf("GPS GROUND TRUE TRACK") == simvar::kGpsGroundTrueTrack, "GPS GROUND TRUE TRACK");
static_assert(offsetOf("MAGVAR") == simvar::kMagvar, "MAGVAR");
static_assert(offsetOf("AIRSPEED INDICATED") == simvar::kAirspeedIndicated, "AIRSPEED INDICATED");
static_assert(offsetOf("AIRSPEED MACH") == simvar::kAirspeedMach, "AIRSPEED MACH");
static_assert(offsetOf("GROUND VELOCITY") == simvar::kGroundVelocity, "GROUND VELOCITY");
static_assert(offsetOf("AIRSPEED TRUE") == simvar::kAirspeedTrue, "AIRSPEED TRUE");
static_assert(offsetOf("VERTICAL SPEED") == simvar::kVerticalSpeed, "VERTICAL SPEED");
static_assert(offsetOf("AIRSPEED BARBER POLE") == simvar::kAirspeedBarberPole, "AIRSPEED BARBER POLE");
static_assert(offsetOf("PLANE BANK DEGREES") == simvar::kPlaneBankDegrees, "PLANE BANK DEGREES");
static_assert(offsetOf("PLANE PITCH DEGREES") == simvar::kPlanePitchDegrees, "PLANE PITCH DEGREES");
static_assert(offsetOf("ANGLE OF ATTACK INDICATOR") == simvar::kAngleOfAttackIndicator, "ANGLE OF ATTACK INDICATOR");
static_assert(offsetOf("TURN INDICATOR RATE") == simvar::kTurnIndicatorRate, "TURN INDICATOR RATE");
static_assert(offsetOf("TURN COORDINATOR BALL") == simvar::kTurnCoordinatorBall, "TURN COORDINATOR BALL");
static_assert(offsetOf("G FORCE") == simvar::kGForce, "G FORCE");
static_assert(offsetOf("AUTOPILOT HEADING LOCK DIR") == simvar::kAutopilotHeadingLockDir, "AUTOPILOT HEADING LOCK DIR");
static_assert(offsetOf("AUTOPILOT AIRSPEED HOLD VAR") == simvar::kAutopilotAirspeedHoldVar,
              "AUTOPILOT AIRSPEED HOLD VAR");
static_assert(offsetOf("AUTOPILOT MACH HOLD VAR") == simvar::kAutopilotMachHoldVar, "AUTOPILOT MACH HOLD VAR");
static_assert(offsetOf("AUTOPILOT RPM HOLD VAR") == simvar::kAutopilotRpmHoldVar, "AUTOPILOT RPM HOLD VAR");
static_assert(offsetOf("AUTOPILOT ALTITUDE LOCK VAR") == simvar::kAutopilotAltitudeLockVar,
              "AUTOPILOT ALTITUDE LOCK VAR");
static_assert(offsetOf("AUTOPILOT VERTICAL HOLD VAR") == simvar::kAutopilotVerticalHoldVar,
              "AUTOPILOT VERTICAL HOLD VAR");
static_assert(offsetOf("AUTOPILOT MASTER") == simvar::kAutopilotMaster, "AUTOPILOT MASTER");
static_assert(offsetOf("AUTOPILOT THROTTLE ARM") == simvar::kAutopilotThrottleArm, "AUTOPILOT THROTTLE ARM");
static_assert(offsetOf("AUTOPILOT HEADING LOCK") == simvar::kAutopilotHeadingLock, "AUTOPILOT HEADING LOCK");
static_assert(offsetOf("AUTOPILOT AIRSPEED HOLD") == simvar::kAutopilotAirspeedHold, "AUTOPILOT AIRSPEED HOLD");
static_assert(offsetOf("AUTOPILOT MACH HOLD") == simvar::kAutopilotMachHold, "AUTOPILOT MACH HOLD");
static_assert(offsetOf("AUTOPILOT RPM HOLD") == simvar::kAutopilotRpmHold, "AUTOPILOT RPM HOLD");
static_assert(offsetOf("AUTOPILOT ALTITUDE LOCK") == simvar::kAutopilotAltitudeLock, "AUTOPILOT ALTITUDE LOCK");
static_assert(offsetOf("AUTOPILOT VERTICAL HOLD") == simvar::kAutopilotVerticalHold, "AUTOPILOT VERTICAL HOLD");
static_assert(offsetOf("AUTOPILOT NAV1 LOCK") == simvar::kAutopilotNav1Lock, "AUTOPILOT NAV1 LOCK");
static_assert(offsetOf("AUTOPILOT GLIDESLOPE HOLD") == simvar::kAutopilotGlideslopeHold, "AUTOPILOT GLIDESLOPE HOLD");
static_assert(offsetOf("AUTOPILOT APPROACH HOLD") == simvar::kAutopilotApproachHold, "AUTOPILOT APPROACH HOLD");
static_assert(offsetOf("AUTOPILOT FLIGHT DIRECTOR ACTIVE") == simvar::kAutopilotFlightDirectorActive,
              "AUTOPILOT FLIGHT DIRECTOR ACTIVE");
static_assert(offsetOf("AUTOPILOT FLIGHT DIRECTOR BANK") == simvar::kAutopilotFlightDirectorBank,
              "AUTOPILOT FLIGHT DIRECTOR BANK");
static_assert(offsetOf("AUTOPILOT FLIGHT DIRECTOR PITCH") == simvar::kAutopilotFlightDirectorPitch,
              "AUTOPILOT FLIGHT DIRECTOR PITCH");
static_assert(offsetOf("GEAR CENTER POSITION") == simvar::kGearCenterPosition, "GEAR CENTER POSITION");
static_assert(offsetOf("GEAR LEFT POSITION") == simvar::kGearLeftPosition, "GEAR LEFT POSITION");
static_assert(offsetOf("GEAR RIGHT POSITION") == simvar::kGearRightPosition, "GEAR RIGHT POSITION");
static_assert(offsetOf("FLAPS HANDLE INDEX") == simvar::kFlapsHandleIndex, "FLAPS HANDLE INDEX");
static_assert(offsetOf("FLAPS NUM HANDLE POSITIONS") == simvar::kFlapsNumHandlePositions, "FLAPS NUM HANDLE POSITIONS");
static_assert(offsetOf("TRAILING EDGE FLAPS LEFT ANGLE") == simvar::kTrailingEdgeFlapsLeftAngle,
              "TRAILING EDGE FLAPS LEFT ANGLE");
static_assert(kSimVariables[48].offset == simvar::kTrailingEdgeFlapsLeftAngleCopy &&
                  sameText(kSimVariables[48].name, kSimVariables[47].name),
              "entry 49 repeats entry 48");
static_assert(offsetOf("SPOILERS ARMED") == simvar::kSpoilersArmed, "SPOILERS ARMED");
static_assert(offsetOf("SPOILERS LEFT POSITION") == simvar::kSpoilersLeftPosition, "SPOILERS LEFT POSITION");
static_assert(offsetOf("SPOILERS RIGHT POSITION") == simvar::kSpoilersRightPosition, "SPOILERS RIGHT POSITION");
static_assert(offsetOf("ELEVATOR TRIM POSITION") == simvar::kElevatorTrimPosition, "ELEVATOR TRIM POSITION");
static_assert(offsetOf("AILERON TRIM") == simvar::kAileronTrim, "AILERON TRIM");
static_assert(offsetOf("RUDDER TRIM") == simvar::kRudderTrim, "RUDDER TRIM");
static_assert(offsetOf("ENG N1 RPM:1") == simvar::kEngN1Rpm, "ENG N1 RPM:1");
static_assert(offsetOf("ENG N2 RPM:1") == simvar::kEngN2Rpm, "ENG N2 RPM:1");
static_assert(offsetOf("ENG PRESSURE RATIO:1") == simvar::kEngPressureRatio, "ENG PRESSURE RATIO:1");
static_assert(offsetOf("ENG EXHAUST GAS TEMPERATURE:1") == simvar::kEngExhaustGasTemperature,
              "ENG EXHAUST GAS TEMPERATURE:1");
static_assert(offsetOf("GENERAL ENG OIL PRESSURE:1") == simvar::kGeneralEngOilPressure, "GENERAL ENG OIL PRESSURE:1");
static_assert(offsetOf("GENERAL ENG OIL TEMPERATURE:1") == simvar::kGeneralEngOilTemperature,
              "GENERAL ENG OIL TEMPERATURE:1");
static_assert(offsetOf("ENG OIL QUANTITY:1") == simvar::kEngOilQuantity, "ENG OIL QUANTITY:1");
static_assert(offsetOf("ENG VIBRATION:1") == simvar::kEngVibration, "ENG VIBRATION:1");
static_assert(offsetOf("ENG HYDRAULIC PRESSURE:1") == simvar::kEngHydraulicPressure, "ENG HYDRAULIC PRESSURE:1");
static_assert(offsetOf("ENG HYDRAULIC QUANTITY:1") == simvar::kEngHydraulicQuantity, "ENG HYDRAULIC QUANTITY:1");
static_assert(offsetOf("ENG FUEL FLOW PPH:1") == simvar::kEngFuelFlowPph, "ENG FUEL FLOW PPH:1");
static_assert(offsetOf("GENERAL ENG FUEL PRESSURE:1") == simvar::kGeneralEngFuelPressure,
              "GENERAL ENG FUEL PRESSURE:1");
static_assert(offsetOf("ENG TORQUE:1") == simvar::kEngTorque, "ENG TORQUE:1");
static_assert(offsetOf("GENERAL ENG RPM:1") == simvar::kGeneralEngRpm, "GENERAL ENG RPM:1");
static_assert(offsetOf("RECIP ENG TURBINE INLET TEMPERATURE:1") == simvar::kRecipEngTurbineInletTemperature,
              "RECIP ENG TURBINE INLET TEMPERATURE:1");
static_assert(offsetOf("GENERAL ENG STARTER:1") == simvar::kGeneralEngStarter, "GENERAL ENG STARTER:1");
static_assert(offsetOf("FUEL TANK CENTER LEVEL") == simvar::kFuelTankCenterLevel, "FUEL TANK CENTER LEVEL");
static_assert(offsetOf("FUEL TANK CENTER CAPACITY") == simvar::kFuelTankCenterCapacity, "FUEL TANK CENTER CAPACITY");
static_assert(offsetOf("FUEL TANK CENTER2 LEVEL") == simvar::kFuelTankCenter2Level, "FUEL TANK CENTER2 LEVEL");
static_assert(offsetOf("FUEL TANK CENTER2 CAPACITY") == simvar::kFuelTankCenter2Capacity, "FUEL TANK CENTER2 CAPACITY");
static_assert(offsetOf("FUEL TANK CENTER3 LEVEL") == simvar::kFuelTankCenter3Level, "FUEL TANK CENTER3 LEVEL");
static_assert(offsetOf("FUEL TANK CENTER3 CAPACITY") == simvar::kFuelTankCenter3Capacity, "FUEL TANK CENTER3 CAPACITY");
static_assert(offsetOf("FUEL TANK LEFT MAIN LEVEL") == simvar::kFuelTankLeftMainLevel, "FUEL TANK LEFT MAIN LEVEL");
static_assert(offsetOf("FUEL TANK LEFT MAIN CAPACITY") == simvar::kFuelTankLeftMainCapacity,
              "FUEL TANK LEFT MAIN CAPACITY");
static_assert(offsetOf("FUEL TANK RIGHT MAIN LEVEL") == simvar::kFuelTankRightMainLevel, "FUEL TANK RIGHT MAIN LEVEL");
static_assert(offsetOf("FUEL TANK RIGHT MAIN CAPACITY") == simvar::kFuelTankRightMainCapacity,
              "FUEL TANK RIGHT MAIN CAPACITY");
static_assert(offsetOf("FUEL TANK LEFT AUX LEVEL") == simvar::kFuelTankLeftAuxLevel, "FUEL TANK LEFT AUX LEVEL");
static_assert(offsetOf("FUEL TANK LEFT AUX CAPACITY") == simvar::kFuelTankLeftAuxCapacity,
              "FUEL TANK LEFT AUX CAPACITY");
static_assert(offsetOf("FUEL TANK RIGHT AUX LEVEL") == simvar::kFuelTankRightAuxLevel, "FUEL TANK RIGHT AUX LEVEL");
static_assert(offsetOf("FUEL TANK RIGHT AUX CAPACITY") == simvar::kFuelTankRightAuxCapacity,
              "FUEL TANK RIGHT AUX CAPACITY");
static_assert(offsetOf("FUEL TANK LEFT TIP LEVEL") == simvar::kFuelTankLeftTipLevel, "FUEL TANK LEFT TIP LEVEL");
static_assert(offsetOf("FUEL TANK LEFT TIP CAPACITY") == simvar::kFuelTankLeftTipCapacity,
              "FUEL TANK LEFT TIP CAPACITY");
static_assert(offsetOf("FUEL TANK RIGHT TIP LEVEL") == simvar::kFuelTankRightTipLevel, "FUEL TANK RIGHT TIP LEVEL");
static_assert(offsetOf("FUEL TANK RIGHT TIP CAPACITY") == simvar::kFuelTankRightTipCapacity,
              "FUEL TANK RIGHT TIP CAPACITY");
static_assert(offsetOf("HSI CDI NEEDLE VALID") == simvar::kHsiCdiNeedleValid, "HSI CDI NEEDLE VALID");
static_assert(offsetOf("HSI CDI NEEDLE") == simvar::kHsiCdiNeedle, "HSI CDI NEEDLE");
static_assert(offsetOf("HSI GSI NEEDLE VALID") == simvar::kHsiGsiNeedleValid, "HSI GSI NEEDLE VALID");
static_assert(offsetOf("HSI GSI NEEDLE") == simvar::kHsiGsiNeedle, "HSI GSI NEEDLE");
static_assert(offsetOf("NAV AVAILABLE:1") == simvar::kNavAvailable, "NAV AVAILABLE:1");
static_assert(offsetOf("NAV ACTIVE FREQUENCY:1") == simvar::kNavActiveFrequency, "NAV ACTIVE FREQUENCY:1");
static_assert(offsetOf("NAV HAS NAV:1") == simvar::kNavHasNav, "NAV HAS NAV:1");
static_assert(offsetOf("NAV HAS LOCALIZER:1") == simvar::kNavHasLocalizer, "NAV HAS LOCALIZER:1");
static_assert(offsetOf("NAV HAS GLIDE SLOPE:1") == simvar::kNavHasGlideSlope, "NAV HAS GLIDE SLOPE:1");
static_assert(offsetOf("NAV HAS DME:1") == simvar::kNavHasDme, "NAV HAS DME:1");
static_assert(offsetOf("NAV CDI:1") == simvar::kNavCdi, "NAV CDI:1");
static_assert(offsetOf("NAV GSI:1") == simvar::kNavGsi, "NAV GSI:1");
static_assert(offsetOf("NAV MAGVAR:1") == simvar::kNavMagvar, "NAV MAGVAR:1");
static_assert(offsetOf("NAV RADIAL:1") == simvar::kNavRadial, "NAV RADIAL:1");
static_assert(offsetOf("NAV TOFROM:1") == simvar::kNavToFrom, "NAV TOFROM:1");
static_assert(offsetOf("NAV OBS:1") == simvar::kNavObs, "NAV OBS:1");
static_assert(offsetOf("NAV DME:1") == simvar::kNavDme, "NAV DME:1");
static_assert(offsetOf("NAV IDENT:1") == simvar::kNavIdent, "NAV IDENT:1");
static_assert(offsetOf("ADF AVAILABLE:1") == simvar::kAdfAvailable, "ADF AVAILABLE:1");
static_assert(offsetOf("ADF ACTIVE FREQUENCY:1") == simvar::kAdfActiveFrequency, "ADF ACTIVE FREQUENCY:1");
static_assert(offsetOf("ADF RADIAL:1") == simvar::kAdfRadial, "ADF RADIAL:1");
static_assert(offsetOf("COM ACTIVE FREQUENCY:1") == simvar::kComActiveFrequency, "COM ACTIVE FREQUENCY:1");
static_assert(offsetOf("MARKER BEACON STATE") == simvar::kMarkerBeaconState, "MARKER BEACON STATE");
static_assert(offsetOf("AMBIENT WIND DIRECTION") == simvar::kAmbientWindDirection, "AMBIENT WIND DIRECTION");
static_assert(offsetOf("AMBIENT WIND VELOCITY") == simvar::kAmbientWindVelocity, "AMBIENT WIND VELOCITY");
static_assert(offsetOf("VELOCITY WORLD Z") == simvar::kVelocityWorldZ, "VELOCITY WORLD Z");
static_assert(offsetOf("VELOCITY WORLD X") == simvar::kVelocityWorldX, "VELOCITY WORLD X");

// Indexed variables: index n sits at + (n - 1) x the entry's size from index 1.
static_assert(indexedEntriesFollowIndexOne(), "indexed variables are laid out by index");
static_assert(offsetOf("ENG N1 RPM:4") == simvar::kEngN1Rpm + 3 * simvar::kEngineStride, "engine stride");
static_assert(offsetOf("NAV TOFROM:2") == simvar::kNavToFrom + simvar::kReceiverStride, "receiver stride");
static_assert(offsetOf("COM ACTIVE FREQUENCY:2") == simvar::kComActiveFrequency + simvar::kBcdFrequencyStride,
              "32-bit frequency stride");
