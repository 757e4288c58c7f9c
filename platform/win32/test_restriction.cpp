#include "platform/test_restriction.h"

// The socket headers first: windows.h must not bring the old ones.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <cstring>

#include "platform/win32/test_child_program.h"
#include "platform/win32/test_child_restriction.h"

namespace {

bool runningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

const char kStandInLibrary[] = ORVX_NO_NETWORK_IPHLPAPI;

std::string narrowText(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

// The program's copy has a name of its own, so that what Wine is told for it
// leaves the program itself alone.
const wchar_t kCopyName[] = L"orvxlink-without-network.exe";

// Wine's per-program setting: the IP helper library beside the program
// (native) rather than Wine's own.
bool preferLibraryBesideProgram(const std::wstring& programName) {
  const std::wstring path = L"Software\\Wine\\AppDefaults\\" + programName + L"\\DllOverrides";
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const wchar_t native[] = L"native";
  const bool set = RegSetValueExW(key, L"iphlpapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(native), sizeof native) ==
                   ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

}  // namespace

bool testRestrictionAvailable(TestRestriction restriction) {
  switch (restriction) {
    case TestRestriction::kNone:
      return true;
    case TestRestriction::kNoNetworkAddress:
      // Windows itself loads the system's copy whatever lies beside the
      // program (a known library); Wine can be told to prefer the one there.
      return runningUnderWine() && GetFileAttributesW(fullPath(kStandInLibrary).c_str()) != INVALID_FILE_ATTRIBUTES;
    case TestRestriction::kBindDenied:
      return false;
  }
  return false;
}

bool restrictedLaunch(const TestProcessOptions& options, TestProcessOptions* launch, std::string* error) {
  *launch = options;
  if (options.restriction == TestRestriction::kNone) return true;
  if (!testRestrictionAvailable(options.restriction)) {
    *error = "the restriction is not available here";
    return false;
  }
  // A folder of its own beside the working folder's files: the program's
  // copy and the stand-in library.
  const std::wstring base = options.workingFolder.empty() ? fullPath(".") : fullPath(options.workingFolder);
  const std::wstring folder = base + L"\\without-network\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring program = fullPath(options.program);
  const std::wstring copy = folder + kCopyName;
  if (!CopyFileW(program.c_str(), copy.c_str(), FALSE) ||
      !CopyFileW(fullPath(kStandInLibrary).c_str(), (folder + L"iphlpapi.dll").c_str(), FALSE)) {
    *error = "the program cannot be copied beside the stand-in library: error " + std::to_string(GetLastError());
    return false;
  }
  launch->program = narrowText(copy);
  if (!preferLibraryBesideProgram(kCopyName)) {
    *error = "Wine cannot be told to prefer the stand-in library";
    return false;
  }
  return true;
}

TcpSocket holdTcpPortExclusively(uint16_t port) {
  const SOCKET held = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (held == INVALID_SOCKET) return kInvalidTcpSocket;
  BOOL exclusive = TRUE;
  sockaddr_in address;
  std::memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (::setsockopt(held, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                   sizeof exclusive) == SOCKET_ERROR ||
      ::bind(held, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR ||
      ::listen(held, 1) == SOCKET_ERROR) {
    ::closesocket(held);
    return kInvalidTcpSocket;
  }
  return static_cast<TcpSocket>(held);
}
