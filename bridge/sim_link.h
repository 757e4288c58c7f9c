// The open simulator link. Used only by the session thread and by code that
// runs inside its dispatch call; null while no link is open.
#pragma once

#include "simlink/simconnect.h"

extern HANDLE simLink;
