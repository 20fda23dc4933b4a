// The live trial wizards against the bench through the real link libraries: the hose length
// and velocity constant wizard, the gain wizard and the display contrast wizard, opened with the
// main window's edit buttons and driven as the operator drives them.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <functional>

#include "benchform.h"
#include "dialogscript.h"
#include "ui/controls/editreal.h"
#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/hosecalc.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpfile.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {
namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;
using Texts = std::vector<std::string>;

const Msg WrongSerial{"Error", "Wrong Serial Number! "};
const Msg RestoreFailed{"Warning",
                        "It was impossible to save back the original data to the instrument!\r"
                        "Disconnect the instrument only if you see the main form on the screen! "};
const Msg Invalid{"Error", "You entered an invalid value! "};
const Msg LinkError3{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3"};
const std::string ReadFirst = "Before you change the parameters you have to read the actual "
                              "configuration of the sensor.\rWould you carry out the \"Read "
                              "data\" now?";

Msg Corrected(const std::string& caption) {
  return {"Warning", "Parameter \"" + caption +
                         "\" was out of permissible range and therefore it has been corrected! "};
}

// The bench's section of the instrument on COM1.
std::string Instrument(int type, const std::string& extra = "") {
  return Com(1, "Instrument = " + std::to_string(type) +
                    "\nSerial = 7654321\nRangeMax = " + (type == 9 ? "500" : "250") + "\n" + extra);
}

// Replaces the text of a real-number edit as the operator does: select all, type.
void Retype(TEditReal* edit, const QString& text) {
  if (!edit)
    return;
  edit->InputEdit()->selectAll();
  Type(edit, text);
}

std::string Text(TEditReal* edit) {
  return edit ? edit->Text().toStdString() : std::string();
}

// A float from the two halves of the instrument's registers.
float FloatOf(std::uint16_t lower, std::uint16_t upper) {
  const std::uint32_t bits = static_cast<std::uint32_t>(upper) << 16 | lower;
  float f = 0;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

class WizardsTest : public BenchFormTest {
protected:
  // Connects one instrument, opens the window with its type, reads it and lets records come.
  TMainForm& Connect(int type, const std::string& extra = "", bool velocityMode = false,
                     TUnit hoseUnit = unit::m) {
    StartBench(Instrument(type, extra));
    TSetFileRecords records = RecordsFor(type);
    records.Prefs.HoseUnit = hoseUnit;
    TMainForm& f = Open(records);
    f.ReadBtn->click();
    EXPECT_TRUE(f.sett->ConfigRead()) << (port.messages.empty() ? "" : port.Texts().front());
    if (velocityMode)
      (type >= 1 && type <= 8 ? f.ChBVelocity : f.VelocityChB)->setChecked(true);
    // Records have come, and the switch is past its quiet time after a read.
    TBenchControl::Get().Advance(4000);
    f.TimReadNoDataSuppr->stop();
    port.Clear();
    ClearTrace();
    return f;
  }

  // Opens a wizard with the button of a main window's edit and plays one step in it; false
  // when the wizard did not open.
  bool Run(TEditReal* edit, const char* dialog, std::function<void(QDialog&)> step) {
    TDialogScript script;
    script.On(QLatin1String(dialog), std::move(step));
    EXPECT_TRUE(edit->DotsButton()->isEnabled()) << edit->objectName().toStdString();
    edit->DotsButton()->click();
    return script.Played() == 1;
  }
  // Clicks the button of an edit where no wizard is to open; one that opens fails the test.
  void ClickRefused(TEditReal* edit) {
    TDialogScript none;
    edit->DotsButton()->click();
  }

  // The analog writes sent, as "B200 015E", of the commands given (all when empty).
  Texts Writes(const Texts& commands = {}) const {
    Texts writes;
    for (const TBenchCall& c : Trace()) {
      if (c.Function != "TransCmd" || c.Request.size() < 21 || c.Request[3] != 'B')
        continue;
      const std::string command = c.Request.substr(3, 2) + c.Request.substr(9, 2);
      if (commands.empty() ||
          std::find(commands.begin(), commands.end(), command) != commands.end())
        writes.push_back(command + " " + c.Request.substr(17, 4));
    }
    return writes;
  }
  int CountOf(const std::string& command) const {
    const std::vector<std::string> all = AnalogCommands();
    return static_cast<int>(std::count(all.begin(), all.end(), command));
  }
  std::string Reading(TMainForm& f) const { return f.PressEd->text().toStdString(); }
};

// --- Worked examples ----------------------------------------------------------------------

TEST_F(WizardsTest, TrialValuesReachTheInstrumentScaledAsItsRegistersKeepThem) {
  struct TCase {
    const char* name;
    int type;
    TUnit hoseUnit;
    bool velocityMode;
    const char* edit; // the main window's edit whose button opens the wizard
    const char* dialog;
    const char* trialEdit;
    std::string shownBefore;
    double step;
    std::function<void(TEditReal*)> act;
    std::string shownAfter;
    Texts commands;
    Texts writes;
  };
  auto stepUp = [](TEditReal* ed) { ed->UpButton()->click(); };
  auto enter = [](const char* text) {
    return [text](TEditReal* ed) {
      Retype(ed, QString::fromLatin1(text));
      PressEnter(ed);
    };
  };
  // clang-format off
  const TCase cases[] = {
      {"hose length in m, one step up from 0.30", 10, unit::m, false, "HoseLenEd",
       "HoseCalcForm", "ParEd", "0.30", 0.05, stepUp, "0.35", {"B200"}, {"B200 015E"}},
      // What the edit shows is tried: 13.8 inch is 0.35052 m.
      {"hose length in inch: 0.3 m shows 11.8, a step is 1.9685 inch", 10, unit::inch, false,
       "HoseLenEd", "HoseCalcForm", "ParEd", "11.8", 0.05 / 0.0254, stepUp, "13.8", {"B200"},
       {"B200 015F"}},
      {"C = 0.55: the lower half, then the upper half", 10, unit::m, true, "VelocityCEd",
       "HoseCalcForm", "ParEd", "0.612500", 0.1, enter("0.55"), "0.550000", {"B205", "B206"},
       {"B205 CCCD", "B206 3F0C"}},
      {"a negative C becomes 0", 10, unit::m, true, "VelocityCEd",
       "HoseCalcForm", "ParEd", "0.612500", 0.1, enter("-0.5"), "0.000000", {"B205", "B206"},
       {"B205 0000", "B206 0000"}},
      {"C of a static model, the same registers", 2, unit::m, true, "EdrVelocityCPstat",
       "HoseCalcForm", "ParEd", "0.612500", 0.1, enter("0.55"), "0.550000", {"B205", "B206"},
       {"B205 CCCD", "B206 3F0C"}},
      {"gain 1.0244 on a transmitter", 10, unit::m, false, "GainSensEd",
       "GainForm", "GainSensEd", "1.0000", 0.0002, enter("1.0244"), "1.0244", {"B203", "B204"},
       {"B203 2804"}},
      {"gain 1.0244 on a static model", 2, unit::m, false, "EdrGainSensStatic",
       "GainForm", "GainSensEd", "1.0000", 0.0002, enter("1.0244"), "1.0244", {"B203", "B204"},
       {"B204 2804"}},
  };
  // clang-format on
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = Connect(c.type, "", c.velocityMode, c.hoseUnit);
    auto* edit = f.findChild<TEditReal*>(QLatin1String(c.edit));
    ASSERT_NE(edit, nullptr);
    Texts writes;
    EXPECT_TRUE(Run(edit, c.dialog, [&](QDialog& d) {
      auto* trial = Child<TEditReal>(d, c.trialEdit);
      if (!trial)
        return;
      EXPECT_EQ(Text(trial), c.shownBefore);
      EXPECT_NEAR(trial->IncVal, c.step, 1e-9);
      ClearTrace();
      c.act(trial);
      EXPECT_EQ(Text(trial), c.shownAfter);
      writes = Writes(c.commands);
      Click(d, "CancelBtn");
    }));
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(port.messages, Msgs{});
  }
}

// --- Trying out on an analog instrument ---------------------------------------------------

TEST_F(WizardsTest, TheLiveReadingFollowsEachTrialAndTheInstrumentGetsItsOwnValuesBack) {
  struct TCase {
    const char* name;
    int type;
    const char* bench;
    bool velocityMode;
    const char* edit;
    const char* dialog;
    const char* trialEdit;
    const char* typed;
    std::string readingAfter; // right when the bench's error is cancelled
    std::vector<std::uint16_t> registers;
    std::function<double(TMainForm&)> setting;
    double settingAfterOk;
  };
  // clang-format off
  const TCase cases[] = {
      {"hose length", 10, "Pressure = 100\nHoseLength = 2", false, "HoseLenEd", "HoseCalcForm",
       "ParEd", "2", "100.00 Pa", {0xA200},
       [](TMainForm& f) { return f.sett->Class1.Hose_length; }, 2.0},
      {"velocity constant C", 10, "ReferenceVelocity = 10\nNozzleC = 0.8", true, "VelocityCEd",
       "HoseCalcForm", "ParEd", "0.8", "10.000 m/s", {0xA205, 0xA206},
       [](TMainForm& f) { return double(f.sett->Class1.Velocity_C); }, double(0.8f)},
      {"velocity constant C of a static model", 2, "ReferenceVelocity = 10\nNozzleC = 0.8", true,
       "EdrVelocityCPstat", "HoseCalcForm", "ParEd", "0.8", "10.000 m/s", {0xA205, 0xA206},
       [](TMainForm& f) { return double(f.sett->Class23.Velocity_C); }, double(0.8f)},
      {"gain of a transmitter", 10, "Pressure = 50\nGainError = 1.25", false, "GainSensEd",
       "GainForm", "GainSensEd", "0.8", "50.00 Pa", {0xA203},
       [](TMainForm& f) { return f.sett->Class1.Gain_Sens; }, 0.8},
      {"gain of a static model", 2, "Pressure = 50\nGainError = 1.25", false, "EdrGainSensStatic",
       "GainForm", "GainSensEd", "0.8", "50.0 Pa", {0xA204},
       [](TMainForm& f) { return f.sett->Class23.Gain_Sens; }, 0.8},
  };
  // clang-format on
  for (const TCase& c : cases) {
    for (const char* close : {"OkBtn", "CancelBtn"}) {
      SCOPED_TRACE(std::string(c.name) + ", " + close);
      TMainForm& f = Connect(c.type, c.bench, c.velocityMode);
      auto* edit = f.findChild<TEditReal*>(QLatin1String(c.edit));
      ASSERT_NE(edit, nullptr);
      const std::string shownBefore = Text(edit);
      const double settingBefore = c.setting(f);
      std::vector<std::uint16_t> own;
      for (std::uint16_t r : c.registers)
        own.push_back(Ask(r).BBAA);
      ClearTrace();
      std::string readingBefore;
      Texts triedWrites;
      EXPECT_TRUE(Run(edit, c.dialog, [&](QDialog& d) {
        TBenchControl::Get().Advance(2000); // records with the trial configuration
        f.ShowLiveReading();
        readingBefore = Reading(f);
        auto* trial = Child<TEditReal>(d, c.trialEdit);
        Retype(trial, QString::fromLatin1(c.typed));
        PressEnter(trial);
        EXPECT_EQ(Reading(f), c.readingAfter);
        triedWrites = Writes();
        Click(d, close);
      }));
      EXPECT_NE(readingBefore, c.readingAfter);
      EXPECT_EQ(port.messages, Msgs{});
      // The instrument has its own values again: the restore wrote them last, and stored them.
      const Texts writes = Writes();
      for (std::size_t i = 0; i < c.registers.size(); ++i) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "B%03X %04X", c.registers[i] & 0xFFF, own[i]);
        const std::string command = std::string(expected).substr(0, 4);
        const auto last = std::find_if(writes.rbegin(), writes.rend(), [&](const std::string& w) {
          return w.compare(0, 4, command) == 0;
        });
        ASSERT_NE(last, writes.rend());
        EXPECT_EQ(*last, expected);
        EXPECT_EQ(Ask(c.registers[i]).BBAA, own[i]);
      }
      EXPECT_EQ(CountOf("B10C"), 1) << "the restore stores the instrument's own values";
      EXPECT_GT(triedWrites.size(), 0u);
      // OK puts the value into the main window's edit, and from there into the settings.
      const bool ok = std::strcmp(close, "OkBtn") == 0;
      if (ok) {
        EXPECT_NE(Text(edit), shownBefore);
        EXPECT_DOUBLE_EQ(c.setting(f), c.settingAfterOk);
      } else {
        EXPECT_EQ(Text(edit), shownBefore);
        EXPECT_EQ(c.setting(f), settingBefore);
      }
    }
  }
}

