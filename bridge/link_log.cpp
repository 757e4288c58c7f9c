#include "bridge/link_log.h"

#include <cstdio>

#include "log/log.h"
#include "platform/overlapped_io.h"

namespace {

std::string codeText(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

std::string settingsText(const LinkOpenReport& report) {
  if (!report.filesRead.empty()) return report.settings + ", from " + joined(report.filesRead, ", ");
  if (report.filesLookedAt.empty()) return report.settings + " (defaults)";
  return report.settings + " (defaults: no SimConnect.cfg in " + joined(report.filesLookedAt, ", ") + ")";
}

long long secondsBetween(LinkLog::Clock::time_point from, LinkLog::Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::seconds>(to - from).count();
}

}  // namespace

std::string describeOpenFailure(const LinkOpenReport& report, HRESULT result) {
  std::string text;
  for (const LinkAttempt& attempt : report.attempts) {
    if (attempt.failure.empty()) continue;
    text += (text.empty() ? "" : ", then ") + attempt.target + " (" + attempt.failure + ")";
  }
  if (result == kSimConnectInvalidArg) return "the configuration names a section no SimConnect.cfg has";
  return text.empty() ? "the link could not be started (" + codeText(result) + ")" : text;
}

std::string describeLinkFailure(HRESULT result) {
  std::string why;
  switch (static_cast<uint32_t>(result)) {
    case static_cast<uint32_t>(kSimConnectLinkFailed):
      why = "the simulator closed the connection";
      break;
    case iostatus::kPipeBroken:
      why = "the simulator closed the pipe";
      break;
    case iostatus::kRemoteDisconnect:
    case iostatus::kConnectionReset:
      why = "the connection to the simulator was cut";
      break;
    case iostatus::kCancelled:
      why = "the connection was cancelled";
      break;
    default:
      why = "the link failed";
      break;
  }
  return why + " (" + codeText(result) + ")";
}

void LinkLog::noteSettings(const LinkOpenReport& report) {
  std::string settings = settingsText(report);
  if (settings == loggedSettings_) return;
  loggedSettings_ = std::move(settings);
  logMessage("Simulator link settings: %s", loggedSettings_.c_str());
}

void LinkLog::openFailed(const LinkOpenReport& report, const std::string& why, Clock::time_point now) {
  noteSettings(report);
  ++failedAttempts_;
  if (!failing_) {
    failing_ = true;
    streakStart_ = now;
    nextSummary_ = now + kSummaryPeriod;
    attemptsAtSummary_ = failedAttempts_;
    logMessage("Simulator link: cannot connect: %s; trying again until it answers", why.c_str());
    return;
  }
  if (now < nextSummary_) return;
  logMessage("Simulator link: still cannot connect after %lld s (%llu more attempts); the last: %s",
             secondsBetween(streakStart_, now), static_cast<unsigned long long>(failedAttempts_ - attemptsAtSummary_),
             why.c_str());
  attemptsAtSummary_ = failedAttempts_;
  while (nextSummary_ <= now) nextSummary_ += kSummaryPeriod;
}

void LinkLog::opened(const LinkOpenReport& report, Clock::time_point now) {
  noteSettings(report);
  const std::string target = report.attempts.empty() ? std::string("the simulator") : report.attempts.back().target;
  if (failing_) {
    logMessage("Simulator link: connected over %s after %llu failed attempts in %lld s", target.c_str(),
               static_cast<unsigned long long>(failedAttempts_), secondsBetween(streakStart_, now));
  } else {
    logMessage("Simulator link: connected over %s", target.c_str());
  }
  failing_ = false;
  failedAttempts_ = 0;
  quitSeen_ = false;
}

void LinkLog::lost(HRESULT result) {
  const std::string why = quitSeen_ ? "the simulator quit" : describeLinkFailure(result);
  quitSeen_ = false;
  logMessage("Simulator link lost: %s", why.c_str());
}
