#include "mainform_fixture.h"

#include <QDir>
#include <QFile>
#include <QTabWidget>

#include <cstdlib>
#include <fstream>

#include "tools/options.h"

namespace dtool::test {

namespace {

// Every port is there, nothing is connected; COM6 cannot be opened.
constexpr const char* TestBench = R"([Bench]
Description = Main window tests
[COM1]
Instrument = none
[COM2]
Instrument = none
[COM3]
Instrument = none
[COM4]
Instrument = none
[COM5]
Instrument = none
[COM6]
Available = no
[COM7]
Instrument = none
[COM8]
Instrument = none
)";

} // namespace

void UseTestBench(const QString& folder) {
  const QString file = QDir(folder).filePath(QStringLiteral("DBench.ini"));
  QFile f(file);
  if (f.open(QIODevice::WriteOnly))
    f.write(TestBench);
  f.close();
  qputenv("DTOOL_BENCH", file.toLocal8Bit());
  qputenv("DTOOL_BENCH_STATE", folder.toLocal8Bit());
  qunsetenv("DTOOL_BENCH_TRACE");
}

std::set<QString> ShownPages(const TMainForm& f) {
  std::set<QString> shown;
  for (int i = 0; i < f.PageControl->count(); ++i)
    shown.insert(f.PageControl->widget(i)->objectName());
  return shown;
}

TSetFileRecords RecordsFor(int type, std::int32_t capLevel) {
  TSettings sett(nullptr);
  sett.ResetInstInfo();
  sett.SetDefaults(false, false);
  sett.InstInfo.InstType = static_cast<std::uint8_t>(type);
  TSetFileRecords r;
  r.Prefs.ComPort = 1;
  r.Prefs.PressUnit = unit::Pa;
  r.Prefs.VelocityUnit = unit::m_s;
  r.Prefs.AtmUnit = unit::hPa;
  r.Prefs.HoseUnit = unit::m;
  r.Prefs.Temperature = 15.0;
  r.Prefs.MovAverFilt = 1;
  r.Prefs.LastInstType = static_cast<std::uint8_t>(type);
  r.Class1 = sett.Class1;
  r.Class1.Cap_level = capLevel;
  r.Switch = sett.Switch;
  r.Class23 = sett.Class23;
  r.InstInfo = sett.InstInfo;
  if (type != 0) {
    r.InstInfo.SerialNr.Set("1001010");
    r.InstInfo.RangeMax = 250;
    r.InstInfo.RangeMin = -250;
  }
  return r;
}

void MainFormTest::SetUp() {
  QLocale::setDefault(QLocale::c());
  SetCommandLine({});
  ASSERT_TRUE(dir.isValid());
  TMainForm::UrlOpener = [](const QString&) { return true; };
}

void MainFormTest::TearDown() {
  form.reset();
  SetCommandLine({});
  QLocale::setDefault(QLocale::c());
}

std::string MainFormTest::SetFile() const {
  return QDir(dir.path()).filePath(QStringLiteral("DToolPc.SET")).toStdString();
}

TMainForm& MainFormTest::Open(const TSetFileRecords& records) {
  // The window before saves its settings when it goes.
  form.reset();
  const TSetFileImage image = BuildSetFileImage(records);
  std::ofstream out(SetFile(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  out.close();
  form = std::make_unique<TMainForm>(SetFile(), sessionSetup);
  return *form;
}

} // namespace dtool::test
