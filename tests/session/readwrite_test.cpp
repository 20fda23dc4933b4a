// Read data and Write data of the session, without any window, against the bench through the
// real link libraries: every type, the round trip through the instrument, corrected values,
// failed reads, the read-first question, the class check, protected switches, the wizards'
// backup and restore walks, the transfer logs and the options of a write.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "sessionfixture.h"

namespace dtool::test {
namespace {

const std::string Success = "Transfer was successful!";
const std::string Overwrite =
    "You have not read the actual configuration data from the instrument! \rOverwrite?";
const std::string RestoreFailed = "It was impossible to save back the original data to the "
                                  "instrument!\rDisconnect the instrument only if you see the "
                                  "main form on the screen! ";
const std::string LinkError3 = "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3";

int CountOf(const std::vector<std::string>& list, const std::string& item) {
  return static_cast<int>(std::count(list.begin(), list.end(), item));
}

class SessionReadWriteTest : public SessionTest {
protected:
  std::string LogFile() const { return (folder_ / LogFileBaseName).string(); }
  bool LogExists() const { return std::filesystem::exists(LogFile()); }
};

// --- Read ---------------------------------------------------------------------------------

TEST_F(SessionReadWriteTest, ReadOfEveryTypeFillsItsRecordAndIdentityAndLogsTheAnalogFamily) {
  for (int type = 1; type <= MaxInstType; ++type) {
    SCOPED_TRACE(type);
    // The session starts with no type and the values of an earlier run.
    Start(Instrument(type), 0);
    Sett().Class1.Speed = 2;
    Sett().Class23.Filter_level = 9;
    Sett().Switch.AlInt = 3;
    std::ofstream(LogFile()) << "old";
    EXPECT_EQ(S().Read(), TOutcome::Done);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_TRUE(Sett().ConfigRead());
    EXPECT_TRUE(S().LastTransferSucceeded());
    EXPECT_EQ(Sett().InstType(), type);
    const TShownIdentity shown = ShownIdentity(Sett());
    EXPECT_EQ(shown.InstType, InstTypeName(type));
    EXPECT_EQ(shown.Serial, "1234567");
    EXPECT_EQ(shown.Range, type == 9 ? "0 .. 500 Pa" : "-200 .. 200 Pa");
    EXPECT_GE(view.Count("IdentityChanged"), 1);
    EXPECT_GE(view.Count("ConfigurationChanged"), 1);
    if (type == 9) {
      EXPECT_EQ(Sett().Switch.AlInt, 5);
      EXPECT_EQ(Sett().Switch.Al1Thre, 10.0);
      EXPECT_EQ(view.Count("SwitchConfigRead"), 1);
      EXPECT_FALSE(LogExists()) << "a switch read leaves no log";
      continue;
    }
    if (type <= 8) {
      EXPECT_EQ(Sett().Class23.Filter_level, 0);
      EXPECT_EQ(Sett().Class23.AL1.ThresPress, -160.0); // -80 % of the range
      EXPECT_EQ(Sett().Class23.An_to, 200.0);
    } else {
      EXPECT_EQ(Sett().Class1.Speed, 5);
      EXPECT_EQ(Sett().Class1.Hose_length, 0.3);
      EXPECT_EQ(Sett().Class1.An_to, 200.0);
      EXPECT_EQ(Sett().Cap_level(), 2);
    }
    const std::string log = ReadTextFile(LogFile());
    EXPECT_NE(log.find("Trans_ID=ReadLog"), std::string::npos) << log;
    EXPECT_NE(log.find("SerialNr=1234567"), std::string::npos) << log;
    EXPECT_NE(log.find("SensorRange=-200 .. 200 Pa"), std::string::npos) << log;
  }
}

TEST_F(SessionReadWriteTest, ATransmitterWithoutVelocityCapabilityTransfersFifteenParameters) {
  for (int cap : {0, 2}) {
    SCOPED_TRACE(cap);
    Start(Instrument(10, "CapLevel = " + std::to_string(cap)), 10);
    EXPECT_EQ(S().Read(), TOutcome::Done);
    EXPECT_EQ(port.messages, Msgs{});
    std::vector<std::string> cmds = AnalogCommands();
    // The walk follows the last check of the control registers.
    const auto walk = std::find(cmds.rbegin(), cmds.rend(), "A109").base();
    EXPECT_EQ(cmds.end() - walk, cap == 0 ? 15 : 20);
  }
}

TEST_F(SessionReadWriteTest, AReadThatFailsLeavesDefaultsNoIdentityAndNoLog) {
  struct TCase {
    const char* name;
    const char* fault;
    std::string message;
    std::string lastCommand; // the walk ends there
  };
  const TCase cases[] = {
      {"instrument error at one parameter", "FaultAnswer = A204:5",
       "Read error of parameter \"Measurement Interval\"\rInstrument error (cc) Nr. 0x0005.",
       "A204"},
      {"the instrument vanishes", "FaultLinkError = A10F:2",
       "Communication with instrument not possible!\r\rDDatDLL Error Nr. 2", "A10F"},
      {"an unknown status", "FaultAnswer = A10F:119",
       "Read error of parameter \"Filter (moving average) Readings\"\rInstrument error (cc) Nr. "
       "0x0077.",
       "A10F"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start(Instrument(10, c.fault), 10);
    Sett().Class1.Speed = 2;
    Ask(0xB200, 2500); // a hose length that is read before the failing parameter
    std::ofstream(LogFile()) << "old";
    ClearTrace();
    EXPECT_EQ(S().Read(), TOutcome::Failed);
    EXPECT_EQ(port.messages, (Msgs{{"Error", c.message}}));
    EXPECT_EQ(AnalogCommands().back(), c.lastCommand);
    EXPECT_FALSE(Sett().ConfigRead());
    EXPECT_FALSE(S().LastTransferSucceeded());
    EXPECT_EQ(Sett().Class1.Hose_length, 0.3) << "defaults";
    EXPECT_EQ(Sett().Class1.Speed, 5);
    EXPECT_EQ(Sett().InstType(), 0) << "the identity is gone, the type with it";
    EXPECT_EQ(ShownIdentity(Sett()).Serial, "");
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(view.Count("EndApplication"), 0);
  }
}

// A model with analog output and its relay twin answer the same type code; only the bits of
// the identify command's answer tell them apart. An identify the instrument refuses, or one
// the line loses, gives no bits to trust, so no type is taken and nothing is read: also not
// when the tool held the twin before.
TEST_F(SessionReadWriteTest, AnIdentifyWithoutAnAnswerGivesNoType) {
  for (const char* fault : {"FaultAnswer = F001:5", "FaultLinkError = F001"}) {
    for (int type : {1, 2, 5, 6}) {
      for (int before : {0, type + 2}) {
        SCOPED_TRACE(std::string(fault) + ", type " + std::to_string(type) + ", held " +
                     std::to_string(before));
        Start(Instrument(type, fault), static_cast<std::uint8_t>(before));
        EXPECT_EQ(S().Read(), TOutcome::NoInstrument);
        EXPECT_EQ(Sett().InstType(), 0) << "not the relay twin " << type + 2;
        EXPECT_FALSE(Sett().ConfigRead());
        EXPECT_FALSE(S().LastTransferSucceeded());
        EXPECT_EQ(port.messages, (Msgs{{"Error", "Communication with instrument not possible!"}}));
        const std::vector<std::string> cmds = AnalogCommands();
        ASSERT_FALSE(cmds.empty());
        EXPECT_EQ(cmds.back(), "F001") << "nothing is read after the identify";
        EXPECT_EQ(CallsOf("IsDSwitchConn").size(), before == 0 ? 1u : 0u)
            << "a failed detection is not followed by the other family";
      }
    }
  }
}

TEST_F(SessionReadWriteTest, ARecordTheViewsCannotKeepFailsTheRead) {
  // Views that cannot keep an interval of 7, nor a switch threshold of 10 Pa (the switch's
  // factory value).
  checks.Class1 = [](const TClass1Params& p) { return p.Speed != 7; };
  checks.Switch = [](const TSwitchParams& p) { return p.Al1Thre != 10.0; };
  Start(Instrument(10), 10);
  Ask(0xB204, 7);
  std::ofstream(LogFile()) << "old";
  EXPECT_EQ(S().Read(), TOutcome::Unusable);
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. "
                            "1000"}}));
  EXPECT_EQ(Sett().Class1.Speed, 5) << "defaults";
  EXPECT_FALSE(Sett().ConfigRead());
  EXPECT_FALSE(LogExists());

  // The switch's record is refused before it is taken.
  Start(Instrument(9), 9);
  Sett().Switch.AlInt = 3;
  EXPECT_EQ(S().Read(), TOutcome::Unusable);
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error "
                            "Nr. 1000"}}));
  EXPECT_EQ(Sett().Switch.AlInt, 5) << "defaults";
  EXPECT_FALSE(Sett().ConfigRead());
  EXPECT_EQ(Sett().InstType(), 0);
}

