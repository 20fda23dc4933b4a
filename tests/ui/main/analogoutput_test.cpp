// The analog output calibration wizard and the output test, opened from the main window, against
// the bench through the real link libraries: the calibration cycle on the bench's clock, a
// calibration of an output stage with an error, every way of closing, the calculation's guards,
// the result taken, the keyboard, the output test in pressure and velocity mode, and the help.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "benchform.h"
#include "dialogscript.h"
#include "link/instlink.h"
#include "ui/controls/editreal.h"
#include "ui/controls/fields.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/analcal.h"
#include "ui/dialogs/dialogbase.h"
#include "ui/dialogs/outtest.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpfile.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {

// Messages in failure reports.
void PrintTo(const ScriptedPort::Message& m, std::ostream* os);

namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;
using Commands = std::vector<std::string>;

const std::string CalcError = "Calculation error! ";
const Msg NotEnded{"Warning", OutputNotEndedText};
const Msg RestoreFailed{"Warning", "It was impossible to save back the original data to the "
                                   "instrument!\rDisconnect the instrument only if you see the "
                                   "main form on the screen! "};
const Msg Success{"Info", "Transfer was successful!"};

// The link's message for a command without parameter that failed with link status 3.
Msg LinkError(const char* oo, const char* cc, const char* bbaa = "0x0000") {
  const std::string request = std::string("OO=") + oo + ", CC=" + cc + ", BBAA=" + bbaa +
                              ", oo=" + oo + ", cc=" + cc + ", bbaa=" + bbaa;
  return {"Error",
          "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3\rStatus: " + request};
}

// A transmitter whose output stage reads 3 % low and 0.4 mA high.
const std::string Transmitter = "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\n"
                                "OutputGain = 0.97\nOutputOffset = 0.4\n";

// The wizard's timer on the bench's manual clock: Elapse moves the clock and runs each tick
// that falls due on the way at its own time.
class TBenchTimer : public IWizardTimer {
public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool on) override {
    if (on && !enabled_)
      left_ = interval_;
    enabled_ = on;
  }
  int Interval() const override { return interval_; }
  void SetInterval(int ms) override {
    interval_ = ms;
    left_ = ms;
  }
  void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

  void Elapse(int ms) {
    while (ms > 0) {
      if (!enabled_ || interval_ <= 0 || left_ > ms) {
        TBenchControl::Get().Advance(ms);
        left_ -= enabled_ ? ms : 0;
        return;
      }
      TBenchControl::Get().Advance(left_);
      ms -= left_;
      left_ = interval_;
      if (handler_)
        handler_();
    }
  }

private:
  bool enabled_ = false;
  int interval_ = 0;
  int left_ = 0;
  std::function<void()> handler_;
};

struct TOutput {
  double Signal = 0;
  std::int32_t Mode = -1; // 0 measuring, 1 calibration, 2 test
};

TOutput Output() {
  TOutput o;
  TBenchControl::Get().GetOutput(1, o.Signal, o.Mode);
  return o;
}

// Replaces an edit's text as the operator types it.
void Retype(TEditReal* edit, const QString& text) {
  edit->InputEdit()->selectAll();
  QTest::keyClicks(edit->InputEdit(), text);
}

// Runs the step on the modal dialog opened next. Unlike a dialog script's step it may wait in
// an event loop of its own; a dialog it leaves open fails the test and is cancelled.
void OnNextModal(std::function<void(QDialog&)> step) {
  QTimer::singleShot(0, [step = std::move(step)] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (d == nullptr) {
      ADD_FAILURE() << "no dialog opened";
      return;
    }
    step(*d);
    if (d->isVisible()) {
      ADD_FAILURE() << d->objectName().toStdString() << " was left open";
      d->reject();
    }
  });
}

int CountOf(const Commands& list, const std::string& item) {
  return static_cast<int>(std::count(list.begin(), list.end(), item));
}

class AnalogOutputTest : public BenchFormTest {
protected:
  // Connects the instrument, reads it and sets the output range and the signal in the window as
  // the operator does; the range in the velocity unit given (velocity mode), else in Pa.
  TMainForm& ReadWithRange(const std::string& bench, int type, const QString& from,
                           const QString& to, bool liveZero = true, TUnit velocityUnit = 0,
                           TUnit pressUnit = unit::Pa) {
    StartBench(Com(1, bench));
    TSetFileRecords records = RecordsFor(type);
    records.Prefs.PressUnit = pressUnit;
    if (velocityUnit != 0)
      records.Prefs.VelocityUnit = velocityUnit;
    TMainForm& f = Open(records);
    f.WizardTimers = [this] {
      auto timer = std::make_unique<TBenchTimer>();
      timer_ = timer.get();
      return timer;
    };
    f.ReadBtn->click();
    EXPECT_TRUE(f.sett->ConfigRead()) << (port.messages.empty() ? "" : port.Texts().front());
    if (velocityUnit != 0)
      f.VelocityChB->setChecked(true);
    Retype(f.AnFromEd, from);
    Retype(f.AnToEd, to);
    f.AnSigRg->SetItemIndex(liveZero ? 1 : 0);
    port.Clear();
    ClearTrace();
    return f;
  }

