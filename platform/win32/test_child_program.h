// Win32 test support shared by test_process.cpp and test_status_display.cpp:
// starting a child program with a test's options. Used by the test's thread
// that owns the child.
#pragma once

#include <windows.h>

#include <string>

#include "platform/test_process.h"

// The full Windows form of a path, from UTF-8 (under Wine also of a POSIX
// path such as the build folder that ctest names).
std::wstring fullPath(const std::string& path);

// Creates the process. With useStandardHandles its standard input and output
// are the given inheritable handles and its standard error is the test's;
// otherwise it gets none (a windowed program). The caller closes the handles
// in *info. False with the reason in *error.
bool createChildProgram(const TestProcessOptions& options, HANDLE input, HANDLE output, bool useStandardHandles,
                        PROCESS_INFORMATION* info, std::string* error);

// Waits up to the time for the process to end; true with its exit code.
bool waitForChildProgram(HANDLE process, unsigned timeoutMs, int* exitStatus);
