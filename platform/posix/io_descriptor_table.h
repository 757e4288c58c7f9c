// POSIX backend only: the completion layer's table of transport descriptors.
// The connect functions hand their connected descriptor over here and get the
// IoHandle that the rest of the program uses; the table owns the descriptor
// from then on and closes it in closeSocketHandle / closePipeHandle.
// Safe from any thread.
#pragma once

#include "platform/overlapped_io.h"

// Takes ownership of a connected stream descriptor. kInvalidIoHandle (and the
// descriptor closed) when the completion layer cannot be started.
IoHandle registerIoDescriptor(int descriptor, TransportKind kind);