  // Opens the calibration wizard with the offset edit's button; the step runs in it.
  void Calibrate(TMainForm& f, std::function<void(TAnalCalForm&)> step) {
    TDialogScript script;
    script.On("AnalCalForm", [&](QDialog& d) { step(static_cast<TAnalCalForm&>(d)); });
    f.AnOffsetEd->DotsButton()->click();
  }

  // The set points B307 and B308 sent, as "B307:07D0", and B306.
  Commands OutputCommands() const {
    Commands out;
    for (const TBenchCall& c : Trace())
      if (c.Function == "TransCmd" && c.Request.size() >= 16) {
        const std::string oocc = c.Request.substr(3, 2) + c.Request.substr(9, 2);
        if (oocc == "B306")
          out.push_back(oocc);
        else if (oocc == "B307" || oocc == "B308")
          out.push_back(oocc + ":" + c.Request.substr(c.Request.size() - 4));
      }
    return out;
  }

  // The notes of the bench on the output: "calibration 20.00 % ..." at their bench times.
  std::vector<TBenchNote> OutputNotes() const {
    std::vector<TBenchNote> notes;
    for (const TBenchNote& n : ReadBenchNotes(TracePath()))
      if (n.Text.rfind("output: ", 0) == 0)
        notes.push_back(n);
    return notes;
  }

  TBenchTimer* timer_ = nullptr;
};

// --- The calibration ----------------------------------------------------------------------

