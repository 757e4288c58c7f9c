// The application object: shows the status dialog modally and ends the
// process when the dialog has closed (and, with it, the bridge has stopped).
// One instance, run once by the program's entry on the UI thread.
#pragma once

#include <windows.h>

class COrvxlinkApp {
 public:
  COrvxlinkApp() = default;
  COrvxlinkApp(const COrvxlinkApp&) = delete;
  COrvxlinkApp& operator=(const COrvxlinkApp&) = delete;

  // Runs the status dialog to its end. Returns FALSE: nothing runs after
  // it, and the process ends.
  BOOL InitInstance();

  // The process's exit status once InitInstance has returned: 0 after a
  // normal run, 1 when the dialog could not be shown or the bridge could not
  // start.
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_ = 0;
};
