// Aircraft of both simulators: the four installations' UserCfg.opt, the 2024
// package layers, the real modular aircraft of tests/data/aircraft2024
// reported by their own folder and by a preset's, the account of each look-up,
// and trees built to hang or mislead the look-up.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bridge/aircraft_config.h"
#include "bridge/aircraft_packages.h"
#include "bridge/modular_aircraft.h"
#include "bridge/shared_state.h"
#include "bridge/sim_installations.h"
#include "bridge/user_cfg.h"
#include "platform/known_folders.h"
#include "platform/test_user_folders.h"
#include "tests/bridge/aircraft_test_support.h"

namespace fs = std::filesystem;

namespace {

// Worked by hand from the files (see tests/data/aircraft*/SOURCES.md). In
// both FlyByWire files a dummy [FLAPS.0] of type 1 with no lift (its
// scalars 0) comes before the real trailing-edge [FLAPS.1]; both are type 1
// and the first angle given for a detent wins, so the dummy's angles stand
// (detent 1 reads 0.01, not the real section's 5).
const FlapDetentTable kA380 = angles({0, 0.01f, 8, 17, 26, 32});
const FlapDetentTable kA320 = angles({0, 0.01f, 10, 15, 20, 40});
const FlapDetentTable kHampden = angles({0, 18, 60});
const FlapDetentTable kCj4 = angles({0, 15, 35});
const FlapDetentTable kC17 = angles({0, 8, 16, 24, 32, 40});
const FlapDetentTable kF18 = angles({0, 30, 40});
const FlapDetentTable kA339 = angles({0, 0.01f, 8, 14, 22, 32});
const FlapDetentTable kOwnPreset = angles({0, 12, 24});

const char kA380Classic[] = "SimObjects\\AirPlanes\\FlyByWire_A380X\\aircraft.CFG";
const char kA380Preset[] =
    "SimObjects\\AirPlanes\\FlyByWire_A380X\\presets\\flybywire\\FlyByWire_A380_842\\config\\aircraft.cfg";

fs::path testData(const char* set, const char* name) {
  const char* source = std::getenv("ORVXLINK_SOURCE_DIR");
  return fs::path(source != nullptr ? source : ".") / "tests" / "data" / set / name;
}

class ModularAircraftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    scratch_ = fs::temp_directory_path() / ("orvxlink-modular-" + std::to_string(stamp));
    fs::create_directories(scratch_);
    ASSERT_TRUE(redirectUserFolders((scratch_ / "user").string()));
    setAircraftPackagesFolder("");
    setConnectedSimulator(SimGeneration::kUnknown);
  }
  void TearDown() override {
    setAircraftPackagesFolder("");
    setConnectedSimulator(SimGeneration::kUnknown);
    restoreUserFolders();
    aircraftFilePath.clear();
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }

  // A 2020-style aircraft (tests/data/aircraft/<source>) as
  // packages/layer/package/SimObjects/Airplanes/<name>.
  static void installClassic(const fs::path& packages, const char* layer, const char* package, const char* name,
                             const char* source) {
    const fs::path folder = packages / layer / package / "SimObjects" / "Airplanes" / name;
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(testData("aircraft", source)))
      fs::copy_file(entry.path(), folder / entry.path().filename());
  }

  // A modular aircraft package (tests/data/aircraft2024/<source>, which holds
  // its SimObjects folder) as packages/layer/<source>.
  static void installModular(const fs::path& packages, const char* layer, const char* source) {
    fs::create_directories(packages / layer / source);
    fs::copy(testData("aircraft2024", source), packages / layer / source, fs::copy_options::recursive);
  }

  // Reads a known aircraft by its full path first, so that "left as it was"
  // has a value to compare with, then the reported path.
  static FlapDetentTable readReported(const std::string& reportedPath) {
    aircraftFilePath = windowsStyle(testData("aircraft", "hampden-fsx").string()) + "\\aircraft.cfg";
    readAircraftConfig();
    aircraftFilePath = reportedPath;
    readAircraftConfig();
    return flapDetentTable();
  }

  static std::string userCfgPlace(const char* edition) {
    std::string local;
    std::string roaming;
    localAppDataFolder(local);
    roamingAppDataFolder(roaming);
    const std::string place = edition;
    if (place == "2020 Store")
      return local + "/Packages/Microsoft.FlightSimulator_8wekyb3d8bbwe/LocalCache/UserCfg.opt";
    if (place == "2020 Steam") return roaming + "/Microsoft Flight Simulator/UserCfg.opt";
    if (place == "2024 Store") return local + "/Packages/Microsoft.Limitless_8wekyb3d8bbwe/LocalCache/UserCfg.opt";
    return roaming + "/Microsoft Flight Simulator 2024/UserCfg.opt";
  }
  static std::string naming(const fs::path& packages) {
    return "Version 66\n{Graphics\n}\nInstalledPackagesPath \"" + packages.string() + "\"\n";
  }

  fs::path scratch_;
};

