// Read data and Write data of the main window against the bench through the real link
// libraries: what the window shows after a read of every type, after a failed read, a round
// trip through its controls, the instrument and a new run, a corrected value, the class check,
// the code dialog, and the command-line options of the write. The walks themselves are tested
// on the session (tests/session).
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "benchform.h"
#include "dialogscript.h"
#include "link/instlink.h"
#include "tools/options.h"
#include "ui/controls/editreal.h"

namespace dtool::test {

void PrintTo(const ScriptedPort::Message& m, std::ostream* os) {
  *os << m.kind << " \"" << m.text << "\"";
}

namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;

const std::string Success = "Transfer was successful!";
const std::string Overwrite =
    "You have not read the actual configuration data from the instrument! \rOverwrite?";

std::string Instrument(int type, const std::string& extra = "") {
  return Com(1, "Instrument = " + std::to_string(type) +
                    "\nSerial = 1234567\nRangeMax = " + (type == 9 ? "500" : "200") + "\n" + extra);
}

// Settings of an earlier run that differ from every instrument's factory values.
TSetFileRecords Marked(int type) {
  TSetFileRecords r = RecordsFor(type);
  r.Class1.Speed = 2;
  r.Class1.Hose_length = 7.5;
  r.Class23.Filter_level = 9;
  r.Class23.AL1.ThresPress = -12;
  r.Switch.AlInt = 3;
  r.Switch.Al1Thre = -42;
  r.Switch.Hose_length = 7.5;
  return r;
}

// Replaces an edit's text as typing does; the window stores it at once.
void Enter(TEditReal* ed, const QString& text) {
  ed->InputEdit()->selectAll();
  ed->InputEdit()->insert(text);
}

void Pick(QComboBox* combo, int index) {
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

std::function<void(QDialog&)> EnterCode(const QString& code, bool ok = true) {
  return Fill({{"PrCodeEd", code}}, ok ? "OkBtn" : "BitBtn1");
}

int CountOf(const std::vector<std::string>& list, const std::string& item) {
  return static_cast<int>(std::count(list.begin(), list.end(), item));
}

class ReadWriteTest : public BenchFormTest {
protected:
  // Connects one instrument, opens the window with the settings given and reads it.
  TMainForm& ReadOn(int type, const TSetFileRecords& records, const std::string& extra = "") {
    StartBench(Instrument(type, extra));
    TMainForm& f = Open(records);
    f.ReadBtn->click();
    EXPECT_TRUE(f.sett->ConfigRead()) << (port.messages.empty() ? "" : port.Texts().front());
    port.Clear();
    ClearTrace();
    return f;
  }
  TMainForm& ReadOn(int type, const std::string& extra = "") {
    return ReadOn(type, RecordsFor(type), extra);
  }
};

// --- Read ---------------------------------------------------------------------------------

TEST_F(ReadWriteTest, ReadDataOfEveryTypeShowsItsIdentityPagesAndValues) {
  const std::map<int, std::set<QString>> pages = {
      {1, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic"}},
      {2, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic", "DispPg"}},
      {3, {"MeasPgStatic", "AlarmPgStatic"}},
      {4, {"MeasPgStatic", "AlarmPgStatic", "DispPg"}},
      {5, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic"}},
      {6, {"MeasPgStatic", "AnaOutPg", "AlarmPgStatic", "DispPg"}},
      {7, {"MeasPgStatic", "AlarmPgStatic"}},
      {8, {"MeasPgStatic", "AlarmPgStatic", "DispPg"}},
      {9, {"AlarmPg", "EnvirPg"}},
      {10, {"MeasPg", "AnaOutPg", "EnvirPg"}},
      {11, {"MeasPg", "AnaOutPg", "EnvirPg", "DispPg"}},
  };
  for (const auto& [type, shown] : pages) {
    SCOPED_TRACE(type);
    StartBench(Instrument(type));
    // The window comes up with no type and the values of an earlier run.
    TMainForm& f = Open(Marked(0));
    std::ofstream(LogFile()) << "old";
    f.ReadBtn->click();
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_TRUE(f.sett->ConfigRead());
    EXPECT_TRUE(f.PrintAllowed());
    EXPECT_EQ(f.InstTypeEd->text().toStdString(), InstTypeName(type));
    EXPECT_EQ(f.SerialEd->text(), QStringLiteral("1234567"));
    EXPECT_EQ(f.RangeEd->text(),
              type == 9 ? QStringLiteral("0 .. 500 Pa") : QStringLiteral("-200 .. 200 Pa"));
    EXPECT_EQ(ShownPages(f), shown);
    EXPECT_TRUE(f.WriteBtn->isEnabled());
    const TSettings& s = *f.sett;
    if (type == 9) {
      // The factory configuration of the switch, in its controls.
      EXPECT_EQ(s.Switch.AlInt, 5);
      EXPECT_EQ(f.AlIntCb->currentIndex(), 4);
      EXPECT_EQ(s.Switch.Al1Thre, 10.0);
      EXPECT_EQ(f.A1GrKlCb->currentIndex(), 1);
      EXPECT_EQ(f.Al1ThreEdr->Value(), 10.0);
      EXPECT_EQ(f.HoseLenEd->Value(), 0.3);
      EXPECT_FALSE(std::filesystem::exists(LogFile())) << "a switch read leaves no log";
      continue;
    }
    if (type <= 8) {
      EXPECT_EQ(s.Class23.Filter_level, 0);
      EXPECT_EQ(f.CbFiltLevPstat->currentIndex(), 0);
      EXPECT_EQ(s.Class23.AL1.ThresPress, -160.0); // -80 % of the range
      EXPECT_EQ(f.EdrAl1ThreStatic->Value(), -160.0);
      EXPECT_EQ(s.Class23.An_to, 200.0);
    } else {
      EXPECT_EQ(s.Class1.Speed, 5);
      EXPECT_EQ(f.IntCb->currentIndex(), 4);
      EXPECT_EQ(s.Class1.Hose_length, 0.3);
      EXPECT_EQ(f.HoseLenEd->Value(), 0.3);
      EXPECT_EQ(s.Class1.An_to, 200.0);
      EXPECT_EQ(f.AnToEd->Value(), 200.0);
      EXPECT_EQ(s.Cap_level(), 2);
    }
    const std::string log = ReadTextFile(LogFile());
    EXPECT_NE(log.find("Trans_ID=ReadLog"), std::string::npos) << log;
    EXPECT_NE(log.find("1234567"), std::string::npos) << log;
  }
}

TEST_F(ReadWriteTest, AReadThatFailsAtOneParameterLeavesDefaultsAndNoIdentityOrLog) {
  StartBench(Instrument(10, "FaultAnswer = A204:5"));
  TMainForm& f = Open(Marked(10));
  Ask(0xB200, 2500); // a hose length that is read before the failing parameter
  std::ofstream(LogFile()) << "old";
  ClearTrace();
  f.ReadBtn->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "Read error of parameter \"Measurement Interval\"\rInstrument error "
                            "(cc) Nr. 0x0005."}}));
  EXPECT_EQ(AnalogCommands().back(), "A204") << "the walk ends at the failure";
  EXPECT_FALSE(f.sett->ConfigRead());
  EXPECT_FALSE(f.PrintAllowed());
  EXPECT_EQ(f.sett->Class1.Hose_length, 0.3);
  EXPECT_EQ(f.sett->Class1.Speed, 5);
  EXPECT_EQ(f.InstTypeEd->text(), QString());
  EXPECT_EQ(f.SerialEd->text(), QString());
  EXPECT_FALSE(f.WriteBtn->isEnabled());
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
  EXPECT_FALSE(f.Terminated());
}

// A line that fails on the identify command leaves no type to take: the relay twin the window
// held is not kept, and nothing counts as read.
TEST_F(ReadWriteTest, AReadWhoseIdentifyTheLineLosesTakesNoType) {
  for (int type : {1, 2, 5, 6}) {
    SCOPED_TRACE(type);
    StartBench(Instrument(type, "FaultLinkError = F001"));
    TMainForm& f = Open(Marked(type + 2));
    ASSERT_EQ(f.InstTypeEd->text().toStdString(), InstTypeName(type + 2));
    f.ReadBtn->click();
    EXPECT_EQ(port.messages, (Msgs{{"Error", "Communication with instrument not possible!"}}));
    EXPECT_EQ(f.sett->InstType(), 0);
    EXPECT_EQ(f.InstTypeEd->text(), QString());
    EXPECT_EQ(f.SerialEd->text(), QString());
    EXPECT_FALSE(f.sett->ConfigRead());
    EXPECT_FALSE(f.PrintAllowed());
    EXPECT_FALSE(f.WriteBtn->isEnabled());
    port.Clear();
  }
}

// --- Write --------------------------------------------------------------------------------

struct TRoundTrip {
  int type;
  std::function<void(TMainForm&)> edit;
  std::function<void(const TMainForm&)> check;
};

TEST_F(ReadWriteTest, WrittenValuesComeBackWithANewReadAndInANewRun) {
  const TRoundTrip cases[] = {
      {10,
       [](TMainForm& f) {
         Pick(f.IntCb, 1);
         Enter(f.HoseLenEd, "2.5");
         Enter(f.AnToEd, "150");
       },
       [](const TMainForm& f) {
         EXPECT_EQ(f.sett->Class1.Speed, 2);
         EXPECT_EQ(f.IntCb->currentIndex(), 1);
         EXPECT_EQ(f.sett->Class1.Hose_length, 2.5);
         EXPECT_EQ(f.AnToEd->Value(), 150.0);
       }},
      {6,
       [](TMainForm& f) {
         Pick(f.CbFiltLevPstat, 7);
         Enter(f.EdrAl1ThreStatic, "-50");
       },
       [](const TMainForm& f) {
         EXPECT_EQ(f.sett->Class23.Filter_level, 7);
         EXPECT_EQ(f.CbFiltLevPstat->currentIndex(), 7);
         EXPECT_EQ(f.sett->Class23.AL1.ThresPress, -50.0);
         EXPECT_EQ(f.EdrAl1ThreStatic->Value(), -50.0);
       }},
      {9,
       [](TMainForm& f) {
         Pick(f.AlIntCb, 2);
         Enter(f.HoseLenEd, "2.5");
         Enter(f.Al1ThreEdr, "42");
       },
       [](const TMainForm& f) {
         EXPECT_EQ(f.sett->Switch.AlInt, 3);
         EXPECT_EQ(f.AlIntCb->currentIndex(), 2);
         EXPECT_EQ(f.sett->Switch.Hose_length, 2.5);
         EXPECT_EQ(f.sett->Switch.Al1Thre, 42.0);
         EXPECT_EQ(f.Al1ThreEdr->Value(), 42.0);
       }},
  };
  for (const TRoundTrip& c : cases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = ReadOn(c.type);
    c.edit(f);
    EXPECT_FALSE(f.PrintAllowed()) << "an edit clears the printout";
    f.WriteBtn->click();
    EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
    EXPECT_TRUE(f.sett->ConfigRead());
    EXPECT_EQ(f.PrintAllowed(), c.type != 9);
    if (c.type != 9) {
      EXPECT_NE(ReadTextFile(LogFile()).find("Trans_ID=WriteLog"), std::string::npos);
      const std::vector<std::string> cmds = AnalogCommands();
      EXPECT_EQ(cmds.end()[-2], "B10C");
      EXPECT_EQ(cmds.end()[-1], "B10D");
    }
    // The working values go back to the defaults; a new read brings the written ones.
    f.sett->SetDefaults(true, false);
    port.Clear();
    f.ReadBtn->click();
    EXPECT_EQ(port.messages, Msgs{});
    c.check(f);
    // A new run of the program, from settings without them, finds them in the instrument.
    form.reset();
    ReloadBench();
    TMainForm& again = Open(RecordsFor(c.type));
    again.ReadBtn->click();
    EXPECT_EQ(port.messages, Msgs{});
    c.check(again);
  }
}

TEST_F(ReadWriteTest, AValueTheInstrumentCorrectsIsReadBackAndTheWriteGoesOn) {
  TMainForm& f = ReadOn(10);
  Enter(f.AnToEd, "300"); // beyond the sensor's range of 200 Pa
  f.WriteBtn->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"Warning", "Parameter \"Analog Output To\" was out of permissible range and "
                              "therefore it has been corrected! "},
                  {"Info", Success}}));
  EXPECT_EQ(f.sett->Class1.An_to, 200.0);
  EXPECT_EQ(f.AnToEd->Value(), 200.0);
  const std::vector<std::string> cmds = AnalogCommands();
  EXPECT_EQ(CountOf(cmds, "B301"), 1);
  EXPECT_EQ(CountOf(cmds, "A301"), 1) << "read back once";
  EXPECT_EQ(cmds.back(), "B10D") << "the walk went on to the end";
}

