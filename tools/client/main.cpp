// orvxlink-client: a command-line app for the Orvxlink bridge.
#include <iostream>
#include <string>
#include <vector>

#include "platform/socket_library.h"
#include "platform/terminal_output.h"
#include "tools/client/client_tool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  startSocketLibrary();
  const int status = runOrvxlinkClient(args, std::cout, std::cerr, enableInPlaceTerminalOutput());
  stopSocketLibrary();
  return status;
}
