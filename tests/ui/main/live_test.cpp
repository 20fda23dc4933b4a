// The live reading, the zero calibration and the commands of the menus, the toolbar and the
// edit buttons, against the bench through the real link libraries.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

#include "benchform.h"
#include "dialogscript.h"
#include "link/instlink.h"
#include "ui/controls/editreal.h"

namespace dtool::test {
namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;

const std::string Success = "Transfer was successful!";
const std::string ReadFirst = "Before you change the parameters you have to read the actual "
                              "configuration of the sensor.\rWould you carry out the \"Read "
                              "data\" now?";
const std::string ZeroQuestion = "Would you carry out the zero calibration? \r\rTo balance the "
                                 "sensor, short circuit both sensor-nozzles and click [Yes]";
const std::string ZeroOk = "Zero calibration was successful! ";

std::string Instrument(int type, const std::string& extra = "") {
  return Com(1, "Instrument = " + std::to_string(type) + "\nSerial = 7654321\n" + extra);
}

class LiveTest : public BenchFormTest {
protected:
  TMainForm& Connect(int type, const std::string& extra = "", bool read = true) {
    StartBench(Instrument(type, extra));
    TMainForm& f = Open(RecordsFor(type));
    if (read) {
      f.ReadBtn->click();
      EXPECT_TRUE(f.sett->ConfigRead());
    }
    port.Clear();
    ClearTrace();
    return f;
  }
  std::pair<std::string, std::string> Reading(TMainForm& f) {
    f.ShowLiveReading();
    return {f.PressEdLb->text().toStdString(), f.PressEd->text().toStdString()};
  }
};

// --- Live reading -------------------------------------------------------------------------

TEST_F(LiveTest, AnalogReadingsShowByCode) {
  struct TCase {
    const char* name;
    int type;
    const char* bench;
    bool read;
    int advance; // ms of bench time before the reading, so that records have come
    const char* text;
    bool configReadAfter;
  };
  const TCase cases[] = {
      {"transmitter: two decimals of Pa", 10, "Pressure = 12.34", true, 2000, "12.34 Pa", true},
      {"static model: one decimal of Pa", 1, "Pressure = 12.34", true, 2000, "12.3 Pa", true},
      {"not read", 10, "Pressure = 12.34", false, 2000, "No Config", false},
      {"no record yet", 10, "", true, 0, "No Signal", false},
      {"no signal", 10, "FaultNoSignal = yes", true, 2000, "No Signal", false},
      {"overflow", 11, "FaultOverflow = yes", true, 2000, "Overflow", true},
      {"underflow", 2, "FaultUnderflow = yes", true, 2000, "Underflow", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = Connect(c.type, c.bench, c.read);
    TBenchControl::Get().Advance(c.advance);
    EXPECT_EQ(Reading(f), std::make_pair(std::string("Pressure: "), std::string(c.text)));
    EXPECT_EQ(f.sett->ConfigRead(), c.configReadAfter);
    EXPECT_EQ(f.RecKind, c.advance > 0 ? 1 : 0);
    EXPECT_EQ(port.messages, Msgs{});
  }
}

TEST_F(LiveTest, AVelocityRecordKeepsTheReadingAVelocity) {
  TMainForm& f = Connect(10, "Pressure = 12.34");
  Ask(0xB112, 0x0201); // the instrument sends velocity records from now on
  TBenchControl::Get().Advance(2000);
  const auto first = Reading(f);
  EXPECT_EQ(f.RecKind, 2);
  EXPECT_EQ(first.first, "Velocity: ");
  EXPECT_EQ(first.second, "4.489 m/s"); // (12.34 / 0.6125) ^ (1 / 2)
  // No new record: the kind stays.
  const auto second = Reading(f);
  EXPECT_EQ(second, first);
  EXPECT_EQ(CallsOf("GetVelocityInst").size(), 2u);
  EXPECT_TRUE(CallsOf("GetPressInst").empty());
}

TEST_F(LiveTest, SwitchReadingsAfterARead) {
  TMainForm& f = Connect(9, "Pressure = 12.34");
  // Right after the read the switch has no data yet: nothing is shown, the read stands.
  EXPECT_TRUE(f.TimReadNoDataSuppr->isActive());
  EXPECT_EQ(f.TimReadNoDataSuppr->interval(), 5000);
  EXPECT_EQ(Reading(f), std::make_pair(std::string("Pressure: "), std::string()));
  EXPECT_TRUE(f.sett->ConfigRead());
  // Once the quiet time is over, missing data is a lost signal.
  f.TimReadNoDataSupprTimer();
  EXPECT_FALSE(f.TimReadNoDataSuppr->isActive());
  EXPECT_EQ(Reading(f).second, "No Signal");
  EXPECT_FALSE(f.sett->ConfigRead());
  // A pressure shows whether or not the configuration was read.
  TBenchControl::Get().Advance(4000);
  EXPECT_EQ(Reading(f).second, "12.34 Pa");
  EXPECT_EQ(f.RecKind, 1);
}

TEST_F(LiveTest, SwitchReadingCodes) {
  struct TCase {
    const char* bench;
    const char* text;
    bool configReadAfter;
  };
  const TCase cases[] = {
      {"FaultNoConfig = yes", "No Config", false},
      {"FaultNoSignal = yes", "No Signal", false},
      {"FaultOverflow = yes", "Overflow", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.bench);
    TMainForm& f = Connect(9, c.bench);
    TBenchControl::Get().Advance(4000);
    EXPECT_EQ(Reading(f).second, c.text);
    EXPECT_EQ(f.sett->ConfigRead(), c.configReadAfter);
  }
}

TEST_F(LiveTest, TheSwitchReadingFollowsTheWizardsTrialValues) {
  TMainForm& f = Connect(9, "Pressure = 12.34");
  TBenchControl::Get().Advance(4000);
  QWidget wizard;
  f.RegisterTrialWizard(&wizard, {});
  f.TrialSwitchRecord() = f.sett->Switch;
  f.TrialSwitchRecord().Hose_length = 2.5;
  f.ShowLiveReading(); // hidden: the instrument's own reading
  wizard.show();
  f.ShowLiveReading();
  EXPECT_EQ(CallsOf("GetPressInst").size(), 1u);
  const std::vector<TBenchCall> trial = CallsOf("GetPressPar");
  ASSERT_EQ(trial.size(), 1u);
  EXPECT_EQ(trial[0].Request, "hose=2.5 atm=966 humidity=50 gain=1");
}

TEST_F(LiveTest, ALostSignalForgetsTheCodeOnlyWhileTheWindowIsActive) {
  for (bool active : {false, true}) {
    SCOPED_TRACE(active);
    TMainForm& f = Connect(10, "FaultNoSignal = yes");
    if (active) {
      f.show();
      f.activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    f.Session().SetProtCode(4711);
    TBenchControl::Get().Advance(2000);
    EXPECT_EQ(Reading(f).second, "No Signal");
    EXPECT_FALSE(f.sett->ConfigRead());
    EXPECT_EQ(f.Session().ProtCode(), active ? 0 : 4711);
  }
}

TEST_F(LiveTest, ThePollTimerRefreshesTheReadingAndKeepsItsState) {
  TMainForm& f = Connect(10);
  EXPECT_TRUE(f.CheckInstTim->isActive());
  f.CheckInstTim->stop();
  f.ShowLiveReading();
  EXPECT_FALSE(f.CheckInstTim->isActive()) << "a stopped timer stays stopped";
  f.CheckInstTim->start();
  f.CheckInstTimTimer();
  EXPECT_EQ(CallsOf("GetPressInst").size(), 2u);
  EXPECT_TRUE(f.CheckInstTim->isActive());
}

// --- Zero calibration ---------------------------------------------------------------------

TEST_F(LiveTest, ZeroCalibrationOfATransmitterReadsFirstAndStoresTheZero) {
  TMainForm& f = Connect(10, "", false);
  port.Answer({true, true});
  f.ActZeroCalibration->trigger();
  EXPECT_EQ(port.messages,
            (Msgs{{"ErrorYesNo", ReadFirst}, {"Question", ZeroQuestion}, {"Info", ZeroOk}}));
  const std::vector<std::string> cmds = AnalogCommands();
  ASSERT_GE(cmds.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(cmds.end() - 3, cmds.end()),
            (std::vector<std::string>{"B10B", "B2FF", "B10C"}));
}

// A "Z" model busy with its zero: between the polls the window's event loop runs (the test's
// timer fires there and moves the bench's time and the session's ticks on), the window paints,
// the status bar shows the time waited, and the bar goes at the end.
TEST_F(LiveTest, WhileAZModelZeroesTheWindowPaintsAndShowsTheWait) {
  std::uint32_t now = 1000;
  int ticksAsked = 0;
  // A window whose loop stood still would never see the bench done: its ticks then jump, so
  // the calibration ends failed instead of hanging the test.
  sessionSetup.Clock.Ticks = [&] { return ++ticksAsked > 400 ? now += 1000 : now; };
  TMainForm& f = Connect(5, "ZeroBusyMs = 3000");
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  struct TPaints : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      count += e->type() == QEvent::Paint;
      return false;
    }
  } paints;
  f.ZeroCalBar->installEventFilter(&paints);
  std::vector<QString> shown;
  QPixmap shot;
  QTimer step;
  step.setInterval(10);
  QObject::connect(&step, &QTimer::timeout, [&] {
    if (f.ZeroCalBar->isVisible()) {
      shown.push_back(f.ZeroCalBar->text());
      if (shot.isNull() && paints.count > 0)
        shot = f.grab();
    }
    now += 50;
    TBenchControl::Get().Advance(50);
  });
  step.start();
  port.Answer({true});
  f.ActZeroCalibration->trigger();
  step.stop();
  EXPECT_EQ(port.messages,
            (Msgs{{"Question", "Would you carry out the zero calibration? "}, {"Info", ZeroOk}}));
  ASSERT_FALSE(shown.empty()) << "the window's timers ran during the wait";
  EXPECT_EQ(shown.front(), "Zero calibration... 0 s");
  for (const QString& text : shown)
    EXPECT_TRUE(text.startsWith("Zero calibration... ")) << text.toStdString();
  EXPECT_GT(paints.count, 0) << "the bar was painted during the wait";
  EXPECT_FALSE(shot.isNull());
  EXPECT_FALSE(f.ZeroCalBar->isVisible()) << "the bar goes at the end";
  EXPECT_EQ(Ask(0xA2FF).BBAA, 0) << "the instrument is done";
}

// --- The change-code dialog ---------------------------------------------------------------

TEST_F(LiveTest, TheCodeIsSetChangedAndRemovedForBothFamilies) {
  for (int type : {10, 9}) {
    SCOPED_TRACE(type);
    TMainForm& f = Connect(type);
    auto isProtected = [&] {
      if (type == 9) {
        std::int32_t flag = 0;
        EXPECT_EQ(f.Link()->Switch().IsProtected(1, &flag), 0);
        return flag != 0;
      }
      return Ask(0xB10B, 0).CC != 0;
    };
    struct TStep {
      const char* old; // nullptr: the old code field is hidden
      const char* neu; // nullptr: "Disable code"
      bool protectedAfter;
    };
    for (const TStep& s : {TStep{nullptr, "4711", true}, TStep{"4711", "1234", true},
                           TStep{"1234", nullptr, false}}) {
      SCOPED_TRACE(s.neu ? s.neu : "disable");
      port.Clear();
      TDialogScript script;
      script.On("SetProtectForm", [s](QDialog& d) {
        auto* oldEd = Child<TEditReal>(d, "OldCdEd");
        EXPECT_EQ(oldEd->isHidden(), s.old == nullptr);
        if (s.old)
          Type(oldEd, s.old);
        if (s.neu)
          Type(Child<TEditReal>(d, "NewCdEd"), s.neu);
        Click(d, s.neu ? "OkBtn" : "DisableBtn");
      });
      if (s.neu)
        script.On("EnterPrCodeForm", Fill({{"PrCodeEd", s.neu}}, "OkBtn"));
      f.ActChangeProtCode->trigger();
      EXPECT_EQ(port.messages, (Msgs{{"Info", Success}}));
      EXPECT_EQ(isProtected(), s.protectedAfter);
    }
  }
}

// --- The port in use ----------------------------------------------------------------------

// The status bar names the port in use and what holds it, from the start and after every
// opening of the link: a change of type, a detection, another port.
TEST_F(LiveTest, TheStatusBarShowsThePortInUseAndItsState) {
  StartBench(Instrument(10) + Com(2, "Instrument = DravonSwitch") + Com(6, "Available = no"));
  auto status = [](TMainForm& f) {
    const auto* portLb = f.findChild<QLabel*>(QStringLiteral("PortLb"));
    const auto* stateLb = f.findChild<QLabel*>(QStringLiteral("PortStateLb"));
    if (!portLb || !stateLb || !portLb->isVisibleTo(&f) || !stateLb->isVisibleTo(&f))
      return std::string("no status");
    return portLb->text().toStdString() + " " + stateLb->text().toStdString();
  };
  struct TCase {
    const char* name;
    std::int32_t comPort;
    int type;
    std::function<void(TMainForm&)> step; // after the start; nullptr: none
    const char* status;
  };
  const TCase cases[] = {
      {"a transmitter at the start", 1, 10, nullptr, "COM1 open with DDatDll"},
      {"the switch at the start", 2, 9, nullptr, "COM2 open with DSwitch"},
      {"a port that cannot be opened", 6, 10, nullptr, "COM6 cannot be opened"},
      {"another type", 1, 10, [](TMainForm& f) { f.sett->SetInstType(9); },
       "COM1 open with DSwitch"},
      {"a read that detects the other family", 1, 9, [](TMainForm& f) { f.ReadBtn->click(); },
       "COM1 open with DDatDll"},
      {"a read on a port where nothing answers", 5, 10, [](TMainForm& f) { f.ReadBtn->click(); },
       "COM5 open with DSwitch"},
      {"another port", 1, 10,
       [](TMainForm& f) {
         f.Prefs().ComPort = 2;
         f.Link()->OpenCommunication(true, 2);
       },
       "COM2 open with DDatDll"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSetFileRecords r = RecordsFor(c.type);
    r.Prefs.ComPort = c.comPort;
    // A port that cannot be opened brings up the Preferences at start; the operator cancels.
    TDialogScript script;
    if (c.comPort == 6)
      script.On(QStringLiteral("PrefForm"), [](QDialog& d) { d.reject(); });
    TMainForm& f = Open(r);
    if (c.step)
      c.step(f);
    EXPECT_EQ(status(f), c.status);
    port.Clear();
  }
}

// --- Commands -----------------------------------------------------------------------------

TEST_F(LiveTest, PrintIsOnlyPossibleRightAfterATransfer) {
  const Msgs refused{{"Warning", "A printout is only possible immediately after a \"Read data\" "
                                 "or \"Write data\" operation!"}};
  TMainForm& f = Connect(10, "", false);
  f.Print->trigger();
  EXPECT_EQ(port.messages, refused);
  f.ReadBtn->click();
  port.Clear();
  {
    TDialogScript script;
    script.On("PrintDialog", [](QDialog& d) { d.reject(); });
    f.Print->trigger();
    EXPECT_EQ(script.Played(), 1) << "the print dialog opens";
  }
  EXPECT_EQ(port.messages, Msgs{});
  f.IntCb->setCurrentIndex(2);
  emit f.IntCb->activated(2);
  f.Print->trigger();
  EXPECT_EQ(port.messages, refused);
}

// A read or write that fails takes away the printout of the state before it, and a type that
// has no report prints nothing.
TEST_F(LiveTest, AFailedTransferOrATypeWithoutReportGivesThePrintoutWarning) {
  const Msgs refused{{"Warning", "A printout is only possible immediately after a \"Read data\" "
                                 "or \"Write data\" operation!"}};
  struct TCase {
    const char* name;
    int type;
    std::string bench; // the instrument for the step, after a good read
    std::function<void(TMainForm&)> step;
  };
  const TCase cases[] = {
      {"a read that fails", 10, Instrument(10, "FaultAnswer = A204:5"),
       [](TMainForm& f) { f.ReadBtn->click(); }},
      {"a write that fails", 10, Instrument(10, "FaultLinkError = B30B"),
       [](TMainForm& f) { f.WriteBtn->click(); }},
      {"a switch write that fails", 9, Instrument(9, "FaultLinkError = SetConf:3"),
       [](TMainForm& f) { f.WriteBtn->click(); }},
      {"no instrument type", 10, Instrument(10), [](TMainForm& f) { f.sett->SetInstType(0); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = Connect(c.type);
    ASSERT_TRUE(f.PrintAllowed());
    StartBench(c.bench);
    f.Session().ReopenLink();
    c.step(f);
    port.Clear();
    try {
      f.Print->trigger();
    } catch (const FatalError& e) {
      ADD_FAILURE() << e.what();
    }
    EXPECT_EQ(port.messages, refused);
  }
}

TEST_F(LiveTest, TypeAndFilterCommandsRefuseWhereTheyDoNotApply) {
  const Msg typeRefused{"Info", "The instrument type can only be set, if no other instrument's "
                                "data has been read in (No Signal, No Config)! "};
  const Msg filterRefused{"Info", "This function is only relevant to DravonSwitch!"};
  TMainForm& f = Connect(10, "", false);
  {
    // Before a read the type dialog opens.
    TDialogScript script;
    script.On("TyOfInstFrm_", [](QDialog& d) { d.reject(); });
    f.ActTypeOfInstrument->trigger();
  }
  f.ActSetFilter->trigger();
  EXPECT_EQ(port.messages, (Msgs{filterRefused}));
  f.ReadBtn->click();
  port.Clear();
  f.ActTypeOfInstrument->trigger();
  EXPECT_EQ(port.messages, (Msgs{typeRefused}));

  TMainForm& g = Connect(9);
  TDialogScript script;
  script.On("MovAverForm", [](QDialog& d) { d.reject(); });
  g.ActSetFilter->trigger();
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(LiveTest, WizardButtonsCheckTheirPreconditions) {
  const Msg none{"Warning", "No known instrument connected!"};
  const Msg otherClass{"Warning", "The DravonTool has been set to DravonDat. You cannot perform "
                                  "this operation to Dravon-STV."};
  struct TCase {
    const char* name;
    const char* bench; // the instrument on COM1
    const char* edit;
    Msgs messages;
    const char* opens = nullptr; // the wizard that opens, cancelled at once
  };
  const TCase cases[] = {
      {"hose, nothing connected", "none", "HoseLenEd", {none}},
      {"gain, another class", "2", "GainSensEd", {otherClass}},
      {"velocity C, same class", "11", "VelocityCEd", {}},
      {"contrast, nothing connected", "none", "ContrastEd", {none}},
      {"absolute pressure needs no instrument", "none", "AtmPressEd", {}, "AtmPressForm"},
      {"analog calibration, nothing connected", "none", "AnOffsetEd", {none}},
      {"analog calibration, another class", "2", "AnGainEd", {otherClass}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartBench(Com(1, std::string("Instrument = ") + c.bench));
    TMainForm& f = Open(RecordsFor(10));
    auto* ed = f.findChild<TEditReal*>(QString::fromLatin1(c.edit));
    ASSERT_NE(ed, nullptr);
    TDialogScript script;
    if (c.opens)
      script.On(QString::fromLatin1(c.opens), [](QDialog& d) { d.reject(); });
    ed->DotsButton()->click();
    EXPECT_EQ(port.messages, c.messages);
    port.Clear();
  }
}

TEST_F(LiveTest, WizardButtonsCommitTheTextTheOperatorSees) {
  TMainForm& f = Connect(10, "", false);
  // The analog calibration needs a number in the gain edit.
  f.AnGainEd->InputEdit()->selectAll();
  f.AnGainEd->InputEdit()->insert(QStringLiteral("x"));
  port.Clear();
  f.AnOffsetEd->DotsButton()->click();
  EXPECT_EQ(port.messages, (Msgs{{"Error", InvalidValueText}}));
  // The pressure edit's text is committed as the edit shows it.
  port.Clear();
  f.AtmPressEd->InputEdit()->selectAll();
  f.AtmPressEd->InputEdit()->insert(QStringLiteral("990.4"));
  {
    TDialogScript script;
    script.On("AtmPressForm", [](QDialog& d) {
      EXPECT_EQ(Child<TEditReal>(d, "ResultEd")->Text(), QStringLiteral("990"));
      d.reject();
    });
    f.AtmPressEd->DotsButton()->click();
  }
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(f.AtmPressEd->Text(), QStringLiteral("990"));
  EXPECT_EQ(f.sett->Class1.Atm_Press, 990.0);
}

} // namespace
} // namespace dtool::test
