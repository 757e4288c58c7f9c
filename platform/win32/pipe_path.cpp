#include "platform/pipe_path.h"

std::string localPipeEndpoint(const std::string& pipePath) { return pipePath; }
