#include "app/log_setup.h"

#include "log/log.h"
#include "orvxlink_version.h"

std::string logStartText(const std::string& programName, const std::vector<std::string>& args) {
  std::string text = programName + " " + ORVXLINK_VERSION + " started with";
  if (args.empty()) return text + " no options";
  for (const std::string& arg : args) {
    text += arg.find(' ') == std::string::npos ? " " + arg : " \"" + arg + "\"";
  }
  return text;
}

void setUpLog(const AppOptions& options, const std::string& programName, const std::vector<std::string>& args) {
  if (options.log) logEnabled.store(true);
  setLogFileRequest(options.logFile);
  setLogStartText(logStartText(programName, args));
}
