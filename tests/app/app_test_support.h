// Test support for the program's tests: where the built programs are, a
// scratch folder for a run, and the options that start the program in it
// cut off from the machine's own simulator settings. Used by one test thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/test_process.h"

// A fresh, uniquely named folder under the system's temporary folder,
// removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The program the tests start: the one built beside them, or the one that
// ORVXLINK_PROGRAM names (the release check runs them on the packed one).
std::string programUnderTest();

// The program with the arguments, started in the folder. Its settings
// folders (the POSIX stand-ins for the documents folders, the registry and
// the pipes' folder) all point there, so it meets only the simulator a test
// starts.
TestProcessOptions programInFolder(const ScratchFolder& folder, const std::vector<std::string>& arguments = {});

// The simulator emulator on a free loopback TCP port, no named pipe.
TestProcessOptions simulatorEmulator();

// Writes the SimConnect.cfg that sends the program to 127.0.0.1:port.
void writeSimulatorConfig(const ScratchFolder& folder, int port);

// The port in the emulator's "listening on ... tcp 127.0.0.1:PORT..." line;
// 0 when the line names none.
int listeningPort(const std::string& line);

// Waits up to the time for a line of the process's output that contains the
// text; the line, or empty.
std::string waitForLine(TestProcess* process, const std::string& text, unsigned timeoutMs);
