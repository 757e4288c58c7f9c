// Sends what the pending autopilot settings ask for to the simulator, once
// per accepted data delivery, and empties the pending record. Session thread
// only (inside the dispatch call).
#pragma once

#include <cstdint>

void relayAutopilotSettings(const uint8_t* block);