TEST_F(SessionReadWriteTest, ASwitchWithARecordOfANewerToolLoadsTheDefaults) {
  Start(Instrument(9, "FaultNewer = yes"), 9);
  Sett().Switch.AlInt = 3;
  Sett().Switch.Al1Thre = -42;
  EXPECT_EQ(S().Read(), TOutcome::Unusable);
  EXPECT_EQ(port.messages,
            (Msgs{{"Warning",
                   "Compensation algorithm is not supported!\r\rThe actual settings can not be "
                   "read from the instrument because they have been written by a newer version "
                   "of DravonTool!\rDefault settings will be loaded!"}}));
  EXPECT_FALSE(Sett().ConfigRead());
  EXPECT_FALSE(S().LastTransferSucceeded());
  EXPECT_EQ(Sett().Switch.AlInt, 5);
  EXPECT_EQ(Sett().Switch.Al1Thre, 10.0);
  EXPECT_EQ(Sett().InstType(), 9) << "the identity stays";
  EXPECT_EQ(view.Count("SwitchConfigRead"), 0);
}

// The defaults loaded in place of a record of a newer tool were not read from the instrument:
// also after an earlier good read, Write data asks before it sends them.
TEST_F(SessionReadWriteTest, DefaultsInPlaceOfANewerRecordCountAsNotRead) {
  ReadOn(9);
  TBenchControl::Get().Plug(1, "Instrument = DravonSwitch\nFaultNewer = yes");
  EXPECT_EQ(S().Read(), TOutcome::Unusable);
  EXPECT_FALSE(Sett().ConfigRead());
  port.Clear();
  port.Answer({false});
  EXPECT_EQ(S().Write(), TOutcome::Declined);
  EXPECT_EQ(port.messages, (Msgs{{"ErrorYesNo", Overwrite}}));
  EXPECT_EQ(CallsOf("SetConf").size(), 0u);
}

