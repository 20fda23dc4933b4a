// Runs the dtool executable in a folder of its own, beside copies of the link libraries, on a
// bench of its own whose instruments keep their stored configuration from one run to the next,
// and looks at its exit status, its output and its messages.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "support/pdftools.h"
#include "support/programfolder.h"

namespace dtool {
namespace {

constexpr const char* Bench = R"([Bench]
Description = dtool on a production line
[COM1]
Instrument = DravonDat
Serial = 1001010
RangeMax = 250
[COM2]
Instrument = Dravon-STV
Serial = 2002002
RangeMax = 100
[COM3]
Instrument = DravonDat
Serial = 3003010
RangeMax = 250
ProtectionCode = 4711
[COM4]
Instrument = DravonSwitch
Serial = 4004009
RangeMax = 500
[COM6]
Available = no
[COM7]
Instrument = DravonSwitch
Serial = 4004010
RangeMax = 500
ProtectionCode = 4711
)";

struct TResult {
  int Exit = -1;
  std::string Out;
  std::string Err;
  // The lines of the error stream.
  std::vector<std::string> ErrLines() const {
    std::vector<std::string> lines;
    for (const QString& l : QString::fromStdString(Err).split('\n', Qt::SkipEmptyParts))
      lines.push_back(l.toStdString());
    return lines;
  }
};

void PrintTo(const TResult& r, std::ostream* os) {
  *os << "exit " << r.Exit << "\n--- stdout:\n" << r.Out << "--- stderr:\n" << r.Err;
}

class DtoolTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // With the help files, as beside an installed program: the report's main window looks for
    // them.
    ASSERT_EQ(test::CopyProgramInto(QStringLiteral("dtool"), dir.path()), QString());
    WriteText("bench.ini", Bench);
  }

  QString Path(const std::string& name) const {
    return QDir(dir.path()).filePath(QString::fromStdString(name));
  }

  void WriteText(const std::string& name, const std::string& text) {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), qint64(text.size()));
  }

  // A settings file beside the program with the default records, the port and the pressure
  // unit; its bytes.
  std::string WriteSetFile(std::int32_t port, TUnit pressUnit) {
    TSetFileRecords records;
    TSettings sett(nullptr);
    sett.SetDefaults(false, false);
    records.Class1 = sett.Class1;
    records.Class23 = sett.Class23;
    records.Switch = sett.Switch;
    records.Prefs.ComPort = port;
    records.Prefs.PressUnit = pressUnit;
    records.Prefs.VelocityUnit = unit::m_s;
    records.Prefs.AtmUnit = unit::hPa;
    records.Prefs.HoseUnit = unit::m;
    records.Prefs.MovAverFilt = 1;
    const TSetFileImage image = BuildSetFileImage(records);
    const std::string bytes(reinterpret_cast<const char*>(image.data()), image.size());
    WriteText("DToolPc.SET", bytes);
    return bytes;
  }

  std::string ReadText(const std::string& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }

  // Runs dtool with the arguments, standard input not a terminal, on the test's bench.
  TResult Run(const QStringList& args, const QList<QPair<QString, QString>>& extra = {}) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DTOOL_CODE"));
    env.insert(QStringLiteral("DTOOL_BENCH"), Path("bench.ini"));
    env.insert(QStringLiteral("DTOOL_BENCH_STATE"), dir.path());
    for (const auto& [name, value] : extra)
      env.insert(name, value);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(Path("dtool"), args);
    TResult r;
    if (!program.waitForStarted(10000))
      return r;
    program.closeWriteChannel();
    if (!program.waitForFinished(60000)) {
      program.kill();
      program.waitForFinished();
      return r;
    }
    r.Exit = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    r.Out = program.readAllStandardOutput().toStdString();
    r.Err = program.readAllStandardError().toStdString();
    return r;
  }

  // The file read from the instrument on the port, as text.
  std::string ReadConfig(int port) {
    const TResult r = Run({"read", "--port", QString::number(port)});
    EXPECT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
    return r.Out;
  }

  QTemporaryDir dir;
};

