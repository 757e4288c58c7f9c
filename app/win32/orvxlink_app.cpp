#include "app/win32/orvxlink_app.h"

#include "app/win32/orvxlink_dlg.h"

BOOL COrvxlinkApp::InitInstance() {
  COrvxlinkDlg dialog(GetModuleHandleW(nullptr));
  const INT_PTR result = dialog.DoModal();
  exitCode_ = (result == -1 || result == COrvxlinkDlg::kStartFailed) ? 1 : 0;
  return FALSE;
}
