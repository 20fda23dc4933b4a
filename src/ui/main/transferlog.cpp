// The transfer log of the main window: "InstLog.txt" after every successful read or write of
// an analog-family instrument, deleted when a transfer fails.
#include "ui/main/mainform.h"

#include <QLineEdit>

#include <filesystem>

#include "records/translog.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"

namespace dtool {

std::string TMainForm::LogFileName() const {
  // The settings file and the log both lie in the program's folder.
  const std::filesystem::path folder = std::filesystem::path(setFileName_).parent_path();
  return (folder / LogFileBaseName).string();
}

bool TMainForm::WriteLogAt(const std::string& path, const std::string& transferId,
                           const std::tm& time) const {
  try {
    const TLogSource source{prefs_, *sett, InstTypeEd->text().toStdString(),
                            SerialEd->text().toStdString(), RangeEd->text().toStdString()};
    return WriteLogFile(path, transferId, time, source);
  } catch (const FatalError&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

void TMainForm::WriteTransferLog(bool write, const std::tm& time) {
  const std::string path = LogFileName();
  if (!WriteLogAt(path, write ? "WriteLog" : "ReadLog", time))
    ErrorBox("Unable to write file \"" + path + "\"!");
}

void TMainForm::DeleteLogFile() const {
  std::error_code ec;
  std::filesystem::remove(LogFileName(), ec);
}

} // namespace dtool