// The value of a key in a configuration file's text; empty when the key is not there.
std::string ValueOf(const std::string& text, const std::string& key) {
  const QRegularExpression re(QStringLiteral("^") +
                                  QRegularExpression::escape(QString::fromStdString(key)) +
                                  QStringLiteral("=(.*)$"),
                              QRegularExpression::MultilineOption);
  const QRegularExpressionMatch m = re.match(QString::fromStdString(text));
  return m.hasMatch() ? m.captured(1).trimmed().toStdString() : std::string();
}

// The text with the key's value replaced.
std::string WithValue(const std::string& text, const std::string& key, const std::string& value) {
  const QRegularExpression re(QStringLiteral("^") +
                                  QRegularExpression::escape(QString::fromStdString(key)) +
                                  QStringLiteral("=.*$"),
                              QRegularExpression::MultilineOption);
  QString s = QString::fromStdString(text);
  s.replace(re, QString::fromStdString(key + "=" + value));
  return s.toStdString();
}

QJsonObject JsonOf(const TResult& r) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.Out), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << r.Out;
  EXPECT_TRUE(doc.isObject()) << r.Out;
  return doc.object();
}

// ---- A configuration from file to instrument and back ----

struct TEditCase {
  int Port;
  const char* Key;
  const char* Value; // a value the instrument does not hold yet
};

void PrintTo(const TEditCase& c, std::ostream* os) {
  *os << "COM" << c.Port << " " << c.Key << "=" << c.Value;
}

class DtoolRoundTrip : public DtoolTest, public ::testing::WithParamInterface<TEditCase> {};

// read -> edit -> write -> diff is empty -> a new run (the instrument restarts from what it
// stored) reads the change.
TEST_P(DtoolRoundTrip, WrittenFileIsVerifiedAndSurvivesARestart) {
  const TEditCase c = GetParam();
  const std::string port = std::to_string(c.Port);
  const std::string original = ReadConfig(c.Port);
  ASSERT_NE(ValueOf(original, c.Key), "");
  ASSERT_NE(ValueOf(original, c.Key), c.Value);
  WriteText("job.ini", WithValue(original, c.Key, c.Value));

  const TResult write = Run({"write", "job.ini", "--port", QString::fromStdString(port)});
  ASSERT_EQ(write.Exit, 0) << ::testing::PrintToString(write);
  // What changed, in the file's units, and nothing else.
  EXPECT_NE(write.Out.find(std::string(c.Key) + ": " + ValueOf(original, c.Key)), std::string::npos)
      << write.Out;
  EXPECT_NE(write.Out.find(std::string("-> ") + c.Value), std::string::npos) << write.Out;

  const TResult diff = Run({"diff", "job.ini", "--port", QString::fromStdString(port)});
  EXPECT_EQ(diff.Exit, 0) << ::testing::PrintToString(diff);
  EXPECT_EQ(diff.Out, "");

  const TResult diffOld = Run({"diff", "--port", QString::fromStdString(port), "job.ini"});
  EXPECT_EQ(diffOld.Exit, 0);
  WriteText("original.ini", original);
  const TResult diffOriginal =
      Run({"diff", "original.ini", "--port", QString::fromStdString(port)});
  EXPECT_EQ(diffOriginal.Exit, 3) << ::testing::PrintToString(diffOriginal);
  EXPECT_NE(diffOriginal.Out.find(std::string(c.Key) + ": instrument " + c.Value),
            std::string::npos)
      << diffOriginal.Out;

  const std::string again = ReadConfig(c.Port);
  EXPECT_EQ(ValueOf(again, c.Key), c.Value);
}

