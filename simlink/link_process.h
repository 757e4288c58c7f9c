// Process-wide state of the link library: how many CClient objects exist,
// how many links are open (created and not yet closed), the connection serial
// counter, and whether the library started the socket library. The counters
// are atomic; the socket flag belongs to the thread that opens and closes
// links (the bridge's session thread), as the open and close calls do.
#pragma once

#include <cstdint>

// The next connection serial: the counter plus one, where 0xFFFFFFFF is
// followed by 1, so 0 always means "no connection".
uint32_t nextConnectionSerial();

void noteClientObjectCreated();
void noteClientObjectDestroyed();
int32_t liveClientObjectCount();

void noteLinkCreated();
// True when the link closed was the last open one.
bool noteLinkClosed();
int32_t openLinkCount();

// Starts the socket library for links once; true when it is ready.
bool ensureLinkSocketsStarted();
// Cleans the socket library up if the library started it.
void cleanUpLinkSocketsIfStarted();
bool linkSocketsStarted();
