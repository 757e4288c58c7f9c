// The program on Windows: a windowed application whose one window is the
// status dialog. The dialog starts the bridge and stops it again when it is
// destroyed; the process ends after that. --help and --version show their
// text and end; a wrong command line ends with status 2.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/log_setup.h"
#include "app/win32/orvxlink_app.h"
#include "bridge/aircraft_packages.h"

namespace {

COrvxlinkApp theApp;

const wchar_t kProgramName[] = L"Orvxlink";

// In the ANSI code page: the narrow file functions the arguments (a
// packages folder) are handed to expect it.
std::string narrowText(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

std::wstring wideText(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
  wide.resize(static_cast<size_t>(size - 1));
  return wide;
}

// The arguments after the program's name, split as the C runtime splits
// them.
std::vector<std::string> commandLineArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(narrowText(words[i]));
  LocalFree(words);
  return args;
}

// A windowed program has no console: the text goes to standard output when
// that was redirected (a script, a pipe), else into a message box.
void showText(const std::string& text, bool isError) {
  HANDLE output = GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD written = 0;
  if (output != nullptr && output != INVALID_HANDLE_VALUE &&
      WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return;
  }
  MessageBoxW(nullptr, wideText(text).c_str(), kProgramName, MB_OK | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}

// Acts on the command line; -1 when the program is to run, else its exit
// status.
int handleCommandLine() {
  AppOptions options;
  std::string error;
  const std::vector<std::string> args = commandLineArguments();
  if (!parseCommandLine(args, options, error)) {
    showText("Orvxlink: " + error + "\n(Orvxlink.exe --help shows the usage)\n", true);
    return kAppExitUsage;
  }
  if (options.showHelp || options.showVersion) {
    showText(options.showHelp ? commandLineHelp("Orvxlink.exe") : versionText("Orvxlink"), false);
    return 0;
  }
  setUpLog(options, "Orvxlink", args);
  if (!options.packagesDir.empty()) setAircraftPackagesFolder(options.packagesDir);
  return -1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int status = handleCommandLine();
  if (status >= 0) return status;
  theApp.InitInstance();
  return theApp.exitCode();
}
