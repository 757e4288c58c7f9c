// Test support: a program started by a test, its standard input and output
// connected to pipes so that the test can read what it prints and type to it.
// Each object is used by one thread at a time; the caller closes what it
// starts, which ends the program if it still runs.
#pragma once

#include <string>
#include <vector>

#include "platform/test_restriction.h"

// Where the program's standard output goes.
enum class TestProcessOutput {
  kPipe,        // a pipe the test reads (readTestProcessLine)
  kReaderGone,  // a pipe nobody reads any more, as in "program | true"; POSIX only
  kClosed,      // no standard output at all; POSIX only
};

struct TestProcessOptions {
  std::string program;                   // the executable's path
  std::vector<std::string> arguments;    // after the program's name
  std::string workingFolder;             // empty: the test's own
  std::vector<std::string> environment;  // "NAME=value" entries added to the test's environment
  TestProcessOutput output = TestProcessOutput::kPipe;
  TestRestriction restriction = TestRestriction::kNone;  // see testRestrictionAvailable
};

struct TestProcess;

// Starts the program. Null on failure, with the reason in *error.
TestProcess* startTestProcess(const TestProcessOptions& options, std::string* error);

// Waits up to the time for one whole line of the program's output and stores
// it without its line end. False on time-out or when the output has ended.
bool readTestProcessLine(TestProcess* process, std::string* line, unsigned timeoutMs);

// Writes the text to the program's standard input. False on failure.
bool writeTestProcessInput(TestProcess* process, const std::string& text);

// Asks the program to stop as a service manager would: SIGTERM on POSIX.
// Win32 has no such request for a program without a console: false.
bool requestTestProcessStop(TestProcess* process);

// Waits up to the time for the program to end; true with its exit status.
bool waitTestProcessExit(TestProcess* process, unsigned timeoutMs, int* exitStatus);

// Ends the program if it still runs, waits for it and frees everything.
void closeTestProcess(TestProcess* process);