// Read data when detection finds no instrument: nothing connected, a port that fails while
// the type is asked for, a port found closed there.
TEST_F(SessionReadWriteTest, AReadWhoseDetectionFindsNoInstrumentReadsNothing) {
  const std::string NoComm = "Communication with instrument not possible!";
  struct TCase {
    const char* name;
    std::string plug;  // what COM1 holds at the read
    std::string fault; // the port's faults
    TOutcome outcome;
    Msgs messages;
    bool ends;
  };
  const TCase cases[] = {
      {"nothing connected",
       "Instrument = none",
       "",
       TOutcome::NoInstrument,
       {{"Error", NoComm}},
       false},
      {"the line fails at the type query",
       "Instrument = DravonDat",
       "FaultLinkError = GetInstType:2",
       TOutcome::NoInstrument,
       {{"Error", NoComm}},
       false},
      {"the port closes at the type query",
       "Instrument = DravonDat",
       "FaultLinkError = GetInstType:1",
       TOutcome::PortUnavailable,
       {{"Error", "As COMPORT could not be opened, the program will closed! "}},
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadOn(10);
    Sett().Class1.Speed = 3;
    TBenchControl::Get().Plug(1, c.plug);
    TBenchControl::Get().SetFault(1, c.fault);
    ClearTrace();
    view.calls.clear();
    EXPECT_EQ(S().Read(), c.outcome);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(view.Count("EndApplication"), c.ends ? 1 : 0);
    EXPECT_FALSE(S().LastTransferSucceeded()) << "no printout";
    if (c.outcome == TOutcome::NoInstrument) {
      EXPECT_EQ(Sett().InstType(), 0);
      EXPECT_FALSE(Sett().ConfigRead());
    } else {
      EXPECT_EQ(Sett().InstType(), 10) << "the type stays";
    }
    // No parameter is read: the operator's values stay.
    EXPECT_EQ(Sett().Class1.Speed, 3);
    EXPECT_EQ(AnalogCommands(), std::vector<std::string>{}) << "no parameter is asked for";
  }
}

// --- Write --------------------------------------------------------------------------------

TEST_F(SessionReadWriteTest, WrittenValuesComeBackWithANewRead) {
  struct TCase {
    int type;
    std::function<void(TSettings&)> edit;
    std::function<void(const TSettings&)> check;
  };
  const TCase cases[] = {
      {10,
       [](TSettings& s) {
         s.Class1.Speed = 2;
         s.Class1.Hose_length = 2.5;
         s.Class1.An_to = 150;
       },
       [](const TSettings& s) {
         EXPECT_EQ(s.Class1.Speed, 2);
         EXPECT_EQ(s.Class1.Hose_length, 2.5);
         EXPECT_EQ(s.Class1.An_to, 150.0);
       }},
      {6,
       [](TSettings& s) {
         s.Class23.Filter_level = 7;
         s.Class23.AL1.ThresPress = -50;
       },
       [](const TSettings& s) {
         EXPECT_EQ(s.Class23.Filter_level, 7);
         EXPECT_EQ(s.Class23.AL1.ThresPress, -50.0);
       }},
      {9,
       [](TSettings& s) {
         s.Switch.AlInt = 3;
         s.Switch.Hose_length = 2.5;
         s.Switch.Al1Thre = 42;
       },
       [](const TSettings& s) {
         EXPECT_EQ(s.Switch.AlInt, 3);
         EXPECT_EQ(s.Switch.Hose_length, 2.5);
         EXPECT_EQ(s.Switch.Al1Thre, 42.0);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.type);
    ReadOn(c.type);
    c.edit(Sett());
    S().ConfigurationEdited();
    EXPECT_FALSE(S().LastTransferSucceeded()) << "an edit takes the printout away";
    EXPECT_EQ(S().Write(), TOutcome::Done);
    EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
    EXPECT_TRUE(Sett().ConfigRead());
    // A switch write allows no printout and leaves no log.
    EXPECT_EQ(S().LastTransferSucceeded(), c.type != 9);
    EXPECT_EQ(LogExists(), c.type != 9);
    if (c.type != 9) {
      EXPECT_NE(ReadTextFile(LogFile()).find("Trans_ID=WriteLog"), std::string::npos);
      const std::vector<std::string> cmds = AnalogCommands();
      EXPECT_EQ(cmds.end()[-2], "B10C");
      EXPECT_EQ(cmds.end()[-1], "B10D");
    }
    Sett().SetDefaults(true, false);
    port.Clear();
    EXPECT_EQ(S().Read(), TOutcome::Done);
    EXPECT_EQ(port.messages, Msgs{});
    c.check(Sett());
  }
}

TEST_F(SessionReadWriteTest, AValueTheInstrumentCorrectsIsReadBackAndTheWriteGoesOn) {
  ReadOn(10);
  Sett().Class1.An_to = 300; // beyond the sensor's range of 200 Pa
  EXPECT_EQ(S().Write(), TOutcome::Done);
  EXPECT_EQ(port.messages,
            (Msgs{{"Warning", "Parameter \"Analog Output To\" was out of permissible range and "
                              "therefore it has been corrected! "},
                  {"Info", Success}}));
  EXPECT_EQ(Sett().Class1.An_to, 200.0);
  const std::vector<std::string> cmds = AnalogCommands();
  EXPECT_EQ(CountOf(cmds, "B301"), 1);
  EXPECT_EQ(CountOf(cmds, "A301"), 1) << "read back once";
  EXPECT_EQ(cmds.back(), "B10D") << "the walk went on to the end";
}

// The warning after a write that failed part-way, naming what the instrument took before.
Msg PartlyWritten(const std::string& names) {
  return {"Warning", "The instrument now holds a partly written configuration that has not been "
                     "stored!\rWritten before the error: " +
                         names +
                         "\rWrite data again, or read data to see what the instrument "
                         "holds."};
}

// The class-1 positions before the interval.
const std::string BeforeInterval =
    "\"Controlflag AnOut velocity\", \"Std. Hose length\", \"Atm. pressure\", \"Humidity\", "
    "\"Gain Sensor\", \"Display Contrast\", \"Analog Output From\", \"Analog Output To\", "
    "\"Analog Output Signal\", \"Analog Signal Offset\", \"Analog Signal Gain\", \"Display "
    "Unit\"";

// A write that fails part-way leaves the positions before it in the instrument, unstored and
// still measuring without them taken into use; the settings keep the operator's values. The
// operator is told which parameters the instrument took.
TEST_F(SessionReadWriteTest, AnAnalogWriteThatFailsPartWayStoresNothing) {
  struct TCase {
    const char* name;
    const char* fault;
    std::string message;
    int speedInInstrument; // the interval (B204) after the write
  };
  const TCase cases[] = {
      {"the line fails at the interval", "FaultLinkError = B204", LinkError3, 5},
      {"the instrument refuses the interval", "FaultAnswer = B204:5",
       "Write error of parameter \"Measurement Interval\"\rInstrument error (cc) Nr. 0x05.", 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadOn(10, c.fault);
    ASSERT_TRUE(LogExists());
    Sett().Class1.Hose_length = 2.5; // written before the interval
    Sett().Class1.Speed = 3;
    Sett().Class1.An_to = 150; // after it
    S().ConfigurationEdited();
    EXPECT_EQ(S().Write(), TOutcome::Failed);
    EXPECT_EQ(port.messages, (Msgs{{"Error", c.message}, PartlyWritten(BeforeInterval)}));
    const std::vector<std::string> writes = Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), "B204") << "the walk ends at the failing position";
    EXPECT_EQ(CountOf(writes, "B10C"), 0) << "nothing is stored";
    EXPECT_EQ(CountOf(writes, "B10D"), 0);
    EXPECT_EQ(Ask(0xA200).BBAA, 2500) << "the hose length reached the instrument";
    EXPECT_EQ(Ask(0xA204).BBAA, c.speedInInstrument);
    // The settings keep the operator's values; the configuration still counts as read.
    EXPECT_EQ(Sett().Class1.Hose_length, 2.5);
    EXPECT_EQ(Sett().Class1.Speed, 3);
    EXPECT_EQ(Sett().Class1.An_to, 150.0);
    EXPECT_TRUE(Sett().ConfigRead());
    EXPECT_FALSE(S().LastTransferSucceeded());
    EXPECT_FALSE(LogExists()) << "the read's log is gone";
    EXPECT_EQ(view.Count("EndApplication"), 0);
  }
}

// Where the walk stops decides what the warning names: nothing when the first position failed,
// each caption once when two parameters share one, and nothing for a walk that went to its
// end and failed only when it was to be stored.
TEST_F(SessionReadWriteTest, APartlyWrittenConfigurationNamesWhatTheInstrumentTook) {
  struct TCase {
    const char* name;
    int type;
    std::string extra;
    Msgs messages;
    bool storeTried = false;
  };
  const TCase cases[] = {
      {"the first position fails", 10, "FaultLinkError = B309", {{"Error", LinkError3}}},
      {"the second position fails",
       10,
       "FaultAnswer = B200:5",
       {{"Error", "Write error of parameter \"Std. Hose length\"\rInstrument error (cc) Nr. "
                  "0x05."},
        PartlyWritten("\"Controlflag AnOut velocity\"")}},
      {"a static model fails at the filter",
       1,
       "FaultLinkError = B10F",
       {{"Error", LinkError3},
        PartlyWritten("\"Gain Sensor\", \"Display Unit\", \"Display Contrast\", \"Analog "
                      "Output From\", \"Analog Output To\", \"Analog Output Signal\", "
                      "\"Analog Signal Offset\", \"Analog Signal Gain\"")}},
      {"the velocity constant's two halves are named once",
       10,
       "FaultLinkError = B207",
       {{"Error", LinkError3},
        PartlyWritten(BeforeInterval +
                      ", \"Measurement Interval\", \"Filter (moving average) Readings\", "
                      "\"Controlflag RS-232 velocity\", \"Constant C for velocity "
                      "calculation\"")}},
      {"every position written, the store fails",
       10,
       "FaultLinkError = B10C",
       {{"Error", LinkError3 + "\rStatus: OO=0xb1, CC=0x0c, BBAA=0x0000, oo=0xb1, cc=0x0c, "
                               "bbaa=0x0000"}},
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadOn(c.type, c.extra);
    EXPECT_EQ(S().Write(), TOutcome::Failed);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(CountOf(Writes(), "B10C"), c.storeTried ? 1 : 0);
  }
}

// A switch write that fails clears the configuration read: the instrument's record is unknown.
TEST_F(SessionReadWriteTest, ASwitchWriteTheLineFailsIsReportedAndCountsAsNotRead) {
  for (int status : {2, 3}) {
    SCOPED_TRACE(status);
    ReadOn(9, "FaultLinkError = SetConf:" + std::to_string(status));
    Sett().Switch.AlInt = 3;
    EXPECT_EQ(S().Write(), TOutcome::Failed);
    EXPECT_EQ(port.messages,
              (Msgs{{"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error "
                              "Nr. " +
                                  std::to_string(status)}}));
    EXPECT_EQ(CallsOf("SetConf").size(), 1u);
    EXPECT_FALSE(Sett().ConfigRead());
    EXPECT_FALSE(S().LastTransferSucceeded());
    EXPECT_EQ(Sett().Switch.AlInt, 3) << "the operator's record stays";
  }
}

// Values out of the switch's limits are corrected before the record is sent, each with its
// warning in the check's order; the thresholds keep their sign.
TEST_F(SessionReadWriteTest, ASwitchRecordIsLimitedBeforeItIsSent) {
  ReadOn(9);
  Sett().Switch.Hose_length = 40;
  Sett().Switch.Al2Hys = 60;
  Sett().Switch.Al1Thre = -800;
  Sett().Switch.Al2Thre = 0.1;
  view.calls.clear();
  EXPECT_EQ(S().Write(), TOutcome::Done);
  const auto corrected = [](const std::string& caption) {
    return Msg{"Warning", "Parameter \"" + caption +
                              "\" was out of permissible range and therefore it has been "
                              "corrected! "};
  };
  EXPECT_EQ(port.messages, (Msgs{corrected("Std. Hose length"),
                                 corrected("Hysteresis (Alarm 2)"),
                                 corrected("Threshold (Alarm 1)"),
                                 corrected("Threshold (Alarm 2)"),
                                 {"Info", Success}}));
  EXPECT_GE(view.Count("ConfigurationChanged"), 1) << "the views show the corrected values";
  EXPECT_EQ(Sett().Switch.Hose_length, 30.0);
  EXPECT_EQ(Sett().Switch.Al2Hys, 50.0);
  EXPECT_EQ(Sett().Switch.Al1Thre, -500.0);
  EXPECT_EQ(Sett().Switch.Al2Thre, 0.5);
  const std::vector<std::string> sent = Requests("SetConf");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "COM1 Hose_length=30 Atm_Press=966 Humidity=50 Gain_Sens=1 AlInt=5 Al1Dly=0 "
                     "Al2Dly=0 Al1Hys=0 Al2Hys=50 Al1Thre=-500 Al2Thre=0.5 code=0")
      << "the limited values go out";
}

TEST_F(SessionReadWriteTest, WriteWithoutAReadAsksWhetherToOverwrite) {
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes);
    Start(Instrument(10), 10);
    port.Answer({yes});
    EXPECT_EQ(S().Write(), yes ? TOutcome::Done : TOutcome::Declined);
    Msgs expected{{"ErrorYesNo", Overwrite}};
    if (yes)
      expected.push_back({"Info", Success});
    EXPECT_EQ(port.messages, expected);
    EXPECT_EQ(AnalogCommands().empty(), !yes) << "No sends nothing";
    EXPECT_EQ(Sett().ConfigRead(), yes);
  }
}

