// Pictures of the main window: every page set, the velocity group shown and hidden, the
// display page with the display group in both places, velocity mode.
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <functional>

#include "benchform.h"
#include "mainform_fixture.h"
#include "shots.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/movaver.h"
#include "ui/dialogs/prefform.h"
#include "ui/dialogs/typeofinst.h"

namespace dtool::test {

bool StartShotBench(const QTemporaryDir& dir, const std::string& instrument) {
  const std::string benchFile =
      QDir(dir.path()).filePath(QStringLiteral("DBench.ini")).toStdString();
  std::ofstream(benchFile) << "[Bench]\nDescription = pictures\n[COM1]\n" << instrument << "\n";
  TBenchControl& bench = TBenchControl::Get();
  const bool loaded = bench.Load(benchFile, dir.path().toStdString()) == 0;
  bench.SetManualClock(true);
  return loaded;
}

std::string WriteShotSetFile(const QTemporaryDir& dir, const TSetFileRecords& records) {
  const std::string file = QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
  const TSetFileImage image = BuildSetFileImage(records);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  return file;
}

namespace {

struct TShot {
  const char* name;
  int type;
  int capLevel;
  const char* page;
  bool velocityMode;
};

constexpr TShot Shots[] = {
    {"none", 0, 0, "", false},
    {"dravondat-measurement", 10, 2, "MeasPg", false},
    {"dravondat-analog-output", 10, 2, "AnaOutPg", false},
    {"dravondat-environment", 10, 2, "EnvirPg", false},
    {"dravonvision-display", 11, 2, "DispPg", false},
    {"dravonvision-display-no-velocity", 11, 0, "DispPg", false},
    {"dravonvision-measurement-no-velocity", 11, 0, "MeasPg", false},
    {"dravonvision-velocity-mode", 11, 2, "AnaOutPg", true},
    {"dravon-std-measurement", 1, 2, "MeasPgStatic", false},
    {"dravon-stv-display", 2, 2, "DispPg", false},
    {"dravon-sts-alarms", 3, 2, "AlarmPgStatic", false},
    {"dravon-stvs-z-alarms-velocity", 8, 2, "AlarmPgStatic", true},
    {"dravonswitch-alarms", 9, 0, "AlarmPg", false},
    {"dravonswitch-environment", 9, 0, "EnvirPg", false},
};

// Pictures right after Read data, with the live reading, one instrument per family.
struct TReadShot {
  const char* name;
  const char* bench;
  const char* page;
};

constexpr TReadShot ReadShots[] = {
    {"dravondat", "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\nPressure = 42.5",
     "MeasPg"},
    {"dravon-stv", "Instrument = Dravon-STV\nSerial = 2002002\nRangeMax = 100\nPressure = -12.5",
     "AlarmPgStatic"},
    {"dravonswitch", "Instrument = DravonSwitch\nSerial = 4004009\nRangeMax = 500\nPressure = 120",
     "AlarmPg"},
};

int TakeReadShots(const QString& folder, const QTemporaryDir& dir) {
  int failures = 0;
  for (const TReadShot& shot : ReadShots) {
    if (!StartShotBench(dir, shot.bench))
      ++failures;
    TMainForm form(WriteShotSetFile(dir, RecordsFor(0)));
    form.show();
    if (form.Session().Read() != TOutcome::Done)
      ++failures;
    TBenchControl::Get().Advance(5000);
    form.TimReadNoDataSuppr->stop();
    form.ShowLiveReading();
    form.PageControl->setCurrentWidget(form.findChild<QWidget*>(QString::fromLatin1(shot.page)));
    if (!QTest::qWaitForWindowExposed(&form))
      ++failures;
    QTest::qWait(50);
    const QString path =
        QDir(folder).filePath(QStringLiteral("mainwindow-read-%1.png").arg(shot.name));
    if (!form.grab().save(path))
      ++failures;
    std::printf("%s\n", qPrintable(path));
  }
  return failures;
}

// Saves a picture of a dialog while its own modal loop runs; show runs that loop.
bool GrabModal(QDialog& dialog, const QString& path, const std::function<int()>& show) {
  bool saved = false;
  QTimer::singleShot(100, &dialog, [&] {
    saved = dialog.grab().save(path);
    dialog.reject();
  });
  show();
  std::printf("%s\n", qPrintable(path));
  return saved;
}

// Pictures of the dialogs of the Options and Help menus: the Preferences, the type of
// instrument and the filter, and About after a read of a transmitter and of the switch.
int TakeDialogShots(const QString& folder, const QTemporaryDir& dir) {
  int failures = 0;
  TBenchControl& bench = TBenchControl::Get();
  const std::string benchFile =
      QDir(dir.path()).filePath(QStringLiteral("DBench.ini")).toStdString();
  const std::string file = QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
  struct TAboutShot {
    const char* name;
    int type;
    const char* bench;
  };
  const TAboutShot shots[] = {
      {"dravondat", 10,
       "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\nFirmware = 01.12\n"
       "SensorFirmware = 01.3\nCapLevel = 2\nOutput = current\n"},
      {"dravonswitch", 9,
       "Instrument = DravonSwitch\nSerial = 4004009\nRangeMax = 500\nFirmware = 2.1\n"
       "SecondFirmware = 1.0\nComponentVersion = 3\n"},
  };
  for (const TAboutShot& shot : shots) {
    std::ofstream(benchFile) << "[Bench]\nDescription = pictures\n[COM1]\n" << shot.bench;
    if (bench.Load(benchFile, dir.path().toStdString()) != 0)
      ++failures;
    bench.SetManualClock(true);
    TSetFileRecords r = RecordsFor(shot.type);
    r.Prefs.PressUnit = unit::mbar;
    r.Prefs.MovAverFilt = 7;
    const TSetFileImage image = BuildSetFileImage(r);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    TMainForm form(file);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
      ++failures;
    if (form.Session().Read() != TOutcome::Done)
      ++failures;
    auto path = [&](const char* what) {
      return QDir(folder).filePath(QStringLiteral("dialog-%1.png").arg(QLatin1String(what)));
    };
    if (!GrabModal(*form.AboutForm(),
                   QDir(folder).filePath(QStringLiteral("dialog-about-%1.png").arg(shot.name)),
                   [&] { return form.AboutForm()->Execute(); }))
      ++failures;
    if (shot.type != 9)
      continue;
    TPrefForm prefs(form);
    if (!GrabModal(prefs, path("preferences"), [&] { return prefs.exec(); }))
      ++failures;
    form.sett->SetConfigRead(false);
    TTyOfInstFrm_ type(form);
    if (!GrabModal(type, path("type-of-instrument"), [&] { return type.exec(); }))
      ++failures;
    TMovAverForm filter(form, &form);
    if (!GrabModal(filter, path("filter"), [&] { return filter.ShowModal(); }))
      ++failures;
  }
  return failures;
}

} // namespace

int TakeShots(const QString& folder) {
  QDir().mkpath(folder);
  QTemporaryDir dir;
  ScriptedPort port;
  int failures = 0;
  for (const TShot& shot : Shots) {
    TSetFileRecords r = RecordsFor(shot.type, shot.capLevel);
    r.Switch.AlInt = 2;
    r.Switch.Al1Dly = 3;
    r.Switch.Al2Hys = 4;
    const std::string file = QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
    const TSetFileImage image = BuildSetFileImage(r);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    TMainForm form(file);
    if (shot.velocityMode)
      form.SetVmode(true);
    form.show();
    if (*shot.page)
      form.PageControl->setCurrentWidget(form.findChild<QWidget*>(QString::fromLatin1(shot.page)));
    if (!QTest::qWaitForWindowExposed(&form))
      ++failures;
    QTest::qWait(50);
    const QString path = QDir(folder).filePath(QStringLiteral("mainwindow-%1.png").arg(shot.name));
    if (!form.grab().save(path))
      ++failures;
    std::printf("%s\n", qPrintable(path));
  }
  failures += TakeReadShots(folder, dir);
  failures += TakeAtmPressShots(folder, dir);
  failures += TakeAnalogOutputShots(folder, dir);
  failures += TakeDialogShots(folder, dir);
  failures += TakeWizardShots(folder, dir);
  failures += TakeReportShots(folder, dir);
  failures += TakeCompareShots(folder, dir);
  for (const auto& m : port.messages)
    std::printf("message: %s\n", m.text.c_str());
  return failures == 0 && port.messages.empty() ? 0 : 1;
}

} // namespace dtool::test
