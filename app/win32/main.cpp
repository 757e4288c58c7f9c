// The program on Windows: a windowed application whose one window is the
// status dialog. The dialog starts the bridge and stops it again when it is
// destroyed; the process ends after that.
#include <windows.h>

#include "app/win32/orvxlink_app.h"

namespace {

COrvxlinkApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  theApp.InitInstance();
  return theApp.exitCode();
}
