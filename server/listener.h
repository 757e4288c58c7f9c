// The app listener: one IPv4 TCP listening socket on all interfaces, one
// serving thread per accepted app. It runs on the listener thread, which this
// module owns; the session thread starts it on the first simulator data and
// stops it at the end of the session (start and stop from one thread only).
#pragma once

#include <cstdint>

#include "bridge/shared_state.h"

// The listener thread body: binds `port` and accepts until the listening
// socket is closed by stopListener. Whether the port listens, or why it could
// not be opened, goes to the log and to appPortState for the status display.
// It joins serving threads that have ended as it goes; then joins the rest, in start order. Failed accepts are retried
// after a short pause. Requires: run by startListenerThread.
void runListener(uint16_t port);

// Discards an ended earlier listener thread, marks the app port not open yet,
// sets listenerRunning and starts the listener thread. False (listenerRunning cleared again, nothing logged)
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

// Told about each serving thread the drain has joined, with its app's port,
// in the order of joining; called on the listener thread. None unless set.
// Set it while no listener runs.
using ServingThreadJoinedObserver = void (*)(uint16_t peerPort);
void observeServingThreadJoins(ServingThreadJoinedObserver observer);