INSTANTIATE_TEST_SUITE_P(Classes, DtoolRoundTrip,
                         ::testing::Values(TEditCase{1, "Hose_length", "2.5"},
                                           TEditCase{2, "AL1_ThresPress", "-42.5"},
                                           TEditCase{4, "Al1Thre", "-60"}),
                         [](const ::testing::TestParamInfo<TEditCase>& info) {
                           return std::string(info.param.Key);
                         });

// The file's values are in their storage units; where the file names another unit for a kind,
// write and diff show the value in it as well.
TEST_F(DtoolTest, ShowsValuesAlsoInTheUnitsTheFileNames) {
  std::string text = ReadConfig(1);
  text = WithValue(text, "Unit_hose_length", "inch");
  text = WithValue(text, "Hose_length", "2.54");
  text = WithValue(text, "Humidity", "55");
  WriteText("inch.ini", text);
  const TResult write = Run({"write", "inch.ini"});
  ASSERT_EQ(write.Exit, 0) << ::testing::PrintToString(write);
  EXPECT_EQ(write.Out, "Hose_length: 0.3 m (11.8110236220472 inch) -> 2.54 m (100 inch)\n"
                       "Humidity: 50 %RH -> 55 %RH\n"
                       "Transfer was successful!\n");
  EXPECT_EQ(Run({"diff", "inch.ini"}).Exit, 0);
  EXPECT_EQ(ValueOf(ReadConfig(1), "Hose_length"), "2.54");
}

// ---- Protection code ----

