// Starts the DToolPc executable in a folder of its own, beside copies of the link libraries
// and the help files, on a bench of its own, with a settings file; ends it with SIGTERM, the
// way a desktop session ends it, and looks at the settings file it leaves.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/settings.h"
#include "support/benchtrace.h"
#include "support/pdftools.h"
#include "support/programfolder.h"

namespace dtool {
namespace {

constexpr const char* Bench = R"([Bench]
Description = Program start and end
[COM1]
Instrument = DravonDat
Serial = 1001010
[COM4]
Instrument = DravonSwitch
Serial = 4004009
[COM5]
Instrument = none
)";

// Non-default values in every record: the program must show them, not change them.
TSetFileRecords Records(int type, std::int32_t port) {
  TSettings sett(nullptr);
  sett.SetDefaults(false, false);
  TSetFileRecords r;
  r.Prefs.ComPort = port;
  r.Prefs.PressUnit = unit::mbar;
  r.Prefs.VelocityUnit = unit::knots;
  r.Prefs.AtmUnit = unit::inchHg;
  r.Prefs.HoseUnit = unit::inch;
  r.Prefs.Altitude = 420.5;
  r.Prefs.Temperature = 21.25;
  r.Prefs.HelpLanguage = 1;
  r.Prefs.LastInstType = static_cast<std::uint8_t>(type);
  r.Prefs.MovAverFilt = 7;
  r.Class1 = sett.Class1;
  r.Class1.Cap_level = 2;
  r.Class1.Hose_length = 1.75;
  r.Class1.Humidity = 60;
  r.Class1.DispPressUnit = unit::mmH20;
  r.Class1.DispVelocityUnit = unit::feet_s;
  r.Class1.Disp_unit = unit::feet_s;
  r.Class1.Velocity_to_RS232 = r.Class1.Velocity_to_AnOut = 1;
  r.Class1.An_velocity_to = 12.5;
  r.Class1.Speed = 4;
  r.Class1.Moving_Average = 6;
  r.Class1.Velocity_C = 0.7f;
  r.Class1.Velocity_n = 1.8;
  r.Switch = sett.Switch;
  r.Switch.AlInt = 3;
  r.Switch.Al1Dly = 5;
  r.Switch.Al2Dly = 40;
  r.Switch.Al1Thre = -42.5;
  r.Switch.Al2Hys = 2.25;
  r.Class23 = sett.Class23;
  r.Class23.Filter_level = 4;
  r.Class23.AL2.DelayPress = 17;
  r.InstInfo = sett.InstInfo;
  r.InstInfo.InstType = static_cast<std::uint8_t>(type);
  r.InstInfo.SerialNr.Set(type == 9 ? "4004009" : "1001010");
  r.InstInfo.RangeMax = 250;
  r.InstInfo.RangeMin = type == 9 ? 0 : -250;
  r.InstInfo.SW_Main_uC.Set("01.12");
  return r;
}

class ProgramTest : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(test::CopyProgramInto(QStringLiteral("DToolPc"), dir.path()), QString());
    QFile bench(QDir(dir.path()).filePath(QStringLiteral("test-bench.ini")));
    ASSERT_TRUE(bench.open(QIODevice::WriteOnly));
    bench.write(Bench);
  }

  QString Path(const char* name) const {
    return QDir(dir.path()).filePath(QString::fromLatin1(name));
  }

  // Starts the program in the folder, on the test bench, with the trace of every library call
  // and the further variables given; in another working folder when one is given.
  void Start(QProcess& program, const QList<QPair<QString, QString>>& extra = {},
             const QString& workingFolder = QString()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : extra)
      env.insert(name, value);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DTOOL_BENCH"), Path("test-bench.ini"));
    env.insert(QStringLiteral("DTOOL_BENCH_STATE"), dir.path());
    env.insert(QStringLiteral("DTOOL_BENCH_TRACE"), Path("trace.txt"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(workingFolder.isEmpty() ? dir.path() : workingFolder);
    program.start(Path("DToolPc"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
  }

  // Waits up to ten seconds, while the program runs, for the text in the trace.
  bool WaitForTrace(const QProcess& program, const QByteArray& text) {
    for (int i = 0; i < 200 && program.state() == QProcess::Running; ++i) {
      QFile trace(Path("trace.txt"));
      if (trace.open(QIODevice::ReadOnly) && trace.readAll().contains(text))
        return true;
      QThread::msleep(50);
    }
    return false;
  }

  QTemporaryDir dir;
};

TEST_P(ProgramTest, EndedBySigtermKeepsTheSettingsFileByteForByte) {
  const int type = GetParam();
  const TSetFileImage image = BuildSetFileImage(Records(type, type == 9 ? 4 : 1));
  {
    QFile file(Path("DToolPc.SET"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    ASSERT_TRUE(file.flush());
    // An old file: the one found at the end must have been written at the end.
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC),
                                 QFileDevice::FileModificationTime));
    file.close();
  }
  const QDateTime started = QDateTime::currentDateTimeUtc().addSecs(-2);
  QProcess program;
  Start(program);
  if (HasFatalFailure())
    return;

  // The program has opened its port once the bench has traced the opening.
  ASSERT_TRUE(WaitForTrace(program, type == 9 ? "OpenComOnly" : "OpenCom\t"))
      << program.readAllStandardError().toStdString();
  program.terminate();
  const bool finished = program.waitForFinished(20000);
  if (!finished)
    program.kill();
  ASSERT_TRUE(finished) << "the program did not end";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

  QFile file(Path("DToolPc.SET"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  ASSERT_EQ(saved.size(), qsizetype(image.size()));
  for (qsizetype i = 0; i < saved.size(); ++i)
    ASSERT_EQ(static_cast<std::uint8_t>(saved[i]), image[std::size_t(i)]) << "byte " << i;
  EXPECT_FALSE(QFile::exists(Path("DToolPc.SET.tmp")));
  EXPECT_GE(QFileInfo(file).fileTime(QFileDevice::FileModificationTime).toUTC(), started)
      << "the settings file was not written at the end";
}

// The running program follows the instrument's records with the live reading: the record
// callback reaches the window through its dispatcher, which asks the library for the pressure.
TEST_P(ProgramTest, FollowsTheLiveReadingOfTheConnectedInstrument) {
  const int type = GetParam();
  const TSetFileImage image = BuildSetFileImage(Records(type, type == 9 ? 4 : 1));
  {
    QFile file(Path("DToolPc.SET"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
  }
  QProcess program;
  Start(program);
  if (HasFatalFailure())
    return;
  const QByteArray reading =
      type == 9 ? "DSwitch\tCOM4\tGetPressInst\t\tp=" : "DDatDll\tCOM1\tGetPressInst\t\tp=";
  const bool shown = WaitForTrace(program, reading);
  program.terminate();
  if (!program.waitForFinished(20000))
    program.kill();
  EXPECT_TRUE(shown) << "no pressure was asked for";
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
}

// The first start has no settings file and says so in a message box; a SIGTERM while that box
// waits for the operator cancels it and ends the program the usual way, settings file written.
using FirstStartTest = ProgramTest;

TEST_F(FirstStartTest, EndedBySigtermWhileItShowsItsMessage) {
  QProcess program;
  Start(program);
  if (HasFatalFailure())
    return;
  // The link libraries are loaded before the settings file is read.
  ASSERT_TRUE(WaitForTrace(program, "GetIConst")) << program.readAllStandardError().toStdString();
  program.terminate();
  const bool finished = program.waitForFinished(20000);
  if (!finished)
    program.kill();
  ASSERT_TRUE(finished) << "the program did not end";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
  EXPECT_EQ(QFileInfo(Path("DToolPc.SET")).size(), qint64(SetFileSize));
}

#ifndef _WIN32
// Ended while the analog output calibration wizard drives the output: the wizard is cancelled
// first, so the output measures again and the instrument gets its own values back before the
// program saves its settings and ends. An operator loaded into the program opens the wizard
// with the offset edit's button and starts the calibration.
class WizardProgramTest : public ProgramTest {};

TEST_F(WizardProgramTest, EndedBySigtermWithTheCalibrationRunningLeavesTheOutputMeasuring) {
  const TSetFileImage image = BuildSetFileImage(Records(10, 1));
  {
    QFile file(Path("DToolPc.SET"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
  }
  const QString robot =
      QDir(QCoreApplication::applicationDirPath()).filePath("libdtool_operator_robot.so");
  ASSERT_TRUE(QFile::exists(robot));
  QProcess program;
  Start(program, {{"LD_PRELOAD", robot}, {"DTOOL_TEST_OPERATOR", "calibrate"}});
  if (HasFatalFailure())
    return;
  const bool calibrating = WaitForTrace(program, "OO=B3 CC=07");
  program.terminate();
  const bool finished = program.waitForFinished(20000);
  if (!finished)
    program.kill();
  ASSERT_TRUE(calibrating) << "the calibration did not start\n"
                           << program.readAllStandardError().toStdString();
  ASSERT_TRUE(finished) << "the program did not end";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

  // After the last calibration point: the end of the output, then the restore walk, stored.
  std::vector<std::string> commands;
  for (const test::TBenchCall& c : test::ReadBenchTrace(Path("trace.txt").toStdString()))
    if (c.Function == "TransCmd" && c.Request.size() >= 11)
      commands.push_back(c.Request.substr(3, 2) + c.Request.substr(9, 2));
  const auto lastPoint = std::find(commands.rbegin(), commands.rend(), "B307").base();
  const auto end = std::find(lastPoint, commands.end(), "B306");
  ASSERT_NE(end, commands.end()) << "the output was not ended";
  EXPECT_NE(std::find(end, commands.end(), "B10C"), commands.end()) << "no restore after it";
  // What the bench says of the output last.
  std::string output;
  for (const test::TBenchNote& n : test::ReadBenchNotes(Path("trace.txt").toStdString()))
    if (n.Port == "COM1" && n.Text.rfind("output: ", 0) == 0)
      output = n.Text;
  EXPECT_EQ(output.rfind("output: measuring", 0), 0u) << output;
  EXPECT_FALSE(QFile::exists(Path("DToolPc.SET.tmp")));
}

// The report of a read goes to a PDF through File > Save as PDF... in the running program: its
// layouts are the program's own, wherever it is started from, and its numbers are in the
// operator's locale. An operator loaded into the program reads and types the file name.
class ReportProgramTest : public ProgramTest {};

TEST_F(ReportProgramTest, SavesTheReportOfAReadAsPdfFromAnyFolderInTheOperatorsLocale) {
  const TSetFileImage image = BuildSetFileImage(Records(10, 1));
  {
    QFile file(Path("DToolPc.SET"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
  }
  const QString elsewhere = Path("elsewhere");
  ASSERT_TRUE(QDir().mkpath(elsewhere));
  const QString pdf = Path("report.pdf");
  const QString robot =
      QDir(QCoreApplication::applicationDirPath()).filePath("libdtool_operator_robot.so");
  QProcess program;
  Start(program,
        {{"LD_PRELOAD", robot},
         {"DTOOL_TEST_OPERATOR", "savepdf"},
         {"DTOOL_TEST_PDF", pdf},
         {"LC_ALL", "de_DE.UTF-8"}},
        elsewhere);
  if (HasFatalFailure())
    return;
  // The PDF is renamed into place when it is complete.
  for (int i = 0; i < 400 && !QFile::exists(pdf) && program.state() == QProcess::Running; ++i)
    QThread::msleep(50);
  const bool saved = QFile::exists(pdf);
  program.terminate();
  const bool finished = program.waitForFinished(20000);
  if (!finished)
    program.kill();
  ASSERT_TRUE(saved) << program.readAllStandardError().toStdString();
  ASSERT_TRUE(finished) << "the program did not end";
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

  const test::TPdfInfo info = test::PdfInfo(pdf);
  ASSERT_TRUE(info.Error.isEmpty()) << info.Error.toStdString();
  EXPECT_EQ(info.Pages, 1);
  EXPECT_EQ(info.Title, QStringLiteral("DravonDat 1001010 - Instrument configuration"));
  const QString text = test::PdfText(pdf);
  for (const char* expected :
       {"DravonDat", "1001010", "-250 .. 250 Pa", "Measurement", "Analog output", "Environment"})
    EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
  // The hose length as read, in inches with a decimal comma.
  EXPECT_TRUE(
      text.contains(QRegularExpression(QStringLiteral("Std\\. Hose length\\s+\\d+,\\d+ inch"))))
      << text.toStdString();
  EXPECT_TRUE(QDir(elsewhere).isEmpty()) << "nothing is written to the working folder";
}
#endif

INSTANTIATE_TEST_SUITE_P(Types, ProgramTest, ::testing::Values(10, 9), [](const auto& info) {
  return info.param == 9 ? "Switch" : "Transmitter";
});

} // namespace
} // namespace dtool

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