TEST_F(WizardsTest, TrialsAreWrittenOnFinishedInputNotWhileTyping) {
  TMainForm& f = Connect(10);
  f.show();
  EXPECT_TRUE(Run(f.HoseLenEd, "HoseCalcForm", [&](QDialog& d) {
    EXPECT_TRUE(ActivateDialog(d));
    auto* ed = Child<TEditReal>(d, "ParEd");
    ClearTrace();
    // Typing "0.35" passes through "0", which the instrument would correct with a warning.
    Retype(ed, QStringLiteral("0.35"));
    EXPECT_EQ(Writes(), Texts{});
    EXPECT_EQ(port.messages, Msgs{});
    PressEnter(ed);
    EXPECT_EQ(Writes({"B200"}), Texts{"B200 015E"});
    // Enter again, or leaving the edit, with the value tried: nothing more is written.
    PressEnter(ed);
    Retype(ed, QStringLiteral("0.4"));
    Child<QPushButton>(d, "HelpBtn")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Writes({"B200"}), (Texts{"B200 015E", "B200 0190"}));
    ed->DownButton()->click();
    EXPECT_EQ(Writes({"B200"}), (Texts{"B200 015E", "B200 0190", "B200 015E"}));
    // OK takes the text as it stands, tried first.
    Retype(ed, QStringLiteral("0.5"));
    Click(d, "OkBtn");
  }));
  EXPECT_EQ(port.messages, Msgs{});
  const Texts hose = Writes({"B200"});
  ASSERT_EQ(hose.size(), 5u);
  EXPECT_EQ(Texts(hose.begin(), hose.begin() + 4),
            (Texts{"B200 015E", "B200 0190", "B200 015E", "B200 01F4"}));
  EXPECT_EQ(hose.back(), "B200 012C") << "restored";
  EXPECT_EQ(Text(f.HoseLenEd), "0.50");

  // "Factory gain" is finished input too.
  EXPECT_TRUE(Run(f.GainSensEd, "GainForm", [&](QDialog& d) {
    auto* ed = Child<TEditReal>(d, "GainSensEd");
    Retype(ed, QStringLiteral("0.9"));
    PressEnter(ed);
    ClearTrace();
    Click(d, "FGainBtn");
    EXPECT_EQ(Text(ed), "1.0000");
    EXPECT_EQ(Writes({"B203"}), Texts{"B203 2710"});
    Click(d, "CancelBtn");
  }));
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(WizardsTest, ACorrectedConstantCIsShownAndTakenAsC) {
  TMainForm& f = Connect(10, "", true);
  std::string shown;
  EXPECT_TRUE(Run(f.VelocityCEd, "HoseCalcForm", [&](QDialog& d) {
    auto* ed = Child<TEditReal>(d, "ParEd");
    // The instrument answers the upper half of C as corrected; C is read back.
    TBenchControl::Get().SetFault(1, "FaultAnswer = B206:1");
    Retype(ed, QStringLiteral("0.7"));
    PressEnter(ed);
    TBenchControl::Get().SetFault(1, "");
    shown = Text(ed);
    Click(d, "OkBtn");
  }));
  EXPECT_EQ(port.messages, Msgs{Corrected("Constant C for velocity calculation")});
  EXPECT_FLOAT_EQ(FloatOf(Ask(0xA205).BBAA, Ask(0xA206).BBAA), 0.6125f) << "restored";
  EXPECT_EQ(shown, "0.700000") << "the wizard shows C as read back, not the hose length";
  EXPECT_EQ(Text(f.VelocityCEd), "0.700000");
  EXPECT_FLOAT_EQ(f.sett->Class1.Velocity_C, 0.7f);
}

