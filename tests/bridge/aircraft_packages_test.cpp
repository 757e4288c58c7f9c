// Finding the simulator's aircraft in its packages: package trees built from
// the real aircraft files in a scratch folder, the packages folder from each
// edition's UserCfg.opt or from the override, the reading of UserCfg.opt
// text, and paths and trees that must not be followed.
#include "bridge/aircraft_packages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bridge/aircraft_config.h"
#include "bridge/package_index.h"
#include "bridge/shared_state.h"
#include "bridge/user_cfg.h"
#include "platform/known_folders.h"
#include "platform/test_user_folders.h"
#include "tests/bridge/aircraft_test_support.h"

namespace fs = std::filesystem;

namespace {

// Hand-worked tables of the real files (see aircraft_config_test.cpp).
const FlapDetentTable kHampden = angles({0, 18, 60});
const FlapDetentTable kSarcastic = angles({0, 1, 5, 10, 20, 25, 30});
const FlapDetentTable kSalty = angles({0, 0, 5, 10, 20, 25, 30});
const FlapDetentTable kCj4 = angles({0, 15, 35});
const FlapDetentTable kC17 = angles({0, 8, 16, 24, 32, 40});
const FlapDetentTable kA339 = angles({0, 0.01f, 8, 14, 22, 32});
const FlapDetentTable kB787 = angles({0, 0, 5, 10, 15, 17, 18, 20, 20, 30});
const FlapDetentTable kF18 = angles({0, 30, 40});

fs::path realAircraft(const char* name) {
  const char* source = std::getenv("ORVXLINK_SOURCE_DIR");
  return fs::path(source != nullptr ? source : ".") / "tests" / "data" / "aircraft" / name;
}

// A scratch folder with private user folders, so that the UserCfg.opt places
// are the test's own.
class AircraftPackagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    scratch_ = fs::temp_directory_path() / ("orvxlink-packages-" + std::to_string(stamp));
    fs::create_directories(scratch_);
    ASSERT_TRUE(redirectUserFolders((scratch_ / "user").string()));
    setAircraftPackagesFolder("");
  }
  void TearDown() override {
    setAircraftPackagesFolder("");
    restoreUserFolders();
    aircraftFilePath.clear();
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }

  // Copies the real aircraft `source` into packages/layer/package/objectFolder.
  static fs::path install(const fs::path& packages, const char* layer, const char* package, const char* objectFolder,
                          const char* source) {
    const fs::path folder = packages / layer / package / objectFolder;
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(realAircraft(source)))
      fs::copy_file(entry.path(), folder / entry.path().filename());
    return folder;
  }

  // Reads a known aircraft by its full path first, so that "left as it was"
  // has a value to compare with, then the reported path.
  static FlapDetentTable readReported(const std::string& reportedPath) {
    aircraftFilePath = windowsStyle(realAircraft("hampden-fsx").string()) + "\\aircraft.cfg";
    readAircraftConfig();
    aircraftFilePath = reportedPath;
    readAircraftConfig();
    return flapDetentTable();
  }

  static std::string storeUserCfg() {
    std::string folder;
    localAppDataFolder(folder);
    return folder + "/Packages/Microsoft.FlightSimulator_8wekyb3d8bbwe/LocalCache/UserCfg.opt";
  }
  static std::string steamUserCfg() {
    std::string folder;
    roamingAppDataFolder(folder);
    return folder + "/Microsoft Flight Simulator/UserCfg.opt";
  }
  static std::string namingFolder(const fs::path& packages) {
    return "Version 63\n{Graphics\n\tVersion 1.1.0\n}\nInstalledPackagesPath \"" + packages.string() + "\"\n";
  }

  fs::path scratch_;
};

