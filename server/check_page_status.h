// Takes the snapshot one check-page view shows from the bridge's live state.
// Reads only: a page view changes nothing. Called on the serving thread of
// the browser's connection.
#pragma once

#include <string>

#include "server/check_page.h"

// The state now, for a request from `requestFrom` ("address:port"). Returns
// at once: the records per second travel with each build.
CheckPageStatus takeCheckPageStatus(const std::string& requestFrom);