TEST_F(SessionReadWriteTest, WriteChecksTheClassOfTheConnectedInstrument) {
  struct TCase {
    const char* name;
    std::string bench;
    TOutcome outcome;
    Msgs messages; // after the question
    int typeAfter;
  };
  const TCase cases[] = {
      {"another class", Instrument(1), TOutcome::NoInstrument,
       Msgs{{"Warning", "The DravonTool has been set to DravonDat. You cannot perform this "
                        "operation to Dravon-STD."}},
       10},
      {"the same class", Instrument(11), TOutcome::Done, Msgs{{"Info", Success}}, 11},
      {"nothing connected", Com(1, "Instrument = none"), TOutcome::NoInstrument,
       Msgs{{"Warning", "No known instrument connected!"}}, 10},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.bench, 10);
    port.Answer({true});
    EXPECT_EQ(S().Write(), c.outcome);
    Msgs expected{{"ErrorYesNo", Overwrite}};
    expected.insert(expected.end(), c.messages.begin(), c.messages.end());
    EXPECT_EQ(port.messages, expected);
    EXPECT_EQ(Sett().InstType(), c.typeAfter);
    if (c.outcome != TOutcome::Done) {
      EXPECT_EQ(Writes(), std::vector<std::string>{}) << "nothing is sent";
    }
    EXPECT_GE(view.Count("IdentityChanged"), 1) << "the identity is shown in any case";
  }
}

