// A stand-in for the platform's notification event, linked into the
// notification tests in place of the real one (it defines every function of
// platform/notify_event.h). Its signal can be held at a gate, so that a test
// keeps a notification in flight inside an I/O thread while the application
// closes the link; and it counts signals that reach an event after the
// application closed it. Any thread.
#pragma once

#include <cstdint>

namespace gated_notify {

// The next signal of any event waits at the gate until it is released.
void holdNextSignal();
// Waits, with a deadline, until a signal waits at the gate.
bool signalHeld(uint32_t timeoutMilliseconds);
// True while a signal waits at the gate.
bool signalStillHeld();
// Lets the waiting (or next) signal go on.
void releaseSignal();
// Signals given to an event after closeNotifyEvent.
uint32_t signalsAfterClose();

}  // namespace gated_notify
