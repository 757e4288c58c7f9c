#include "platform/test_restriction.h"

// Windows offers a test no per-process network or bind policy to start a
// program under.
bool testRestrictionAvailable(TestRestriction restriction) { return restriction == TestRestriction::kNone; }