TEST_F(WizardsTest, ALowerHalfOfCThatFailsSendsNoUpperHalf) {
  TMainForm& f = Connect(10, "", true);
  EXPECT_TRUE(Run(f.VelocityCEd, "HoseCalcForm", [&](QDialog& d) {
    auto* ed = Child<TEditReal>(d, "ParEd");
    ClearTrace();
    TBenchControl::Get().SetFault(1, "FaultLinkError = B205");
    Retype(ed, QStringLiteral("0.7"));
    PressEnter(ed);
    EXPECT_EQ(Writes({"B205", "B206"}), Texts{"B205 3333"});
    EXPECT_EQ(port.messages, Msgs{LinkError3});
    TBenchControl::Get().SetFault(1, "");
    port.Clear();
    Click(d, "CancelBtn");
  }));
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(Ask(0xA205).BBAA, 0xCCCD);
  EXPECT_EQ(Ask(0xA206).BBAA, 0x3F1C);
}

// --- The switch ---------------------------------------------------------------------------

TEST_F(WizardsTest, SwitchWizardsTryTheTrialRecordAndChangeTheSettingsOnlyOnOk) {
  struct TCase {
    const char* name;
    const char* edit;
    const char* dialog;
    const char* trialEdit;
    const char* right;    // a value within the limits
    const char* tooLarge; // beyond the switch library's limit
    std::string clamped;
    std::string caption;
    std::string trialValue; // GetPressPar's argument with the limited value
    std::function<double(const TSwitchParams&)> field;
    double afterOk;
  };
  const TCase cases[] = {
      {"hose length", "HoseLenEd", "HoseCalcForm", "ParEd", "2", "40", "30.00", "Std. Hose length",
       "hose=30 ", [](const TSwitchParams& s) { return s.Hose_length; }, 30.0},
      {"gain", "GainSensEd", "GainForm", "GainSensEd", "0.8", "2", "1.5000", "Gain Sensor",
       " gain=1.5", [](const TSwitchParams& s) { return s.Gain_Sens; }, 1.5},
  };
  for (const TCase& c : cases) {
    for (const char* close : {"CancelBtn", "OkBtn"}) {
      SCOPED_TRACE(std::string(c.name) + ", " + close);
      TMainForm& f = Connect(9, "Pressure = 100\nHoseLength = 2\nGainError = 1.25");
      auto* edit = f.findChild<TEditReal*>(QLatin1String(c.edit));
      ASSERT_NE(edit, nullptr);
      const TSwitchParams before = f.sett->Switch;
      const std::string shownBefore = Text(edit);
      EXPECT_TRUE(Run(edit, c.dialog, [&](QDialog& d) {
        auto* trial = Child<TEditReal>(d, c.trialEdit);
        Retype(trial, QString::fromLatin1(c.right));
        PressEnter(trial);
        ClearTrace();
        Retype(trial, QString::fromLatin1(c.tooLarge));
        PressEnter(trial);
        EXPECT_EQ(port.messages, Msgs{Corrected(c.caption)});
        EXPECT_EQ(Text(trial), c.clamped) << "the limited value in the wizard's edit";
        const std::vector<TBenchCall> trials = CallsOf("GetPressPar");
        ASSERT_FALSE(trials.empty());
        EXPECT_NE(trials.back().Request.find(c.trialValue), std::string::npos)
            << trials.back().Request;
        // Nothing of it reaches the main window or the settings before OK.
        EXPECT_EQ(Text(edit), shownBefore);
        EXPECT_EQ(std::memcmp(&f.sett->Switch, &before, sizeof before), 0);
        port.Clear();
        Click(d, close);
      }));
      EXPECT_EQ(port.messages, Msgs{});
      EXPECT_EQ(CallsOf("SetConf").size(), 0u) << "nothing is written to the switch";
      if (std::strcmp(close, "OkBtn") == 0) {
        EXPECT_DOUBLE_EQ(c.field(f.sett->Switch), c.afterOk);
        EXPECT_EQ(Text(edit), c.clamped);
      } else {
        EXPECT_EQ(std::memcmp(&f.sett->Switch, &before, sizeof before), 0);
        EXPECT_EQ(Text(edit), shownBefore);
      }
    }
  }
}

