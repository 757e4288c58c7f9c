// Where the program's log goes, as the user starts it: --log into the working
// folder, --log=FILE where it says, and, when that place cannot be written
// (a program the simulator starts may run in a folder it cannot write), the
// user's own state folder, the first line saying where and why. POSIX only
// (the program runs headless there).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/test_process.h"
#include "tests/app/app_test_support.h"

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line.size() > 27 ? line.substr(27) : line;  // without the time stamp and "-->"
}

TEST(LogPlace, TheLogIsWhereItCanBeWrittenAndItsFirstLineSaysWhere) {
  struct Case {
    const char* name;
    std::string argument;
    std::string blockedFolder;  // made where the log file should be; empty for none
    std::string expectedFile;   // relative to the scratch folder
    bool fallback;
  };
  const Case cases[] = {
      {"working folder", "--log", "", "Orvxlink.log", false},
      {"working folder not writable", "--log", "Orvxlink.log", "state/orvxlink/Orvxlink.log", true},
      {"named file", "--log=logs.txt", "", "logs.txt", false},
      {"named file in a missing folder", "--log=missing/run.log", "", "state/orvxlink/run.log", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    if (!c.blockedFolder.empty()) fs::create_directory(folder.path() / c.blockedFolder);
    TestProcessOptions options = programInFolder(folder, {c.argument});
    options.environment.push_back("XDG_STATE_HOME=" + (folder.path() / "state").string());
    std::string error;
    TestProcess* program = startTestProcess(options, &error);
    ASSERT_NE(program, nullptr) << error;
    const std::string echoed = waitForLine(program, "; log file ", 30000);
    ASSERT_TRUE(requestTestProcessStop(program));
    int status = -1;
    EXPECT_TRUE(waitTestProcessExit(program, 5000, &status)) << "the program did not end";
    closeTestProcess(program);

    const fs::path expected = folder.path() / c.expectedFile;
    ASSERT_TRUE(fs::is_regular_file(expected)) << "no log at " << expected;
    const std::string line = firstLine(expected);
    EXPECT_EQ(line, echoed);
    EXPECT_EQ(line.rfind("orvxlink ", 0), 0u) << line;
    EXPECT_NE(line.find(" started with " + c.argument + "; working folder " + folder.path().string()),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("; log file " + expected.string()), std::string::npos) << line;
    EXPECT_EQ(line.find(", since ") != std::string::npos, c.fallback) << line;
  }
}

}  // namespace