TEST_F(ModularAircraftTest, EachInstallationIsFoundAndTheConnectedSimulatorChooses) {
  const fs::path store20 = scratch_ / "Store 2020";
  const fs::path steam20 = scratch_ / "Steam 2020";
  const fs::path store24 = scratch_ / "Store 2024";
  const fs::path steam24 = scratch_ / "Steam 2024";
  const fs::path empty24 = scratch_ / "Empty 2024";
  const fs::path option = scratch_ / "Option";
  installClassic(store20, "Official/OneStore", "pkg", "Plane", "wt-cj4");
  installClassic(steam20, "Official/Steam", "pkg", "Plane", "deltasim-c17");
  installClassic(store24, "Official2024/OneStore", "pkg", "Plane", "cbg-f18");
  installClassic(steam24, "Community2024", "pkg", "Plane", "headwind-a339x");
  installClassic(empty24, "Community2024", "pkg", "Other", "wt-cj4");
  installClassic(option, "Community", "pkg", "Plane", "salty-b747-8i");
  const fs::path missing = scratch_ / "nowhere";

  struct Case {
    const char* what;
    std::vector<std::pair<const char*, std::string>> userCfgs;
    SimGeneration connected;
    fs::path option;
    FlapDetentTable expected;
  };
  const SimGeneration unknown = SimGeneration::kUnknown;
  const Case cases[] = {
      {"2020 Store alone", {{"2020 Store", naming(store20)}}, unknown, {}, kCj4},
      {"2020 Steam alone", {{"2020 Steam", naming(steam20)}}, unknown, {}, kC17},
      {"2024 Store alone", {{"2024 Store", naming(store24)}}, unknown, {}, kF18},
      {"2024 Steam alone", {{"2024 Steam", naming(steam24)}}, unknown, {}, kA339},
      {"both simulators, none connected: 2020 first",
       {{"2020 Store", naming(store20)}, {"2024 Store", naming(store24)}},
       unknown,
       {},
       kCj4},
      {"both simulators, 2024 connected",
       {{"2020 Store", naming(store20)}, {"2024 Store", naming(store24)}},
       SimGeneration::k2024,
       {},
       kF18},
      {"both simulators, 2020 connected",
       {{"2020 Steam", naming(steam20)}, {"2024 Steam", naming(steam24)}},
       SimGeneration::k2020,
       {},
       kC17},
      {"only the other simulator's installation",
       {{"2024 Store", naming(store24)}},
       SimGeneration::k2020,
       {},
       kHampden},
      {"first found wins: the 2024 Store tree lacks the aircraft",
       {{"2024 Store", naming(empty24)}, {"2024 Steam", naming(steam24)}},
       unknown,
       {},
       kA339},
      {"NextBoot line before the key",
       {{"2024 Store", "InstalledPackagesPathNextBoot \"" + steam24.string() + "\"\n" + naming(store24)}},
       unknown,
       {},
       kF18},
      {"NextBoot line after the key",
       {{"2024 Store", naming(store24) + "InstalledPackagesPathNextBoot \"" + steam24.string() + "\"\n"}},
       unknown,
       {},
       kF18},
      {"NextBoot line alone",
       {{"2024 Store", "InstalledPackagesPathNextBoot \"" + steam24.string() + "\"\n"}},
       unknown,
       {},
       kHampden},
      {"a folder that does not exist is passed over",
       {{"2024 Store", naming(missing)}, {"2024 Steam", naming(steam24)}},
       SimGeneration::k2024,
       {},
       kA339},
      {"the option wins over all four",
       {{"2020 Store", naming(store20)},
        {"2020 Steam", naming(steam20)},
        {"2024 Store", naming(store24)},
        {"2024 Steam", naming(steam24)}},
       SimGeneration::k2024,
       option,
       angles({0, 0, 5, 10, 20, 25, 30})},
  };
  for (const Case& c : cases) {
    for (const char* edition : {"2020 Store", "2020 Steam", "2024 Store", "2024 Steam"})
      fs::remove_all(userCfgPlace(edition));
    for (const auto& [edition, text] : c.userCfgs) writeFile(userCfgPlace(edition), text);
    setConnectedSimulator(c.connected);
    setAircraftPackagesFolder(c.option.string());
    EXPECT_EQ(readReported("SimObjects\\Airplanes\\Plane\\aircraft.CFG"), c.expected) << c.what;
  }
}