TEST_F(SessionReadWriteTest, AWrongOrLockedCodeWritesNothing) {
  ReadOn(10, "ProtectionCode = 4711");
  view.codes = {1234};
  EXPECT_EQ(S().Write(), TOutcome::WrongCode);
  EXPECT_EQ(view.prompts, std::vector<std::string>{"Enter protection code / Protection code"});
  EXPECT_EQ(port.messages, (Msgs{{"Warning", WrongProtCodeText}}));
  EXPECT_EQ(S().ProtCode(), 0);
  EXPECT_EQ(Writes(), std::vector<std::string>{});
  EXPECT_FALSE(LogExists());

  // Ten wrong codes lock the instrument: the lock is reported, no prompt.
  for (int i = 0; i < 10; ++i)
    Ask(0xB10B, 99);
  port.Clear();
  ClearTrace();
  EXPECT_EQ(S().Write(), TOutcome::Locked);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", ProtLockedText()}}));
  EXPECT_EQ(view.prompts.size(), 1u);
  EXPECT_EQ(Writes(), std::vector<std::string>{});
}

TEST_F(SessionReadWriteTest, AProtectedSwitchGetsOnePromptAndOneMoreTry) {
  struct TCase {
    const char* name;
    std::int32_t remembered;
    std::optional<std::optional<std::int32_t>> entered; // none: no prompt; nullopt: cancelled
    TOutcome outcome;
    Msgs messages;
    int setConfs;
  };
  const TCase cases[] = {
      {"right code remembered", 4711, std::nullopt, TOutcome::Done, {{"Info", Success}}, 1},
      {"right code entered",
       0,
       std::optional<std::int32_t>{4711},
       TOutcome::Done,
       {{"Info", Success}},
       2},
      {"wrong code entered",
       0,
       std::optional<std::int32_t>{1234},
       TOutcome::WrongCode,
       {{"Warning", WrongProtCodeText}},
       2},
      {"prompt cancelled", 0, std::optional<std::int32_t>{}, TOutcome::Declined, {}, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadOn(9, "ProtectionCode = 4711");
    S().SetProtCode(c.remembered);
    Sett().Switch.AlInt = 7;
    view.prompts.clear();
    if (c.entered)
      view.codes = {*c.entered};
    EXPECT_EQ(S().Write(), c.outcome);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(view.prompts.size(), c.entered ? 1u : 0u);
    EXPECT_EQ(CallsOf("SetConf").size(), std::size_t(c.setConfs));
    EXPECT_EQ(Sett().ConfigRead(), c.outcome == TOutcome::Done);
    if (c.outcome == TOutcome::Done) {
      EXPECT_EQ(S().ProtCode(), 4711);
    }
  }
}

// --- The options of a write ----------------------------------------------------------------

TEST_F(SessionReadWriteTest, ASecondLogGoesWhereTheOptionsSay) {
  const std::string second = (folder_ / "x.ini").string();
  ReadOn(10);
  TWriteOptions options;
  options.ExtraLogPath = second;
  options.ExtraLogId = "42";
  EXPECT_EQ(S().Write(options), TOutcome::Done);
  EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
  EXPECT_NE(ReadTextFile(LogFile()).find("Trans_ID=WriteLog"), std::string::npos);
  const std::string log = ReadTextFile(second);
  EXPECT_NE(log.find("Trans_ID=42"), std::string::npos) << log;
  EXPECT_NE(log.find("1234567"), std::string::npos) << log;

  // A second log that cannot be written is reported; the write stays done.
  const std::string nowhere = second + "/missing/y.ini";
  options.ExtraLogPath = nowhere;
  port.Clear();
  EXPECT_EQ(S().Write(options), TOutcome::Done);
  EXPECT_EQ(port.messages,
            (Msgs{{"Info", Success}, {"Error", "Unable to write file \"" + nowhere + "\"!"}}));
  EXPECT_TRUE(Sett().ConfigRead());
}

TEST_F(SessionReadWriteTest, AWriteForTheProductionLineAsksNothingTellsNothingAndEnds) {
  const TWriteOptions line{.AskOverwrite = false,
                           .ReportSuccess = false,
                           .EndAfterAnalogWrite = true,
                           .ExtraLogPath = {},
                           .ExtraLogId = {}};
  for (int type : {10, 9}) {
    SCOPED_TRACE(type);
    Start(Instrument(type), static_cast<std::uint8_t>(type));
    std::filesystem::remove(LogFile());
    EXPECT_EQ(S().Write(line), TOutcome::Done);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_TRUE(Sett().ConfigRead());
    // Only an analog write ends the application; the switch's leaves no log.
    EXPECT_EQ(view.Count("EndApplication"), type == 10 ? 1 : 0);
    EXPECT_EQ(LogExists(), type == 10);
  }
  // A write that fails does not end the application.
  Start(Instrument(10, "FaultLinkError = B30B"), 10);
  EXPECT_EQ(S().Write(line), TOutcome::Failed);
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", LinkError3},
                  PartlyWritten(BeforeInterval +
                                ", \"Measurement Interval\", \"Filter (moving average) "
                                "Readings\", \"Controlflag RS-232 velocity\", \"Constant C for "
                                "velocity calculation\", \"Constant n for velocity "
                                "calculation\"")}));
  EXPECT_EQ(view.Count("EndApplication"), 0);
}

