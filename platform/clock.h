// Millisecond sleep measured on a steady clock: the call returns no sooner
// than the given time has passed, whatever happens to the wall clock.
// Safe from any thread.
#pragma once

void sleepMilliseconds(unsigned milliseconds);