TEST_F(ModularAircraftTest, RealModularAircraftReadByTheirFolderOrAPreset) {
  // Two trees: the A380X as an add-on and the A32NX as official content, and
  // the other way round; 2020 aircraft in the shared and the 2020 layers.
  const fs::path trees[] = {scratch_ / "Tree A", scratch_ / "Tree B"};
  installModular(trees[0], "Community2024", "fbw-a380x");
  installModular(trees[0], "Official2024/OneStore", "fbw-a32nx");
  installModular(trees[1], "Official2024/Steam", "fbw-a380x");
  installModular(trees[1], "Community2024", "fbw-a32nx");
  for (const fs::path& tree : trees) {
    installClassic(tree, "Community", "deltasim-c17", "C17", "deltasim-c17");
    installClassic(tree, "Official2020/OneStore", "asobo-cj4", "Asobo_CJ4", "wt-cj4");
    // A preset with its own flap section beside the common one.
    writeFile(tree / (tree == trees[0] ? "Community2024" : "Official2024/Steam") /
                  "fbw-a380x/SimObjects/AirPlanes/FlyByWire_A380X/presets/flybywire/Custom/config/flight_model.cfg",
              "[FLAPS.0]\ntype = 1 ; trailing edge\nflaps-position.0 = 0\nflaps-position.1 = 12 ; T/O\n"
              "flaps-position.2 = 24\n");
  }
  // Layer order: 2024 add-ons over shared ones, each simulator's official
  // content over the older one's.
  installClassic(trees[0], "Community", "shared", "Layered", "cbg-f18");
  installClassic(trees[0], "Community2024", "only-2024", "Layered", "headwind-a339x");
  installClassic(trees[0], "Official2020/OneStore", "old", "Ordered", "wt-cj4");
  installClassic(trees[0], "Official2024/Steam", "new", "Ordered", "deltasim-c17");

  struct Case {
    std::string reported;
    FlapDetentTable expected;
    bool treeAOnly;
  };
  const std::string a380 = "SimObjects\\AirPlanes\\FlyByWire_A380X\\";
  const std::string presets = a380 + "presets\\flybywire\\";
  const Case cases[] = {
      {kA380Classic, kA380, false},
      {kA380Preset, kA380, false},
      {presets + "FlyByWire_A380_842_NoCabin\\config\\aircraft.cfg", kA380, false},
      {presets + "Custom\\config\\aircraft.cfg", kOwnPreset, false},
      {presets + "Not_Installed\\config\\aircraft.cfg", kA380, false},
      {"simobjects\\airplanes\\flybywire_a380x\\presets\\flybywire\\FlyByWire_A380_842\\config\\aircraft.cfg", kA380,
       false},
      {"SimObjects\\AirPlanes\\FlyByWire_A320_NEO\\aircraft.cfg", kA320, false},
      {"SimObjects\\AirPlanes\\FlyByWire_A320_NEO\\presets\\flybywire\\a20n\\config\\aircraft.cfg", kA320, false},
      {"SimObjects\\Airplanes\\C17\\aircraft.CFG", kC17, false},
      {"SimObjects\\Airplanes\\Asobo_CJ4\\aircraft.CFG", kCj4, false},
      {"SimObjects\\Airplanes\\Layered\\aircraft.CFG", kA339, true},
      {"SimObjects\\Airplanes\\Ordered\\aircraft.CFG", kC17, true},
      // Presets that climb out of their aircraft are refused.
      {presets + "..\\..\\..\\C17\\aircraft.cfg", kHampden, false},
      {a380 + "presets\\..\\..\\C17\\config\\aircraft.cfg", kHampden, false},
      {"C:" + presets + "FlyByWire_A380_842\\config\\aircraft.cfg", kHampden, false},
      {"\\" + presets + "FlyByWire_A380_842\\config\\aircraft.cfg", kHampden, false},
  };
  for (size_t t = 0; t < 2; ++t) {
    // By --packages, and by the 2024 UserCfg.opt with that simulator connected.
    for (bool byOption : {true, false}) {
      fs::remove_all(userCfgPlace("2024 Steam"));
      if (!byOption) writeFile(userCfgPlace("2024 Steam"), naming(trees[t]));
      setConnectedSimulator(byOption ? SimGeneration::kUnknown : SimGeneration::k2024);
      setAircraftPackagesFolder(byOption ? trees[t].string() : "");
      for (const Case& c : cases) {
        if (c.treeAOnly && t != 0) continue;
        EXPECT_EQ(readReported(c.reported), c.expected) << c.reported << " in tree " << t << " option " << byOption;
      }
    }
  }

  // A preset reported by its full path on disk is read where it points,
  // falling back to its aircraft's common folder.
  const fs::path full = trees[0] / "Community2024/fbw-a380x/SimObjects/AirPlanes/FlyByWire_A380X/presets/flybywire" /
                        "FlyByWire_A380_842/config/aircraft.cfg";
  EXPECT_EQ(readReported(windowsStyle(full.string())), kA380);
}

