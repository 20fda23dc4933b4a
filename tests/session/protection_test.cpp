// The protection code in the session, without any window: the check of the remembered code
// before a change, with and without a prompt, the lock after wrong codes, the question whether
// an instrument has a code, and the change of the code for both families.
#include "sessionfixture.h"

namespace dtool::test {
namespace {

using Commands = std::vector<std::string>;

// The B10B request that presents a code, as the bench traces it.
std::string Present(const char* bbaa) {
  return std::string("COM1 OO=B1 CC=0B BBAA=") + bbaa;
}

class SessionProtectionTest : public SessionTest {
protected:
  // One instrument on COM1, connected with the family of the type; the configuration counts as
  // read.
  void Connect(const std::string& body, std::uint8_t type) {
    Start(Com(1, body), type);
    ClearTrace();
  }
  Commands CodeQueries() const {
    Commands queries;
    for (const std::string& r : Requests("TransCmd"))
      if (r.find("OO=B1 CC=0B") != std::string::npos)
        queries.push_back(r);
    return queries;
  }
  Commands AnalogRequests() const { return Requests("TransCmd"); }
  int CodeAnswer(std::uint16_t code) { return Ask(0xB10B, code).CC; }
  bool SwitchProtected() {
    std::int32_t flag = -1;
    EXPECT_EQ(S().Link()->Switch().IsProtected(1, &flag), 0);
    return flag != 0;
  }
  // Presents a wrong code n times, as a series of wrong entries would.
  void WrongCodes(int n) {
    for (int i = 0; i < n; ++i)
      Ask(0xB10B, 99);
    ClearTrace();
  }
};

// --- The check before a change -------------------------------------------------------------

TEST_F(SessionProtectionTest, AProtectedInstrumentPromptsOnceAndAgainAfterAWrongCode) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  // A wrong entry: the operation's message, and the code is forgotten.
  view.codes = {99};
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::WrongCode);
  EXPECT_EQ(view.prompts, std::vector<std::string>{"Enter protection code / Protection code"});
  EXPECT_EQ(S().ProtCode(), 0);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", WrongProtCodeText}}));
  // A later attempt asks again; the right code is remembered.
  view.codes = {1234};
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::Done);
  EXPECT_EQ(S().ProtCode(), 1234);
  // Known now: no prompt.
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::Done);
  EXPECT_EQ(view.prompts.size(), 2u);
  EXPECT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(CodeQueries(), (Commands{Present("0000"), Present("0063"), Present("0000"),
                                     Present("04D2"), Present("04D2")}));
}

TEST_F(SessionProtectionTest, ACancelledPromptRefusesWithoutAMessage) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  S().SetProtCode(99);
  view.codes = {std::nullopt};
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::Declined);
  EXPECT_EQ(S().ProtCode(), 0);
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(CodeQueries(), Commands{Present("0063")});
}

TEST_F(SessionProtectionTest, WithoutPromptAWrongCodeShowsTheMessage) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  S().SetProtCode(99);
  EXPECT_EQ(S().CheckProtCode(TPrompt::Never, "the operation's text"), TOutcome::WrongCode);
  EXPECT_TRUE(view.prompts.empty());
  EXPECT_EQ(S().ProtCode(), 0);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", "the operation's text"}}));

  // An instrument without a code accepts any code.
  Connect("Instrument = Dravon-STD", 1);
  S().SetProtCode(99);
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::Done);
  EXPECT_EQ(S().ProtCode(), 99);
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(SessionProtectionTest, ALockedInstrumentIsReportedWithoutPrompt) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  WrongCodes(10);
  S().SetProtCode(1234);
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::Locked);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", ProtLockedText()}}));
  EXPECT_TRUE(view.prompts.empty());
  EXPECT_EQ(S().ProtCode(), 1234);
  EXPECT_EQ(CodeQueries(), Commands{Present("04D2")});

  // The code change meets the same lock and sends nothing more.
  port.Clear();
  ClearTrace();
  EXPECT_EQ(S().ChangeProtCode(1234, 4321), TOutcome::Locked);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", ProtLockedText()}}));
  EXPECT_EQ(AnalogRequests(), Commands{Present("04D2")});
}

TEST_F(SessionProtectionTest, AnInstrumentThatLocksOnTheLastWrongCodeIsReportedAfterThePrompt) {
  // The remembered wrong code is the tenth: the instrument locks and refuses even the right
  // code entered at the prompt. The operator learns why.
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  WrongCodes(9);
  S().SetProtCode(99);
  view.codes = {1234};
  EXPECT_EQ(S().CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText), TOutcome::Locked);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", ProtLockedText()}}));
  EXPECT_EQ(CodeQueries(), (Commands{Present("0063"), Present("04D2")}));
}

