#include "tests/app/app_test_support.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::random_device random;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() / ("orvxlink-app-" + std::to_string(random()) + "-" + std::to_string(stamp));
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string programUnderTest() {
  const char* other = std::getenv("ORVXLINK_PROGRAM");
  return other != nullptr && other[0] != '\0' ? other : ORVX_PROGRAM;
}

TestProcessOptions programInFolder(const ScratchFolder& folder, const std::vector<std::string>& arguments) {
  TestProcessOptions options;
  options.program = programUnderTest();
  options.arguments = arguments;
  options.workingFolder = folder.path().string();
  const std::string here = folder.path().string();
  options.environment = {"XDG_RUNTIME_DIR=" + here, "XDG_CONFIG_HOME=" + here, "XDG_CONFIG_DIRS=" + here,
                         "XDG_DOCUMENTS_DIR=" + here};
  return options;
}

TestProcessOptions simulatorEmulator() {
  TestProcessOptions options;
  options.program = ORVX_SIM_PROGRAM;
  options.arguments = {"--port", "0", "--no-pipe"};
  return options;
}

void writeSimulatorConfig(const ScratchFolder& folder, int port) {
  std::ofstream config(folder.path() / "SimConnect.cfg");
  config << "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << port << "\n";
}

int listeningPort(const std::string& line) {
  const std::string marker = "tcp 127.0.0.1:";
  const size_t at = line.find(marker);
  return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + marker.size());
}

std::string waitForLine(TestProcess* process, const std::string& text, unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  while (std::chrono::steady_clock::now() < deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!readTestProcessLine(process, &line, static_cast<unsigned>(left.count()))) break;
    if (line.find(text) != std::string::npos) return line;
  }
  return std::string();
}