TEST_F(AircraftPackagesTest, ReportedFolderIsFoundInTheLayersInOrder) {
  const fs::path packages = scratch_ / "Packages";
  const char* airplanes = "SimObjects/Airplanes/";
  // An add-on that replaces only flight_model.cfg of an official aircraft,
  // in a package folder whose name has spaces and parentheses.
  install(packages, "Community", "AP_FIX_747-8 (2)", "SimObjects/Airplanes/Asobo_B747_8i", "sarcastic-b748-apfix");
  install(packages, "Official/OneStore", "asobo-aircraft-b747-8i", "SimObjects/Airplanes/Asobo_B747_8i",
          "salty-b747-8i");
  // Folder names in other cases than the simulator reports, and an add-on
  // that brings only panel files for that aircraft: its folder comes first
  // but holds neither file, so both still come from the official package.
  install(packages, "Official/OneStore", "workingtitle-aircraft-cj4", "simobjects/AIRPLANES/asobo_cj4", "wt-cj4");
  writeFile(packages / "Community/cj4-panel-mod/SimObjects/Airplanes/Asobo_CJ4/panel/panel.cfg", "[VERSION]\n");
  install(packages, "community", "deltasim-c17", "SIMOBJECTS/Airplanes/C17", "deltasim-c17");
  install(packages, "Official/Steam", "heavy-b78xh", "SimObjects/Airplanes/Asobo_B787_10", "heavydiv-b78xh");
  // The same whole aircraft folder in Community and Official: Community wins.
  install(packages, "Official/OneStore", "headwind-a339x", "SimObjects/Airplanes/Headwind_A330neo", "headwind-su95x");
  install(packages, "Community", "headwind-a339x-dev", "SimObjects/Airplanes/Headwind_A330neo", "headwind-a339x");
  // Two packages of one layer: name order without regard to case.
  install(packages, "Community", "b-second", "SimObjects/Airplanes/Twice", "parallelfs-b757");
  install(packages, "Community", "A-first", "SimObjects/Airplanes/Twice", "cbg-f18");
  setAircraftPackagesFolder(packages.string());

  struct Case {
    const char* reported;
    FlapDetentTable expected;
  };
  const Case cases[] = {
      {"SimObjects\\Airplanes\\Asobo_B747_8i\\aircraft.CFG", kSarcastic},
      {"SimObjects\\Airplanes\\ASOBO_B747_8I\\aircraft.CFG", kSarcastic},
      {"SimObjects\\Airplanes\\Asobo_CJ4\\aircraft.cfg", kCj4},
      {"SimObjects\\Airplanes\\c17\\aircraft.CFG", kC17},
      {"SimObjects\\Airplanes\\Asobo_B787_10\\aircraft.CFG", kB787},
      {"SimObjects\\Airplanes\\Headwind_A330neo\\aircraft.CFG", kA339},
      {"SimObjects\\Airplanes\\TWICE\\aircraft.CFG", kF18},
      {"SimObjects\\Airplanes\\Not_Installed\\aircraft.CFG", kHampden},
      {"SimObjects\\Rotorcraft\\Asobo_CJ4\\aircraft.CFG", kHampden},
  };
  for (const Case& c : cases) EXPECT_EQ(readReported(c.reported), c.expected) << c.reported;

  // The index lists every package folder that holds an object folder, best
  // first, so that each file can come from the first that has it.
  const AircraftPackageIndex index = AircraftPackageIndex::build(packages.string());
  const std::vector<std::string> jumbo = index.foldersOf("simobjects\\airplanes\\asobo_b747_8i");
  ASSERT_EQ(jumbo.size(), 2u);
  EXPECT_EQ(index.foldersOf("simobjects\\airplanes\\asobo_cj4").size(), 2u);
  EXPECT_EQ(windowsStyle(jumbo[0]),
            windowsStyle((packages / "Community/AP_FIX_747-8 (2)/SimObjects/Airplanes/Asobo_B747_8i").string()));
  EXPECT_EQ(
      windowsStyle(jumbo[1]),
      windowsStyle((packages / "Official/OneStore/asobo-aircraft-b747-8i" / airplanes / "Asobo_B747_8i").string()));
  EXPECT_EQ(index.folderCount(), 6u);
}