// A write the line breaks off after the first positions tells the operator, after the line's
// error, which parameters the instrument took without storing them; one that breaks off at the
// first position only reports the error.
TEST_F(ReadWriteTest, AWriteThatFailsPartWayTellsWhatTheInstrumentHolds) {
  const Msg lineError{"Error",
                      "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3"};
  struct TCase {
    const char* fault;
    Msgs messages;
  };
  const TCase cases[] = {
      {"FaultLinkError = B309", {lineError}},
      {"FaultLinkError = B201",
       {lineError,
        {"Warning", "The instrument now holds a partly written configuration that has not been "
                    "stored!\rWritten before the error: \"Controlflag AnOut velocity\", \"Std. "
                    "Hose length\"\rWrite data again, or read data to see what the instrument "
                    "holds."}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fault);
    TMainForm& f = ReadOn(10, c.fault);
    Enter(f.HoseLenEd, "2.5");
    f.WriteBtn->click();
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(CountOf(AnalogCommands(), "B10C"), 0) << "nothing is stored";
    EXPECT_TRUE(f.sett->ConfigRead());
    EXPECT_EQ(f.HoseLenEd->Value(), 2.5) << "the window keeps the operator's value";
  }
}

TEST_F(ReadWriteTest, WriteChecksTheClassOfTheConnectedInstrument) {
  // Another class: refused with both names, nothing sent.
  StartBench(Instrument(1));
  TMainForm& f = Open(RecordsFor(10));
  port.Answer({true});
  f.WriteBtn->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"ErrorYesNo", Overwrite},
                  {"Warning", "The DravonTool has been set to DravonDat. You cannot perform this "
                              "operation to Dravon-STD."}}));
  EXPECT_EQ(AnalogCommands(), std::vector<std::string>{"F001"}) << "detection only";
  EXPECT_EQ(f.sett->InstType(), 10);
  EXPECT_EQ(f.InstTypeEd->text(), QStringLiteral("DravonDat"));

  // The same class: the tool takes the connected type and writes.
  StartBench(Instrument(11));
  TMainForm& g = Open(RecordsFor(10));
  port.Clear();
  port.Answer({true});
  g.WriteBtn->click();
  EXPECT_EQ(port.messages, (Msgs{{"ErrorYesNo", Overwrite}, {"Info", Success}}));
  EXPECT_EQ(g.sett->InstType(), 11);
  EXPECT_EQ(g.InstTypeEd->text(), QStringLiteral("DravonVision"));
  EXPECT_EQ(g.SerialEd->text(), QStringLiteral("1234567"));

  // Nothing connected.
  StartBench(Com(1, "Instrument = none"));
  TMainForm& h = Open(RecordsFor(10));
  port.Clear();
  port.Answer({true});
  h.WriteBtn->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"ErrorYesNo", Overwrite}, {"Warning", "No known instrument connected!"}}));
}

