// The simulator link's story in the log, one line per event and never one
// per retry: the settings each time what was read from SimConnect.cfg
// changes, the first failed open of a streak with its targets and the
// system's reasons, a summary once a minute while the streak lasts, the
// open that ends it, and the link lost with the reason. Used only by the
// session thread, which owns its one LinkLog.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "simlink/open_report.h"
#include "simlink/simconnect.h"

class LinkLog {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kSummaryPeriod{60};

  // An open that failed at `now`, or a link whose set-up failed: its report
  // and why (describeOpenFailure for a failed open).
  void openFailed(const LinkOpenReport& report, const std::string& why, Clock::time_point now);
  // A link opened and set up at `now`.
  void opened(const LinkOpenReport& report, Clock::time_point now);
  // The simulator said it is quitting; the coming link failure is why.
  void simulatorQuit() { quitSeen_ = true; }
  // The open link failed with the dispatch call's result.
  void lost(HRESULT result);

 private:
  void noteSettings(const LinkOpenReport& report);

  std::string loggedSettings_;
  bool failing_ = false;
  bool quitSeen_ = false;
  uint64_t failedAttempts_ = 0;
  uint64_t attemptsAtSummary_ = 0;
  Clock::time_point streakStart_;
  Clock::time_point nextSummary_;
};

// What each attempt of an open reached for and why it failed, as one text:
// "pipe \\.\pipe\X (reason), then IPv4 127.0.0.1 port 500 (reason)"; the
// result code when no attempt was made or all connected.
std::string describeOpenFailure(const LinkOpenReport& report, HRESULT result);

// Why a link failed, from the dispatch call's result (the link's recorded
// failure code).
std::string describeLinkFailure(HRESULT result);
