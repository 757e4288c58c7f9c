// The aircraft configuration reader: the line rules on small files, the path
// rules, the fall-back to flight_model.cfg, real aircraft files, and hostile
// input (random bytes, a 100 kB line, folders in place of files).
#include "bridge/aircraft_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "bridge/shared_state.h"
#include "tests/bridge/aircraft_test_support.h"
#include "tests/bridge/flap_table_loader.h"

namespace fs = std::filesystem;

namespace {

// Each test gets an empty folder of its own; the aircraft path names a file
// in it the way the simulator does, with backslashes.
class AircraftConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("orvxlink-aircraft-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    aircraftFilePath.clear();
  }

  void pointAt(const fs::path& folder) { aircraftFilePath = windowsStyle(folder.string()) + "\\aircraft.cfg"; }

  // Writes aircraft.cfg, reads it, returns the table.
  FlapDetentTable readAircraftFile(const std::string& contents) {
    writeFile(folder_ / "aircraft.cfg", contents);
    pointAt(folder_);
    readAircraftConfig();
    return flapDetentTable();
  }

  fs::path folder_;
};

TEST_F(AircraftConfigTest, LineRules) {
  struct Case {
    const char* what;
    std::string file;
    FlapDetentTable expected;
  };
  const std::string header = "[FLAPS.0]\ntype = 1\n";
  const Case cases[] = {
      {"positions of a type 1 section",
       header + "flaps-position.0 = 0, 200\nflaps-position.1 = 10, 180\nflaps-position.2 = 30\n", angles({0, 10, 30})},
      {"a type 2 section gives nothing", "[FLAPS.0]\ntype = 2\nflaps-position.0 = 0\nflaps-position.1 = 10\n",
       angles({})},
      {"above 90, index above 19, below 0",
       header + "flaps-position.1 = 95\nflaps-position.25 = 5\nflaps-position.3 = -5\nflaps-position.0 = 90\n",
       angles({90})},
      {"the bounds: 0 and 90 kept, a hundredth beyond either not",
       header + "flaps-position.0 = 0\nflaps-position.1 = 90.01\nflaps-position.2 = -0.01\nflaps-position.3 = 90\n",
       angles({0, -1, -1, 90})},
      {"comments: // cuts, a comma cuts, a semicolon fails",
       header + "flaps-position.1 = 10 // note\nflaps-position.2 = 10, 180 ; note\nflaps-position.3 = 10 ; note\n",
       angles({-1, 10, 10})},
      {"the first value for an index wins", header + "flaps-position.1 = 10\nflaps-position.1 = 15\n",
       angles({-1, 10})},
      {"a new header ends the section", header + "[fuel]\nflaps-position.4 = 20\n", angles({})},
      {"a last line without a line end", header + "flaps-position.2 = 30", angles({-1, -1, 30})},
      {"CR LF, upper case, tabs, no spaces", "[Flaps.3]\r\nTYPE\t=\t1\r\nFLAPS-POSITION.1=12.5,x\r\n",
       angles({-1, 12.5f})},
      {"a type line with a ; comment leaves the type unread",
       "[FLAPS.0]\ntype=1 ; trailing edge\nflaps-position.0 = 5\n", angles({})},
      {"a key that only contains type is not the type", "[FLAPS.0]\nsystem_type = 1\nflaps-position.0 = 5\n",
       angles({})},
      {"two type 1 sections share one table",
       header + "flaps-position.0 = 1\n[FLAPS.1]\ntype=1\nflaps-position.0 = 2\nflaps-position.1 = 3\n",
       angles({1, 3})},
      {"a line is read 499 characters at a time",
       header + std::string(499, 'x') + "flaps-position.4 = 40\n" + std::string(498, 'x') + "flaps-position.5 = 50\n",
       angles({-1, -1, -1, -1, 40})},
      {"key or value missing, index text not a number",
       header + "flaps-position.1 =\n= flaps-position.1\nflaps-position.a = 3\nflaps-position = 3\n", angles({})},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(loadFlapDetentTable(angles({89})));  // each read replaces the whole table
    EXPECT_EQ(readAircraftFile(c.file), c.expected) << c.what;
  }
}