TEST_F(WizardsTest, TheSwitchReadingIsRightWithTheRightTrialValues) {
  // 100 Pa through 2 m of hose, on a sensor that reads 25 % high.
  TMainForm& f = Connect(9, "Pressure = 100\nHoseLength = 2\nGainError = 1.25");
  std::string before, hoseRight, gainRight;
  EXPECT_TRUE(Run(f.HoseLenEd, "HoseCalcForm", [&](QDialog& d) {
    TBenchControl::Get().Advance(4000);
    f.ShowLiveReading();
    before = Reading(f);
    auto* ed = Child<TEditReal>(d, "ParEd");
    Retype(ed, QStringLiteral("2"));
    PressEnter(ed);
    hoseRight = Reading(f);
    Click(d, "OkBtn");
  }));
  EXPECT_TRUE(Run(f.GainSensEd, "GainForm", [&](QDialog& d) {
    auto* ed = Child<TEditReal>(d, "GainSensEd");
    Retype(ed, QStringLiteral("0.8"));
    PressEnter(ed);
    gainRight = Reading(f);
    Click(d, "OkBtn");
  }));
  EXPECT_NE(before, hoseRight);
  EXPECT_EQ(hoseRight, "125.00 Pa");
  EXPECT_EQ(gainRight, "100.00 Pa");
  EXPECT_EQ(f.sett->Switch.Hose_length, 2.0);
  EXPECT_EQ(f.sett->Switch.Gain_Sens, 0.8);
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(WizardsTest, ASwitchWizardWithoutAReadAsksToReadFirst) {
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes);
    StartBench(Instrument(9, "Pressure = 100"));
    TSetFileRecords records = RecordsFor(9);
    records.Switch.Hose_length = 7.5; // the instrument holds 0.3
    TMainForm& f = Open(records);
    port.Answer({yes});
    double trialHose = 0;
    if (yes) {
      EXPECT_TRUE(Run(f.HoseLenEd, "HoseCalcForm", [&](QDialog& d) {
        trialHose = f.TrialSwitchRecord().Hose_length;
        Click(d, "CancelBtn");
      }));
      EXPECT_DOUBLE_EQ(trialHose, 0.3) << "the values just read";
    } else {
      ClickRefused(f.HoseLenEd);
      EXPECT_FALSE(f.HoseCalcForm()->isVisible());
      EXPECT_EQ(CallsOf("GetConf").size(), 0u);
    }
    EXPECT_EQ(port.messages, (Msgs{{"ErrorYesNo", ReadFirst}}));
    port.Clear();
  }
}

