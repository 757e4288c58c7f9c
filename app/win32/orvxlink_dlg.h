// The status dialog (template 102): shows every 500 ms how many apps are
// connected and whether the simulator link is up; below it whether and where
// apps connect, the last app that connected and where the log goes; and an
// "Exit" button. It starts the bridge when it is initialised and stops it
// when it is destroyed. Created on the stack of the application's start-up; everything
// here runs on the UI thread.
#pragma once

#include <windows.h>

#include "app/address_line.h"

class COrvxlinkDlg {
 public:
  // The modal result when the bridge could not be started.
  static constexpr INT_PTR kStartFailed = 0x5F;

  // Loads the application icon (resource 128).
  explicit COrvxlinkDlg(HINSTANCE instance);
  COrvxlinkDlg(const COrvxlinkDlg&) = delete;
  COrvxlinkDlg& operator=(const COrvxlinkDlg&) = delete;

  // Shows the dialog and runs its modal loop until "Exit", Escape or the
  // close box ends it. Returns the button's id (IDOK, IDCANCEL),
  // kStartFailed, or -1 when the dialog could not be created. The bridge has
  // been stopped when this returns.
  INT_PTR DoModal();

 private:
  static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  BOOL OnInitDialog();
  void OnDestroy();
  bool OnPaint();  // true when it painted (minimised), false for the default painting
  HICON OnQueryDragIcon() const { return m_hIcon; }
  void OnTimer() { reportStatus(); }
  void reportStatus();
  void reportReadiness();  // the address line, the last app and the log place

  HINSTANCE instance_;
  HICON m_hIcon;
  HICON smallIcon_;
  HWND window_ = nullptr;
  UINT_PTR timerId_ = 0;  // kept, as SetTimer returned it; the timer ends with the window
  AddressLine addressLine_;
};
