// The catalogue's names as the simulator knows them: the layout itself is
// checked at compile time, the names only by the simulator, so a misspelt
// event would silently never be mapped.
#include "bridge/sim_catalogue.h"

#include <gtest/gtest.h>

#include <string>

TEST(SimCatalogue, EventNamesInMappingOrder) {
  const char* const clientEvents[] = {"AP_MASTER",
                                      "AUTO_THROTTLE_ARM",
                                      "TOGGLE_FLIGHT_DIRECTOR",
                                      "AP_PANEL_ALTITUDE_SET",
                                      "AP_PANEL_SPEED_SET",
                                      "AP_PANEL_MACH_SET",
                                      "AP_PANEL_HEADING_SET",
                                      "AP_N1_HOLD",
                                      "AP_LOC_HOLD",
                                      "AP_APP_HOLD",
                                      "VOR1_SET",
                                      "AP_ALT_VAR_SET_ENGLISH",
                                      "AP_VS_VAR_SET_ENGLISH",
                                      "AP_SPD_VAR_SET",
                                      "AP_MACH_VAR_SET",
                                      "HEADING_BUG_SET",
                                      "AP_N1_REF_SET"};
  for (size_t i = 0; i < kClientEventCount; ++i) {
    EXPECT_EQ(kClientEvents[i].id, 3 + i);
    EXPECT_EQ(std::string(kClientEvents[i].name), clientEvents[i]) << "client event " << 3 + i;
  }
  EXPECT_EQ(std::string(kSystemEvents[0].name), "Frame");
  EXPECT_EQ(std::string(kSystemEvents[1].name), "AircraftLoaded");
  EXPECT_EQ(std::string(kSystemEvents[2].name), "SimStart");
  EXPECT_EQ(kSystemEvents[2].id, 2u);
}

TEST(SimCatalogue, EntriesThatAreEasyToGetWrong) {
  EXPECT_EQ(std::string(kSimVariables[0].name), "Title");
  EXPECT_EQ(kSimVariables[0].unit, nullptr);  // no unit at all, not an empty one
  EXPECT_EQ(std::string(kSimVariables[47].name), "TRAILING EDGE FLAPS LEFT ANGLE");
  EXPECT_EQ(std::string(kSimVariables[48].name), "TRAILING EDGE FLAPS LEFT ANGLE");
  EXPECT_EQ(std::string(kSimVariables[171].unit), "Frequency ADF BCD32");
  EXPECT_EQ(std::string(kSimVariables[175].unit), "Frequency BCD16");
  EXPECT_EQ(std::string(kSimVariables[181].name), "VELOCITY WORLD X");
}