// Both families: a transmitter and a switch, each with the code 4711.
TEST_F(DtoolTest, ProtectedInstrumentTakesItsCodeFromTheCommandOrTheEnvironment) {
  for (const int portNumber : {3, 7}) {
    SCOPED_TRACE(portNumber);
    const QString port = QString::number(portNumber);
    const std::string original = ReadConfig(portNumber);
    WriteText("job.ini", WithValue(original, "Humidity", "65"));

    // No code: one clear line, exit 4, nothing written.
    TResult r = Run({"write", "job.ini", "--port", port});
    EXPECT_EQ(r.Exit, 4) << ::testing::PrintToString(r);
    EXPECT_NE(r.Err.find("needs its protection code: give --code or set DTOOL_CODE"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(ValueOf(ReadConfig(portNumber), "Humidity"), ValueOf(original, "Humidity"));

    // A wrong code: the instrument's words.
    r = Run({"write", "job.ini", "--port", port, "--code", "1234"});
    EXPECT_EQ(r.Exit, 4) << ::testing::PrintToString(r);
    EXPECT_NE(r.Err.find("The \"protection code\" you have entered is wrong."), std::string::npos)
        << r.Err;
    EXPECT_EQ(ValueOf(ReadConfig(portNumber), "Humidity"), ValueOf(original, "Humidity"));

    // A wrong code in the environment fails the same way; the right one writes.
    r = Run({"write", "job.ini", "--port", port}, {{"DTOOL_CODE", "4712"}});
    EXPECT_EQ(r.Exit, 4) << ::testing::PrintToString(r);
    r = Run({"write", "job.ini", "--port", port}, {{"DTOOL_CODE", "4711"}});
    EXPECT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
    EXPECT_EQ(ValueOf(ReadConfig(portNumber), "Humidity"), "65");

    // --code wins over the environment.
    WriteText("job.ini", WithValue(original, "Humidity", "70"));
    r = Run({"write", "job.ini", "--port", port, "--code", "4711"}, {{"DTOOL_CODE", "1"}});
    EXPECT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
    EXPECT_EQ(ValueOf(ReadConfig(portNumber), "Humidity"), "70");
  }
}

// ---- Files that cannot go to the instrument ----

TEST_F(DtoolTest, FileOfAnotherClassIsRefusedAndNothingIsWritten) {
  const std::string switchFile = ReadConfig(4);
  WriteText("switch.ini", switchFile);
  const std::string before = ReadConfig(1);
  for (const char* command : {"write", "diff"}) {
    const TResult r = Run({command, "switch.ini", "--port", "1"});
    EXPECT_EQ(r.Exit, 5) << command << ::testing::PrintToString(r);
    ASSERT_EQ(r.ErrLines().size(), 1u) << ::testing::PrintToString(r);
    EXPECT_NE(r.Err.find("DravonSwitch and cannot go to the connected DravonDat"),
              std::string::npos)
        << r.Err;
  }
  // A static model's file names its type; a transmitter's cannot take it either.
  WriteText("stv.ini", ReadConfig(2));
  EXPECT_EQ(Run({"write", "stv.ini", "--port", "1"}).Exit, 5);
  std::string after = ReadConfig(1);
  EXPECT_EQ(after.substr(after.find("[Instrument_Settings]")),
            before.substr(before.find("[Instrument_Settings]")));
}

struct TDamage {
  const char* Name;
  const char* Key;
  const char* Value; // nullptr: the key's line is removed
  const char* Expected;
};

TEST_F(DtoolTest, DamagedFileNamesFileLineAndKey) {
  const std::string good = ReadConfig(1);
  const TDamage cases[] = {
      {"out of range", "An_gain", "70000", "key \"An_gain\""},
      {"not a number", "Humidity", "fifty", "key \"Humidity\""},
      {"wrong unit", "Disp_unit", "parsec", "key \"Disp_unit\""},
  };
  for (const TDamage& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteText("bad.ini", WithValue(good, c.Key, c.Value));
    // The line of the key in the file, 1-based.
    const std::string before = good.substr(0, good.find(std::string(c.Key) + "="));
    const int line = int(std::count(before.begin(), before.end(), '\n')) + 1;
    for (const char* command : {"write", "diff"}) {
      const TResult r = Run({command, "bad.ini"});
      EXPECT_EQ(r.Exit, 5) << ::testing::PrintToString(r);
      ASSERT_EQ(r.ErrLines().size(), 1u) << ::testing::PrintToString(r);
      EXPECT_NE(r.Err.find("bad.ini, line " + std::to_string(line)), std::string::npos) << r.Err;
      EXPECT_NE(r.Err.find(c.Expected), std::string::npos) << r.Err;
    }
  }
  // An unknown key and a missing file.
  WriteText("bad.ini", good + "Colour=blue\n");
  TResult r = Run({"write", "bad.ini"});
  EXPECT_EQ(r.Exit, 5);
  EXPECT_NE(r.Err.find("key \"Colour\""), std::string::npos) << r.Err;
  r = Run({"write", "missing.ini"});
  EXPECT_EQ(r.Exit, 5);
  EXPECT_NE(r.Err.find("missing.ini"), std::string::npos) << r.Err;
  EXPECT_EQ(ValueOf(ReadConfig(1), "An_gain"), ValueOf(good, "An_gain"));
}

// ---- Verification ----

// A value the file allows but the instrument keeps within its own limits: the instrument
// corrects it, the write goes on, and the verification finds the difference.
TEST_F(DtoolTest, ValueCorrectedByTheInstrumentFailsTheVerification) {
  const std::string original = ReadConfig(1);
  WriteText("job.ini", WithValue(original, "Hose_length", "40"));
  const TResult r = Run({"write", "job.ini"});
  EXPECT_EQ(r.Exit, 3) << ::testing::PrintToString(r);
  EXPECT_NE(r.Out.find("Hose_length: 0.3 m -> 30 m"), std::string::npos) << r.Out;
  EXPECT_NE(r.Err.find("Verification: Hose_length: instrument 30 m, file 40 m"), std::string::npos)
      << r.Err;
  EXPECT_EQ(r.Out.find("Transfer was successful!"), std::string::npos) << r.Out;
  const TResult diff = Run({"diff", "job.ini"});
  EXPECT_EQ(diff.Exit, 3);
  EXPECT_EQ(diff.Out, "Hose_length: instrument 30 m, file 40 m\n");
}

// An older transmitter without velocity registers: a file with other velocity values is written
// and verified without them, and says so.
TEST_F(DtoolTest, VelocityValuesOfTheFileThatAnOlderTransmitterCannotTake) {
  std::string file = WithValue(ReadConfig(1), "Velocity_n", "1.5");
  file = WithValue(file, "Humidity", "45");
  WriteText("job.ini", file);
  std::string bench = Bench;
  bench.insert(bench.find("[COM2]"), "CapLevel = 0\n");
  WriteText("bench.ini", bench);
  // An_velocity_to: the instrument the file was read from holds another value than an
  // instrument without the registers keeps.
  const std::string line = "The instrument has no velocity registers (capability level 0): the "
                           "file's An_velocity_to, Velocity_n cannot go to it.\n";
  const TResult write = Run({"write", "job.ini"});
  EXPECT_EQ(write.Exit, 0) << ::testing::PrintToString(write);
  EXPECT_EQ(write.Err, line);
  EXPECT_EQ(write.Out, "Humidity: 50 %RH -> 45 %RH\nTransfer was successful!\n");
  const TResult diff = Run({"diff", "job.ini"});
  EXPECT_EQ(diff.Exit, 0) << ::testing::PrintToString(diff);
  EXPECT_EQ(diff.Err, line);
}

// ---- A write that fails part-way ----

TEST_F(DtoolTest, WriteFailingPartWayNamesWhatReachedTheInstrument) {
  std::string bench = Bench;
  // The atmospheric pressure, second in the walk, is refused.
  bench.insert(bench.find("[COM2]"), "FaultAnswer = B201:25\n");
  WriteText("bench.ini", bench);
  const std::string original = ReadConfig(1);
  std::string job = WithValue(original, "Hose_length", "2");
  job = WithValue(job, "Atm_Press", "1000");
  job = WithValue(job, "Gain_Sens", "0.9");
  WriteText("job.ini", job);
  const TResult r = Run({"write", "job.ini"});
  EXPECT_EQ(r.Exit, 3) << ::testing::PrintToString(r);
  EXPECT_NE(r.Err.find("Write error of parameter \"Atm. pressure\""), std::string::npos) << r.Err;
  // The instrument answered the refusal but kept the value: what the read back finds counts.
  EXPECT_NE(r.Err.find("Reached the instrument, not stored until a complete write: Hose_length "
                       "Atm_Press\n"),
            std::string::npos)
      << r.Err;
  EXPECT_EQ(r.Err.find("Gain_Sens"), std::string::npos) << r.Err;
  // Said once: the session's own warning of a partly written configuration is left out.
  EXPECT_EQ(r.Err.find("partly written"), std::string::npos) << r.Err;
  // Nothing was stored: the next run starts from the stored configuration.
  EXPECT_EQ(ValueOf(ReadConfig(1), "Hose_length"), ValueOf(original, "Hose_length"));
}

// ---- Zero calibration and live readings ----

// The zero takes the sensor's offset out and is stored: a later run reads without it. On a
// protected instrument the calibration needs the code like a write.
TEST_F(DtoolTest, ZeroCalibrationTakesTheOffsetOutForGood) {
  std::string bench = Bench;
  bench.insert(bench.find("[COM2]"), "Pressure = 42\nSensorOffset = 0.6\n");
  bench.insert(bench.find("[COM4]"), "Pressure = -12.5\nSensorOffset = 0.4\n");
  WriteText("bench.ini", bench);
  struct {
    const char* Port;
    QStringList CodeArgs;
    const char* Zeroed; // the pressure at the ports, read exactly once the zero is taken
  } const cases[] = {
      {"1", {}, "Pressure: 42.00 Pa\n"},
      {"3", {"--code", "4711"}, "Pressure: -12.50 Pa\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Port);
    const QStringList live = {"live", "--count", "1", "--port", c.Port};
    const std::string before = Run(live).Out;
    EXPECT_NE(before, c.Zeroed);
    EXPECT_EQ(before.substr(0, 10), "Pressure: ");
    if (!c.CodeArgs.isEmpty()) {
      const TResult refused = Run({"zero", "--port", c.Port});
      EXPECT_EQ(refused.Exit, 4) << ::testing::PrintToString(refused);
      EXPECT_EQ(Run(live).Out, before);
    }
    const TResult zero = Run(QStringList{"zero", "--port", c.Port} + c.CodeArgs);
    EXPECT_EQ(zero.Exit, 0) << ::testing::PrintToString(zero);
    EXPECT_NE(zero.Err.find("Zero calibration was successful!"), std::string::npos) << zero.Err;
    // A later run: the zero was stored.
    EXPECT_EQ(Run(live).Out, c.Zeroed);
  }
}

TEST_F(DtoolTest, LiveShowsReadingsInTheSettingsFileUnits) {
  std::string bench = Bench;
  bench.insert(bench.find("[COM2]"), "Pressure = 150\n");
  bench.insert(bench.find("[COM6]"), "Pressure = 120\n");
  WriteText("bench.ini", bench);
  EXPECT_EQ(Run({"live", "--count", "2"}).Out, "Pressure: 150.00 Pa\nPressure: 150.00 Pa\n");
  // The switch reports no data for a while after its configuration was read: not a reading.
  EXPECT_EQ(Run({"live", "--count", "1", "--port", "4"}).Out, "Pressure: 120.00 Pa\n");
  WriteSetFile(1, unit::mbar);
  const TResult r = Run({"live", "--count", "1"});
  EXPECT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
  EXPECT_EQ(r.Out, "Pressure: 1.5000 mbar\n");
}

// ---- Settings report ----

// The report reads the instrument as the main window does and leaves the settings file beside
// the program as it was.
TEST_F(DtoolTest, ReportOfTheInstrumentAsAPdf) {
  WriteText("job.ini", WithValue(ReadConfig(1), "Hose_length", "2.5"));
  ASSERT_EQ(Run({"write", "job.ini"}).Exit, 0);
  const std::string setFile = WriteSetFile(4, unit::Pa);

  const TResult r = Run({"report", "--pdf", "out.pdf", "--port", "1", "--json"});
  ASSERT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(JsonOf(r)["result"].toObject()["file"].toString(), "out.pdf");
  const test::TPdfInfo info = test::PdfInfo(Path("out.pdf"));
  ASSERT_EQ(info.Error, "");
  EXPECT_EQ(info.Pages, 1);
  EXPECT_EQ(info.Title, "DravonDat 1001010 - Instrument configuration");
  QString error;
  const QString text = test::PdfText(Path("out.pdf"), &error);
  ASSERT_EQ(error, "");
  EXPECT_TRUE(text.contains(QRegularExpression("Std. Hose length +2.50 m"))) << text.toStdString();
  EXPECT_EQ(ReadText("DToolPc.SET"), setFile);

  // Without a port or an instrument there is no report, and no file.
  const TResult none = Run({"report", "--pdf", "none.pdf", "--port", "6"});
  EXPECT_EQ(none.Exit, 2) << ::testing::PrintToString(none);
  EXPECT_EQ(none.Err, "COMPORT 6 could not be opened!\n");
  EXPECT_FALSE(QFile::exists(Path("none.pdf")));
  const TResult unwritable = Run({"report", "--pdf", "no/such/folder/out.pdf", "--port", "1"});
  EXPECT_EQ(unwritable.Exit, 2) << ::testing::PrintToString(unwritable);
  EXPECT_NE(unwritable.Err.find("Unable to write file \"no/such/folder/out.pdf\"!"),
            std::string::npos)
      << unwritable.Err;
}

// ---- Questions ----

// A question of the instrument checks gets No without waiting for the keyboard: nothing is
// corrected, and the command fails with a line that says so.
TEST_F(DtoolTest, QuestionsAreAnsweredNoAndNothingIsCorrected) {
  std::string bench = Bench;
  bench.insert(bench.find("[COM3]"), "A109 = 0x0003\n");
  WriteText("bench.ini", bench);
  for (int run = 0; run < 2; ++run) {
    const TResult r = Run({"read", "--port", "2"});
    EXPECT_EQ(r.Exit, 2) << ::testing::PrintToString(r);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find("The control flags (OOCC) A109 are set wrongly"), std::string::npos)
        << r.Err;
    EXPECT_NE(r.Err.find("as complex protocol string)? -> No\n"
                         "Read data failed: dtool answers No to the question above"),
              std::string::npos)
        << r.Err;
  }
}

// ---- Machine-readable output ----

TEST_F(DtoolTest, JsonOutputOfEveryCommandParses) {
  QJsonObject info = JsonOf(Run({"info", "--json", "--port", "3"}));
  EXPECT_EQ(info["command"].toString(), "info");
  EXPECT_EQ(info["exit"].toInt(), 0);
  QJsonObject id = info["result"].toObject();
  EXPECT_EQ(id["typeName"].toString(), "DravonDat");
  EXPECT_EQ(id["serial"].toString(), "3003010");
  EXPECT_EQ(id["capLevel"].toInt(), 2);
  EXPECT_TRUE(id["protected"].toBool());
  EXPECT_FALSE(
      JsonOf(Run({"info", "--json", "--port", "4"}))["result"].toObject()["protected"].toBool());

  const QJsonObject read = JsonOf(Run({"read", "--json"}));
  const QString config = read["result"].toObject()["config"].toString();
  EXPECT_TRUE(config.startsWith("[Main_Info]")) << config.toStdString();
  const QJsonArray params = read["result"].toObject()["parameters"].toArray();
  ASSERT_EQ(params.size(), 19);
  EXPECT_EQ(params[0].toObject()["key"].toString(), "Hose_length");
  EXPECT_EQ(params[0].toObject()["unit"].toString(), "m");

  WriteText("job.ini", WithValue(config.toStdString(), "Humidity", "42"));
  const QJsonObject write = JsonOf(Run({"write", "job.ini", "--json"}));
  EXPECT_TRUE(write["ok"].toBool());
  const QJsonArray changed = write["result"].toObject()["changed"].toArray();
  ASSERT_EQ(changed.size(), 1);
  EXPECT_EQ(changed[0].toObject()["key"].toString(), "Humidity");
  EXPECT_EQ(changed[0].toObject()["to"].toString(), "42");
  EXPECT_TRUE(write["result"].toObject()["differences"].toArray().isEmpty());

  WriteText("old.ini", config.toStdString());
  const TResult diffRun = Run({"diff", "old.ini", "--json"});
  EXPECT_EQ(diffRun.Exit, 3);
  const QJsonObject diff = JsonOf(diffRun);
  EXPECT_FALSE(diff["ok"].toBool());
  const QJsonArray differences = diff["result"].toObject()["differences"].toArray();
  ASSERT_EQ(differences.size(), 1);
  EXPECT_EQ(differences[0].toObject()["instrument"].toString(), "42");

  // A failure is an object too, with the messages.
  const TResult none = Run({"info", "--json", "--port", "6"});
  EXPECT_EQ(none.Exit, 2);
  const QJsonObject failed = JsonOf(none);
  EXPECT_EQ(failed["exit"].toInt(), 2);
  EXPECT_EQ(failed["messages"].toArray()[0].toObject()["text"].toString(),
            "COMPORT 6 could not be opened!");

  const QJsonObject live = JsonOf(Run({"live", "--count", "2", "--json"}));
  EXPECT_EQ(live["result"].toObject()["readings"].toArray().size(), 2);
}

// ---- The command line ----

TEST_F(DtoolTest, UsageErrorsGiveOneLineAndStatusOne) {
  const QStringList cases[] = {
      {},
      {"frobnicate"},
      {"info", "--colour"},
      {"info", "--port", "9"},
      {"info", "--port", "0"},
      {"info", "--port", "COM1"},
      {"info", "--port"},
      {"info", "--wait", "-1"},
      {"write"},
      {"diff"},
      {"read", "--count", "3"},
      {"info", "extra"},
      {"write", "a.ini", "b.ini"},
      {"live", "--count", "0"},
      {"report"},
      {"info", "--code", "70000"},
      {"info", "--json=yes"},
  };
  for (const QStringList& args : cases) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const TResult r = Run(args);
    EXPECT_EQ(r.Exit, 1) << ::testing::PrintToString(r);
    EXPECT_EQ(r.ErrLines().size(), 1u) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
  const TResult env = Run({"info"}, {{"DTOOL_CODE", "secret"}});
  EXPECT_EQ(env.Exit, 1);
  EXPECT_NE(env.Err.find("DTOOL_CODE"), std::string::npos) << env.Err;

  const TResult help = Run({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_NE(help.Out.find("Usage: dtool"), std::string::npos);
  const TResult version = Run({"--version"});
  EXPECT_EQ(version.Exit, 0);
  EXPECT_EQ(version.Out, "dtool V4.11 (DravonTool - Win)\n");
}

// ---- The port and the instrument ----

TEST_F(DtoolTest, NoInstrumentOrPortGivesStatusTwo) {
  TResult r = Run({"info", "--port", "5", "--wait", "0"});
  EXPECT_EQ(r.Exit, 2) << ::testing::PrintToString(r);
  EXPECT_EQ(r.Err, "No known instrument connected!\n");
  r = Run({"read", "--port", "6"});
  EXPECT_EQ(r.Exit, 2) << ::testing::PrintToString(r);
  EXPECT_EQ(r.Err, "COMPORT 6 could not be opened!\n");
}

// Without --port the port of the settings file beside the program is used.
TEST_F(DtoolTest, DefaultPortComesFromTheSettingsFile) {
  EXPECT_NE(Run({"info"}).Out.find("DravonDat"), std::string::npos);
  WriteSetFile(4, unit::mbar);
  const TResult r = Run({"info"});
  EXPECT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
  EXPECT_NE(r.Out.find("DravonSwitch"), std::string::npos) << r.Out;
  // The settings file's units name the file's units.
  EXPECT_EQ(ValueOf(Run({"read"}).Out, "Unit_diff_press"), "mbar");
  EXPECT_NE(Run({"info", "--port", "2"}).Out.find("Dravon-STV"), std::string::npos);

  // A damaged file is told, and its defaults (COM1) are used.
  WriteText("DToolPc.SET", "short");
  const TResult damaged = Run({"info"});
  EXPECT_EQ(damaged.Exit, 0) << ::testing::PrintToString(damaged);
  EXPECT_EQ(damaged.Err, "The configuration data could not be read!\n");
  EXPECT_NE(damaged.Out.find("DravonDat"), std::string::npos) << damaged.Out;
}

// An instrument powered up just before: --wait covers its start-up.
TEST_F(DtoolTest, WaitsForAnInstrumentThatIsNotReadyYet) {
  std::string bench = Bench;
  bench.insert(bench.find("[COM2]"), "StartupMs = 1500\n");
  WriteText("bench.ini", bench);
  TResult r = Run({"info", "--wait", "0"});
  EXPECT_EQ(r.Exit, 2) << ::testing::PrintToString(r);
  EXPECT_NE(r.Err.find("Instrument is not operational yet."), std::string::npos) << r.Err;
  r = Run({"info", "--wait", "5"});
  EXPECT_EQ(r.Exit, 0) << ::testing::PrintToString(r);
}

} // namespace
} // namespace dtool

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