TEST_F(ModularAircraftTest, EachChangeLeavesAnAccountOfTheFilesTried) {
  const fs::path tree = scratch_ / "Packages";
  installModular(tree, "Community2024", "fbw-a380x");
  writeFile(userCfgPlace("2024 Store"), naming(tree));
  setConnectedSimulator(SimGeneration::k2024);

  struct Case {
    std::string reported;
    std::vector<std::string> parts;  // each must appear in the note
  };
  const std::string common = "FlyByWire_A380X\\common\\config\\flight_model.cfg";
  const Case cases[] = {
      {kA380Preset,
       {"Aircraft \"" + std::string(kA380Preset) + "\"", "flap angles", "1: 0.01", "5: 32", common,
        "(Community2024, MSFS 2024 (Microsoft Store))"}},
      {"SimObjects\\Airplanes\\Absent\\aircraft.CFG",
       {"no file found", "Absent\\aircraft.cfg (as reported): cannot be opened",
        "not in the packages of MSFS 2024 (Microsoft Store) (" + tree.string() + ")"}},
      {"SimObjects\\Airplanes\\..\\X\\aircraft.cfg", {"no package look-up"}},
      {"no-backslash", {"no folder in the reported path"}},
  };
  for (const Case& c : cases) {
    readReported(c.reported);
    const std::string note = windowsStyle(aircraftFilesNote());
    for (const std::string& part : c.parts) EXPECT_NE(note.find(windowsStyle(part)), std::string::npos) << note;
  }
}

TEST_F(ModularAircraftTest, HostileModularTreesAreSurvived) {
  const fs::path tree = scratch_ / "Packages";
  installModular(tree, "Community2024", "fbw-a380x");
  const fs::path presets = tree / "Community2024/fbw-a380x/SimObjects/AirPlanes/FlyByWire_A380X/presets";
  // Thousands of presets, never listed by the look-up.
  for (int i = 0; i < 2000; ++i) fs::create_directories(presets / "bulk" / ("p" + std::to_string(i)) / "config");
  // A preset whose config is a file.
  writeFile(presets / "odd" / "FileConfig" / "config", "[FLAPS.0]\ntype = 1\nflaps-position.1 = 5\n");
  // A link loop between common and a preset, in an aircraft of its own.
  const fs::path loop = tree / "Community2024/loop/SimObjects/Airplanes/Loop";
  fs::create_directories(loop / "presets/m/p");
  writeFile(loop / "presets/m/p/aircraft.cfg", "[FLAPS.0]\ntype = 1\nflaps-position.0 = 0\nflaps-position.1 = 7\n");
  std::error_code noLinks;
  fs::create_directory_symlink(fs::path("presets/m/p"), loop / "common", noLinks);
  if (!noLinks) fs::create_directory_symlink(fs::path("../../../common"), loop / "presets/m/p/config", noLinks);
  // Both simulators' UserCfg.opt name the same folder.
  installClassic(tree, "Community", "c17", "C17", "deltasim-c17");
  writeFile(userCfgPlace("2020 Store"), naming(tree));
  writeFile(userCfgPlace("2024 Steam"), naming(tree));

  EXPECT_EQ(readReported(kA380Classic), kA380);
  EXPECT_EQ(readReported("SimObjects\\AirPlanes\\FlyByWire_A380X\\presets\\bulk\\p1999\\config\\aircraft.cfg"), kA380);
  EXPECT_EQ(readReported("SimObjects\\AirPlanes\\FlyByWire_A380X\\presets\\odd\\FileConfig\\config\\aircraft.cfg"),
            kA380);
  EXPECT_EQ(readReported("SimObjects\\Airplanes\\C17\\aircraft.cfg"), kC17);
  if (!noLinks) {
    // Both ways round, the link leads to the one file inside the package.
    EXPECT_EQ(readReported("SimObjects\\Airplanes\\Loop\\aircraft.cfg"), angles({0, 7}));
    EXPECT_EQ(readReported("SimObjects\\Airplanes\\Loop\\presets\\m\\p\\config\\aircraft.cfg"), angles({0, 7}));
  }
}

