#include "platform/test_status_display.h"

#include <windows.h>

#include "platform/win32/test_child_program.h"

struct StatusDisplay {
  PROCESS_INFORMATION info{};
  HWND dialog = nullptr;
  std::string firstView;
  bool firstViewRead = false;
  ULONGLONG firstViewAgeMs = 0;  // how long after the program's start it was read
};

namespace {

constexpr int kStatusControlId = 1000;
constexpr int kAddressControlId = 1001;
constexpr int kLastAppControlId = 1002;
constexpr int kLogPlaceControlId = 1003;
constexpr unsigned kMessageTimeoutMs = 2000;

struct DialogSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK checkWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (processId != search->processId || lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND findDialog(DWORD processId) {
  DialogSearch search{processId, nullptr};
  EnumWindows(checkWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string narrowText(const wchar_t* text, int length) {
  if (length <= 0) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, &narrow[0], size, nullptr, nullptr);
  return narrow;
}

// The control that has the keyboard focus in the dialog's thread, or the
// default button when none of the dialog's own has it.
HWND focusedControl(const StatusDisplay* display) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(display->info.dwThreadId, &thread) && thread.hwndFocus != nullptr &&
      IsChild(display->dialog, thread.hwndFocus)) {
    return thread.hwndFocus;
  }
  return GetDlgItem(display->dialog, IDOK);
}

// Copies the 32-bit top-down pixels into the picture's RGB rows.
void takePixels(const uint8_t* bgra, int width, int height, StatusImage* image) {
  image->width = width;
  image->height = height;
  image->rgb.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    image->rgb[i * 3] = bgra[i * 4 + 2];
    image->rgb[i * 3 + 1] = bgra[i * 4 + 1];
    image->rgb[i * 3 + 2] = bgra[i * 4];
  }
}

// Copies the window's area of the screen, which shows the dialog as drawn,
// whichever process drew it.
bool copyFromScreen(HWND window, StatusImage* image) {
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
  bool copied = false;
  if (bitmap != nullptr) {
    HGDIOBJ earlier = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != FALSE;
    GdiFlush();
    if (copied) takePixels(static_cast<const uint8_t*>(pixels), width, height, image);
    SelectObject(memory, earlier);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied;
}

// Under Wine on an X server without a window manager (the tests' Xvfb),
// Wine waits up to 2 s for a manager that never answers each time a window
// is shown or hidden. Unmanaged windows, which Wine frames itself, need no
// such wait. The setting lives in the Wine prefix; Windows has no such key
// and is left alone.
void unmanageWindowsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return;
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const wchar_t no[] = L"N";
  RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
  RegCloseKey(key);
}

bool readControl(HWND dialog, int controlId, std::string* text) {
  HWND status = GetDlgItem(dialog, controlId);
  if (status == nullptr) return false;
  wchar_t buffer[512];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(status, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &length)) {
    return false;
  }
  *text = narrowText(buffer, static_cast<int>(length));
  return true;
}

ULONGLONG fileTimeMs(const FILETIME& time) {
  return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

// Milliseconds since the process was created.
ULONGLONG processAgeMs(HANDLE process) {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return ~0ull;
  GetSystemTimeAsFileTime(&now);
  return fileTimeMs(now) - fileTimeMs(created);
}

}  // namespace

StatusDisplay* openStatusDisplay(const TestProcessOptions& program, unsigned timeoutMs, std::string* error) {
  unmanageWindowsUnderWine();
  auto* display = new StatusDisplay;
  if (!createChildProgram(program, nullptr, nullptr, false, &display->info, error)) {
    delete display;
    return nullptr;
  }
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while ((display->dialog = findDialog(display->info.dwProcessId)) == nullptr) {
    if (GetTickCount64() >= deadline || WaitForSingleObject(display->info.hProcess, 5) == WAIT_OBJECT_0) {
      *error = "the status dialog never appeared";
      closeStatusDisplay(display);
      return nullptr;
    }
  }
  // The age is taken after the read, so a young enough age proves that the
  // read came before the first refresh.
  display->firstViewRead = readControl(display->dialog, kStatusControlId, &display->firstView);
  display->firstViewAgeMs = processAgeMs(display->info.hProcess);
  return display;
}

bool firstStatusView(StatusDisplay* display, std::string* text, unsigned refreshPeriodMs, unsigned) {
  *text = display->firstView;
  return display->firstViewRead && display->firstViewAgeMs < refreshPeriodMs;
}

bool nextStatusView(StatusDisplay* display, std::string* text, unsigned) {
  return readControl(display->dialog, kStatusControlId, text);
}

bool statusLineView(StatusDisplay* display, StatusLine line, std::string* text, unsigned) {
  const int control = line == StatusLine::kAddress   ? kAddressControlId
                      : line == StatusLine::kLastApp ? kLastAppControlId
                                                     : kLogPlaceControlId;
  return readControl(display->dialog, control, text);
}

bool makeExitGesture(StatusDisplay* display, ExitGesture gesture) {
  switch (gesture) {
    case ExitGesture::kExitButton:
      return PostMessageW(display->dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(display->dialog, IDOK))) != FALSE;
    case ExitGesture::kEscapeKey:
      // The dialog's message loop turns Escape on any of its controls into
      // its Cancel command.
      return PostMessageW(focusedControl(display), WM_KEYDOWN, VK_ESCAPE, 1) != FALSE;
    case ExitGesture::kCloseBox:
      return PostMessageW(display->dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
  }
  return false;
}

bool waitStatusDisplayExit(StatusDisplay* display, unsigned timeoutMs, int* exitStatus) {
  return waitForChildProgram(display->info.hProcess, timeoutMs, exitStatus);
}

bool statusViewsAreFrames() { return false; }

bool readStatusWindowStyles(StatusDisplay* display, StatusWindowStyles* styles) {
  const HWND exitButton = GetDlgItem(display->dialog, IDOK);
  const HWND status = GetDlgItem(display->dialog, kStatusControlId);
  if (exitButton == nullptr || status == nullptr) return false;
  styles->dialog = static_cast<uint32_t>(GetWindowLongW(display->dialog, GWL_STYLE));
  styles->dialogExtended = static_cast<uint32_t>(GetWindowLongW(display->dialog, GWL_EXSTYLE));
  styles->exitButton = static_cast<uint32_t>(GetWindowLongW(exitButton, GWL_STYLE));
  styles->statusControl = static_cast<uint32_t>(GetWindowLongW(status, GWL_STYLE));
  return true;
}

bool captureStatusImage(StatusDisplay* display, StatusImage* image) { return copyFromScreen(display->dialog, image); }

void closeStatusDisplay(StatusDisplay* display) {
  if (display == nullptr) return;
  if (WaitForSingleObject(display->info.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(display->info.hProcess, 1);
    WaitForSingleObject(display->info.hProcess, 10000);
  }
  CloseHandle(display->info.hThread);
  CloseHandle(display->info.hProcess);
  delete display;
}
