// The handler of every message the simulator sends. Runs only on the session
// thread, inside SimConnect_CallDispatch; it drives the per-frame cycle:
// request data on each frame, start the app listener on the first delivery,
// then read the aircraft configuration when due, build the flight-data record
// and relay pending autopilot settings on every later one.
#pragma once

#include <cstdint>

#include "simlink/simconnect.h"

void onSimMessage(SIMCONNECT_RECV* message, DWORD size, void* context);

// The port the app listener binds when the first data block arrives: kAppPort
// unless set otherwise before the bridge starts (tests use a free port).
void setListenerPort(uint16_t port);