TEST_F(AircraftConfigTest, TableStaysWithoutAUsablePathOrFile) {
  const FlapDetentTable previous = angles({0, 5, 15});
  ASSERT_TRUE(loadFlapDetentTable(previous));

  // No backslash: nothing is opened, not even an aircraft.cfg in the working
  // folder or in a folder of the path's name.
  const fs::path workingFolder = fs::current_path();
  fs::current_path(folder_);
  writeFile("aircraft.cfg", "[FLAPS.0]\ntype=1\nflaps-position.0=1\n");
  fs::create_directories("Jet");
  writeFile(fs::path("Jet") / "aircraft.cfg", "[FLAPS.0]\ntype=1\nflaps-position.0=2\n");
  for (const char* path : {"aircraft.cfg", "Jet"}) {
    aircraftFilePath = path;
    readAircraftConfig();
    EXPECT_EQ(flapDetentTable(), previous) << path;
  }
  fs::current_path(workingFolder);
  fs::remove(folder_ / "aircraft.cfg");
  fs::remove_all(folder_ / "Jet");

  aircraftFilePath.clear();
  readAircraftConfig();
  EXPECT_EQ(flapDetentTable(), previous);

  pointAt(folder_ / "missing");  // neither file
  readAircraftConfig();
  EXPECT_EQ(flapDetentTable(), previous);

  // Folders in place of both files.
  fs::create_directories(folder_ / "aircraft.cfg");
  fs::create_directories(folder_ / "flight_model.cfg");
  pointAt(folder_);
  readAircraftConfig();
  EXPECT_EQ(flapDetentTable(), previous);
}

TEST_F(AircraftConfigTest, RelativePathIsTakenFromTheWorkingFolder) {
  fs::create_directories(folder_ / "Planes" / "Jet");
  writeFile(folder_ / "Planes" / "Jet" / "aircraft.cfg", "[FLAPS.0]\ntype=1\nflaps-position.1=7\n");
  const fs::path previous = fs::current_path();
  fs::current_path(folder_);
  aircraftFilePath = "Planes\\Jet\\Jet.air";
  readAircraftConfig();
  fs::current_path(previous);
  EXPECT_EQ(flapDetentTable(), angles({-1, 7}));
}

TEST_F(AircraftConfigTest, FlightModelFileWhenAircraftFileGivesNoAngle) {
  const std::string flaps = "[FLAPS.0]\ntype=1\nflaps-position.0=0\nflaps-position.1=20\n";
  const std::string otherFlaps = "[FLAPS.0]\ntype=1\nflaps-position.0=3\n";
  const std::string noFlaps = "[General]\natc_type=\"JET\"\n";

  writeFile(folder_ / "flight_model.cfg", flaps);  // no aircraft.cfg at all
  pointAt(folder_);
  readAircraftConfig();
  EXPECT_EQ(flapDetentTable(), angles({0, 20}));

  EXPECT_EQ(readAircraftFile(noFlaps), angles({0, 20}));  // aircraft.cfg without flap sections

  EXPECT_EQ(readAircraftFile(otherFlaps), angles({3}));  // aircraft.cfg with angles wins

  fs::remove(folder_ / "flight_model.cfg");
  EXPECT_EQ(readAircraftFile(noFlaps), angles({}));  // read, no angle, nothing else to read

  fs::remove(folder_ / "aircraft.cfg");
  fs::create_directories(folder_ / "aircraft.cfg");  // a folder is no file
  writeFile(folder_ / "flight_model.cfg", flaps);
  readAircraftConfig();
  EXPECT_EQ(flapDetentTable(), angles({0, 20}));
}

