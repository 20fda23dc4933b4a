// The identity of the connected instrument, its readiness, its control registers, the
// protection code and the commands sent by name, against the bench.
#include <cmath>

#include "benchfixture.h"
#include "tools/progtools.h"

namespace dtool::test {
namespace {

using Msg = ScriptedPort::Message;

const char* const WrongCode = "The \"protection code\" you have entered is wrong. \rTherefore it "
                              "is impossible to perform this operation! ";

class IdentityTest : public BenchTest {
protected:
  IdentityTest() { SetAppTitle(AppTitle); }

  // Sets the bench up with one instrument on COM1 and opens the port with its family.
  void Connect(const std::string& body, std::uint8_t type) {
    StartBench(Com(1, body), 1, type);
    ASSERT_TRUE(link_->OpenCommunication(false, 0));
    ClearTrace();
    port_.Clear();
    owner_.calls.clear();
  }
  std::vector<std::string> Commands() const { return Calls("DDatDll", "TransCmd"); }
};

TEST_F(IdentityTest, ReadsTheIdentityOfAnAnalogInstrument) {
  struct TCase {
    const char* Name;
    const char* Bench;
    std::uint8_t Type;
    bool Show, Strict, Ok;
    const char* Serial;
    const char* Main;
    const char* Sensor;
    std::int32_t CapLevel;
    std::uint32_t HostLevel;
    std::uint8_t AnOutCurrent;
    bool Newer;
    std::vector<Msg> Messages;
  };
  // The bench's instruments have the main firmware 01.12 unless told otherwise.
  const std::string base = "SensorFirmware = 01.3\nRangeMax = 250\nRangeMin = -100\n";
  const std::vector<TCase> cases = {
      {"transmitter",
       "Instrument = DravonDat\nSerial = 1\nCapLevel = 2\nHostLevel = 1\n",
       10,
       true,
       true,
       true,
       "0000001",
       "01.12",
       "01.3",
       2,
       1,
       1,
       false,
       {}},
      {"without serial number",
       "Instrument = DravonVision\nSerial = none\nOutput = voltage\n",
       11,
       true,
       true,
       true,
       "",
       "01.12",
       "01.3",
       2,
       1,
       0,
       false,
       {}},
      {"serial words 1 and 1",
       "Instrument = DravonDat\nSerial = 65537\n",
       10,
       true,
       true,
       true,
       "0065537",
       "01.12",
       "01.3",
       2,
       1,
       1,
       false,
       {}},
      // A static model has no sensor controller to ask, and an old one is welcome.
      {"static model",
       "Instrument = Dravon-STS\nSerial = 1\nFirmware = 00.09\n",
       3,
       true,
       true,
       true,
       "0000001",
       "00.09",
       "",
       2,
       1,
       0,
       false,
       {}},
      {"without capability level",
       "Instrument = Dravon-STD Z\nSerial = 1\nCapLevel = 0\nHostLevel = 9\n",
       5,
       true,
       true,
       true,
       "0000001",
       "01.12",
       "",
       0,
       0,
       1,
       false,
       {}},
      {"newer, strict",
       "Instrument = DravonDat\nSerial = 1\nHostLevel = 4\n",
       10,
       true,
       true,
       false,
       "0000001",
       "01.12",
       "01.3",
       2,
       4,
       1,
       true,
       {}},
      {"newer, lenient",
       "Instrument = DravonDat\nSerial = 1\nHostLevel = 4\n",
       10,
       true,
       false,
       true,
       "0000001",
       "01.12",
       "01.3",
       2,
       4,
       1,
       true,
       {}},
      {"failed step",
       "Instrument = DravonDat\nFaultLinkError = A103:3\n",
       10,
       true,
       true,
       false,
       "",
       "",
       "",
       -1,
       0,
       1,
       false,
       {{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3\rStatus: "
                  "OO=0xa1, CC=0x03, BBAA=0x0000, oo=0xa1, cc=0x03, bbaa=0x0000"}}},
      {"failed step, silent",
       "Instrument = DravonDat\nFaultAnswer = A114:25\n",
       10,
       false,
       true,
       false,
       "",
       "",
       "",
       2,
       0,
       1,
       false,
       {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Connect(base + c.Bench, c.Type);
    owner_.prefs.LastInstType = 0;
    sett_.Class1.Cap_level = -1;
    EXPECT_EQ(link_->ReadInstInfo(c.Show, c.Strict), c.Ok);
    const TInstInfo info = link_->GetInstInfo();
    const bool read = c.Ok || c.Newer;
    EXPECT_EQ(info.InstType, read ? c.Type : 0);
    EXPECT_EQ(owner_.prefs.LastInstType, read ? c.Type : 0);
    EXPECT_EQ(info.SerialNr.Get(), c.Serial);
    EXPECT_EQ(info.SW_Main_uC.Get(), c.Main);
    EXPECT_EQ(info.SW_Sensor_uC.Get(), c.Sensor);
    EXPECT_EQ(info.RangeMax, read ? 250 : 0);
    EXPECT_EQ(info.RangeMin, read ? -100 : 0);
    EXPECT_EQ(sett_.Cap_level(), c.CapLevel);
    EXPECT_EQ(info.RequiredHostLevel, c.HostLevel);
    EXPECT_EQ(info.AnOutCurrent, c.AnOutCurrent);
    EXPECT_EQ(owner_.calls, c.Newer ? std::vector<std::string>{"ReportNewerInstrument"}
                                    : std::vector<std::string>{});
    EXPECT_EQ(port_.messages, c.Messages);
    EXPECT_EQ(port_.Cursor(), TCursor::Default);
  }
}

TEST_F(IdentityTest, ReadsTheIdentityOfTheSwitch) {
  Connect("Instrument = DravonSwitch\nSerial = 12\nRangeMax = 500\nFirmware = 2.1\n"
          "SecondFirmware = 1.0\nComponentVersion = 3\n",
          9);
  owner_.prefs.LastInstType = 4;
  EXPECT_TRUE(link_->ReadInstInfo(true, true));
  const TInstInfo info = link_->GetInstInfo();
  EXPECT_EQ(info.InstType, 9);
  EXPECT_EQ(info.SerialNr.Get(), "0000012");
  EXPECT_EQ(info.RangeMax, 500);
  EXPECT_EQ(info.RangeMin, 0);
  EXPECT_EQ(info.SW_Sensor_uC.Get(), "1.0");
  EXPECT_EQ(info.SwitchMainVersion.Get(), "2.1");
  EXPECT_EQ(info.SwitchCompVersion, 3u);
  EXPECT_EQ(owner_.prefs.LastInstType, 4); // not touched by the switch

  Connect("Instrument = DravonSwitch\nFaultLinkError = GetInfos:3\n", 9);
  EXPECT_FALSE(link_->ReadInstInfo(true, true));
  EXPECT_EQ(link_->GetInstInfo().InstType, 9); // the type stays, the rest is cleared
  EXPECT_EQ(link_->GetInstInfo().SerialNr.Get(), "");
  EXPECT_TRUE(port_.messages.empty());

  // Without an instrument type there is nothing to read.
  sett_.InstInfo.InstType = 0;
  ClearTrace();
  EXPECT_FALSE(link_->ReadInstInfo(true, true));
  EXPECT_TRUE(Trace().empty());
}

TEST_F(IdentityTest, TheStateQueryCountsOnlyTheOperationalAnswers) {
  struct TCase {
    const char* Fault;
    int State;
  };
  const TCase cases[] = {{"", 2},
                         {"FaultAnswer = A100:1", 2},
                         {"FaultAnswer = A100:26", 2},
                         {"FaultAnswer = A100:27", 2},
                         {"FaultAnswer = A100:14", 1},
                         {"FaultAnswer = A100:21", 0},
                         {"FaultAnswer = A100:25", 0},
                         {"FaultLinkError = A100:3", 0},
                         {"FaultLinkError = A100:14", 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Fault);
    Connect(std::string("Instrument = DravonDat\n") + c.Fault, 10);
    EXPECT_EQ(link_->GetInstState(), c.State);
    EXPECT_TRUE(port_.messages.empty());
  }
}

TEST_F(IdentityTest, AnInstrumentIsReadyWhenOperationalAndRecentEnough) {
  const std::string tooOld =
      "The instrument firmware is too old to DravonTool - Win V4.11.\rPlease update the "
      "instrument firmware or use an older version of DravonTool - Win.\r\rCurrent firmware: "
      "V00.09, required firmware V00.10";
  struct TCase {
    const char* Bench;
    std::uint8_t Type;
    bool Ready;
    std::vector<Msg> Messages;
  };
  const std::vector<TCase> cases = {
      {"Instrument = DravonDat\nFirmware = 00.09", 10, false, {{"Error", tooOld}}},
      {"Instrument = DravonVision\nFirmware = 00.10", 11, true, {}},
      {"Instrument = Dravon-STD\nFirmware = 00.09", 1, true, {}},
      {"Instrument = DravonDat\nStartupMs = 1000",
       10,
       false,
       {{"Error", "Instrument is not operational yet. \rPlease wait until the [Run/Error] LED "
                  "stops with orange flashing! "}}},
      {"Instrument = DravonDat\nFaultAnswer = A100:21",
       10,
       false,
       {{"Error", "Communication with instrument not possible!"}}},
      {"Instrument = DravonDat\nFaultLinkError = A103:3",
       10,
       false,
       {{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3\rStatus: "
                  "OO=0xa1, CC=0x03, BBAA=0x0000, oo=0xa1, cc=0x03, bbaa=0x0000"}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Bench);
    Connect(c.Bench, c.Type);
    EXPECT_EQ(link_->InstrumentReady(), c.Ready);
    EXPECT_EQ(port_.messages, c.Messages);
  }
  // Once started up, the instrument is ready.
  Connect("Instrument = DravonDat\nStartupMs = 1000", 10);
  AdvanceBench(1000);
  EXPECT_TRUE(link_->InstrumentReady());
}

TEST_F(IdentityTest, WrongControlRegistersAreCorrectedWithConsentAndCode) {
  const std::string a109Question =
      "The control flags (OOCC) A109 are set wrongly for DravonTool - Win! \r\rWould you "
      "override the flags with the correct string (automatic pressure or velocity indication "
      "via RS232 as complex protocol string)?";
  const std::string a116Question =
      "The value of (OOCC) A116 are set wrongly for DravonTool - Win! \r\rWould you override the "
      "register with the correct value (4.1 RS-232 data-outputs per second)?";
  struct TCase {
    const char* Name;
    const char* Bench;
    std::uint8_t Type;
    bool A116; // CheckA116 instead of CheckA109
    bool Yes, CodeOk, Result;
    std::vector<std::string> Commands;
    std::uint16_t RegisterAfter;
    std::vector<Msg> Messages;
  };
  const std::vector<TCase> cases = {
      {"A109 corrected",
       "A109 = 0x8007",
       10,
       false,
       true,
       true,
       true,
       {"COM1 OO=A1 CC=09 BBAA=0000", "COM1 OO=B1 CC=09 BBAA=8004", "COM1 OO=B1 CC=0C BBAA=0000"},
       0x8004,
       {{"Question", a109Question}}},
      {"A109 kept",
       "A109 = 0x0005",
       10,
       false,
       false,
       true,
       false,
       {"COM1 OO=A1 CC=09 BBAA=0000"},
       0x0005,
       {{"Question", a109Question}}},
      {"A109 code refused",
       "A109 = 0x0002",
       10,
       false,
       true,
       false,
       false,
       {"COM1 OO=A1 CC=09 BBAA=0000"},
       0x0002,
       {{"Question", a109Question}}},
      {"A109 right",
       "A109 = 0x0004",
       10,
       false,
       true,
       true,
       true,
       {"COM1 OO=A1 CC=09 BBAA=0000"},
       0x0004,
       {}},
      {"A116 corrected",
       "A116 = 9",
       1,
       true,
       true,
       true,
       true,
       {"COM1 OO=A1 CC=16 BBAA=0000", "COM1 OO=B1 CC=16 BBAA=0004", "COM1 OO=B1 CC=0C BBAA=0000"},
       4,
       {{"Question", a116Question}}},
      {"A116 kept",
       "A116 = 9",
       1,
       true,
       false,
       true,
       false,
       {"COM1 OO=A1 CC=16 BBAA=0000"},
       9,
       {{"Question", a116Question}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string model = c.Type == 10 ? "DravonDat" : "Dravon-STD";
    Connect("Instrument = " + model + "\n" + c.Bench, c.Type);
    if (!c.Messages.empty())
      port_.Answer({c.Yes});
    owner_.protCodeOk = c.CodeOk;
    EXPECT_EQ(c.A116 ? link_->CheckA116() : link_->CheckA109(), c.Result);
    EXPECT_EQ(Commands(), c.Commands);
    EXPECT_EQ(port_.messages, c.Messages);
    EXPECT_EQ(owner_.calls,
              c.Yes && !c.Messages.empty()
                  ? std::vector<std::string>{std::string("CheckProtCode:") + WrongCode}
                  : std::vector<std::string>{});
    EXPECT_EQ(Ask(c.A116 ? 0xA116 : 0xA109).BBAA, c.RegisterAfter);
  }
}

TEST_F(IdentityTest, TheRateRegisterIsCheckedOnlyForTheStaticModels) {
  // A transmitter does not know A116.
  Connect("Instrument = DravonDat", 10);
  EXPECT_TRUE(link_->CheckOoCc());
  EXPECT_EQ(Commands(), std::vector<std::string>{"COM1 OO=A1 CC=09 BBAA=0000"});

  Connect("Instrument = Dravon-STVS Z\nA116 = 3", 8);
  port_.Answer({false});
  EXPECT_FALSE(link_->CheckOoCc());
  EXPECT_EQ(Commands(),
            (std::vector<std::string>{"COM1 OO=A1 CC=09 BBAA=0000", "COM1 OO=A1 CC=16 BBAA=0000"}));
  // A refused A109 correction ends the check before A116.
  Connect("Instrument = Dravon-STVS Z\nA109 = 0x0001\nA116 = 3", 8);
  port_.Answer({false});
  EXPECT_FALSE(link_->CheckOoCc());
  EXPECT_EQ(Commands(), std::vector<std::string>{"COM1 OO=A1 CC=09 BBAA=0000"});
}

TEST_F(IdentityTest, TheProtectionStateFollowsTheAnswer) {
  const std::string commError = "Communication with instrument not possible!\r\rDDatDLL Error Nr. ";
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  EXPECT_EQ(link_->ProtState(true, 99), protstate::Wrong);
  EXPECT_EQ(link_->ProtState(true, 1234), protstate::Accepted);
  for (int i = 0; i < 10; ++i)
    link_->ProtState(true, 99);
  EXPECT_EQ(link_->ProtState(true, 1234), protstate::Locked);
  EXPECT_TRUE(port_.messages.empty());
  // No code of more than 16 bits can be right; it is not sent.
  ClearTrace();
  EXPECT_EQ(link_->ProtState(true, 70000), protstate::Wrong);
  EXPECT_EQ(link_->ProtState(true, -1), protstate::Wrong);
  EXPECT_TRUE(Commands().empty());

  Connect("Instrument = DravonDat\nProtectionCode = 1234\nFaultAnswer = B10B:7", 10);
  EXPECT_EQ(link_->ProtState(false, 99), protstate::Failure);
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(link_->ProtState(true, 99), protstate::Failure);
  EXPECT_EQ(port_.Texts(),
            std::vector<std::string>{commError + "0\rStatus: OO=0xb1, CC=0x0b, BBAA=0x0063, "
                                                 "oo=0xb1, cc=0x07, bbaa=0x0000"});

  Connect("Instrument = DravonDat\nFaultLinkError = B10B:3", 10);
  EXPECT_EQ(link_->ProtState(true, 99), protstate::Failure);
  EXPECT_EQ(port_.Texts(),
            std::vector<std::string>{commError + "3\rStatus: OO=0xb1, CC=0x0b, BBAA=0x0063, "
                                                 "oo=0xb1, cc=0x0b, bbaa=0x0063"});

  Connect("Instrument = DravonDat", 10);
  EXPECT_EQ(link_->ProtState(true, 0), protstate::Accepted);
}

TEST_F(IdentityTest, CommandsSentByName) {
  Connect("Instrument = DravonDat", 10);
  EXPECT_TRUE(link_->WriteProtCode(true, 4321));
  EXPECT_TRUE(link_->SendB10C(true));
  EXPECT_TRUE(link_->SendB10D(true));
  EXPECT_TRUE(link_->CalOutput(true, true, 12.125)); // 1212.5 rounds to the even 1212
  double signal = 0;
  std::int32_t mode = -1;
  BenchOutput(1, signal, mode);
  EXPECT_EQ(mode, 2);
  EXPECT_TRUE(link_->CalOutput(true, false, 50));
  BenchOutput(1, signal, mode);
  EXPECT_EQ(mode, 1);
  EXPECT_TRUE(link_->EndOutput(true));
  BenchOutput(1, signal, mode);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(Commands(),
            (std::vector<std::string>{"COM1 OO=B1 CC=0A BBAA=10E1", "COM1 OO=B1 CC=0C BBAA=0000",
                                      "COM1 OO=B1 CC=0D BBAA=0000", "COM1 OO=B3 CC=08 BBAA=04BC",
                                      "COM1 OO=B3 CC=07 BBAA=1388", "COM1 OO=B3 CC=06 BBAA=0000"}));
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(link_->ProtState(true, 4321), protstate::Accepted);

  // Values no command can carry are not sent.
  ClearTrace();
  EXPECT_FALSE(link_->CalOutput(true, true, 700));
  EXPECT_FALSE(link_->CalOutput(false, true, std::nan("")));
  EXPECT_FALSE(link_->WriteProtCode(true, 65536));
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(port_.Texts(), std::vector<std::string>(2, "Function was not successful!"));

  // An instrument without analog output refuses the output commands.
  Connect("Instrument = Dravon-STS", 3);
  EXPECT_FALSE(link_->EndOutput(true));
  EXPECT_FALSE(link_->CalOutput(false, true, 10));
  EXPECT_EQ(port_.Texts(), std::vector<std::string>(1, "Function was not successful!"));
}

} // namespace
} // namespace dtool::test