// --- Another instrument ---------------------------------------------------------------------

TEST_F(WizardsTest, AnInstrumentSwappedMidWizardIsNeitherTriedNorRestored) {
  struct TCase {
    const char* name;
    int type;
    bool velocityMode;
    const char* edit;
    const char* dialog;
    std::function<void(QDialog&)> trial;
  };
  auto retype = [](const char* edit, const char* text) {
    return [edit, text](QDialog& d) {
      auto* ed = Child<TEditReal>(d, edit);
      Retype(ed, QString::fromLatin1(text));
      PressEnter(ed);
    };
  };
  const TCase cases[] = {
      {"hose length", 10, false, "HoseLenEd", "HoseCalcForm", retype("ParEd", "2")},
      {"C of a static model", 2, true, "EdrVelocityCPstat", "HoseCalcForm", retype("ParEd", "0.7")},
      {"gain", 10, false, "GainSensEd", "GainForm", retype("GainSensEd", "0.9")},
      {"display contrast", 11, false, "ContrastEd", "ContrCalcForm",
       [](QDialog& d) { Child<QSlider>(d, "DispTB")->setValue(12); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = Connect(c.type, "", c.velocityMode);
    auto* edit = f.findChild<TEditReal*>(QLatin1String(c.edit));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(Run(edit, c.dialog, [&](QDialog& d) {
      TBenchControl::Get().Plug(1, "Instrument = " + std::to_string(c.type) +
                                       "\nSerial = 7777777\nRangeMax = 250");
      ClearTrace();
      c.trial(d);
      EXPECT_EQ(port.messages, Msgs{WrongSerial});
      port.Clear();
      Click(d, "CancelBtn");
    }));
    EXPECT_EQ(port.messages, (Msgs{WrongSerial, RestoreFailed}));
    EXPECT_EQ(Writes(), Texts{}) << "nothing is written to the other instrument";
    port.Clear();
    TBenchControl::Get().Plug(1, "");
  }
}

// --- Closing --------------------------------------------------------------------------------

TEST_F(WizardsTest, EveryWayOfClosingRunsTheCloseTimeWorkOnce) {
  struct TWay {
    const char* name;
    std::function<void(QDialog&, TMainForm&)> close;
    int result;
  };
  const TWay ways[] = {
      {"OK", [](QDialog& d, TMainForm&) { Click(d, "OkBtn"); }, QDialog::Accepted},
      {"Cancel", [](QDialog& d, TMainForm&) { Click(d, "CancelBtn"); }, QDialog::Rejected},
      {"Esc", [](QDialog& d, TMainForm&) { QTest::keyClick(&d, Qt::Key_Escape); },
       QDialog::Rejected},
      {"close box", [](QDialog& d, TMainForm&) { d.close(); }, QDialog::Rejected},
      {"program ended", [](QDialog&, TMainForm& f) { CancelModalWindowsThenClose(&f); },
       QDialog::Rejected},
  };
  struct TWizard {
    const char* name;
    int type;
    const char* edit;
    const char* dialog;
    const char* closeCommand; // sent once by the close-time work
  };
  const TWizard wizards[] = {
      {"hose length", 10, "HoseLenEd", "HoseCalcForm", "B10C"},
      {"gain", 10, "GainSensEd", "GainForm", "B10C"},
      {"display contrast", 11, "ContrastEd", "ContrCalcForm", "B10D"},
  };
  for (const TWizard& w : wizards) {
    for (const TWay& way : ways) {
      SCOPED_TRACE(std::string(w.name) + ", " + way.name);
      TMainForm& f = Connect(w.type);
      auto* edit = f.findChild<TEditReal*>(QLatin1String(w.edit));
      ASSERT_NE(edit, nullptr);
      QDialog* wizard = nullptr;
      int result = -1;
      EXPECT_TRUE(Run(edit, w.dialog, [&](QDialog& d) {
        wizard = &d;
        QObject::connect(&d, &QDialog::finished, &d, [&result](int r) { result = r; });
        ClearTrace();
        way.close(d, f);
      }));
      EXPECT_EQ(result, way.result);
      EXPECT_EQ(CountOf(w.closeCommand), 1);
      EXPECT_EQ(port.messages, Msgs{});
      // The contrast wizard is made for one use; the others stay for the next.
      if (w.type != 11 && wizard) {
        EXPECT_FALSE(wizard->isVisible());
      }
    }
  }
}

// --- The display contrast -------------------------------------------------------------------

TEST_F(WizardsTest, TheDisplayShowsEachContrastAndGetsItsOwnBack) {
  struct TCase {
    double shown; // the main window's contrast
    int start;    // the slider's first position
  };
  const TCase cases[] = {{7.5, 8}, {6.5, 6}, {40, 15}, {-3, 0}};
  for (const TCase& c : cases) {
    for (const char* close : {"CancelBtn", "OkBtn"}) {
      SCOPED_TRACE(std::to_string(c.shown) + ", " + close);
      TMainForm& f = Connect(11);
      f.ContrastEd->SetValue(c.shown); // as the settings' value shows
      const std::string shownBefore = Text(f.ContrastEd);
      port.Clear();
      std::int32_t own = -1;
      std::string text;
      TBenchControl::Get().GetDisplay(1, text, own);
      ClearTrace();
      int start = -1;
      Texts trials;
      std::int32_t shownContrast = -1;
      EXPECT_TRUE(Run(f.ContrastEd, "ContrCalcForm", [&](QDialog& d) {
        auto* slider = Child<QSlider>(d, "DispTB");
        start = slider->value();
        slider->setValue(3);
        TBenchControl::Get().GetDisplay(1, text, shownContrast);
        trials = Writes({"B111"});
        Click(d, close);
      }));
      char first[16];
      std::snprintf(first, sizeof first, "B111 %04X", c.start);
      EXPECT_EQ(start, c.start);
      EXPECT_EQ(trials, (Texts{first, "B111 0003"}));
      EXPECT_EQ(shownContrast, 3) << "the display follows the slider";
      char restore[16];
      std::snprintf(restore, sizeof restore, "B111 %04X", own);
      EXPECT_EQ(Writes().back(), "B10D 0000");
      EXPECT_EQ(Writes({"B111"}).back(), restore);
      std::int32_t after = -1;
      TBenchControl::Get().GetDisplay(1, text, after);
      EXPECT_EQ(after, own);
      const std::vector<TBenchNote> notes = Notes();
      ASSERT_FALSE(notes.empty());
      EXPECT_EQ(notes.back().Text.rfind("display: contrast " + std::to_string(own), 0), 0u)
          << notes.back().Text;
      EXPECT_EQ(Text(f.ContrastEd), std::strcmp(close, "OkBtn") == 0 ? "3" : shownBefore)
          << "OK puts the position into the main window's edit";
      EXPECT_EQ(port.messages, Msgs{});
    }
  }
}

TEST_F(WizardsTest, AContrastThatIsNoNumberIsRefusedBeforeTheWizardOpens) {
  TMainForm& f = Connect(11);
  Retype(f.ContrastEd, QStringLiteral("x"));
  port.Clear();
  ClearTrace();
  ClickRefused(f.ContrastEd);
  EXPECT_EQ(port.messages, Msgs{Invalid});
  EXPECT_EQ(CountOf("A111"), 0);
  EXPECT_EQ(Writes(), Texts{});
}

// --- Refused input --------------------------------------------------------------------------

TEST_F(WizardsTest, OkWithTextThatIsNoNumberKeepsTheWizardOpen) {
  struct TCase {
    const char* edit;
    const char* dialog;
    const char* trialEdit;
  };
  const TCase cases[] = {
      {"HoseLenEd", "HoseCalcForm", "ParEd"},
      {"GainSensEd", "GainForm", "GainSensEd"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.dialog);
    TMainForm& f = Connect(10);
    auto* edit = f.findChild<TEditReal*>(QLatin1String(c.edit));
    ASSERT_NE(edit, nullptr);
    const std::string shownBefore = Text(edit);
    EXPECT_TRUE(Run(edit, c.dialog, [&](QDialog& d) {
      auto* ed = Child<TEditReal>(d, c.trialEdit);
      ed->InputEdit()->selectAll();
      ed->InputEdit()->insert(QStringLiteral("abc"));
      EXPECT_EQ(port.messages, Msgs{Invalid}) << "checked as it changes";
      port.Clear();
      ClearTrace();
      Click(d, "OkBtn");
      EXPECT_EQ(port.messages, Msgs{Invalid});
      EXPECT_TRUE(d.isVisible()) << "the wizard stays open";
      EXPECT_EQ(Writes(), Texts{});
      port.Clear();
      Click(d, "CancelBtn");
    }));
    EXPECT_EQ(Text(edit), shownBefore);
    EXPECT_EQ(port.messages, Msgs{});
  }
}

// --- Keyboard -------------------------------------------------------------------------------

TEST_F(WizardsTest, EachWizardWorksFromTheKeyboardAlone) {
  TMainForm& f = Connect(11);
  f.show();
  // Hose length: the value is selected for typing; Enter tries it; Tab walks the buttons; a
  // mnemonic leads back; Esc cancels.
  EXPECT_TRUE(Run(f.HoseLenEd, "HoseCalcForm", [&](QDialog& d) {
    auto* ed = Child<TEditReal>(d, "ParEd");
    EXPECT_TRUE(ActivateDialog(d));
    EXPECT_EQ(QApplication::focusWidget(), ed->InputEdit());
    EXPECT_EQ(ed->InputEdit()->selectedText(), QStringLiteral("0.30"));
    ClearTrace();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Writes({"B200"}), Texts{"B200 07D0"});
    EXPECT_TRUE(d.isVisible()) << "Enter in the edit does not close";
    for (const char* next : {"OkBtn", "CancelBtn", "HelpBtn"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(d, next)) << next;
    }
    EXPECT_EQ(Child<QLabel>(d, "ParLb")->text(), QStringLiteral("&Std. Hose length"));
    QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), ed->InputEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  }));
  EXPECT_EQ(Writes({"B200"}).back(), "B200 012C") << "Esc restores";
  EXPECT_EQ(Text(f.HoseLenEd), "0.30");

  // Gain: "Factory gain" by its mnemonic; Enter on OK takes the value.
  EXPECT_TRUE(Run(f.GainSensEd, "GainForm", [&](QDialog& d) {
    auto* ed = Child<TEditReal>(d, "GainSensEd");
    EXPECT_TRUE(ActivateDialog(d));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0.9"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ClearTrace();
    // A mnemonic clicks its button as the mouse does, a moment later.
    QTest::keyClick(&d, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Text(ed) == "1.0000"; }));
    EXPECT_EQ(Writes({"B203"}), Texts{"B203 2710"});
    // From the buttons back to the gain, selected for typing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(d, "FGainBtn"));
    QTest::keyClick(&d, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), ed->InputEdit());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1.1"));
    for (const char* next : {"FGainBtn", "OkBtn"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(d, next)) << next;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }));
  EXPECT_EQ(Text(f.GainSensEd), "1.1000");

  // Contrast: the arrow keys move the slider; Enter takes it.
  EXPECT_TRUE(Run(f.ContrastEd, "ContrCalcForm", [&](QDialog& d) {
    auto* slider = Child<QSlider>(d, "DispTB");
    EXPECT_TRUE(ActivateDialog(d));
    EXPECT_EQ(QApplication::focusWidget(), slider);
    ClearTrace();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(Writes({"B111"}), (Texts{"B111 0008", "B111 0009"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(d, "OkBtn"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }));
  EXPECT_EQ(Text(f.ContrastEd), "9");
  EXPECT_EQ(port.messages, Msgs{});
}

// --- Help -----------------------------------------------------------------------------------

TEST_F(WizardsTest, EveryHelpContextOfTheWizardsHasItsTopicInBothLanguages) {
  const std::vector<int> contexts = {
      helpctx::HoseWizard,    helpctx::VelocityCWizard, helpctx::HoseLengthEdit,
      helpctx::VelocityCEdit, helpctx::GainWizard,      helpctx::GainWizardStatic,
      helpctx::GainEdit,      helpctx::FactoryGain,     helpctx::ContrastWizard};
  std::vector<int> registered;
  for (const THelpContextEntry& e : HelpContextRegistry())
    registered.push_back(e.Context);
  for (int language : {0, 1}) {
    THelpFile file;
    ASSERT_TRUE(file.Load(HelpFilePathFor(language)));
    for (int context : contexts) {
      SCOPED_TRACE(context);
      EXPECT_NE(std::find(registered.begin(), registered.end(), context), registered.end());
      EXPECT_NE(file.TopicByContext(context), nullptr) << "language " << language;
    }
  }

  // The help button opens the window's topic in the dialogs' help window; the gain wizard's by
  // the instrument class.
  struct TCase {
    int type;
    bool velocityMode;
    const char* edit;
    const char* dialog;
    int windowContext;
    const char* trialEdit;
    int editContext;
  };
  const TCase cases[] = {
      {10, false, "HoseLenEd", "HoseCalcForm", helpctx::HoseWizard, "ParEd",
       helpctx::HoseLengthEdit},
      {10, true, "VelocityCEd", "HoseCalcForm", helpctx::VelocityCWizard, "ParEd",
       helpctx::VelocityCEdit},
      {2, true, "EdrVelocityCPstat", "HoseCalcForm", helpctx::VelocityCWizard, "ParEd",
       helpctx::VelocityCEdit},
      {10, false, "GainSensEd", "GainForm", helpctx::GainWizard, "GainSensEd", helpctx::GainEdit},
      {2, false, "EdrGainSensStatic", "GainForm", helpctx::GainWizardStatic, "GainSensEd",
       helpctx::GainEdit},
      {11, false, "ContrastEd", "ContrCalcForm", helpctx::ContrastWizard, "", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + " " + c.edit);
    TMainForm& f = Connect(c.type, "", c.velocityMode);
    auto* edit = f.findChild<TEditReal*>(QLatin1String(c.edit));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(Run(edit, c.dialog, [&](QDialog& d) {
      EXPECT_EQ(HelpContextOf(&d), c.windowContext);
      if (*c.trialEdit) {
        EXPECT_EQ(HelpContextOf(Child<TEditReal>(d, c.trialEdit)), c.editContext);
      }
      if (std::strcmp(c.dialog, "GainForm") == 0) {
        EXPECT_EQ(HelpContextOf(Child<QPushButton>(d, "FGainBtn")), helpctx::FactoryGain);
      }
      Click(d, "HelpBtn");
      THelpForm* help = FindHelpWindow(QString::fromLatin1(SubHelpWindow));
      if (help) {
        EXPECT_EQ(help->CurrentContext(), c.windowContext);
        EXPECT_TRUE(help->CurrentTopicFound());
        help->close();
      } else {
        ADD_FAILURE() << "no help window";
      }
      Click(d, "CancelBtn");
    }));
    EXPECT_EQ(port.messages, Msgs{});
  }
}

// --- Defects --------------------------------------------------------------------------------

TEST_F(WizardsTest, AnUnknownKindIsADefectOfTheProgram) {
  TMainForm& f = Connect(10);
  THoseCalcForm& w = *f.HoseCalcForm();
  auto fatal = [](const std::function<void()>& call) {
    try {
      call();
    } catch (const FatalError& e) {
      return std::string(e.what());
    }
    return std::string("no fatal stop");
  };
  EXPECT_EQ(fatal([&] { w.Execute(3); }), "THoseCalcForm.SetParkind: Value unknown! ");
  EXPECT_EQ(Writes(), Texts{}) << "nothing is tried for an unknown kind";
  EXPECT_EQ(fatal([&] { w.SetParkind(5); }), "THoseCalcForm.SetParkind: Value unknown! ");
  EXPECT_EQ(fatal([&] { w.GetTargetObject(); }), "GetTargetObject : TEditReal: Unknown Parkind!");
  EXPECT_EQ(fatal([&] { w.HelpBtnClick(); }), "THoseCalcForm.HelpBtnClick: Unknown Parkind!");
}

} // namespace
} // namespace dtool::test
