// The protection code dialogs against the instrument bench through the real link libraries: the
// code dialog, and the change dialog of both families on an instrument session.
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>

#include "dialogscript.h"
#include "sessionfixture.h"
#include "tools/progtools.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/enterprcode.h"
#include "ui/dialogs/setprotect.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {
namespace {

using Commands = std::vector<std::string>;

const std::string Success = "Transfer was successful!";
const std::string Mismatch = "The \"protection code\" was repeated incorrectly. \rThe "
                             "\"protection code\" was not changed! ";
const std::string ReadFirst = "Before you change the parameters you have to read the actual "
                              "configuration of the sensor.\rWould you carry out the \"Read "
                              "data\" now?";

// The B10B request that presents a code, as the bench traces it.
std::string Present(const char* bbaa) {
  return std::string("COM1 OO=B1 CC=0B BBAA=") + bbaa;
}

// The operator types a code into the code dialog and leaves it with OK (or Cancel).
std::function<void(QDialog&)> EnterCode(const QString& code, bool ok = true) {
  return Fill({{"PrCodeEd", code}}, ok ? "OkBtn" : "BitBtn1");
}

class ProtectionTest : public SessionTest {
protected:
  // Sets the bench up with one instrument on COM1 and a session of the type given, whose
  // configuration counts as read.
  void Connect(const std::string& body, std::uint8_t type) {
    Start(Com(1, body), type);
    Sett().SetConfigRead(true);
  }
  Commands AnalogCommands() const { return Requests("TransCmd"); }
  // The answer of the instrument to a code presented now: 0 accepted, 18 wrong, 19 locked.
  int CodeAnswer(std::uint16_t code) { return Ask(0xB10B, code).CC; }
  bool SwitchProtected() {
    std::int32_t flag = -1;
    EXPECT_EQ(S().Link()->Switch().IsProtected(1, &flag), 0);
    return flag != 0;
  }
};

// --- The code dialog ----------------------------------------------------------------------

TEST_F(ProtectionTest, TheCodeDialogTakesAWholeNumberWithinTheRange) {
  struct TCase {
    const char* Name;
    const char* Typed;
    bool Ok;
    bool Accepted;
    std::int32_t Code; // the code afterwards; it was 777 before
    int Beeps;
  };
  const TCase cases[] = {
      {"a code", "4321", true, true, 4321, 0},
      {"above the range", "70000", true, true, 65535, 1},
      {"below the range", "0", true, true, 1, 1},
      {"nothing entered", "", true, true, 777, 0},
      {"no whole number", "12.5", true, true, 777, 0},
      {"cancelled", "4321", false, false, 777, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    port.Clear();
    port.beeps = 0;
    std::int32_t code = 777;
    TEnterPrCodeForm form(nullptr);
    TDialogScript script;
    script.On("EnterPrCodeForm", [&](QDialog& d) {
      auto* edit = Child<TEditReal>(d, "PrCodeEd");
      EXPECT_EQ(d.windowTitle(), "Enter protection code");
      EXPECT_EQ(Child<QLabel>(d, "CodeLb")->text(), "Protection code");
      EXPECT_EQ(d.focusWidget(), edit->InputEdit());
      EXPECT_EQ(edit->Text(), "");
      Type(edit, c.Typed);
      if (c.Ok)
        PressEnter(edit); // the default button
      else
        Click(d, "BitBtn1");
    });
    EXPECT_EQ(form.Execute(code, "Enter protection code", "Protection code"), c.Accepted);
    EXPECT_EQ(code, c.Code);
    EXPECT_EQ(port.beeps, c.Beeps);
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(form.size(), QSize(229, 93));
  }
}

// --- The change dialog, analog family -------------------------------------------------------

TEST_F(ProtectionTest, AnUnprotectedInstrumentTakesANewCodeAfterItsVerification) {
  Connect("Instrument = DravonDat", 10);
  TSetProtectForm form(S(), nullptr);
  TDialogScript script;
  script
      .On("SetProtectForm",
          [](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Change protection code");
            EXPECT_EQ(d.size(), QSize(231, 127));
            auto* newEd = Child<TEditReal>(d, "NewCdEd");
            EXPECT_TRUE(Child<TEditReal>(d, "OldCdEd")->isHidden());
            EXPECT_TRUE(Child<QLabel>(d, "OldCdLb")->isHidden());
            EXPECT_EQ(d.focusWidget(), newEd->InputEdit());
            EXPECT_EQ(newEd->Text(), "");
            Type(newEd, "4321");
            Click(d, "OkBtn");
          })
      .On("EnterPrCodeForm", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Verify protection code");
        EXPECT_EQ(Child<QLabel>(d, "CodeLb")->text(), "New code");
        Type(Child<TEditReal>(d, "PrCodeEd"), "4321");
        PressEnter(Child<TEditReal>(d, "PrCodeEd"));
      });
  EXPECT_TRUE(form.Execute());
  EXPECT_EQ(port.messages, (std::vector<Msg>{{"Info", Success}}));
  // Ready (state, firmware), protected?, the hidden old code, the new code, store, restart.
  EXPECT_EQ(AnalogCommands(),
            (Commands{"COM1 OO=A1 CC=00 BBAA=0000", "COM1 OO=A1 CC=03 BBAA=0000", Present("0000"),
                      Present("0001"), "COM1 OO=B1 CC=0A BBAA=10E1", "COM1 OO=B1 CC=0C BBAA=0000",
                      "COM1 OO=B1 CC=0D BBAA=0000"}));
  EXPECT_EQ(S().ProtCode(), 1); // the old code given
  // The instrument now demands the new code.
  EXPECT_EQ(CodeAnswer(0), 18);
  EXPECT_EQ(CodeAnswer(4321), 0);
}

TEST_F(ProtectionTest, DisableWithTheRightOldCodeRemovesTheCodeWithoutVerification) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  TSetProtectForm form(S(), nullptr);
  TDialogScript script;
  script.On("SetProtectForm", [](QDialog& d) {
    auto* oldEd = Child<TEditReal>(d, "OldCdEd");
    EXPECT_FALSE(oldEd->isHidden());
    EXPECT_EQ(d.focusWidget(), oldEd->InputEdit());
    EXPECT_EQ(oldEd->Text(), "");
    Type(oldEd, "1234");
    Click(d, "DisableBtn");
  });
  EXPECT_TRUE(form.Execute());
  EXPECT_EQ(script.Played(), 1);
  EXPECT_EQ(port.messages, (std::vector<Msg>{{"Info", Success}}));
  const Commands sent = AnalogCommands();
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(Commands(sent.end() - 4, sent.end()),
            (Commands{Present("04D2"), "COM1 OO=B1 CC=0A BBAA=0000", "COM1 OO=B1 CC=0C BBAA=0000",
                      "COM1 OO=B1 CC=0D BBAA=0000"}));
  EXPECT_EQ(S().ProtCode(), 1234);
  EXPECT_EQ(CodeAnswer(0), 0); // no code any more
}

