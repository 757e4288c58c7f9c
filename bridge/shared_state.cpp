#include "bridge/shared_state.h"

std::atomic<bool> sessionRunning{false};
std::atomic<bool> simConnected{false};
std::atomic<bool> listenerRunning{false};
std::atomic<bool> appPortInUse{false};
std::atomic<int32_t> connectedClientCount{0};

bool aircraftChanged = false;
std::string aircraftFilePath;
