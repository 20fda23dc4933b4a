// Read data and Write data of the main window: the buttons hand the conversation to the
// session; the print command looks at what the last transfer left.
#include "ui/main/mainform.h"

#include <QTimer>

#include "tools/operatorport.h"
#include "tools/options.h"

namespace dtool {

namespace {

// The switch may report no data for this long after a read.
constexpr int ReadNoDataSupprMs = 5000;

} // namespace

// ---- Read ----

void TMainForm::ReadBtnClick() {
  if (Ready())
    session_->Read();
}

void TMainForm::SwitchConfigRead() {
  TimReadNoDataSuppr->setInterval(ReadNoDataSupprMs);
  TimReadNoDataSuppr->start();
}

// ---- Write ----

void TMainForm::WriteBtnClick() {
  if (Ready())
    session_->Write(WriteOptionsOfCommandLine());
}

TWriteOptions TMainForm::WriteOptionsOfCommandLine() {
  const bool testMode = IsTestMode();
  TWriteOptions options;
  options.AskOverwrite = !testMode;
  options.ReportSuccess = !testMode;
  options.EndAfterAnalogWrite = testMode;
  options.ExtraLogPath = GetOptionValue("/pr", true);
  options.ExtraLogId = GetOptionValue("/id", true);
  return options;
}

} // namespace dtool