// --- Whether an instrument has a code -------------------------------------------------------

TEST_F(SessionProtectionTest, TheInstrumentTellsWhetherItHasACode) {
  struct TCase {
    const char* name;
    std::string body;
    std::uint8_t type;
    TOutcome outcome;
    bool isProtected;
    std::size_t messages;
  };
  const TCase cases[] = {
      {"transmitter without code", "Instrument = DravonDat", 10, TOutcome::Done, false, 0},
      {"transmitter with code", "Instrument = DravonDat\nProtectionCode = 1", 10, TOutcome::Done,
       true, 0},
      {"not operational yet", "Instrument = DravonDat\nStartupMs = 60000", 10, TOutcome::Failed,
       false, 1},
      {"protection state unknown", "Instrument = DravonDat\nFaultAnswer = B10B:7", 10,
       TOutcome::Failed, false, 1},
      {"switch without code", "Instrument = DravonSwitch", 9, TOutcome::Done, false, 0},
      {"switch with code", "Instrument = DravonSwitch\nProtectionCode = 555", 9, TOutcome::Done,
       true, 0},
      {"switch that cannot say", "Instrument = DravonSwitch\nFaultLinkError = IsProtected:5", 9,
       TOutcome::Failed, false, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Connect(c.body, c.type);
    bool isProtected = false;
    EXPECT_EQ(S().ProtectionState(isProtected), c.outcome);
    EXPECT_EQ(isProtected, c.isProtected);
    EXPECT_EQ(port.messages.size(), c.messages);
  }
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. "
                            "5"}}));
}

// --- The change of the code -----------------------------------------------------------------

TEST_F(SessionProtectionTest, AnAnalogInstrumentTakesANewCodeWithItsOldOne) {
  // Unprotected: any old code is taken; the instrument then demands the new one.
  Connect("Instrument = DravonDat", 10);
  EXPECT_EQ(S().ChangeProtCode(1, 4321), TOutcome::Done);
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(AnalogRequests(),
            (Commands{Present("0001"), "COM1 OO=B1 CC=0A BBAA=10E1", "COM1 OO=B1 CC=0C BBAA=0000",
                      "COM1 OO=B1 CC=0D BBAA=0000"}));
  EXPECT_EQ(S().ProtCode(), 1) << "the old code given";
  EXPECT_EQ(CodeAnswer(0), 18);
  EXPECT_EQ(CodeAnswer(4321), 0);

  // Removed with the right old code; a wrong one changes nothing.
  port.Clear();
  EXPECT_EQ(S().ChangeProtCode(4322, 0), TOutcome::WrongCode);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", InvalidOldCodeText}}));
  EXPECT_EQ(S().ProtCode(), 0);
  EXPECT_EQ(CodeAnswer(0), 18);
  port.Clear();
  EXPECT_EQ(S().ChangeProtCode(4321, 0), TOutcome::Done);
  EXPECT_EQ(S().ProtCode(), 4321);
  EXPECT_EQ(CodeAnswer(0), 0);
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(SessionProtectionTest, TheSwitchSetsChangesAndRemovesItsCode) {
  struct TCase {
    const char* name;
    const char* code; // the switch's code before
    std::int32_t oldCode, newCode;
    const char* bench;
    TOutcome outcome;
    Msgs messages;
    bool protectedAfter;
  };
  const TCase cases[] = {
      {"set", "0", 1, 777, "", TOutcome::Done, {}, true},
      {"change", "555", 555, 777, "", TOutcome::Done, {}, true},
      {"remove", "555", 555, 0, "", TOutcome::Done, {}, false},
      {"wrong old code",
       "555",
       556,
       0,
       "",
       TOutcome::WrongCode,
       {{"Warning", InvalidOldCodeText}},
       true},
      {"link error",
       "555",
       555,
       0,
       "FaultLinkError = SetProtectCode:4",
       TOutcome::Failed,
       {{"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 4"}},
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Connect(std::string("Instrument = DravonSwitch\nProtectionCode = ") + c.code + "\n" + c.bench,
            9);
    EXPECT_EQ(S().ChangeProtCode(c.oldCode, c.newCode), c.outcome);
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(CallsOf("SetProtectCode").size(), 1u);
    EXPECT_EQ(S().ProtCode(), c.oldCode);
    EXPECT_EQ(SwitchProtected(), c.protectedAfter);
  }
}

} // namespace
} // namespace dtool::test