// --- Protection codes ---------------------------------------------------------------------

TEST_F(ReadWriteTest, AProtectedAnalogInstrumentAsksForItsCodeOnce) {
  TMainForm& f = ReadOn(10, "ProtectionCode = 4711");
  Pick(f.IntCb, 2);
  {
    // The session's code prompt is the code dialog.
    TDialogScript script;
    script.On("EnterPrCodeForm", [](QDialog& d) {
      EXPECT_EQ(d.windowTitle(), QStringLiteral("Enter protection code"));
      EXPECT_EQ(Child<QLabel>(d, "CodeLb")->text(), QStringLiteral("Protection code"));
      EnterCode("4711")(d);
    });
    f.WriteBtn->click();
  }
  EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
  EXPECT_EQ(f.Session().ProtCode(), 4711);
  EXPECT_EQ(Ask(0xA204).BBAA, 3);
  // The code is remembered: the next write asks nothing.
  port.Clear();
  Pick(f.IntCb, 3);
  {
    TDialogScript script; // no dialog
    f.WriteBtn->click();
  }
  EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
  EXPECT_EQ(Ask(0xA204).BBAA, 4);
}

// --- Command-line options -----------------------------------------------------------------

TEST_F(ReadWriteTest, PrAndIdWriteASecondLog) {
  const std::string second = (std::filesystem::path(dir.path().toStdString()) / "x.ini").string();
  SetCommandLine({"/pr" + second, "/id42"});
  TMainForm& f = ReadOn(10);
  f.WriteBtn->click();
  EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
  EXPECT_NE(ReadTextFile(LogFile()).find("Trans_ID=WriteLog"), std::string::npos);
  const std::string log = ReadTextFile(second);
  EXPECT_NE(log.find("Trans_ID=42"), std::string::npos) << log;
  EXPECT_NE(log.find("1234567"), std::string::npos) << log;

  // A second log that cannot be written is reported; the write stays done.
  const std::string nowhere = second + "/missing/y.ini";
  SetCommandLine({"/PR" + nowhere});
  port.Clear();
  f.WriteBtn->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"Info", Success}, {"Error", "Unable to write file \"" + nowhere + "\"!"}}));
  EXPECT_TRUE(f.sett->ConfigRead());
}

TEST_F(ReadWriteTest, TestModeWritesWithoutQuestionsAndEnds) {
  SetCommandLine({"/K58"});
  StartBench(Instrument(10));
  TMainForm& f = Open(RecordsFor(10));
  QSignalSpy ended(&f, &TMainForm::TerminateRequested);
  f.WriteBtn->click();
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_TRUE(f.Terminated());
  EXPECT_EQ(ended.count(), 1);
  EXPECT_EQ(AnalogCommands().back(), "B10D");
  EXPECT_NE(ReadTextFile(LogFile()).find("Trans_ID=WriteLog"), std::string::npos);
}

} // namespace
} // namespace dtool::test
