// The zero calibration of the session, without any window: the read first, the question, the
// check of the instrument, the "Z" models that stay busy, the switch under its protection code.
#include "sessionfixture.h"

namespace dtool::test {
namespace {

const std::string ReadFirst = "Before you change the parameters you have to read the actual "
                              "configuration of the sensor.\rWould you carry out the \"Read "
                              "data\" now?";
const std::string ZeroQuestion = "Would you carry out the zero calibration? \r\rTo balance the "
                                 "sensor, short circuit both sensor-nozzles and click [Yes]";
const std::string ZeroOk = "Zero calibration was successful! ";
const std::string ZeroFailed = "Zero calibration has failed! ";

int CountOf(const std::vector<std::string>& list, const std::string& item) {
  return static_cast<int>(std::count(list.begin(), list.end(), item));
}

class SessionZeroCalTest : public SessionTest {};

TEST_F(SessionZeroCalTest, ATransmitterIsReadFirstAndStoresItsZero) {
  Start(Instrument(10), 10);
  port.Answer({true, true});
  EXPECT_EQ(S().CalibrateZero(), TOutcome::Done);
  EXPECT_EQ(port.messages,
            (Msgs{{"ErrorYesNo", ReadFirst}, {"Question", ZeroQuestion}, {"Info", ZeroOk}}));
  const std::vector<std::string> cmds = AnalogCommands();
  ASSERT_GE(cmds.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(cmds.end() - 3, cmds.end()),
            (std::vector<std::string>{"B10B", "B2FF", "B10C"}));
  EXPECT_GE(view.Count("InstrumentBusy"), 2) << "the live reading waits meanwhile";
  EXPECT_EQ(view.Count("ZeroCalWaitEnded"), 0) << "only the \"Z\" models are waited for";
}

TEST_F(SessionZeroCalTest, NoReadNoCalibration) {
  Start(Instrument(10), 10);
  port.Answer({false});
  EXPECT_EQ(S().CalibrateZero(), TOutcome::Declined);
  EXPECT_EQ(port.messages, (Msgs{{"ErrorYesNo", ReadFirst}}));
  EXPECT_EQ(Trace().size(), 0u) << "nothing is asked of the instrument";
}

// A read that fails after a good one leaves no instrument type: the configuration counts as
// not read, so the zero calibration asks for a read instead of meeting a type it cannot serve.
TEST_F(SessionZeroCalTest, AFailedReadAfterAGoodOneAsksForANewRead) {
  struct TCase {
    const char* name;
    int type;
    std::string fault; // the port's faults for the failing read; empty: unplugged
    std::string message;
  };
  const TCase cases[] = {
      {"switch record refused", 9, "FaultLinkError = GetConf:3",
       "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 3"},
      {"switch gone", 9, "", "Communication with instrument not possible!"},
      {"transmitter gone", 10, "", "Communication with instrument not possible!"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadOn(c.type);
    if (c.fault.empty())
      TBenchControl::Get().Plug(1, "Instrument = none");
    else
      TBenchControl::Get().SetFault(1, c.fault);
    EXPECT_NE(S().Read(), TOutcome::Done);
    EXPECT_EQ(port.messages, (Msgs{{"Error", c.message}}));
    EXPECT_EQ(Sett().InstType(), 0);
    EXPECT_FALSE(Sett().ConfigRead());
    port.Clear();
    port.Answer({false});
    EXPECT_EQ(S().CalibrateZero(), TOutcome::Declined);
    EXPECT_EQ(port.messages, (Msgs{{"ErrorYesNo", ReadFirst}}));
  }
}

TEST_F(SessionZeroCalTest, ADeclinedCalibrationSendsNothingButChecksTheInstrument) {
  ReadOn(10);
  port.Answer({false});
  EXPECT_EQ(S().CalibrateZero(), TOutcome::Declined);
  EXPECT_EQ(port.messages, (Msgs{{"Question", ZeroQuestion}}));
  EXPECT_EQ(CallsOf("GetInstType").size(), 1u);
  EXPECT_EQ(CountOf(AnalogCommands(), "B2FF"), 0);
  // Another class connected: the check says so whatever the answer.
  TBenchControl::Get().Plug(1, "Instrument = DravonSwitch");
  port.Clear();
  port.Answer({false});
  EXPECT_EQ(S().CalibrateZero(), TOutcome::NoInstrument);
  EXPECT_EQ(port.messages,
            (Msgs{{"Question", ZeroQuestion},
                  {"Warning", "The DravonTool has been set to DravonDat. You cannot perform "
                              "this operation to DravonSwitch."}}));
}

// The view hears the time waited before each pause and the end of the wait once, whatever
// ends it.
TEST_F(SessionZeroCalTest, AZModelIsWaitedForUntilItIsDoneOrSixSeconds) {
  struct TCase {
    int busyMs;
    TOutcome outcome;
    std::string message;
    int polls;
  };
  const TCase cases[] = {
      {0, TOutcome::Done, ZeroOk, 1},            // done at the first poll: no pause
      {3000, TOutcome::Done, ZeroOk, 31},        // busy for 3000 ms, polled every 100 ms
      {10000, TOutcome::Failed, ZeroFailed, 62}, // polled at 0, 100, ... 6100 ms: too long
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.busyMs);
    ReadOn(5, "ZeroBusyMs = " + std::to_string(c.busyMs));
    const std::uint32_t start = ClockNow();
    port.Answer({true});
    view.calls.clear();
    EXPECT_EQ(S().CalibrateZero(), c.outcome);
    std::vector<std::string> heard;
    for (const std::string& call : view.calls)
      if (call.rfind("ZeroCal", 0) == 0)
        heard.push_back(call);
    std::vector<std::string> expected;
    for (int i = 0; i + 1 < c.polls; ++i)
      expected.push_back("ZeroCalWaiting " + std::to_string(i * 100) + "/6000");
    expected.push_back("ZeroCalWaitEnded");
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(port.messages, (Msgs{{"Question", "Would you carry out the zero calibration? "},
                                   {c.outcome == TOutcome::Done ? "Info" : "Error", c.message}}));
    EXPECT_EQ(CountOf(AnalogCommands(), "A2FF"), c.polls);
    if (c.outcome == TOutcome::Done) {
      EXPECT_EQ(Ask(0xA2FF).BBAA, 0);
    } else {
      EXPECT_GT(ClockNow() - start, 6000u);
      EXPECT_NE(Ask(0xA2FF).BBAA, 0) << "still busy";
    }
  }
}

TEST_F(SessionZeroCalTest, TheSwitchUnderItsProtectionCode) {
  struct TCase {
    const char* name;
    const char* bench;
    std::optional<std::int32_t> entered; // none: no prompt
    TOutcome outcome;
    Msgs messages;
    int zeroAdjs;
  };
  const TCase cases[] = {
      {"unprotected",
       "",
       std::nullopt,
       TOutcome::Done,
       {{"Question", ZeroQuestion}, {"Info", ZeroOk}},
       1},
      {"protected, code entered",
       "ProtectionCode = 77",
       77,
       TOutcome::Done,
       {{"Question", ZeroQuestion}, {"Info", ZeroOk}},
       2},
      {"protected, wrong code",
       "ProtectionCode = 77",
       78,
       TOutcome::WrongCode,
       {{"Question", ZeroQuestion}, {"Warning", WrongProtCodeText}},
       2},
      {"link error",
       "FaultLinkError = ZeroAdj:3",
       std::nullopt,
       TOutcome::Failed,
       {{"Question", ZeroQuestion},
        {"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 3"}},
       1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadOn(9, c.bench);
    port.Answer({true});
    if (c.entered)
      view.codes = {*c.entered};
    EXPECT_EQ(S().CalibrateZero(), c.outcome);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(CallsOf("ZeroAdj").size(), std::size_t(c.zeroAdjs));
    if (c.outcome == TOutcome::Done && c.entered) {
      EXPECT_EQ(S().ProtCode(), *c.entered) << "the code entered is remembered";
    }
  }
}

} // namespace
} // namespace dtool::test