TEST_F(AnalogOutputTest, TheOutputAlternatesBetweenThePointsAtTheSetInterval) {
  TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
  Calibrate(f, [&](TAnalCalForm& d) {
    EXPECT_EQ(d.windowTitle(), "Analog output calibration wizard");
    EXPECT_EQ(d.size(), QSize(366, 269));
    EXPECT_EQ(d.focusWidget(), d.CalTimEd->InputEdit());
    EXPECT_EQ(d.CalTimEd->Text(), "10");
    EXPECT_EQ(d.AnCalUntLb->text(), "Read &20% value");
    EXPECT_EQ(d.AnCalObLb->text(), "Read &80% value");
    EXPECT_EQ(d.UntReadEdUnitLb->text(), "Pa");
    EXPECT_EQ(d.UntReadEd->Text(), "20.000");
    EXPECT_EQ(d.ObReadEd->Text(), "80.000");
    EXPECT_EQ(d.OffsetResEdUnitLb->text(), "mA");
    EXPECT_FALSE(d.OffsetResEd->isEnabled());
    EXPECT_EQ(Output().Mode, 0);

    // Without its correction the stage drives 7.2 * 0.97 + 0.4 mA at 20 %, 16.8 * 0.97 + 0.4
    // at 80 %.
    auto drives = [&](double signal) {
      const TOutput o = Output();
      EXPECT_EQ(o.Mode, 1);
      EXPECT_NEAR(o.Signal, signal, 1e-9);
    };
    d.StartCalBtn->click();
    EXPECT_FALSE(d.StartCalBtn->isEnabled());
    drives(7.384);
    timer_->Elapse(9999);
    drives(7.384);
    timer_->Elapse(1);
    drives(16.696);
    timer_->Elapse(10000);
    drives(7.384);
    // A shorter delay while calibrating: the next points follow at once at the new pace.
    Retype(d.CalTimEd, "3");
    EXPECT_EQ(timer_->Interval(), 3000);
    timer_->Elapse(3000);
    drives(16.696);
    timer_->Elapse(3000);
    drives(7.384);
    d.CancelBtn->click();
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(OutputCommands(),
            (Commands{"B307:07D0", "B307:1F40", "B307:07D0", "B307:1F40", "B307:07D0", "B306"}));
  // The bench's notes: each point at its time.
  std::vector<std::int64_t> gaps;
  std::vector<std::string> points;
  const std::vector<TBenchNote> notes = OutputNotes();
  for (std::size_t i = 0; i < notes.size(); ++i) {
    if (notes[i].Text.find("calibration") == std::string::npos)
      continue;
    points.push_back(notes[i].Text.substr(8, 24));
    if (i > 0 && notes[i - 1].Text.find("calibration") != std::string::npos)
      gaps.push_back(notes[i].Time - notes[i - 1].Time);
  }
  EXPECT_EQ(points,
            (std::vector<std::string>{"calibration 20.00 % with", "calibration 80.00 % with",
                                      "calibration 20.00 % with", "calibration 80.00 % with",
                                      "calibration 20.00 % with"}));
  EXPECT_EQ(gaps, (std::vector<std::int64_t>{10000, 10000, 3000, 3000}));
  EXPECT_EQ(Output().Mode, 0);
  // No tick after the window has gone.
  ClearTrace();
  TBenchControl::Get().Advance(30000);
  EXPECT_EQ(OutputCommands(), Commands{});
}

TEST_F(AnalogOutputTest, AStageWithAnErrorIsCalibratedAndThenDrivesTheNominalSignal) {
  TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
  Calibrate(f, [&](TAnalCalForm& d) {
    d.StartCalBtn->click();
    // The receiving device, 0..100 Pa on 4..20 mA, shows 21.15 Pa at 20 %, 79.35 Pa at 80 %.
    Retype(d.UntReadEd, "21.15");
    timer_->Elapse(10000);
    Retype(d.ObReadEd, "79.35");
    EXPECT_FALSE(d.OffsetResEd->isEnabled());
    d.CalculateBtn->click();
    EXPECT_TRUE(d.OffsetResEd->isEnabled());
    EXPECT_TRUE(d.GainResEd->isEnabled());
    EXPECT_NEAR(d.GainResEd->Value(), 1.030928, 5e-7);
    EXPECT_NEAR(d.OffsetResEd->Value(), -0.412371, 5e-7);
    EXPECT_EQ(d.GainResEd->Text(), "1.0309");
    EXPECT_EQ(d.OffsetResEd->Text(), "-0.4124");
    d.OkBtn->click();
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(Output().Mode, 0);
  // The instrument has its own values back; the window holds the result.
  EXPECT_EQ(Ask(0xA304).BBAA, 10000);
  // It stores them as shown, as the operator's entry would be.
  EXPECT_DOUBLE_EQ(f.sett->Class1.An_gain, 1.0309);
  EXPECT_DOUBLE_EQ(f.sett->Class1.An_offset, -0.4124);
  EXPECT_EQ(f.AnGainEd->Text(), "1.0309");
  EXPECT_EQ(f.AnOffsetEd->Text(), "-0.4124");

  // Write data sends them; the corrected output drives the nominal signal.
  f.WriteBtn->click();
  EXPECT_EQ(port.messages, Msgs{Success});
  EXPECT_EQ(Ask(0xA304).BBAA, 10309);
  EXPECT_EQ(static_cast<std::int16_t>(Ask(0xA305).BBAA), -4124);
  port.Clear();
  TDialogScript script;
  script.On("OutTestForm", [](QDialog& d) {
    auto* value = Child<TEditReal>(d, "OutvalEd");
    for (const auto& [typed, nominal] : {std::pair{"20", 7.2}, {"80", 16.8}, {"50", 12.0}}) {
      Retype(value, typed);
      PressEnter(value);
      const TOutput o = Output();
      EXPECT_EQ(o.Mode, 2);
      EXPECT_NEAR(o.Signal, nominal, 0.0005) << typed << " Pa";
    }
    Click(d, "CloseBtn");
  });
  f.ActTestAnalOutput->trigger();
  EXPECT_EQ(port.messages, Msgs{});
  // Measuring 50 Pa, the output shows the middle of the signal.
  TBenchControl::Get().SetPressure(1, 50);
  TBenchControl::Get().Advance(5000);
  const TOutput measuring = Output();
  EXPECT_EQ(measuring.Mode, 0);
  EXPECT_NEAR(measuring.Signal, 12.0, 0.0005);
}

TEST_F(AnalogOutputTest, TheWorkedExamplesInEachSignalAndUnit) {
  struct TCase {
    const char* name;
    std::string bench;
    int type;
    bool liveZero;
    const char* from;
    const char* to;
    const char* lower; // empty: the readings as the wizard fills them in
    const char* upper;
    const char* offsetUnit;
    double gain, offset; // offset in the unit shown
    TUnit velocityUnit = 0;
    TUnit pressUnit = unit::Pa;
  };
  const std::string stv = "Instrument = Dravon-STV\nSerial = 2002002\nRangeMax = 250\n"
                          "Output = voltage\n";
  const TCase cases[] = {
      {"readings as nominal", Transmitter, 10, true, "0", "100", "", "", "mA", 1.0, 0.0},
      {"4..20 mA", Transmitter, 10, true, "0", "100", "21", "79", "mA", 1.034483, -0.413793},
      {"0..20 mA", Transmitter, 10, false, "0", "100", "21", "79", "mA", 1.034483, -0.344828},
      {"2..10 V on a static model", stv, 2, true, "0", "100", "21", "79", "V", 1.034483, -0.206897},
      {"in mbar", Transmitter, 10, true, "0", "1", "0.21", "0.79", "mA", 1.034483, -0.413793, 0,
       unit::mbar},
      {"velocity in km/h", Transmitter, 10, true, "0", "36", "7.56", "28.44", "mA", 1.034483,
       -0.413793, unit::km_h},
      {"velocity in knots, nominal", Transmitter, 10, true, "0", "20", "", "", "mA", 1.0, 0.0,
       unit::knots},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f =
        ReadWithRange(c.bench, c.type, c.from, c.to, c.liveZero, c.velocityUnit, c.pressUnit);
    Calibrate(f, [&](TAnalCalForm& d) {
      EXPECT_EQ(d.OffsetResEdUnitLb->text(), c.offsetUnit);
      const TUnit shown = c.velocityUnit != 0 ? c.velocityUnit : c.pressUnit;
      EXPECT_EQ(d.UntReadEdUnitLb->text(), QString::fromStdString(UnitText(shown)));
      if (*c.lower) {
        Retype(d.UntReadEd, c.lower);
        Retype(d.ObReadEd, c.upper);
      }
      d.CalculateBtn->click();
      EXPECT_NEAR(d.GainResEd->Value(), c.gain, 5e-7);
      EXPECT_NEAR(d.OffsetResEd->Value(), c.offset, 5e-7);
      EXPECT_EQ(d.OffsetResEd->Text(), QString::asprintf("%.4f", c.offset));
      EXPECT_EQ(d.GainResEd->Text(), QString::asprintf("%.4f", c.gain));
      d.CancelBtn->click();
    });
    EXPECT_EQ(port.messages, Msgs{});
    // Cancel changes nothing in the window.
    EXPECT_EQ(f.AnGainEd->Text(), "1.0000");
    EXPECT_EQ(f.AnOffsetEd->Text(), "0.0000");
  }
}

// Every way of closing stops the calibration, returns the output to measuring and gives the
// instrument its own values back, reporting what failed.
TEST_F(AnalogOutputTest, EveryCloseLeavesTheOutputMeasuring) {
  struct TCase {
    const char* name;
    std::function<void(TMainForm&, TAnalCalForm&)> close;
    std::string fault; // set just before closing
    Msgs messages;
    bool restored;
  };
  const TCase cases[] = {
      {"Use result", [](TMainForm&, TAnalCalForm& d) { d.OkBtn->click(); }, "", {}, true},
      {"Cancel", [](TMainForm&, TAnalCalForm& d) { d.CancelBtn->click(); }, "", {}, true},
      {"Esc",
       [](TMainForm&, TAnalCalForm& d) {
         QTest::keyClick(d.UntReadEd->InputEdit(), Qt::Key_Escape);
       },
       "",
       {},
       true},
      {"close box", [](TMainForm&, TAnalCalForm& d) { d.close(); }, "", {}, true},
      {"program ended",
       [](TMainForm& f, TAnalCalForm&) { CancelModalWindowsThenClose(&f); },
       "",
       {},
       true},
      {"restore fails",
       [](TMainForm&, TAnalCalForm& d) { d.CancelBtn->click(); },
       "FaultLinkError = B301",
       {{"Error", "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3"},
        RestoreFailed},
       false},
      {"end of the output fails",
       [](TMainForm&, TAnalCalForm& d) { d.CancelBtn->click(); },
       "FaultLinkError = B306",
       {LinkError("0xb3", "0x06"), NotEnded},
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
    Retype(f.AnToEd, "120"); // a working value that differs from the instrument's
    port.Clear();
    ClearTrace();
    Calibrate(f, [&](TAnalCalForm& d) {
      d.StartCalBtn->click();
      timer_->Elapse(10000);
      EXPECT_EQ(Output().Mode, 1);
      if (!c.fault.empty())
        TBenchControl::Get().SetFault(1, c.fault);
      c.close(f, d);
      QCoreApplication::processEvents(); // a cancel by the program comes on the next turn
    });
    EXPECT_EQ(port.messages, c.messages);
    TBenchControl::Get().SetFault(1, "");
    const Commands out = OutputCommands();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "B306") << "the output is ended after the last point";
    if (c.fault != "FaultLinkError = B306") {
      EXPECT_EQ(Output().Mode, 0);
    }
    EXPECT_EQ(CountOf(AnalogCommands(), "B10C"), c.restored ? 1 : 0) << "the restore walk";
    EXPECT_EQ(Ask(0xA301).BBAA == 12000, !c.restored) << "the instrument's own range";
    // The calibration has stopped for good.
    ClearTrace();
    TBenchControl::Get().Advance(30000);
    EXPECT_EQ(OutputCommands(), Commands{});
  }
}

TEST_F(AnalogOutputTest, ACalculationWithoutResultIsRefusedAndKeepsTheWizardOpen) {
  struct TCase {
    const char* name;
    const char* from;
    const char* to;
    const char* lower;
    const char* upper;
    Msgs messages;
  };
  const Msg calc{"Error", CalcError};
  const Msg invalid{"Error", "You entered an invalid value! "};
  const TCase cases[] = {
      {"equal readings", "0", "100", "50", "50", {calc}},
      {"swapped readings", "0", "100", "80", "20", {calc}},
      {"range of zero width", "50", "50", "21", "79", {calc}},
      {"offset beyond the register", "0", "100", "45", "105", {calc}},
      {"gain beyond the register", "0", "100", "45", "54", {calc}},
      {"reading that is no number", "0", "100", "x", "79", {invalid, calc}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = ReadWithRange(Transmitter, 10, c.from, c.to);
    Calibrate(f, [&](TAnalCalForm& d) {
      d.FSettingsBtn->click(); // result fields enabled, showing 0 and 1
      port.Clear();
      Retype(d.UntReadEd, c.lower);
      Retype(d.ObReadEd, c.upper);
      d.CalculateBtn->click();
      EXPECT_EQ(port.messages, c.messages);
      EXPECT_EQ(d.OffsetResEd->Text(), "0.0000");
      EXPECT_EQ(d.GainResEd->Text(), "1.0000");
      // "Use result" tries again, and the wizard stays open.
      port.Clear();
      d.OkBtn->click();
      EXPECT_EQ(port.messages, Msgs{calc});
      EXPECT_TRUE(d.isVisible());
      d.CancelBtn->click();
    });
    EXPECT_EQ(f.AnGainEd->Text(), "1.0000");
    EXPECT_EQ(Output().Mode, 0);
  }
}

TEST_F(AnalogOutputTest, UseResultTakesWhatTheResultFieldsShow) {
  struct TCase {
    const char* name;
    std::function<void(TAnalCalForm&)> steps;
    const char* gain;
    const char* offset;
  };
  const TCase cases[] = {
      {"factory values after a calculation",
       [](TAnalCalForm& d) {
         Retype(d.UntReadEd, "21");
         Retype(d.ObReadEd, "79");
         d.CalculateBtn->click();
         d.FSettingsBtn->click();
       },
       "1.0000", "0.0000"},
      {"a reading changed after the factory values",
       [](TAnalCalForm& d) {
         d.FSettingsBtn->click();
         Retype(d.UntReadEd, "21");
         Retype(d.ObReadEd, "79");
       },
       "1.0345", "-0.4138"},
      {"nothing done: the window's own values", [](TAnalCalForm&) {}, "1.0200", "0.1000"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
    Retype(f.AnGainEd, "1.02");
    Retype(f.AnOffsetEd, "0.1");
    port.Clear();
    Calibrate(f, [&](TAnalCalForm& d) {
      c.steps(d);
      d.OkBtn->click();
      EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(f.AnGainEd->Text(), c.gain);
    EXPECT_EQ(f.AnOffsetEd->Text(), c.offset);
    EXPECT_EQ(FormatFixed(f.sett->Class1.An_gain, 4), c.gain);
  }
}

TEST_F(AnalogOutputTest, ARefusedPointStopsTheCalibration) {
  TMainForm& f = ReadWithRange(Transmitter + "FaultLinkError = B307@1\n", 10, "0", "100");
  Calibrate(f, [&](TAnalCalForm& d) {
    d.StartCalBtn->click();
    EXPECT_EQ(port.messages, Msgs{});
    timer_->Elapse(10000);
    EXPECT_EQ(port.messages, Msgs{LinkError("0xb3", "0x07", "0x1f40")});
    EXPECT_TRUE(d.StartCalBtn->isEnabled());
    EXPECT_FALSE(d.CalTimer().Enabled());
    timer_->Elapse(30000);
    EXPECT_EQ(OutputCommands(), (Commands{"B307:07D0", "B307:1F40"}));
    port.Clear();
    TBenchControl::Get().SetFault(1, "");
    d.CancelBtn->click();
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(Output().Mode, 0);
}

TEST_F(AnalogOutputTest, TheWizardOpensOnlyForAnInstrumentOfTheCurrentClass) {
  // A static model connected while the window holds a transmitter: nothing is written.
  StartBench(Com(1, "Instrument = Dravon-STV\nSerial = 2002002\nRangeMax = 250\n"));
  TMainForm& f = Open(RecordsFor(10));
  ClearTrace();
  TDialogScript script; // no wizard
  f.AnGainEd->DotsButton()->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"Warning", "The DravonTool has been set to DravonDat. You cannot perform this "
                              "operation to Dravon-STV."}}));
  for (const std::string& c : AnalogCommands())
    EXPECT_FALSE(c[0] == 'B') << c;
}

TEST_F(AnalogOutputTest, TheWizardWorksFromTheKeyboard) {
  TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
  // A mnemonic presses its button a moment later, so this operator waits in the event loop.
  OnNextModal([&](QDialog& dialog) {
    auto& d = static_cast<TAnalCalForm&>(dialog);
    ASSERT_TRUE(ActivateDialog(d));
    auto focus = [] { return QApplication::focusWidget(); };
    auto alt = [&](Qt::Key key) { QTest::keyClick(d.windowHandle(), key, Qt::AltModifier); };
    EXPECT_EQ(focus(), d.CalTimEd->InputEdit());
    alt(Qt::Key_S);
    EXPECT_TRUE(QTest::qWaitFor([] { return Output().Mode == 1; }, 2000)) << "Alt+S starts";
    alt(Qt::Key_2);
    EXPECT_EQ(focus(), d.UntReadEd->InputEdit());
    d.UntReadEd->InputEdit()->selectAll();
    QTest::keyClicks(focus(), "21");
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_EQ(d.UntReadEd->Text(), "21.000") << "Enter shows the reading in its format";
    alt(Qt::Key_8);
    EXPECT_EQ(focus(), d.ObReadEd->InputEdit());
    d.ObReadEd->InputEdit()->selectAll();
    QTest::keyClicks(focus(), "79");
    // Tab leads on to the calculation, which Enter presses.
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(focus(), d.CalculateBtn);
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_EQ(d.GainResEd->Text(), "1.0345");
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(focus(), d.FSettingsBtn);
    alt(Qt::Key_D);
    EXPECT_EQ(focus(), d.CalTimEd->InputEdit());
    alt(Qt::Key_U);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000)) << "Alt+U uses the result";
  });
  f.AnOffsetEd->DotsButton()->click();
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(f.AnGainEd->Text(), "1.0345");
  EXPECT_EQ(Output().Mode, 0);
}

TEST_F(AnalogOutputTest, TheDelayIsLimitedToOneToOneHundredTwentySeconds) {
  TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
  Calibrate(f, [&](TAnalCalForm& d) {
    // Leaving the edit needs the focus in it, which needs the window active.
    ASSERT_TRUE(ActivateDialog(d));
    d.CalTimEd->InputEdit()->setFocus(Qt::OtherFocusReason);
    d.StartCalBtn->click();
    Retype(d.CalTimEd, "500");
    EXPECT_EQ(timer_->Interval(), 120000) << "the timer follows within the range";
    EXPECT_EQ(port.beeps, 0) << "typing is not interrupted";
    PressEnter(d.CalTimEd);
    EXPECT_EQ(d.CalTimEd->Text(), "120");
    EXPECT_EQ(port.beeps, 1);
    Retype(d.CalTimEd, "0");
    QTest::keyClick(d.CalTimEd->InputEdit(), Qt::Key_Tab);
    EXPECT_EQ(d.CalTimEd->Text(), "1");
    EXPECT_EQ(port.beeps, 2);
    EXPECT_EQ(timer_->Interval(), 1000);
    d.CalTimEd->DownButton()->click();
    EXPECT_EQ(d.CalTimEd->Text(), "1");
    d.CalTimEd->UpButton()->click();
    EXPECT_EQ(timer_->Interval(), 2000);
    d.CancelBtn->click();
  });
  EXPECT_EQ(port.messages, Msgs{});
}

// --- The output test -----------------------------------------------------------------------

class OutputTestTest : public AnalogOutputTest {
protected:
  // A transmitter whose output maps from..to (registers as the instrument holds them).
  TMainForm& Connect(std::uint16_t from, std::uint16_t to, const std::string& extra = "") {
    StartBench(Com(1, "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\n" + extra));
    TMainForm& f = Open(RecordsFor(10));
    EXPECT_EQ(Ask(0xB300, from).CC, 0);
    EXPECT_EQ(Ask(0xB301, to).CC, 0);
    port.Clear();
    ClearTrace();
    return f;
  }
  // Enters values in the output test; each is confirmed with Enter and checked.
  void Test(TMainForm& f, std::function<void(TOutTestForm&)> step) {
    TDialogScript script;
    script.On("OutTestForm", [&](QDialog& d) { step(static_cast<TOutTestForm&>(d)); });
    f.ActTestAnalOutput->trigger();
  }
};

TEST_F(OutputTestTest, ValuesOfThePressureRangeDriveTheOutputAndNothingIsStored) {
  TMainForm& f = Connect(0, 10000); // 0..100 Pa
  const TClass1Params window = f.sett->Class1;
  Test(f, [&](TOutTestForm& d) {
    EXPECT_EQ(d.windowTitle(), "Test analog output");
    EXPECT_EQ(d.size(), QSize(229, 93));
    EXPECT_EQ(d.OutValEdUnitLb->text(), "Pa");
    EXPECT_EQ(d.OutvalEd->MinVal, 0);
    EXPECT_EQ(d.OutvalEd->MaxVal, 100);
    EXPECT_EQ(d.focusWidget(), d.OutvalEd->InputEdit());
    EXPECT_EQ(Output().Mode, 2) << "the value of the edit is output at once";
    Retype(d.OutvalEd, "25");
    EXPECT_EQ(OutputCommands(), Commands{"B308:0000"}) << "typing moves nothing";
    PressEnter(d.OutvalEd);
    EXPECT_NEAR(Output().Signal, 8.0, 1e-9);
    d.OutvalEd->UpButton()->click();
    EXPECT_NEAR(Output().Signal, 8.16, 1e-9);
    EXPECT_EQ(d.TestValue, 26);
    d.CloseBtn->click();
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(OutputCommands(), (Commands{"B308:0000", "B308:09C4", "B308:0A28", "B306"}));
  EXPECT_EQ(Output().Mode, 0);
  // Reads, the set points and the store of what the instrument holds; no parameter written.
  for (const std::string& c : AnalogCommands())
    EXPECT_TRUE(c[0] == 'A' || c == "B10B" || c == "B308" || c == "B306" || c == "B10C") << c;
  EXPECT_EQ(AnalogCommands().back(), "B10C");
  EXPECT_EQ(std::memcmp(&f.sett->Class1, &window, sizeof window), 0);
  EXPECT_EQ(Ask(0xA301).BBAA, 10000);
}

TEST_F(OutputTestTest, TheRangeAsReadGivesTheLimitsAndTheSetPoint) {
  struct TCase {
    const char* name;
    std::uint16_t from, to;
    const char* typed;
    const char* setPoint;
  };
  const TCase cases[] = {
      {"rising", 0, 10000, "25", "B308:09C4"},
      {"falling: 25 Pa is 75 %", 10000, 0, "25", "B308:1D4C"},
      {"zero width: the middle", 5000, 5000, "50", "B308:1388"},
      {"negative", static_cast<std::uint16_t>(-20000), 20000, "-100", "B308:09C4"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = Connect(c.from, c.to);
    Test(f, [&](TOutTestForm& d) {
      EXPECT_EQ(d.OutvalEd->MinVal,
                std::min<double>(std::int16_t(c.from), std::int16_t(c.to)) / 100);
      EXPECT_EQ(d.OutvalEd->MaxVal,
                std::max<double>(std::int16_t(c.from), std::int16_t(c.to)) / 100);
      ClearTrace();
      Retype(d.OutvalEd, c.typed);
      PressEnter(d.OutvalEd);
      QTest::keyClick(d.OutvalEd->InputEdit(), Qt::Key_Escape);
    });
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(OutputCommands(), (Commands{c.setPoint, "B306"}));
  }
}

TEST_F(OutputTestTest, InVelocityModeTheVelocityRangeIsUsedInThePreferredUnit) {
  TMainForm& f = Connect(0, 10000);
  f.Prefs().VelocityUnit = unit::km_h;
  EXPECT_EQ(Ask(0xB30A, 0).CC, 0);
  EXPECT_EQ(Ask(0xB30B, 10000).CC, 0);  // 10 m/s
  EXPECT_EQ(Ask(0xB309, 0x0301).CC, 0); // the output carries the velocity
  ClearTrace();
  Test(f, [&](TOutTestForm& d) {
    EXPECT_EQ(d.OutValEdUnitLb->text(), "km/h");
    EXPECT_DOUBLE_EQ(d.OutvalEd->MaxVal, 36);
    EXPECT_DOUBLE_EQ(d.OutvalEd->IncVal, 3.6);
    Retype(d.OutvalEd, "18");
    PressEnter(d.OutvalEd);
    EXPECT_DOUBLE_EQ(d.TestValue, 5);
    EXPECT_NEAR(Output().Signal, 12.0, 1e-9);
    d.close();
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(OutputCommands(), (Commands{"B308:0000", "B308:1388", "B306"}));
  EXPECT_FALSE(f.sett->GetVelocityMode()) << "the window's mode is its own";
}

TEST_F(OutputTestTest, TheWindowLivesWithTheMainWindowAndKeepsItsLastValue) {
  TMainForm& f = Connect(1000, 10000); // 10..100 Pa
  ASSERT_NE(f.OutTestForm(), nullptr);
  EXPECT_EQ(f.OutTestForm()->parent(), &f);
  // The first value, 0, lies below the range: it becomes 10 with a beep.
  Test(f, [&](TOutTestForm& d) {
    EXPECT_EQ(d.OutvalEd->Text(), "10.00");
    EXPECT_EQ(port.beeps, 1);
    Retype(d.OutvalEd, "40");
    PressEnter(d.OutvalEd);
    d.CloseBtn->click();
  });
  ClearTrace();
  Test(f, [&](TOutTestForm& d) {
    EXPECT_EQ(d.OutvalEd->Text(), "40.00");
    d.CloseBtn->click();
  });
  EXPECT_EQ(OutputCommands(), (Commands{"B308:0D05", "B306"}));
}

TEST_F(OutputTestTest, TheWindowWorksFromTheKeyboard) {
  TMainForm& f = Connect(0, 10000);
  OnNextModal([&](QDialog& dialog) {
    auto& d = static_cast<TOutTestForm&>(dialog);
    ASSERT_TRUE(ActivateDialog(d));
    auto focus = [] { return QApplication::focusWidget(); };
    EXPECT_EQ(focus(), d.OutvalEd->InputEdit());
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(focus(), d.CloseBtn);
    QTest::keyClick(d.windowHandle(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(focus(), d.OutvalEd->InputEdit());
    d.OutvalEd->InputEdit()->selectAll();
    QTest::keyClicks(focus(), "75");
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_NEAR(Output().Signal, 16.0, 1e-9);
    // Leaving the edit after a change sends the value too.
    d.OutvalEd->InputEdit()->selectAll();
    QTest::keyClicks(focus(), "50");
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_NEAR(Output().Signal, 12.0, 1e-9);
    QTest::keyClick(d.windowHandle(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000)) << "Alt+C closes";
  });
  f.ActTestAnalOutput->trigger();
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(OutputCommands(), (Commands{"B308:0000", "B308:1D4C", "B308:1388", "B306"}));
  EXPECT_EQ(Output().Mode, 0);
}

TEST_F(OutputTestTest, RefusedSetPointsAndAFailedEndAreReported) {
  // The first set point refused: the window does not open; the output is ended all the same.
  TMainForm& f = Connect(0, 10000, "FaultLinkError = B308\n");
  {
    TDialogScript script; // no window
    f.ActTestAnalOutput->trigger();
  }
  EXPECT_EQ(port.messages, (Msgs{LinkError("0xb3", "0x08")}));
  EXPECT_EQ(OutputCommands(), (Commands{"B308:0000", "B306"}));

  // A later set point refused: the window closes; the output cannot be ended either, which is
  // reported.
  port.Clear();
  TBenchControl::Get().SetFault(1, "FaultLinkError = B308@1, B306");
  ClearTrace();
  Test(f, [&](TOutTestForm& d) {
    Retype(d.OutvalEd, "60");
    PressEnter(d.OutvalEd);
    EXPECT_FALSE(d.isVisible());
  });
  EXPECT_EQ(port.messages,
            (Msgs{LinkError("0xb3", "0x08", "0x1770"), LinkError("0xb3", "0x06"), NotEnded}));
  EXPECT_EQ(CountOf(AnalogCommands(), "B10C"), 0);
}

// --- Help ----------------------------------------------------------------------------------

TEST_F(AnalogOutputTest, EveryContextOfBothWindowsHasATopicInBothLanguages) {
  TMainForm& f = ReadWithRange(Transmitter, 10, "0", "100");
  THelpFile files[2];
  for (int language : {0, 1}) {
    QString error;
    ASSERT_TRUE(files[language].Load(HelpFilePathFor(language), &error)) << error.toStdString();
  }
  std::set<int> registered;
  for (const THelpContextEntry& e : HelpContextRegistry())
    registered.insert(e.Context);
  auto check = [&](QDialog& d, std::set<int> expected) {
    std::set<int> contexts{HelpContextOf(&d)};
    for (const QWidget* w : d.findChildren<QWidget*>())
      contexts.insert(HelpContextOf(w));
    EXPECT_EQ(contexts, expected);
    for (int context : contexts) {
      EXPECT_TRUE(registered.count(context)) << context;
      for (const THelpFile& file : files)
        EXPECT_NE(file.TopicByContext(context), nullptr)
            << file.Language().toStdString() << " " << context;
    }
  };
  Calibrate(f, [&](TAnalCalForm& d) {
    check(d, {5000, 5010, 5020, 5030, 5040, 5050, 5060, 5070, 5080});
    d.HelpBtn->click();
    THelpForm* sub = FindHelpWindow(QLatin1String(SubHelpWindow));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->CurrentContext(), 5000);
    EXPECT_TRUE(sub->CurrentTopicFound());
    d.CancelBtn->click();
  });
  TDialogScript script;
  script.On("OutTestForm", [&](QDialog& d) {
    check(d, {500, 4010});
    Click(d, "HelpBtn");
    EXPECT_EQ(FindHelpWindow(QLatin1String(SubHelpWindow))->CurrentContext(), 500);
    Click(d, "CloseBtn");
  });
  f.ActTestAnalOutput->trigger();
  CloseHelpWindows();
}

} // namespace
} // namespace dtool::test
