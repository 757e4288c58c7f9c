// Win32 test support: the launch that puts a program under a test
// restriction (see platform/test_restriction.h), for test_child_program.cpp.
// Used by the test's thread that starts the program.
#pragma once

#include <string>

#include "platform/test_process.h"

// The options to start instead: the same when there is no restriction. False
// with the reason when the restriction is not available here or cannot be
// prepared.
bool restrictedLaunch(const TestProcessOptions& options, TestProcessOptions* launch, std::string* error);