TEST_F(AircraftPackagesTest, NewPackageIsSeenAtTheNextAircraftChange) {
  const fs::path packages = scratch_ / "Packages";
  install(packages, "Official/OneStore", "asobo-aircraft-b747-8i", "SimObjects/Airplanes/Asobo_B747_8i",
          "salty-b747-8i");
  setAircraftPackagesFolder(packages.string());
  const char* reported = "SimObjects\\Airplanes\\Asobo_B747_8i\\aircraft.CFG";
  EXPECT_EQ(readReported(reported), kSalty);
  EXPECT_EQ(readReported(reported), kSalty);

  install(packages, "Community", "ap-fix", "SimObjects/Airplanes/Asobo_B747_8i", "sarcastic-b748-apfix");
  EXPECT_EQ(readReported(reported), kSarcastic) << "the add-on installed meanwhile is not read";

  fs::remove_all(packages / "Community" / "ap-fix");
  EXPECT_EQ(readReported(reported), kSalty) << "the add-on removed meanwhile is still read";
}

TEST_F(AircraftPackagesTest, PackagesFolderComesFromEitherEditionOrTheOverride) {
  // Isolation first: both places are inside the scratch folder.
  for (const std::string& place : {storeUserCfg(), steamUserCfg()})
    ASSERT_EQ(fs::path(place).string().rfind(scratch_.string(), 0), 0u) << place;
  EXPECT_NE(storeUserCfg(), steamUserCfg());

  const fs::path storeTree = scratch_ / "Store Packages (MSFS)";
  const fs::path steamTree = scratch_ / "Steam Packages";
  const fs::path optionTree = scratch_ / "Option Packages";
  install(storeTree, "Official/OneStore", "pkg", "SimObjects/Airplanes/Plane", "wt-cj4");
  install(steamTree, "Official/Steam", "pkg", "SimObjects/Airplanes/Plane", "deltasim-c17");
  install(optionTree, "Community", "pkg", "SimObjects/Airplanes/Plane", "cbg-f18");
  const std::string missing = (scratch_ / "nowhere").string();

  struct Case {
    const char* what;
    std::optional<std::string> store;  // UserCfg.opt text; nothing: no file
    std::optional<std::string> steam;
    std::string option;
    FlapDetentTable expected;
  };
  const std::string unreadable = "<folder>";
  const Case cases[] = {
      {"Store edition", namingFolder(storeTree), std::nullopt, "", kCj4},
      {"Steam edition", std::nullopt, namingFolder(steamTree), "", kC17},
      {"both: the Store edition first", namingFolder(storeTree), namingFolder(steamTree), "", kCj4},
      {"a folder that does not exist is passed over", namingFolder(missing), namingFolder(steamTree), "", kC17},
      {"no such line", "Version 63\n{Graphics\n}\n", namingFolder(steamTree), "", kC17},
      {"an unterminated quote", "InstalledPackagesPath \"" + storeTree.string() + "\n", std::nullopt, "", kHampden},
      {"an unreadable file (a folder in its place)", unreadable, namingFolder(steamTree), "", kC17},
      {"no UserCfg.opt at all", std::nullopt, std::nullopt, "", kHampden},
      {"neither names an existing folder", namingFolder(missing), namingFolder(missing), "", kHampden},
      {"the option wins over UserCfg.opt", namingFolder(storeTree), namingFolder(steamTree), optionTree.string(), kF18},
      {"the option alone", std::nullopt, std::nullopt, optionTree.string(), kF18},
      {"an option naming no folder is not replaced by UserCfg.opt", namingFolder(storeTree), std::nullopt, missing,
       kHampden},
  };
  for (const Case& c : cases) {
    for (const auto& [place, text] :
         {std::make_pair(storeUserCfg(), c.store), std::make_pair(steamUserCfg(), c.steam)}) {
      fs::remove_all(place);
      if (text == unreadable) {
        fs::create_directories(place);
      } else if (text) {
        writeFile(place, *text);
      }
    }
    setAircraftPackagesFolder(c.option);
    EXPECT_EQ(readReported("SimObjects\\Airplanes\\Plane\\aircraft.CFG"), c.expected) << c.what;
  }
}

