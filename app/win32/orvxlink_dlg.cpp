#include "app/win32/orvxlink_dlg.h"

#include <exception>
#include <string>

#include "app/detail_lines.h"
#include "app/status_text.h"
#include "app/win32/resource.h"
#include "bridge/bridge.h"
#include "bridge/shared_state.h"

namespace {

constexpr UINT_PTR kStatusTimer = 0;
constexpr UINT kStatusPeriodMs = 500;

// The lines are UTF-8 (the system's error texts come so); a text that is not
// (a path in the ANSI code page) is taken in that code page.
std::wstring wideText(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  UINT codePage = CP_UTF8;
  int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (size <= 0) {
    codePage = CP_ACP;
    size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  }
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], size);
  return wide;
}

}  // namespace

COrvxlinkDlg::COrvxlinkDlg(HINSTANCE instance)
    : instance_(instance),
      m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      // The same icon at the small size, so the caption shows the image drawn
      // for 16 pixels rather than a shrunken large one.
      smallIcon_(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR | LR_SHARED))) {
  if (smallIcon_ == nullptr) smallIcon_ = m_hIcon;
}

INT_PTR COrvxlinkDlg::DoModal() {
  return DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_ORVXLINK_DIALOG), nullptr, dialogProcedure,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK COrvxlinkDlg::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<COrvxlinkDlg*>(lParam)->window_ = window;
  }
  auto* dialog = reinterpret_cast<COrvxlinkDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;  // messages before WM_INITDIALOG get the default handling
  return dialog->handleMessage(message, wParam, lParam);
}

INT_PTR COrvxlinkDlg::handleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_DESTROY:
      OnDestroy();
      return FALSE;  // the default handling still frees the dialog's own resources
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_TIMER:
      OnTimer();
      return TRUE;
    case WM_COMMAND:
      // "Exit" (IDOK) and Escape (IDCANCEL) end the modal loop alike.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window_, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(window_, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL COrvxlinkDlg::OnInitDialog() {
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  reportReadiness();  // at once: the user may be typing the address into the tablet before the first refresh
  timerId_ = SetTimer(window_, kStatusTimer, kStatusPeriodMs, nullptr);
  try {
    startBridge();
  } catch (const std::exception& error) {
    // Without its session thread the bridge cannot run: say so and end; the
    // destruction still stops what did start.
    const std::wstring text = L"Orvxlink cannot start: " + wideText(error.what());
    MessageBoxW(window_, text.c_str(), L"Orvxlink", MB_OK | MB_ICONERROR);
    EndDialog(window_, kStartFailed);
  }
  return TRUE;  // the focus goes to the default button
}

void COrvxlinkDlg::OnDestroy() { stopBridge(); }

bool COrvxlinkDlg::OnPaint() {
  if (!IsIconic(window_)) return false;
  PAINTSTRUCT paint;
  HDC deviceContext = BeginPaint(window_, &paint);
  SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(deviceContext), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(window_, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(deviceContext, x, y, m_hIcon);
  EndPaint(window_, &paint);
  return true;
}

void COrvxlinkDlg::reportStatus() {
  const std::string text = statusText(connectedClientCount.load(), simConnected.load());
  SetDlgItemTextW(window_, IDC_STATUS, wideText(text).c_str());
  reportReadiness();
}

void COrvxlinkDlg::reportReadiness() {
  SetDlgItemTextW(window_, IDC_ADDRESSES, wideText(addressLine_.refresh(appPortState())).c_str());
  SetDlgItemTextW(window_, IDC_LAST_APP, wideText(lastAppLine()).c_str());
  SetDlgItemTextW(window_, IDC_LOG_PLACE, wideText(logPlaceLine()).c_str());
}
