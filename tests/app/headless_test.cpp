// The program without a terminal: no screen, and SIGTERM stops it in order
// with exit status 0, as a service manager expects. POSIX only.
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

}  // namespace
