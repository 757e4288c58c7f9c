// The program on Windows: a windowed application whose one window is the
// status dialog. The dialog starts the bridge and stops it again when it is
// destroyed; the process ends after that.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/win32/orvxlink_app.h"
#include "bridge/aircraft_packages.h"

namespace {

COrvxlinkApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // --packages DIR: the simulator's packages folder, when its UserCfg.opt
  // does not name it (a simulator on another PC, a moved packages folder).
  for (int i = 1; i + 1 < __argc; ++i)
    if (std::string(__argv[i]) == "--packages") setAircraftPackagesFolder(__argv[i + 1]);
  theApp.InitInstance();
  return theApp.exitCode();
}