// --- The wizards' walks --------------------------------------------------------------------

TEST_F(SessionReadWriteTest, WizardsBackUpTryOutAndRestoreTheInstrumentsValues) {
  ReadOn(10);
  Sett().Class1.Speed = 3; // 3 in the session, 5 in the instrument
  EXPECT_EQ(S().BackupAndWrite(), TOutcome::Done);
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(Sett().OrigClass1.Speed, 5) << "the instrument's value in the copy";
  EXPECT_EQ(S().SavedSerialNo(), "1234567");
  std::vector<std::string> cmds = AnalogCommands();
  EXPECT_EQ(CountOf(cmds, "B10C"), 0) << "trial values are not stored";
  EXPECT_EQ(cmds.back(), "B10D");
  // Each read of the copy comes before the write of the working value.
  const auto read = std::find(cmds.begin(), cmds.end(), "A204");
  EXPECT_EQ(read + 1, std::find(cmds.begin(), cmds.end(), "B204"));
  EXPECT_EQ(Ask(0xA204).BBAA, 3) << "the working value in the instrument";

  ClearTrace();
  EXPECT_EQ(S().Restore(), TOutcome::Done);
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(Ask(0xA204).BBAA, 5);
  cmds = AnalogCommands();
  EXPECT_EQ(CountOf(cmds, "B10C"), 1);
  EXPECT_EQ(Sett().Class1.Speed, 3) << "the session keeps its working value";
}

