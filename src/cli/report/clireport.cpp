#include "cli/report/clireport.h"

#include <QApplication>
#include <QDateTime>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

#include "cli/cliargs.h"
#include "cli/setfileprefs.h"
#include "records/report/settingsreport.h"
#include "session/session.h"
#include "tools/operatorport.h"
#include "ui/main/mainform.h"

namespace dtool::cli {

namespace {

// The records of the settings file, with the port given; defaults without a usable file.
TSetFileImage SetFileFor(const std::string& path, std::int32_t port) {
  TSetFileImage image{};
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  TSetFileRecords records;
  if (in && static_cast<std::size_t>(in.gcount()) == image.size() && ReadSetFilePrefs(path)) {
    records = ParseSetFileImage(image);
  } else {
    TSettings sett(nullptr);
    sett.SetDefaults(false, false);
    sett.ResetInstInfo();
    records.Prefs = DefaultPreferences();
    records.Class1 = sett.Class1;
    records.Class23 = sett.Class23;
    records.Switch = sett.Switch;
    records.InstInfo = sett.InstInfo;
  }
  records.Prefs.ComPort = port;
  return BuildSetFileImage(records);
}

// The toolkit's own notes (a missing runtime folder, fonts) are not the operator's business;
// its critical messages still reach the error stream.
void ToolkitMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int MakeSettingsReport(const TReportRequest& request) {
  // dtool shows no window: the report is laid out without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(ToolkitMessages);
  int argc = 1;
  char name[] = "dtool";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  // The main window reads and, when it ends, writes its settings file: it gets a copy, so
  // the operator's file stays as it is.
  QTemporaryDir folder;
  if (!folder.isValid()) {
    ErrorBox("Unable to create a temporary folder for the settings file!");
    return exitcode::NoInstrument;
  }
  const std::string setFile = folder.filePath(QStringLiteral("DToolPc.SET")).toStdString();
  {
    const TSetFileImage image = SetFileFor(request.SetFile, request.Port);
    std::ofstream out(setFile, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out) {
      ErrorBox("Unable to write file \"" + setFile + "\"!");
      return exitcode::NoInstrument;
    }
  }
  TSessionSetup setup;
  setup.LogFile = request.LogFile;
  TMainForm form(setFile, std::move(setup));
  if (form.Terminated())
    return exitcode::NoInstrument;
  const TOutcome read = form.Session().Read();
  if (read != TOutcome::Done) {
    ErrorBox("Read data failed: " + OutcomeText(read));
    return exitcode::NoInstrument;
  }
  const TSettings& sett = form.Session().Settings();
  TSettingsReport report;
  if (!report.SelectReport(ReportNameFor(sett.InstType()))) {
    ErrorBox("GenerateReport(): Report not selected!");
    return exitcode::NoInstrument;
  }
  report.SetParams(form.ReportParams(QDateTime::currentDateTime()));
  const TShownIdentity shown = ShownIdentity(sett);
  report.SetTitle(QString::fromStdString(shown.InstType + " " + shown.Serial).trimmed() +
                  QStringLiteral(" - Instrument configuration"));
  QString error;
  if (!report.WritePdf(QString::fromStdString(request.Output), LocalePaper(), &error)) {
    ErrorBox("Unable to write file \"" + request.Output + "\"!");
    return exitcode::NoInstrument;
  }
  return exitcode::Ok;
}

} // namespace dtool::cli