TEST_F(AircraftPackagesTest, PathsReachingOutsideAPackageAreRefused) {
  struct Case {
    const char* reported;
    std::optional<std::string> key;
  };
  const Case cases[] = {
      {"SimObjects\\Airplanes\\Asobo_C172SP\\aircraft.CFG", "simobjects\\airplanes\\asobo_c172sp"},
      {"SimObjects/Airplanes/X/aircraft.cfg", "simobjects\\airplanes\\x"},
      {"SimObjects\\Airplanes\\X\\", "simobjects\\airplanes\\x"},
      {"Folder\\file.cfg", "folder"},
      {"aircraft.cfg", std::nullopt},
      {"", std::nullopt},
      {"\\SimObjects\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"/SimObjects/Airplanes/X/aircraft.cfg", std::nullopt},
      {"C:\\MSFS\\SimObjects\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"C:SimObjects\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"\\\\server\\share\\SimObjects\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"SimObjects\\Airplanes\\..\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"..\\Official\\SimObjects\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {".\\SimObjects\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"SimObjects\\Airplanes\\X\\..\\aircraft.cfg", std::nullopt},
      {"SimObjects\\...\\X\\aircraft.cfg", std::nullopt},
      {"SimObjects\\.. \\X\\aircraft.cfg", std::nullopt},
      {"SimObjects\\\\Airplanes\\X\\aircraft.cfg", std::nullopt},
      {"SimObjects\\Airplanes\\X.Y\\aircraft.cfg", "simobjects\\airplanes\\x.y"},
  };
  for (const Case& c : cases) EXPECT_EQ(packageFolderKey(c.reported), c.key) << c.reported;

  // Each refused form names an aircraft that is installed, so only the
  // refusal keeps it from being read.
  const fs::path packages = scratch_ / "Packages";
  install(packages, "Official/OneStore", "pkg", "SimObjects/Airplanes/X", "wt-cj4");
  setAircraftPackagesFolder(packages.string());
  EXPECT_EQ(readReported("SimObjects\\Airplanes\\X\\aircraft.cfg"), kCj4);
  for (const char* reported :
       {"SimObjects\\Airplanes\\..\\Airplanes\\X\\aircraft.cfg", "\\SimObjects\\Airplanes\\X\\aircraft.cfg",
        "Q:SimObjects\\Airplanes\\X\\aircraft.cfg", ".\\SimObjects\\Airplanes\\X\\aircraft.cfg"}) {
    EXPECT_EQ(readReported(reported), kHampden) << reported;
  }
}

TEST_F(AircraftPackagesTest, HostileTreesAreSurvived) {
  const fs::path packages = scratch_ / "Packages";
  // Thousands of packages before the one that holds the aircraft.
  fs::create_directories(packages / "Community");
  for (int i = 0; i < 1000; ++i) fs::create_directory(packages / "Community" / ("pkg-" + std::to_string(i)));
  install(packages, "Official/OneStore", "zz-pkg", "SimObjects/Airplanes/Plane", "wt-cj4");
  // Files where folders belong, and a package that holds nothing.
  writeFile(packages / "Community" / "pkg-7" / "SimObjects", "not a folder");
  writeFile(packages / "Community" / "pkg-8" / "SimObjects" / "Airplanes", "not a folder");
  writeFile(packages / "Community" / "layout.json", "{}");
  // Links that loop, and one that leads nowhere; where links cannot be made
  // (some Windows set-ups) the rest still runs.
  std::error_code noLinks;
  fs::create_directory_symlink(packages / "Community", packages / "Community" / "loop", noLinks);
  fs::create_directories(packages / "Community" / "pkg-9" / "SimObjects" / "Airplanes", noLinks);
  fs::create_directory_symlink(packages / "Community" / "pkg-9",
                               packages / "Community" / "pkg-9" / "SimObjects" / "Airplanes" / "Plane", noLinks);
  fs::create_directory_symlink(scratch_ / "gone", packages / "Community" / "dangling", noLinks);
  setAircraftPackagesFolder(packages.string());

  EXPECT_EQ(readReported("SimObjects\\Airplanes\\Plane\\aircraft.CFG"), kCj4);
  EXPECT_EQ(readReported("SimObjects\\Airplanes\\Elsewhere\\aircraft.CFG"), kHampden);
}

TEST(UserCfgText, InstalledPackagesPathLine) {
  struct Case {
    const char* what;
    std::string text;
    std::optional<std::string> folder;
  };
  const std::string realFile =
      "Version 63\r\n{Graphics\r\n\tVersion 1.1.0\r\n\tPreset Custom\r\n}\r\n{Sound\r\n\tAmbientVolume 0.75\r\n}\r\n"
      "InstalledPackagesPath \"C:\\Users\\Pilot\\AppData\\Local\\Packages\\Microsoft.FlightSimulator_8wekyb3d8bbwe"
      "\\LocalCache\\Packages\"\r\n";
  const Case cases[] = {
      {"the simulator's own file", realFile,
       "C:\\Users\\Pilot\\AppData\\Local\\Packages\\Microsoft.FlightSimulator_8wekyb3d8bbwe\\LocalCache\\Packages"},
      {"spaces and parentheses", "InstalledPackagesPath \"D:\\MSFS (2020)\\My Packages\"",
       "D:\\MSFS (2020)\\My Packages"},
      {"any case, leading and trailing blanks", "  \tinstalledpackagespath   \"E:\\P\"  \r\n", "E:\\P"},
      {"without quotes: the rest of the line", "InstalledPackagesPath F:\\Sim Packages \t\r\nNext 1\n",
       "F:\\Sim Packages"},
      {"a quote straight after the name", "InstalledPackagesPath\"G:\\P\"\n", "G:\\P"},
      {"the first line wins", "InstalledPackagesPath \"A\"\nInstalledPackagesPath \"B\"\n", "A"},
      {"no such line", "Version 63\n{Graphics\n}\n", std::nullopt},
      {"empty text", "", std::nullopt},
      {"a longer name", "InstalledPackagesPathOld \"H:\\P\"\n", std::nullopt},
      {"not at the line's start", "# InstalledPackagesPath \"H:\\P\"\n", std::nullopt},
      {"an unterminated quote", "InstalledPackagesPath \"H:\\P\nNext \"x\"\n", std::nullopt},
      {"a malformed first line is not replaced by a later one",
       "InstalledPackagesPath \"H:\\P\nInstalledPackagesPath \"I:\\P\"\n", std::nullopt},
      {"an empty folder", "InstalledPackagesPath \"\"\n", std::nullopt},
      {"the name alone", "InstalledPackagesPath", std::nullopt},
      {"a NUL inside the folder", std::string("InstalledPackagesPath \"J:\\a") + '\0' + "b\"\n", std::nullopt},
      {"a control byte inside the folder",
       "InstalledPackagesPath \"J:\\a\x01"
       "b\"\n",
       std::nullopt},
      {"bytes above 0x7F are kept", "InstalledPackagesPath \"K:\\Fl\xFCge\"\n", "K:\\Fl\xFCge"},
  };
  for (const Case& c : cases) EXPECT_EQ(installedPackagesPathFromUserCfg(c.text), c.folder) << c.what;
}

TEST(UserCfgText, BinaryAndHugeInputIsSurvived) {
  std::mt19937 random(5193);
  for (int round = 0; round < 200; ++round) {
    std::string noise(1 + random() % 4096, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    installedPackagesPathFromUserCfg(noise);  // any result, no crash
    EXPECT_EQ(installedPackagesPathFromUserCfg(noise + "\nInstalledPackagesPath \"Z:\\P\"\n").value_or("Z:\\P"),
              "Z:\\P");
  }
  const std::string longLine(3 << 20, 'x');
  EXPECT_EQ(installedPackagesPathFromUserCfg(longLine + "\nInstalledPackagesPath \"Z:\\P\"\n"), "Z:\\P");
  EXPECT_EQ(installedPackagesPathFromUserCfg("InstalledPackagesPath \"" + longLine + "\""), longLine);
}

TEST(UserCfgFile, OnlyTheFirstMebibyteIsRead) {
  const fs::path file =
      fs::temp_directory_path() /
      ("orvxlink-usercfg-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::string setting = "InstalledPackagesPath \"Z:\\P\"\n";
  writeFile(file, std::string(100 * 1024, 'x') + "\n" + setting);
  EXPECT_EQ(readInstalledPackagesPath(file.string()), "Z:\\P");
  writeFile(file, std::string(2 << 20, 'x') + "\n" + setting);
  EXPECT_EQ(readInstalledPackagesPath(file.string()), std::nullopt);
  fs::remove(file);
  EXPECT_EQ(readInstalledPackagesPath(file.string()), std::nullopt);
}

}  // namespace
