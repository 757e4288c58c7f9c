// The app listener: one IPv4 TCP listening socket on all interfaces, one
// serving thread per accepted app. It runs on the listener thread, which this
// module owns; the session thread starts it on the first simulator data and
// stops it at the end of the session (start and stop from one thread only).
#pragma once

#include <cstdint>
#include <vector>

#include "bridge/shared_state.h"

// The listener thread body: binds `port` and accepts until the listening
// socket is closed by stopListener, joining serving threads that have ended
// as it goes; then joins the rest, in start order. Failed accepts are retried
// after a short pause. Requires: run by startListenerThread.
void runListener(uint16_t port);

// Discards an ended earlier listener thread, sets listenerRunning and starts
// the listener thread. False (listenerRunning cleared again, nothing logged)
// when the thread cannot be created. Requires: listenerRunning clear, so an
// earlier listener has either been stopped or never started.
bool startListenerThread(uint16_t port = kAppPort);

// The stop path at the end of the bridge session. Only while listenerRunning
// is set and a listener thread exists: clears listenerRunning, shuts down and
// closes the listening socket, releases serving threads that wait for their
// apps, joins the listener thread (which joins the serving threads) and
// releases it. Returns within about a second, whatever the apps do.
void stopListener();

// The port the listening socket is bound to once it listens; 0 before that.
// Lets tests start a listener on port 0.
uint16_t listenerBoundPort();

// Test hook: the peer ports of the serving threads the last drain joined, in
// the order it joined them.
std::vector<uint16_t> drainedPeerPortsForTest();
