#include "platform/clock.h"

#include <windows.h>

void sleepMilliseconds(unsigned milliseconds) {
  // Sleep() may wake a little early on a coarse timer; check a steady clock.
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    Sleep(static_cast<DWORD>(deadline - now));
  }
}
