// Takes the snapshot one check-page view shows from the bridge's live state.
// Reads only: a page view changes nothing. Called on the serving thread of
// the browser's connection.
#pragma once

#include <chrono>
#include <string>

#include "server/check_page.h"

// How long a page view watches the build counter to tell records per second:
// up to this long for one build, then for a few more builds, no longer than
// this again (at 60 records a second the whole look takes about 85 ms). A
// simulator that builds none in that time shows 0.
constexpr std::chrono::milliseconds kRecordRateWindow{200};
constexpr int kRecordRateBuilds = 4;

// The state now, for a request from `requestFrom` ("address:port"). Takes up
// to twice `rateWindow`, less when the bridge's connections are released.
CheckPageStatus takeCheckPageStatus(const std::string& requestFrom,
                                    std::chrono::milliseconds rateWindow = kRecordRateWindow);

// Records per second, measured from one build to the kRecordRateBuilds-th
// after it, or to the last one that came within `window` after it.
double measureRecordsPerSecond(std::chrono::milliseconds window);