TEST_F(ProtectionTest, AFailedVerificationKeepsTheDialogOpenAndSendsNothing) {
  struct TCase {
    const char* Name;
    const char* Repeated;
    bool Confirm;
    std::vector<Msg> Messages;
  };
  const TCase cases[] = {
      {"cancelled", "4321", false, {}},
      {"another code", "4322", true, {{"Warning", Mismatch}}},
      {"nothing repeated", "", true, {{"Warning", Mismatch}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Connect("Instrument = DravonDat", 10);
    TSetProtectForm form(S(), nullptr);
    TDialogScript script;
    script.On("SetProtectForm", Fill({{"NewCdEd", "4321"}}, "OkBtn"))
        .On("EnterPrCodeForm", EnterCode(c.Repeated, c.Confirm))
        .On("SetProtectForm", [](QDialog& d) { Click(d, "CancelBtn"); }); // still open
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(port.messages, c.Messages);
    // Only the questions of the opening: ready, and whether a code is set.
    EXPECT_EQ(AnalogCommands(), (Commands{"COM1 OO=A1 CC=00 BBAA=0000",
                                          "COM1 OO=A1 CC=03 BBAA=0000", Present("0000")}));
  }
}

TEST_F(ProtectionTest, AWrongOldCodeKeepsTheDialogOpenAndTheCode) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  TSetProtectForm form(S(), nullptr);
  TDialogScript script;
  script.On("SetProtectForm", Fill({{"OldCdEd", "1235"}}, "DisableBtn"))
      .On("SetProtectForm", [](QDialog& d) {
        // A second attempt with the right code.
        auto* oldEd = Child<TEditReal>(d, "OldCdEd");
        oldEd->InputEdit()->clear();
        Type(oldEd, "1234");
        Click(d, "DisableBtn");
      });
  EXPECT_TRUE(form.Execute());
  EXPECT_EQ(port.messages, (std::vector<Msg>{{"Warning", InvalidOldCodeText}, {"Info", Success}}));
  EXPECT_EQ(CodeAnswer(0), 0);
}

TEST_F(ProtectionTest, TheDialogDoesNotOpenWhenTheInstrumentCannotTakeACode) {
  struct TCase {
    const char* Name;
    const char* Bench;
    bool Read; // the configuration counts as read; else the operator declines to read
    std::vector<Msg> Messages;
  };
  const TCase cases[] = {
      {"configuration not read", "Instrument = DravonDat", false, {{"ErrorYesNo", ReadFirst}}},
      {"another instrument",
       "Instrument = DravonSwitch",
       true,
       {{"Warning", "The DravonTool has been set to DravonDat. You cannot perform this "
                    "operation to DravonSwitch."}}},
      {"not operational yet",
       "Instrument = DravonDat\nStartupMs = 60000",
       true,
       {{"Error", "Instrument is not operational yet. \rPlease wait until the [Run/Error] LED "
                  "stops with orange flashing! "}}},
      {"protection state unknown",
       "Instrument = DravonDat\nFaultAnswer = B10B:7",
       true,
       {{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. 0\rStatus: "
                  "OO=0xb1, CC=0x0b, BBAA=0x0000, oo=0xb1, cc=0x07, bbaa=0x0000"}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Connect(c.Bench, 10);
    Sett().SetConfigRead(c.Read);
    if (!c.Read)
      port.Answer({false});
    TSetProtectForm form(S(), nullptr);
    TDialogScript script; // no dialog
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(port.messages, c.Messages);
  }
}

// --- The change dialog, switch -------------------------------------------------------------

TEST_F(ProtectionTest, TheSwitchSetsChangesAndRemovesItsCode) {
  struct TCase {
    const char* Name;
    const char* Code; // the switch's code before
    const char* Old;  // typed as old code; null when the field must be hidden
    const char* New;  // typed and repeated; null for "Disable code"
    const char* Request;
    bool ProtectedAfter;
  };
  const TCase cases[] = {
      {"set", "0", nullptr, "777", "old=1 new=777", true},
      {"change", "555", "555", "777", "old=555 new=777", true},
      {"remove", "555", "555", nullptr, "old=555 new=0", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Connect(std::string("Instrument = DravonSwitch\nProtectionCode = ") + c.Code, 9);
    TSetProtectForm form(S(), nullptr);
    TDialogScript script;
    script.On("SetProtectForm", [&c](QDialog& d) {
      auto* oldEd = Child<TEditReal>(d, "OldCdEd");
      EXPECT_EQ(oldEd->isHidden(), c.Old == nullptr);
      if (c.Old)
        Type(oldEd, c.Old);
      if (c.New)
        Type(Child<TEditReal>(d, "NewCdEd"), c.New);
      Click(d, c.New ? "OkBtn" : "DisableBtn");
    });
    if (c.New)
      script.On("EnterPrCodeForm", EnterCode(c.New));
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(port.messages, (std::vector<Msg>{{"Info", Success}}));
    EXPECT_EQ(Requests("SetProtectCode"), Commands{std::string("COM1 ") + c.Request});
    EXPECT_EQ(SwitchProtected(), c.ProtectedAfter);
  }
}

TEST_F(ProtectionTest, TheSwitchRefusingTheOldCodeKeepsTheDialogOpen) {
  struct TCase {
    const char* Name;
    const char* Bench;
    std::string Message;
    const char* Kind;
  };
  const TCase cases[] = {
      {"wrong old code", "", InvalidOldCodeText, "Warning"},
      {"link error", "FaultLinkError = SetProtectCode:4",
       "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 4", "Error"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Connect(std::string("Instrument = DravonSwitch\nProtectionCode = 555\n") + c.Bench, 9);
    TSetProtectForm form(S(), nullptr);
    TDialogScript script;
    script.On("SetProtectForm", Fill({{"OldCdEd", "556"}}, "DisableBtn"))
        .On("SetProtectForm", [](QDialog& d) { Click(d, "CancelBtn"); }); // still open
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(port.messages, (std::vector<Msg>{{c.Kind, c.Message}}));
    EXPECT_TRUE(SwitchProtected());
  }
}

TEST_F(ProtectionTest, ASwitchThatCannotSayWhetherItIsProtectedGetsNoDialog) {
  Connect("Instrument = DravonSwitch\nFaultLinkError = IsProtected:5", 9);
  TSetProtectForm form(S(), nullptr);
  TDialogScript script; // no dialog
  EXPECT_FALSE(form.Execute());
  EXPECT_EQ(
      port.messages,
      (std::vector<Msg>{
          {"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 5"}}));
}

// --- The code edits and the help ------------------------------------------------------------

TEST_F(ProtectionTest, TheCodeEditsRejectTextAndLimitNumbers) {
  Connect("Instrument = DravonDat", 10);
  TSetProtectForm form(S(), nullptr);
  TDialogScript script;
  script.On("SetProtectForm", [this](QDialog& d) {
    auto* newEd = Child<TEditReal>(d, "NewCdEd");
    // Every change that is no number is reported at once.
    Type(newEd, "1x");
    EXPECT_EQ(port.messages, (std::vector<Msg>{{"Error", InvalidValueText}}));
    // Finished input: the last number comes back.
    PressEnter(newEd);
    EXPECT_EQ(newEd->Text(), "1");
    // A number beyond the range becomes the limit, with a beep.
    newEd->InputEdit()->clear();
    Type(newEd, "70000");
    PressEnter(newEd);
    EXPECT_EQ(newEd->Text(), "65535");
    EXPECT_EQ(port.beeps, 1);
    Click(d, "CancelBtn");
  });
  EXPECT_FALSE(form.Execute());
}

TEST_F(ProtectionTest, TheHelpButtonShowsTheDialogsTopicInTheSubWindow) {
  Connect("Instrument = DravonDat", 10);
  SetHelpFile(HelpFilePathFor(0));
  TSetProtectForm form(S(), nullptr);
  TDialogScript script;
  script.On("SetProtectForm", [](QDialog& d) {
    Click(d, "HelpBtn");
    Click(d, "CancelBtn");
  });
  EXPECT_FALSE(form.Execute());
  THelpForm* help = FindHelpWindow(SubHelpWindow);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->CurrentContext(), 3001);
  EXPECT_EQ(FindHelpWindow(), nullptr); // not the main help window
  CloseHelpWindows();
}

TEST_F(ProtectionTest, TheCaptionHelpButtonShowsTheTopicOfTheControlClicked) {
  Connect("Instrument = DravonDat\nProtectionCode = 1234", 10);
  SetHelpFile(HelpFilePathFor(0));
  TSetProtectForm form(S(), nullptr);
  std::vector<int> shown;
  TDialogScript script;
  script.On("SetProtectForm", [&shown](QDialog& d) {
    // "What's this?" on a control goes up to the dialog when the control has no text.
    for (const char* name : {"OldCdEd", "NewCdEd", "DisableBtn", "OkBtn"}) {
      QWidget* w = Child<QWidget>(d, name);
      if (auto* edit = qobject_cast<TEditReal*>(w))
        w = edit->InputEdit();
      QHelpEvent event(QEvent::WhatsThis, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
      QApplication::sendEvent(w, &event);
      EXPECT_TRUE(event.isAccepted()) << name;
      shown.push_back(FindHelpWindow() ? FindHelpWindow()->CurrentContext() : 0);
    }
    Click(d, "CancelBtn");
  });
  EXPECT_FALSE(form.Execute());
  EXPECT_EQ(shown, (std::vector<int>{3010, 3020, 3030, 3001}));
  CloseHelpWindows();
}

} // namespace
} // namespace dtool::test
