#pragma once
// The settings report of dtool: the main window, never shown, reads the instrument and
// gives the report its texts as it does for File > Save as PDF...
#include "cli/commands.h"

namespace dtool::cli {

int MakeSettingsReport(const TReportRequest& request);

} // namespace dtool::cli
