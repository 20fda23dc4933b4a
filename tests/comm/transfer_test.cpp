// Single parameters between an analog instrument and the settings, the answer check, the
// command exchange and the limits of the switch record.
#include <cmath>
#include <functional>

#include "benchfixture.h"
#include "fakelink.h"

namespace dtool::test {
namespace {

using Msg = ScriptedPort::Message;
using enum TParamId;

const char* const Transmitter = "Instrument = DravonDat\nRangeMax = 500\n";

std::string CorrectedText(const std::string& caption) {
  return "Parameter \"" + caption +
         "\" was out of permissible range and therefore it has been corrected! ";
}

class CheckRWInstTest : public BenchTest {
protected:
  CheckRWInstTest() {
    link_ = std::make_unique<TInstLink>(sett_, owner_, TAnalogLinkApi{}, TSwitchLinkApi{});
  }
};

TEST_F(CheckRWInstTest, JudgesEveryAnswerWithItsMessage) {
  const TransRec sent{0xB1, 0x11, 0x0009};
  const TParam contrast = TParam::Working(C1_Disp_contr);
  const std::string status9 =
      "Status: OO=0xb1, CC=0x11, BBAA=0x0009, oo=0xb1, cc=0x%s, bbaa=0x000f";
  auto statusLine = [&](const char* cc) {
    std::string s = status9;
    return s.replace(s.find("%s"), 2, cc);
  };
  const std::string commError3 =
      "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3";
  struct TCase {
    const char* Name;
    std::int32_t Result;
    std::uint8_t CC;
    bool Show;
    bool Write;
    bool WithParam;
    bool Failure;
    std::vector<Msg> Messages;
  };
  const std::vector<TCase> cases = {
      {"link error, field", 3, 0, true, true, true, true, {{"Error", commError3}}},
      {"link error, no field",
       3,
       0,
       true,
       true,
       false,
       true,
       {{"Error", commError3 + "\r" + statusLine("00")}}},
      {"link error, silent", 3, 0, false, true, true, true, {}},
      {"corrected, warned even when silent",
       0,
       1,
       false,
       true,
       true,
       false,
       {{"Warning", CorrectedText("Display Contrast")}}},
      {"done, field", 0, 0, true, true, true, false, {}},
      {"accepted, field", 0, 21, true, false, true, false, {}},
      {"write error",
       0,
       0x12,
       true,
       true,
       true,
       true,
       {{"Error",
         "Write error of parameter \"Display Contrast\"\rInstrument error (cc) Nr. 0x12."}}},
      {"read error",
       0,
       0x12,
       true,
       false,
       true,
       true,
       {{"Error",
         "Read error of parameter \"Display Contrast\"\rInstrument error (cc) Nr. 0x0012."}}},
      {"instrument error, silent", 0, 0x12, false, true, true, true, {}},
      {"corrected, no field: no warning", 0, 1, true, true, false, false, {}},
      {"accepted, no field", 0, 21, true, false, false, false, {}},
      {"not successful",
       0,
       25,
       true,
       true,
       false,
       true,
       {{"Error", "Function was not successful!"}}},
      {"other cc, no field",
       0,
       0x0E,
       true,
       false,
       false,
       true,
       {{"Error",
         "Transmission error of a parameter between PC and Instrument: \r" + statusLine("0e")}}},
      {"other cc, no field, silent", 0, 0x0E, false, false, false, true, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    port_.Clear();
    const TransRec answer{0xB1, c.CC, 0x000F};
    EXPECT_EQ(link_->CheckRWInst(c.Result, answer, c.Show, c.WithParam ? nullptr : &sent, c.Write,
                                 c.WithParam ? &contrast : nullptr),
              c.Failure);
    EXPECT_EQ(port_.messages, c.Messages);
  }
}

TEST_F(CheckRWInstTest, ACheckWithoutFieldNeedsTheRecordAsSent) {
  try {
    link_->CheckRWInst(0, TransRec{}, true, nullptr, false, nullptr);
    FAIL() << "no fatal stop";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), "TMainForm.CheckRWInst: origdataP is not assigned! ");
  }
}

class TransferTest : public BenchTest {};

// A written value that had to be limited, or that the instrument corrected or refused, is
// read back at once and the controls are refreshed.
TEST_F(TransferTest, WritesReadBackWhatTheInstrumentHolds) {
  struct TCase {
    const char* Name;
    const char* Bench;
    TParamId Id;
    std::function<void(TClass1Params&)> Set;
    std::uint8_t AnswerCC;
    std::vector<std::string> Exchanges;
    std::function<bool(const TClass1Params&)> After;
    std::vector<Msg> Messages;
  };
  const std::vector<TCase> cases = {
      // 1000 Pa is beyond the register: sent as its largest value, which the instrument takes.
      {"limited by the tool",
       "",
       C1_An_from,
       [](TClass1Params& r) { r.An_from = 1000; },
       1,
       {"COM1 OO=B3 CC=00 BBAA=7FFF", "COM1 OO=A3 CC=00 BBAA=0000"},
       [](const TClass1Params& r) { return std::abs(r.An_from - 327.67) < 1e-9; },
       {{"Warning", CorrectedText("Analog Output From")}}},
      {"corrected by the instrument",
       "",
       C1_Disp_contr,
       [](TClass1Params& r) { r.Disp_contr = 20; },
       1,
       {"COM1 OO=B1 CC=11 BBAA=0014", "COM1 OO=A1 CC=11 BBAA=0000"},
       [](const TClass1Params& r) { return r.Disp_contr == 15; },
       {{"Warning", CorrectedText("Display Contrast")}}},
      {"refused for its code",
       "ProtectionCode = 1234\n",
       C1_Speed,
       [](TClass1Params& r) { r.Speed = 7; },
       0x12,
       {"COM1 OO=B2 CC=04 BBAA=0007", "COM1 OO=A2 CC=04 BBAA=0000"},
       [](const TClass1Params& r) { return r.Speed == 5; },
       {{"Error", "Write error of parameter \"Measurement Interval\"\rInstrument error (cc) Nr. "
                  "0x12."}}},
      {"taken as sent",
       "",
       C1_Disp_contr,
       [](TClass1Params& r) { r.Disp_contr = 9; },
       0,
       {"COM1 OO=B1 CC=11 BBAA=0009"},
       [](const TClass1Params& r) { return r.Disp_contr == 9; },
       {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    StartBench(Com(1, std::string(Transmitter) + c.Bench), 1, 10);
    ASSERT_TRUE(link_->OpenCommunication(false, 0));
    ClearTrace();
    port_.Clear();
    owner_.calls.clear();
    c.Set(sett_.Class1);
    const TParam param = TParam::Working(c.Id);
    TransRec rec{};
    const std::int32_t status = link_->WriteInstParam(rec, param);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(rec.CC, c.AnswerCC);
    const bool failed = link_->CheckRWInst(status, rec, true, nullptr, true, &param);
    EXPECT_EQ(failed, c.AnswerCC > 1);
    EXPECT_EQ(Calls("DDatDll", "TransCmd"), c.Exchanges);
    EXPECT_TRUE(c.After(sett_.Class1));
    EXPECT_EQ(port_.messages, c.Messages);
    EXPECT_EQ(owner_.calls.size(), c.Exchanges.size() - 1); // WriteSetToField_ after a read-back
    EXPECT_EQ(port_.Cursor(), TCursor::Default);
  }
}

TEST_F(TransferTest, FlagParametersCarryTheirSelectorAndBitZero) {
  struct TCase {
    TParamId Id;
    std::uint8_t TClass1Params::*Field;
    const char* Write;
    const char* Read;
  };
  const TCase cases[] = {
      {C1_An_4_20, &TClass1Params::An_4_20, "OO=B3 CC=09 BBAA=01", "OO=A3 CC=09 BBAA=0100"},
      {C1_Velocity_to_RS232, &TClass1Params::Velocity_to_RS232, "OO=B1 CC=12 BBAA=02",
       "OO=A1 CC=12 BBAA=0200"},
      {C1_Velocity_to_AnOut, &TClass1Params::Velocity_to_AnOut, "OO=B3 CC=09 BBAA=03",
       "OO=A3 CC=09 BBAA=0300"},
  };
  StartBench(Com(1, Transmitter), 1, 10);
  ASSERT_TRUE(link_->OpenCommunication(false, 0));
  for (const TCase& c : cases) {
    const TParam param = TParam::Working(c.Id);
    SCOPED_TRACE(ParamCaption(param));
    for (std::uint8_t value : {1, 0}) {
      ClearTrace();
      sett_.Class1.*c.Field = value;
      TransRec rec{};
      ASSERT_EQ(link_->WriteInstParam(rec, param), 0);
      EXPECT_EQ(rec.CC, 0);
      // The stored flag is the opposite until the read brings the instrument's value.
      sett_.Class1.*c.Field = value ? 0 : 1;
      TransRec read{};
      ASSERT_EQ(link_->ReadInstParam(read, param), 0);
      EXPECT_EQ(sett_.Class1.*c.Field, value);
      EXPECT_EQ(Calls("DDatDll", "TransCmd"),
                (std::vector<std::string>{"COM1 " + std::string(c.Write) + (value ? "01" : "00"),
                                          "COM1 " + std::string(c.Read)}));
    }
  }
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(TransferTest, AnUnknownCommandIsToleratedOnlyWhenAskedFor) {
  StartBench(Com(1, std::string(Transmitter) + "FaultUnknown = A115\n"), 1, 10);
  ASSERT_TRUE(link_->OpenCommunication(false, 0));

  TransRec rec = MakeTransRec(0xA115, 0x1234);
  EXPECT_EQ(link_->SendCmd(rec, true, true), 1);
  EXPECT_EQ(rec.OO, 0xA1);
  EXPECT_EQ(rec.CC, 0);
  EXPECT_EQ(rec.BBAA, 0);
  EXPECT_TRUE(port_.messages.empty());

  rec = MakeTransRec(0xA115);
  EXPECT_EQ(link_->SendCmd(rec, true, false), -1);
  EXPECT_FALSE(link_->ExecCmd(rec, false));
  EXPECT_EQ(port_.messages,
            (std::vector<Msg>{{"Error", "Communication with instrument not possible!\r\rDDatDLL "
                                        "Error Nr. 8\rStatus: OO=0xa1, CC=0x15, BBAA=0x0000, "
                                        "oo=0xa1, cc=0x15, bbaa=0x0000"}}));

  rec = MakeTransRec(0xA111);
  EXPECT_EQ(link_->SendCmd(rec, true, true), 0);
  EXPECT_EQ(rec.BBAA, 7); // the display contrast's factory value
  EXPECT_EQ(port_.Cursor(), TCursor::Default);
}

TEST_F(TransferTest, AStoredUnitWithoutInstrumentCodeIsNotSent) {
  StartBench(Com(1, Transmitter), 1, 10);
  ASSERT_TRUE(link_->OpenCommunication(false, 0));
  ClearTrace();
  sett_.Class1.Disp_unit = 99;
  const TParam unit = TParam::Working(C1_Disp_unit);
  TransRec rec{};
  const std::int32_t status = link_->WriteInstParam(rec, unit);
  EXPECT_EQ(status, StatusUnusable);
  EXPECT_TRUE(Calls("DDatDll", "TransCmd").empty());
  EXPECT_TRUE(link_->CheckRWInst(status, rec, true, nullptr, true, &unit));
  EXPECT_EQ(port_.Texts(), std::vector<std::string>{"Communication with instrument not "
                                                    "possible!\r\rDDatDLL Error Nr. 1000"});
}

class FakeTransferTest : public BenchTest {
protected:
  FakeTransferTest() {
    TFakeLink::Reset();
    link_ = std::make_unique<TInstLink>(sett_, owner_, TFakeLink::Analog(), TFakeLink::Switch());
  }
};

TEST_F(FakeTransferTest, AnAnsweredUnitWithoutMeaningFailsTheReadAndKeepsTheField) {
  sett_.InstInfo.InstType = 10;
  sett_.Class1.Disp_unit = unit::Pa;
  TFakeLink::answerBbaa = 12;
  TransRec rec{};
  EXPECT_EQ(link_->ReadInstParam(rec, TParam::Working(C1_Disp_unit)), StatusUnusable);
  EXPECT_EQ(sett_.Class1.Disp_unit, unit::Pa);
}

TEST_F(FakeTransferTest, AThresholdKeepsItsSignWhileItsMagnitudeIsLimited) {
  TFakeLink::bounds = {{1001, 0.1f}, {1002, 30},   {1003, 600},  {1004, 1100}, {1007, 0.5f},
                       {1008, 1.5f}, {1009, 0.0f}, {1010, 50.0}, {1011, 0.5f}, {1012, 200}};
  TSwitchParams rec{};
  SetSwitchDefaults(rec);
  rec.Al1Thre = -250;
  EXPECT_EQ(link_->SwitchRangeCheck(rec), TRangeCheck::Corrected);
  EXPECT_EQ(rec.Al1Thre, -200);
  EXPECT_EQ(port_.messages, (std::vector<Msg>{{"Warning", CorrectedText("Threshold (Alarm 1)")}}));
}

// The bounds come in single precision: values that equal them there are within them.
TEST_F(FakeTransferTest, ValuesAtTheSinglePrecisionBoundsAreWithinThem) {
  TFakeLink::bounds = {{1001, 0.1f}, {1002, 30},   {1003, 600},  {1004, 1100}, {1007, 0.5f},
                       {1008, 1.5f}, {1009, 0.0f}, {1010, 50.0}, {1011, 0.5f}, {1012, 200}};
  TSwitchParams rec{};
  SetSwitchDefaults(rec);
  rec.Hose_length = 0.1;
  rec.Al1Thre = -0.5;
  rec.Al2Thre = 200;
  EXPECT_EQ(link_->SwitchRangeCheck(rec), TRangeCheck::InRange);
  EXPECT_EQ(rec.Hose_length, 0.1);
  EXPECT_EQ(rec.Al1Thre, -0.5);
  EXPECT_EQ(port_.messages, std::vector<Msg>{});
}

TEST_F(FakeTransferTest, ABoundTheLibraryRefusesEndsTheCheckWithItsError) {
  TFakeLink::bounds = {{1001, 0.1f}, {1002, 30}};
  TFakeLink::boundStatus = 4;
  TSwitchParams rec{};
  SetSwitchDefaults(rec);
  double value = 0;
  EXPECT_EQ(link_->GetFConstDs(1003, value), 4);
  EXPECT_EQ(link_->SwitchRangeCheck(rec), TRangeCheck::NotChecked);
  EXPECT_EQ(port_.Texts(), std::vector<std::string>{"Communication with instrument not "
                                                    "possible!\r\rDSwitchDLL Error Nr. 4"});
}

TEST_F(TransferTest, TheSwitchRecordIsLimitedToTheLibrarysBounds) {
  StartBench("", 1, 9);
  TSwitchParams rec{};
  SetSwitchDefaults(rec);
  EXPECT_EQ(link_->SwitchRangeCheck(rec), TRangeCheck::InRange);
  EXPECT_TRUE(port_.messages.empty());

  rec.Hose_length = 50;
  rec.Atm_Press = 500;
  rec.Humidity = 150; // not checked
  rec.Gain_Sens = 2;
  rec.Al1Hys = -1;
  rec.Al2Hys = 60;
  rec.Al1Thre = -600;
  rec.Al2Thre = 0.1;
  EXPECT_EQ(link_->SwitchRangeCheck(rec), TRangeCheck::Corrected);
  EXPECT_EQ(rec.Hose_length, 30);
  EXPECT_EQ(rec.Atm_Press, 600);
  EXPECT_EQ(rec.Humidity, 150);
  EXPECT_EQ(rec.Gain_Sens, 1.5);
  EXPECT_EQ(rec.Al1Hys, 0);
  EXPECT_EQ(rec.Al2Hys, 50);
  EXPECT_EQ(rec.Al1Thre, -500);
  EXPECT_EQ(rec.Al2Thre, 0.5);
  std::vector<std::string> expected;
  for (const char* caption :
       {"Std. Hose length", "Atm. pressure", "Gain Sensor", "Hysteresis (Alarm 1)",
        "Hysteresis (Alarm 2)", "Threshold (Alarm 1)", "Threshold (Alarm 2)"})
    expected.push_back(CorrectedText(caption));
  EXPECT_EQ(port_.Texts(), expected);
}

} // namespace
} // namespace dtool::test
