#include "simlink/open_report.h"

namespace {

thread_local LinkOpenReport report;

}  // namespace

const LinkOpenReport& lastLinkOpenReport() { return report; }

LinkOpenReport& linkOpenReportToFill() { return report; }