TEST_F(SessionReadWriteTest, ABackupThatFailsPartWayTakesItsTrialValuesOutAgain) {
  // The last position (the velocity output range, B30B) fails after the interval (B204) has
  // been tried out.
  ReadOn(10, "FaultLinkError = B30B");
  Sett().Class1.Speed = 3;
  const TClass1Params working = Sett().Class1;
  EXPECT_EQ(S().BackupAndWrite(), TOutcome::Failed);
  EXPECT_EQ(port.messages, (Msgs{{"Error", LinkError3}}));
  EXPECT_EQ(Ask(0xA204).BBAA, 5) << "the instrument has its own interval back";
  const std::vector<std::string> writes = Writes();
  EXPECT_EQ(CountOf(writes, "B204"), 2) << "tried, then written back";
  EXPECT_EQ(CountOf(writes, "B10C"), 0) << "nothing is stored";
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.back(), "B10D") << "the instrument measures with its own values again";
  EXPECT_EQ(std::memcmp(&Sett().Class1, &working, sizeof working), 0)
      << "the operator's working record stays";
  EXPECT_TRUE(Sett().ConfigRead());
}

TEST_F(SessionReadWriteTest, ABackupWhoseRollBackFailsToo) {
  ReadOn(10, "FaultLinkError = B30B, B10D");
  Sett().Class1.Speed = 3;
  EXPECT_EQ(S().BackupAndWrite(), TOutcome::Failed);
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", LinkError3},
                  {"Error", LinkError3 + "\rStatus: OO=0xb1, CC=0x0d, BBAA=0x0000, oo=0xb1, "
                                         "cc=0x0d, bbaa=0x0000"},
                  {"Warning", RestoreFailed}}));
  EXPECT_EQ(Ask(0xA204).BBAA, 5);
}

TEST_F(SessionReadWriteTest, ARestoreToAnotherInstrumentIsRefused) {
  ReadOn(10);
  ASSERT_EQ(S().BackupAndWrite(), TOutcome::Done);
  // Another transmitter is connected in the meantime.
  TBenchControl::Get().Plug(1, "Instrument = DravonDat\nSerial = 7777777\nRangeMax = 200");
  ClearTrace();
  EXPECT_EQ(S().Restore(), TOutcome::WrongInstrument);
  EXPECT_EQ(port.messages, (Msgs{{"Error", "Wrong Serial Number! "}, {"Warning", RestoreFailed}}));
  EXPECT_EQ(Writes(), std::vector<std::string>{});
}

} // namespace
} // namespace dtool::test
