// Pictures of the main window: every page set, the velocity group shown and hidden, the
// display page with the display group in both places, velocity mode.
#include <QDir>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <fstream>

#include "mainform_fixture.h"
#include "ui/controls/radiogroup.h"

namespace dtool::test {

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
  for (const auto& m : port.messages)
    std::printf("message: %s\n", m.text.c_str());
  return failures == 0 && port.messages.empty() ? 0 : 1;
}

} // namespace dtool::test
