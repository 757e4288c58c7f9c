// The program without a terminal: no screen, and SIGTERM stops it in order
// with exit status 0, as a service manager expects, wherever its standard
// output goes. POSIX only.
#include <gtest/gtest.h>

#include "platform/test_process.h"
#include "tests/app/app_test_support.h"

namespace {

TEST(HeadlessProgram, StopsInOrderOnSigtermWithStatusZero) {
  ScratchFolder folder;
  std::string error;
  TestProcess* program = startTestProcess(programInFolder(folder), &error);
  ASSERT_NE(program, nullptr) << error;
  ASSERT_NE(waitForLine(program, "running", 30000), "") << "the program never said it runs";
  ASSERT_TRUE(requestTestProcessStop(program));
  int status = -1;
  EXPECT_TRUE(waitTestProcessExit(program, 1500, &status)) << "the program did not end";
  EXPECT_EQ(status, 0);
  closeTestProcess(program);
}

struct OutputCase {
  const char* name;
  TestProcessOutput output;
};

class HeadlessProgramOutput : public ::testing::TestWithParam<OutputCase> {};

// "orvxlink | true", or started with its output closed: the program's own
// writes fail quietly, it runs on, and it still stops in order.
TEST_P(HeadlessProgramOutput, NobodyReadingTheOutputMakesNothingFail) {
  ScratchFolder folder;
  TestProcessOptions options = programInFolder(folder);
  options.output = GetParam().output;
  std::string error;
  TestProcess* program = startTestProcess(options, &error);
  ASSERT_NE(program, nullptr) << error;
  int status = -1;
  // It writes its first line at once; a write that killed it would end it
  // well within this time.
  EXPECT_FALSE(waitTestProcessExit(program, 2000, &status)) << "the program ended by itself with status " << status;
  ASSERT_TRUE(requestTestProcessStop(program));
  EXPECT_TRUE(waitTestProcessExit(program, 1500, &status)) << "the program did not end";
  EXPECT_EQ(status, 0);
  closeTestProcess(program);
}

INSTANTIATE_TEST_SUITE_P(Headless, HeadlessProgramOutput,
                         ::testing::Values(OutputCase{"ReaderGone", TestProcessOutput::kReaderGone},
                                           OutputCase{"Closed", TestProcessOutput::kClosed}),
                         [](const ::testing::TestParamInfo<OutputCase>& info) { return std::string(info.param.name); });

}  // namespace