TEST_F(AircraftConfigTest, RealAircraftFiles) {
  const char* source = std::getenv("ORVXLINK_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "ctest sets ORVXLINK_SOURCE_DIR";
  const fs::path data = fs::path(source) / "tests" / "data" / "aircraft";
  struct Case {
    const char* folder;
    FlapDetentTable expected;
  };
  // Worked out by reading each file's type 1 sections; where two such
  // sections give an index, the first wins.
  const Case cases[] = {
      {"hampden-fsx", angles({0, 18, 60})},                   // FSX: flaps in aircraft.cfg, tabs, CR LF
      {"parallelfs-b757", angles({0, 10, 20, 30, 40})},       // MSFS: aircraft.cfg without flaps
      {"cbg-f18", angles({0, 30, 40})},                       // MSFS: flight_model.cfg only, type 2 first
      {"deltasim-c17", angles({0, 8, 16, 24, 32, 40})},       // "type= 1 ; ..." once the comment is cut
      {"headwind-a339x", angles({0, 0.01f, 8, 14, 22, 32})},  // two type 1 sections, "; CONF" remarks
      {"headwind-su95x", angles({0, 3, 9, 17, 25, 36})},
      {"heavydiv-b78xh", angles({0, 0, 5, 10, 15, 17, 18, 20, 20, 30})},
      {"salty-b747-8i", angles({0, 0, 5, 10, 20, 25, 30})},
      {"sarcastic-b748-apfix", angles({0, 1, 5, 10, 20, 25, 30})},
      {"wt-cj4", angles({0, 15, 35})},  // a commented-out template line inside the section
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(loadFlapDetentTable(angles({89})));
    pointAt(data / c.folder);
    readAircraftConfig();
    EXPECT_EQ(flapDetentTable(), c.expected) << c.folder;
  }
}

// In flight_model.cfg a ';' starts a comment, as in the simulator's own
// files; aircraft.cfg keeps its rule that only "//" does.
TEST_F(AircraftConfigTest, SemicolonCommentsOnlyInFlightModelFile) {
  struct Case {
    const char* what;
    std::string file;
    FlapDetentTable inFlightModel;
    FlapDetentTable inAircraftFile;
  };
  const Case cases[] = {
      {"a remark after the type", "[FLAPS.0]\ntype = 1 ; trailing edge\nflaps-position.1 = 10\n", angles({-1, 10}),
       angles({})},
      {"a remark after a position", "[FLAPS.0]\ntype=1\nflaps-position.2 = 15 ; CONF 1\n", angles({-1, -1, 15}),
       angles({})},
      {"a remark with no blank before it", "[FLAPS.0]\ntype=1\nflaps-position.0 = 4; x\n", angles({4}), angles({})},
      {"a remark after the header", "[FLAPS.0] ;FLAPS\ntype=1\nflaps-position.0 = 3\n", angles({3}), angles({3})},
      {"a position commented out", "[FLAPS.0]\ntype=1\n;flaps-position.0 = 7\nflaps-position.0 = 9\n", angles({9}),
       angles({7})},
      {"a commented-out header does not open a section", ";[FLAPS.0]\ntype=1\nflaps-position.0 = 2\n", angles({}),
       angles({})},
      {"both kinds on one line", "[FLAPS.0]\ntype=1\nflaps-position.1 = 6 // a ; b\nflaps-position.2 = 8 ; a // b\n",
       angles({-1, 6, 8}), angles({-1, 6})},
  };
  for (const Case& c : cases) {
    fs::remove(folder_ / "aircraft.cfg");
    writeFile(folder_ / "flight_model.cfg", c.file);
    pointAt(folder_);
    readAircraftConfig();
    EXPECT_EQ(flapDetentTable(), c.inFlightModel) << "flight_model.cfg: " << c.what;

    fs::remove(folder_ / "flight_model.cfg");
    EXPECT_EQ(readAircraftFile(c.file), c.inAircraftFile) << "aircraft.cfg: " << c.what;
  }
}

TEST_F(AircraftConfigTest, HostileInputIsSurvived) {
  // Random bytes (no 0x1A, which ends a text-mode file on Windows), then a
  // proper section that must still be found.
  std::mt19937 random(5193);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) {
    c = static_cast<char>(random() & 0xFF);
    if (c == 0x1A) c = 0;
  }
  EXPECT_EQ(readAircraftFile(noise + "\n[FLAPS.9]\ntype=1\nflaps-position.7=25\n")[7], 25.0f);

  // A 100 kB line of digits as a value, as an index and as a type.
  const std::string digits(100 * 1024, '9');
  const std::string longLines = "[FLAPS.0]\ntype = " + digits + "\nflaps-position.1 = 1\n[FLAPS.1]\ntype = 1\n" +
                                "flaps-position.2 = " + digits + "\nflaps-position." + digits + " = 5\n" +
                                std::string(100 * 1024, ' ') + "\nflaps-position.3 = 33\n";
  EXPECT_EQ(readAircraftFile(longLines), angles({-1, -1, -1, 33}));
}

}  // namespace
