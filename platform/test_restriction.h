// Test support: a program started under a limit the machine itself could
// impose, so a test can see how the program reports it. POSIX: a network
// namespace of its own (no interface but a loopback that is down), or a
// system-call filter that refuses every bind with "permission denied", as a
// security policy or a reserved port range would. Win32 has neither: both
// are unavailable there. Any thread.
#pragma once

enum class TestRestriction {
  kNone,
  kNoNetworkAddress,  // the program sees no network address at all
  kBindDenied,        // every bind the program makes fails with access denied
};

// True when programs can be started under the restriction here (the system
// allows it to this user); tests skip otherwise.
bool testRestrictionAvailable(TestRestriction restriction);