TEST(ModularAircraftLayout, PresetFoldersAreSplitFromTheirAircraft) {
  struct Case {
    const char* folder;
    const char* aircraft;
    const char* preset;
  };
  const Case cases[] = {
      {"A\\presets\\maker\\p1\\config", "A", "presets\\maker\\p1\\config"},
      {"D:\\P\\SimObjects\\Airplanes\\A\\PRESETS\\M\\P\\Config", "D:\\P\\SimObjects\\Airplanes\\A",
       "PRESETS\\M\\P\\Config"},
      {"simobjects/airplanes/a/presets/m/p/config", "simobjects/airplanes/a", "presets/m/p/config"},
      {"presets\\m\\p\\config", "presets\\m\\p\\config", ""},
      {"\\presets\\m\\p\\config", "\\presets\\m\\p\\config", ""},
      {"A\\presets\\..\\p\\config", "A\\presets\\..\\p\\config", ""},
      {"A\\presets\\m\\ . \\config", "A\\presets\\m\\ . \\config", ""},
      {"A\\presets\\m\\\\config", "A\\presets\\m\\\\config", ""},
      {"A\\preset\\m\\p\\config", "A\\preset\\m\\p\\config", ""},
      {"A\\presets\\m\\p\\configs", "A\\presets\\m\\p\\configs", ""},
      {"A\\common\\config", "A\\common\\config", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const ModularSplit split = splitPresetFolder(c.folder);
    EXPECT_EQ(split.aircraftFolder, c.aircraft) << c.folder;
    EXPECT_EQ(split.presetFolder, c.preset) << c.folder;
  }
}

TEST(SimInstallations, OpenReplyNamesTheSimulator) {
  struct Case {
    const char* name;
    uint32_t versionMajor;
    SimGeneration expected;
  };
  const Case cases[] = {
      {"KittyHawk", 11, SimGeneration::k2020},     {"kittyhawk", 0, SimGeneration::k2020},
      {"SunRise", 12, SimGeneration::k2024},       {"SUNRISE", 11, SimGeneration::k2024},
      {"Unnamed", 11, SimGeneration::k2020},       {"", 12, SimGeneration::k2024},
      {"KittyHawk2", 10, SimGeneration::kUnknown}, {"Lockheed Martin", 5, SimGeneration::kUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(simulatorOfOpenReply(c.name, c.versionMajor), c.expected) << c.name;
}

TEST(UserCfgText, NextBootLineIsNeverTaken) {
  struct Case {
    const char* text;
    std::optional<std::string> folder;
  };
  const Case cases[] = {
      {"InstalledPackagesPathNextBoot \"N:\\P\"\nInstalledPackagesPath \"C:\\P\"\n", "C:\\P"},
      {"InstalledPackagesPath \"C:\\P\"\nInstalledPackagesPathNextBoot \"N:\\P\"\n", "C:\\P"},
      {"InstalledPackagesPathNextBoot \"N:\\P\"\n", std::nullopt},
      {"InstalledPackagesPathNextBoot\t\"N:\\P\"\r\n  InstalledPackagesPath\t\"C:\\P\"\r\n", "C:\\P"},
  };
  for (const Case& c : cases) EXPECT_EQ(installedPackagesPathFromUserCfg(c.text), c.folder) << c.text;
}

}  // namespace
