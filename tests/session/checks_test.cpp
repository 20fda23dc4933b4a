// The session's checks before a change, without any window: the class of the connected
// instrument, the read-first question, the serial number of the wizards, the switch's retry
// under its protection code, the detection before a read, and when the code is forgotten.
#include "sessionfixture.h"

namespace dtool::test {
namespace {

const std::string ReadFirst = "Before you change the parameters you have to read the actual "
                              "configuration of the sensor.\rWould you carry out the \"Read "
                              "data\" now?";

class SessionChecksTest : public SessionTest {};

TEST_F(SessionChecksTest, TheConnectedInstrumentMustBeOfTheCurrentClass) {
  struct TCase {
    const char* name;
    std::string bench;
    std::uint8_t type; // current before the check
    bool ok;
    std::string warning; // with messages; empty: none
    int typeAfter;
  };
  const TCase cases[] = {
      {"the same type", Instrument(10), 10, true, "", 10},
      {"another type of the class becomes current", Instrument(11), 10, true, "", 11},
      {"a static model of the other static class", Instrument(5), 1, false,
       "The DravonTool has been set to Dravon-STD. You cannot perform this operation to "
       "Dravon-STD Z.",
       1},
      {"another class", Instrument(9), 10, false,
       "The DravonTool has been set to DravonDat. You cannot perform this operation to "
       "DravonSwitch.",
       10},
      {"nothing connected", Com(1, "Instrument = none"), 9, false, "No known instrument connected!",
       9},
  };
  for (const TCase& c : cases) {
    for (TShow show : {TShow::Silent, TShow::Messages}) {
      SCOPED_TRACE(std::string(c.name) + (show == TShow::Messages ? ", messages" : ", silent"));
      Start(c.bench, c.type);
      EXPECT_EQ(S().CheckInstrument(show), c.ok);
      Msgs expected;
      if (show == TShow::Messages && !c.warning.empty())
        expected.push_back({"Warning", c.warning});
      EXPECT_EQ(port.messages, expected);
      EXPECT_EQ(Sett().InstType(), c.typeAfter);
    }
  }
}

TEST_F(SessionChecksTest, AConfigurationNotReadIsReadWithTheOperatorsConsent) {
  struct TCase {
    const char* name;
    bool readBefore;
    std::optional<bool> answer; // none: no question
    bool ok;
  };
  const TCase cases[] = {
      {"read before", true, std::nullopt, true},
      {"not read, No", false, false, false},
      {"not read, Yes", false, true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.readBefore)
      ReadOn(10);
    else
      Start(Instrument(10), 10);
    if (c.answer)
      port.Answer({*c.answer});
    EXPECT_EQ(S().RequireReadData(), c.ok);
    EXPECT_EQ(port.messages, (c.answer ? Msgs{{"ErrorYesNo", ReadFirst}} : Msgs{}));
    // Only the read after Yes talks to the instrument.
    EXPECT_EQ(CallsOf("GetInstType").empty(), c.answer != true);
    EXPECT_EQ(Sett().ConfigRead(), c.ok);
  }
}

TEST_F(SessionChecksTest, TheSerialNumberIsRememberedAndComparedWithTheConnectedInstruments) {
  ReadOn(10);
  EXPECT_TRUE(S().CheckSerialNo(TSerialCheck::Remember));
  EXPECT_EQ(S().SavedSerialNo(), "1234567");
  EXPECT_TRUE(S().CheckSerialNo(TSerialCheck::Compare));
  EXPECT_EQ(port.messages, Msgs{});
  // Another instrument, and one that has no serial number.
  TBenchControl::Get().Plug(1, "Instrument = DravonDat\nSerial = 7777777");
  EXPECT_FALSE(S().CheckSerialNo(TSerialCheck::Compare));
  EXPECT_EQ(port.messages, (Msgs{{"Error", "Wrong Serial Number! "}}));
  EXPECT_EQ(S().SavedSerialNo(), "1234567") << "a comparison keeps the number remembered";
  // An instrument that does not answer fails the check with the link's message.
  port.Clear();
  TBenchControl::Get().SetFault(1, "FaultLinkError = A107:2");
  EXPECT_FALSE(S().CheckSerialNo(TSerialCheck::Remember));
  EXPECT_EQ(
      port.messages,
      (Msgs{{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. 2\r"
                      "Status: OO=0xa1, CC=0x07, BBAA=0x0000, oo=0xa1, cc=0x07, bbaa=0x0000"}}));
}

// The retry of the switch under its protection code, row by row: the result of the last
// attempt and the attempts so far decide whether there is another one.
TEST_F(SessionChecksTest, TheSwitchIsTriedOnceWithTheCodeAndOnceMoreAfterAPrompt) {
  struct TCase {
    const char* name;
    std::int32_t r;
    int tries;
    std::optional<std::optional<std::int32_t>> prompt; // none: no prompt; nullopt: cancelled
    bool again;
    std::int32_t rAfter;
    Msgs messages;
  };
  const TCase cases[] = {
      {"first attempt", 0, 0, std::nullopt, true, 0, {}},
      {"locked at once", 13, 0, std::nullopt, true, 13, {}},
      {"locked after the first attempt, code entered",
       13,
       1,
       std::optional<std::int32_t>{77},
       true,
       0,
       {}},
      {"locked after the first attempt, cancelled",
       13,
       1,
       std::optional<std::int32_t>{},
       false,
       13,
       {}},
      {"locked again after the code",
       13,
       2,
       std::nullopt,
       false,
       13,
       {{"Warning", WrongProtCodeText}}},
      {"locked once more", 13, 3, std::nullopt, false, 13, {}},
      {"done", 0, 1, std::nullopt, false, 0, {}},
      {"link error", 3, 1, std::nullopt, false, 3, {}},
  };
  Start(Instrument(9), 9);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    port.Clear();
    view.prompts.clear();
    S().SetProtCode(5);
    if (c.prompt)
      view.codes = {*c.prompt};
    std::int32_t r = c.r;
    int tries = c.tries;
    EXPECT_EQ(S().SwitchProtPrompt(r, tries), c.again);
    EXPECT_EQ(r, c.rAfter);
    EXPECT_EQ(tries, c.tries + 1);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(view.prompts.size(), c.prompt ? 1u : 0u);
    if (c.prompt) {
      EXPECT_EQ(view.prompts[0], "Enter protection code / Protection code");
    }
    EXPECT_EQ(S().ProtCode(), c.prompt && *c.prompt ? **c.prompt : 5);
  }
}

TEST_F(SessionChecksTest, DetectionTakesTheConnectedTypeOrEndsWhenThePortCannotBeOpened) {
  Start(Instrument(11), 9);
  EXPECT_TRUE(S().DetectInstrument());
  EXPECT_EQ(Sett().InstType(), 11);
  EXPECT_EQ(port.messages, Msgs{});

  Start(Com(1, "Instrument = none"), 10);
  EXPECT_TRUE(S().DetectInstrument());
  EXPECT_EQ(Sett().InstType(), 0) << "no instrument type";

  Start(Com(1, "Instrument = 10") + Com(6, "Available = no"), 10, 6);
  port.Clear();
  view.calls.clear();
  EXPECT_FALSE(S().DetectInstrument());
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "As COMPORT could not be opened, the program will closed! "}}));
  EXPECT_EQ(view.Count("EndApplication"), 1);
  EXPECT_EQ(Sett().InstType(), 10) << "the type stays";
  // A read on such a port ends there too.
  port.Clear();
  EXPECT_EQ(S().Read(), TOutcome::PortUnavailable);
}

TEST_F(SessionChecksTest, ALostConfigurationForgetsTheCodeOnlyWhileTheOperatorIsAtTheView) {
  ReadOn(10);
  for (bool atView : {false, true}) {
    SCOPED_TRACE(atView);
    view.atView = atView;
    S().SetProtCode(1234);
    Sett().SetConfigRead(false);
    EXPECT_EQ(S().ProtCode(), atView ? 0 : 1234);
  }
}

} // namespace
} // namespace dtool::test
