// Where a local pipe lives on POSIX: a Unix-domain socket in the per-user
// runtime folder, named after the pipe with every character outside
// [A-Za-z0-9._-] replaced, so that programs that know only the pipe's name
// meet there. Pipes of another machine have no place.
#include "platform/pipe_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(PipePathTest, PipeNamesMapToSocketFilesInTheRuntimeFolder) {
  struct Case {
    const char* pipe;
    const char* endpoint;
  };
  const Case cases[] = {
      {"\\\\.\\pipe\\Microsoft Flight Simulator\\SimConnect",
       "runtime-folder/orvxlink-pipe-Microsoft_Flight_Simulator_SimConnect"},
      {"\\\\.\\pipe\\orvx.Sim-1_a", "runtime-folder/orvxlink-pipe-orvx.Sim-1_a"},
      {"\\\\.\\pipe\\a/b:c~", "runtime-folder/orvxlink-pipe-a_b_c_"},
      {"\\\\sim-pc\\pipe\\SimConnect", ""},
      {"\\\\.\\pipe\\", ""},
  };
  const char* previous = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("XDG_RUNTIME_DIR", "runtime-folder", 1);
  for (const Case& c : cases) EXPECT_EQ(localPipeEndpoint(c.pipe), c.endpoint) << c.pipe;
  if (previous != nullptr) {
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace
