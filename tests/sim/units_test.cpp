// Unit conversion of the emulator's variables: the linear units, the two
// radio encodings, and text variables asked for as integers.
#include <gtest/gtest.h>

#include "simlink/simconnect.h"
#include "tools/sim/data_definition.h"
#include "tools/sim/sim_units.h"

namespace simtest {
namespace {

double convert(double value, const char* from, const char* to) {
  const simemu::Unit* source = simemu::findUnit(from);
  const simemu::Unit* target = simemu::findUnit(to);
  EXPECT_NE(source, nullptr) << from;
  EXPECT_NE(target, nullptr) << to;
  return simemu::fromBase(simemu::toBase(value, *source), *target);
}

TEST(SimUnitsTest, LinearUnitsConvertWithinTheirDimension) {
  EXPECT_NEAR(convert(100, "celsius", "rankine"), 671.67, 1e-9);
  EXPECT_NEAR(convert(671.67, "Rankine", "Celsius"), 100, 1e-9);
  EXPECT_NEAR(convert(1, "psi", "psf"), 144, 1e-12);
  EXPECT_NEAR(convert(1013.25, "Millibars", "inches of mercury"), 29.92, 0.005);
  EXPECT_NEAR(convert(600, "feet/minute", "feet per second"), 10, 1e-9);
  EXPECT_NEAR(convert(1, "knots", "feet per second"), 1.68780986, 1e-9);
  EXPECT_NEAR(convert(1, "nautical miles", "feet"), 6076.11549, 1e-6);
  EXPECT_NEAR(convert(0.5, "ratio", "percent"), 50, 1e-12);
  EXPECT_NEAR(convert(1, "ratio", "position"), 16383, 1e-9);
  EXPECT_NEAR(convert(-0.5, "part", "Position 128"), -64, 1e-12);
  EXPECT_NEAR(convert(110.3, "MHz", "KHz"), 110300, 1e-6);
  EXPECT_EQ(simemu::findUnit("  FEET  "), simemu::findUnit("feet"));
  EXPECT_EQ(simemu::findUnit("furlongs"), nullptr);
}

TEST(SimUnitsTest, RadioFrequenciesPackAsDecimalDigits) {
  EXPECT_EQ(convert(118.3, "MHz", "Frequency BCD16"), 0x1830);
  EXPECT_EQ(convert(136.975, "MHz", "Frequency BCD16"), 0x3698);  // hundredths, rounded
  EXPECT_EQ(convert(1700, "KHz", "Frequency ADF BCD32"), 0x17000000);
  EXPECT_EQ(convert(415.5, "KHz", "Frequency ADF BCD32"), 0x04155000);
  EXPECT_NEAR(convert(0x1830, "Frequency BCD16", "MHz"), 118.3, 1e-9);
  EXPECT_EQ(simemu::decodeBcd(simemu::encodeBcd(12345678)), 12345678u);
}

TEST(SimUnitsTest, DatumsMustMatchTheirVariablesDimensionAndType) {
  EXPECT_EQ(simemu::declareDatum(0, "PLANE ALTITUDE", "Knots", SIMCONNECT_DATATYPE_FLOAT64, 0, 0).problem,
            "unit is a speed, variable a length");
  EXPECT_EQ(simemu::declareDatum(0, "ENG N1 RPM", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 0, 0).problem,
            "variable needs an index 1 to 4");
  EXPECT_EQ(simemu::declareDatum(0, "ENG N1 RPM:5", "Percent", SIMCONNECT_DATATYPE_FLOAT64, 0, 0).problem,
            "variable needs an index 1 to 4");
  EXPECT_EQ(simemu::declareDatum(0, "MAGVAR:1", "Degrees", SIMCONNECT_DATATYPE_FLOAT64, 0, 0).problem,
            "variable takes no index");
  EXPECT_EQ(simemu::declareDatum(0, "MAGVAR", "Degrees", SIMCONNECT_DATATYPE_STRING8, 0, 0).problem,
            "numeric variable asked as text");
  EXPECT_EQ(simemu::declareDatum(0, "MAGVAR", "Degrees", 99, 0, 0).problem, "unknown data type");
  EXPECT_TRUE(simemu::declareDatum(0, "nav ident:2", "number", SIMCONNECT_DATATYPE_INT32, 0, 0).problem.empty());
  EXPECT_FALSE(simemu::declareDatum(0, "NAV IDENT:2", "Number", SIMCONNECT_DATATYPE_FLOAT64, 0, 0).problem.empty());

  simemu::SimState state;
  state.nav[1].ident = "ORV";
  std::vector<uint8_t> packed;
  simemu::packDatum(simemu::declareDatum(0, "NAV IDENT:2", "Number", SIMCONNECT_DATATYPE_INT32, 0, 0), state,
                    simemu::PackOptions(), &packed);
  EXPECT_EQ(packed, (std::vector<uint8_t>{'O', 'R', 'V', 0}));
}

}  // namespace
}  // namespace simtest
