// The absolute pressure wizard on the main window against the bench: the result in every
// atmospheric unit and on to the instrument, Cancel, Esc and the close box, the limits of the
// inputs, the greyed result, the inputs kept in the settings file, invalid text, the keyboard
// and the help topics.
#include <QDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>

#include "benchform.h"
#include "core/barometric.h"
#include "dialogscript.h"
#include "ui/controls/editreal.h"
#include "ui/help/helpform.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {

void PrintTo(const ScriptedPort::Message& m, std::ostream* os);

namespace {

using Msgs = std::vector<ScriptedPort::Message>;

const ScriptedPort::Message Invalid{"Error", "You entered an invalid value! "};

// Replaces the text of an edit as the operator does: select it all, type.
void Retype(TEditReal* edit, const QString& text) {
  if (!edit)
    return;
  edit->InputEdit()->selectAll();
  Type(edit, text);
}

QString TextOf(QDialog& d, const char* edit) {
  TEditReal* e = Child<TEditReal>(d, edit);
  return e ? e->Text() : QString();
}

class AtmPressTest : public BenchFormTest {
protected:
  // A transmitter on COM1, read, with the atmospheric unit and the wizard's last inputs given;
  // or, for type 0, no instrument at all.
  TMainForm& OpenOn(int type, TUnit atmUnit, double altitude = 0, double temperature = 15) {
    StartBench(type == 0 ? std::string()
                         : Com(1, "Instrument = " + std::to_string(type) +
                                      "\nSerial = 1234567\nRangeMax = 200\n"));
    TSetFileRecords r = RecordsFor(type);
    r.Prefs.AtmUnit = atmUnit;
    r.Prefs.Altitude = altitude;
    r.Prefs.Temperature = temperature;
    r.Class1.Atm_Press = 1000;
    r.Switch.Atm_Press = 1000;
    TMainForm& f = Open(r);
    if (type != 0) {
      f.ReadBtn->click();
      EXPECT_TRUE(f.sett->ConfigRead());
    }
    port.Clear();
    ClearTrace();
    return f;
  }

  // Clicks the button of the atmospheric pressure field; the step plays the wizard.
  void RunWizard(TMainForm& f, std::function<void(QDialog&)> step) {
    TDialogScript script;
    script.On("AtmPressForm", std::move(step));
    f.AtmPressEd->DotsButton()->click();
  }

  double StoredAtmPress() const {
    return IsAnalogFamily(form->sett->InstType()) ? form->sett->Class1.Atm_Press
                                                  : form->sett->Switch.Atm_Press;
  }
};

TEST_F(AtmPressTest, UseResultPutsThePressureIntoTheFieldInThePreferredUnit) {
  const struct {
    int type; // 0: no instrument connected
    TUnit unit;
    const char* shown; // with the decimals of the field
    double hPa;        // stored: the value shown, in hPa
  } cases[] = {
      {10, unit::hPa, "955", 955},
      {10, unit::mbar, "955", 955},
      {10, unit::mmHg, "716.5", 716.5 * 133.32236842105263 / 100},
      {10, unit::inchHg, "28.21", 28.21 * 3386.38815789 / 100},
      {9, unit::mmHg, "716.5", 716.5 * 133.32236842105263 / 100},
      {0, unit::hPa, "955", 955},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << UnitText(c.unit));
    TMainForm& f = OpenOn(c.type, c.unit);
    const QString before = f.AtmPressEd->Text();
    bool closed = false;
    RunWizard(f, [&](QDialog& d) {
      EXPECT_EQ(d.windowTitle(), "Absolute pressure wizard");
      EXPECT_EQ(d.size(), QSize(349, 221));
      // The result starts as the field stands, greyed, in the field's unit.
      TEditReal* result = Child<TEditReal>(d, "ResultEd");
      EXPECT_EQ(result->Text(), before);
      EXPECT_FALSE(result->Enabled());
      EXPECT_EQ(Child<QLabel>(d, "ResultEdUnitLb")->text(), f.AtmPressEdUnitLb->text());
      EXPECT_EQ(TextOf(d, "AltEd"), "0.0");
      EXPECT_EQ(TextOf(d, "TempEd"), "15.0");

      Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("500"));
      Click(d, "CalculateBtn");
      EXPECT_EQ(result->Text(), c.shown);
      EXPECT_TRUE(result->Enabled());
      EXPECT_EQ(f.AtmPressEd->Text(), before); // not before "Use result"
      Click(d, "OkBtn");
      closed = !d.isVisible() && d.result() == QDialog::Accepted;
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(f.AtmPressEd->Text(), c.shown);
    EXPECT_NEAR(StoredAtmPress(), c.hPa, 1e-9);
    EXPECT_EQ(f.Prefs().Altitude, 500);
    EXPECT_EQ(f.Prefs().Temperature, 15);
    // The wizard itself does not talk to the instrument.
    for (const std::string& command : AnalogCommands())
      EXPECT_NE(command[0], 'B') << command;
    EXPECT_TRUE(CallsOf("SetConf").empty());

    // The next Write data takes the pressure to the instrument, in whole hPa.
    if (c.type == 10) {
      EXPECT_EQ(Ask(0xA201).BBAA, 966);
      f.WriteBtn->click();
      EXPECT_EQ(port.Texts(), std::vector<std::string>{"Transfer was successful!"});
      EXPECT_EQ(Ask(0xA201).BBAA, 955);
    }
  }
}

TEST_F(AtmPressTest, CancelEscAndTheCloseBoxChangeNothingEvenAfterCalculate) {
  const struct {
    const char* name;
    std::function<void(QDialog&)> close;
  } ways[] = {
      {"Cancel", [](QDialog& d) { Click(d, "CancelBtn"); }},
      {"Esc", [](QDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); }},
      {"close box", [](QDialog& d) { d.close(); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    TMainForm& f = OpenOn(10, unit::hPa, 250, 10);
    const QString before = f.AtmPressEd->Text();
    const double stored = StoredAtmPress();
    bool closed = false;
    RunWizard(f, [&](QDialog& d) {
      ASSERT_TRUE(ActivateDialog(d));
      Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("2000"));
      Click(d, "CalculateBtn");
      EXPECT_TRUE(Child<TEditReal>(d, "ResultEd")->Enabled());
      way.close(d);
      closed = !d.isVisible() && d.result() == QDialog::Rejected;
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(f.AtmPressEd->Text(), before);
    EXPECT_EQ(StoredAtmPress(), stored);
    EXPECT_EQ(f.Prefs().Altitude, 250);
    EXPECT_EQ(f.Prefs().Temperature, 10);
  }
}

TEST_F(AtmPressTest, InputsOutsideTheirRangeBeepAndBecomeTheLimit) {
  const struct {
    const char* edit;
    const char* typed;
    const char* shown;
    double altitude, temperature; // what "Use result" computes from
  } cases[] = {
      {"AltEd", "6000", "5000.0", 5000, 15},
      {"AltEd", "-250", "-100.0", -100, 15},
      {"TempEd", "60", "45.0", 0, 45.001},
      {"TempEd", "-80", "-50.0", 0, -50.001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.edit << " " << c.typed);
    TMainForm& f = OpenOn(10, unit::hPa);
    port.beeps = 0;
    RunWizard(f, [&](QDialog& d) {
      TEditReal* edit = Child<TEditReal>(d, c.edit);
      Retype(edit, QString::fromLatin1(c.typed));
      PressEnter(edit);
      EXPECT_EQ(edit->Text(), c.shown);
      EXPECT_EQ(port.beeps, 1);
      EXPECT_TRUE(d.isVisible());
      Click(d, "OkBtn");
    });
    EXPECT_EQ(port.messages, Msgs{});
    const double expected = BaroPressure(c.temperature, c.altitude, SeaLevelPressure);
    EXPECT_EQ(f.AtmPressEd->Text(), QString::number(std::lround(expected)));
    EXPECT_EQ(f.Prefs().Altitude, c.altitude);
    EXPECT_EQ(f.Prefs().Temperature, c.temperature);
  }

  // Typed without Enter, the limit applies when the wizard reads the input.
  TMainForm& f = OpenOn(10, unit::hPa);
  port.beeps = 0;
  RunWizard(f, [&](QDialog& d) {
    Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("6000"));
    Click(d, "CalculateBtn");
    EXPECT_EQ(TextOf(d, "AltEd"), "5000.0");
    EXPECT_EQ(TextOf(d, "ResultEd"),
              QString::number(std::lround(BaroPressure(15, 5000, SeaLevelPressure))));
    EXPECT_TRUE(Child<TEditReal>(d, "ResultEd")->Enabled());
    EXPECT_EQ(port.beeps, 1);
    Click(d, "CancelBtn");
  });
}

TEST_F(AtmPressTest, AChangeAfterCalculateGreysTheResultAndUseResultTakesTheNewInputs) {
  TMainForm& f = OpenOn(10, unit::hPa, 1000, 20);
  RunWizard(f, [&](QDialog& d) {
    TEditReal* result = Child<TEditReal>(d, "ResultEd");
    Click(d, "CalculateBtn");
    EXPECT_EQ(result->Text(), "903");
    EXPECT_TRUE(result->Enabled());
    // Enter on an unchanged input leaves the result as it is.
    PressEnter(Child<TEditReal>(d, "TempEd"));
    EXPECT_TRUE(result->Enabled());
    Retype(Child<TEditReal>(d, "TempEd"), QStringLiteral("0"));
    EXPECT_FALSE(result->Enabled());
    EXPECT_EQ(result->Text(), "903");
    Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("5000"));
    Click(d, "OkBtn");
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(f.AtmPressEd->Text(), "561");
  EXPECT_EQ(f.sett->Class1.Atm_Press, 561);
}

TEST_F(AtmPressTest, TheInputsOfUseResultComeBackAfterARestart) {
  TMainForm& first = OpenOn(10, unit::hPa);
  RunWizard(first, [](QDialog& d) {
    Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("1234.5"));
    Retype(Child<TEditReal>(d, "TempEd"), QStringLiteral("-7.5"));
    Click(d, "OkBtn");
  });
  ASSERT_EQ(port.messages, Msgs{});

  // A new run of the program reads them from its settings file.
  form.reset();
  form = std::make_unique<TMainForm>(SetFile());
  EXPECT_EQ(form->Prefs().Altitude, 1234.5);
  EXPECT_EQ(form->Prefs().Temperature, -7.5);
  RunWizard(*form, [](QDialog& d) {
    EXPECT_EQ(TextOf(d, "AltEd"), "1234.5");
    EXPECT_EQ(TextOf(d, "TempEd"), "-7.5");
    // Changed and cancelled: the next run still finds the inputs of "Use result".
    Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("300"));
    Click(d, "CalculateBtn");
    Click(d, "CancelBtn");
  });
  form.reset();
  form = std::make_unique<TMainForm>(SetFile());
  RunWizard(*form, [](QDialog& d) {
    EXPECT_EQ(TextOf(d, "AltEd"), "1234.5");
    EXPECT_EQ(TextOf(d, "TempEd"), "-7.5");
    Click(d, "CancelBtn");
  });
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(AtmPressTest, InvalidTextIsRefusedAndTheWizardStaysOpen) {
  enum THow { Clicked, LeftThenClicked, Mnemonic };
  const struct {
    const char* edit;
    const char* button;
    THow how; // a click leaves the edit first; a button's mnemonic does not
  } cases[] = {
      {"AltEd", "OkBtn", Clicked},         {"AltEd", "OkBtn", LeftThenClicked},
      {"TempEd", "OkBtn", Mnemonic},       {"TempEd", "CalculateBtn", Clicked},
      {"AltEd", "CalculateBtn", Mnemonic}, {"TempEd", "CalculateBtn", LeftThenClicked},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.edit << " " << c.button << " " << c.how);
    TMainForm& f = OpenOn(10, unit::hPa, 500, 15);
    const QString before = f.AtmPressEd->Text();
    RunWizard(f, [&](QDialog& d) {
      ASSERT_TRUE(ActivateDialog(d));
      TEditReal* edit = Child<TEditReal>(d, c.edit);
      TEditReal* result = Child<TEditReal>(d, "ResultEd");
      auto* button = Child<QPushButton>(d, c.button);
      edit->InputEdit()->setFocus(Qt::OtherFocusReason);
      Retype(edit, QStringLiteral("12x"));
      // Said at once while typing.
      EXPECT_EQ(port.messages, Msgs{Invalid});
      if (c.how == LeftThenClicked)
        QTest::keyClick(edit->InputEdit(), Qt::Key_Tab);
      // The text stays as typed: no value held before stands in for it.
      EXPECT_EQ(edit->Text(), "12x");
      if (c.how == Mnemonic) {
        QTest::keyClick(edit->InputEdit(), QKeySequence::mnemonic(button->text())[0].key(),
                        Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return port.messages.size() == 2; }));
      } else {
        button->click();
      }
      EXPECT_EQ(port.messages, (Msgs{Invalid, Invalid}));
      EXPECT_TRUE(d.isVisible());
      EXPECT_FALSE(result->Enabled());
      EXPECT_EQ(d.focusWidget(), edit->InputEdit());
      EXPECT_TRUE(edit->InputEdit()->hasSelectedText());

      // Mended, the same click goes on.
      port.Clear();
      Retype(edit, QStringLiteral("0"));
      Click(d, "OkBtn");
      EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_NE(f.AtmPressEd->Text(), before);
  }
}

TEST_F(AtmPressTest, InvalidTextInTheFieldStopsAtTheErrorAndOpensNoWizard) {
  TMainForm& f = OpenOn(10, unit::hPa);
  const double stored = StoredAtmPress();
  f.AtmPressEd->InputEdit()->selectAll();
  f.AtmPressEd->InputEdit()->insert(QStringLiteral("9x5"));
  port.Clear();
  TDialogScript script; // no dialog may open
  f.AtmPressEd->DotsButton()->click();
  EXPECT_EQ(port.messages, Msgs{Invalid});
  EXPECT_EQ(f.AtmPressEd->Text(), "966"); // the value held before
  EXPECT_EQ(StoredAtmPress(), stored);
  QTest::qWait(20); // the script would see a wizard opened late
  EXPECT_EQ(script.Played(), 0);
}

TEST_F(AtmPressTest, KeyboardMnemonicsTabEnterAndEsc) {
  TMainForm& f = OpenOn(10, unit::hPa, 500, 15);
  const double stored = StoredAtmPress();
  bool rejected = false;
  RunWizard(f, [&](QDialog& d) {
    ASSERT_TRUE(ActivateDialog(d));
    TEditReal* alt = Child<TEditReal>(d, "AltEd");
    TEditReal* temp = Child<TEditReal>(d, "TempEd");
    auto* calculate = Child<QPushButton>(d, "CalculateBtn");
    auto* ok = Child<QPushButton>(d, "OkBtn");
    auto* cancel = Child<QPushButton>(d, "CancelBtn");
    auto* help = Child<QPushButton>(d, "HelpBtn");
    // The wizard opens in the altitude, its text selected for typing over.
    EXPECT_EQ(d.focusWidget(), alt->InputEdit());
    EXPECT_EQ(alt->InputEdit()->selectedText(), "500.0");

    // Tab walks the inputs and buttons; the result is no stop even when it is active.
    Click(d, "CalculateBtn");
    alt->InputEdit()->setFocus(Qt::OtherFocusReason);
    const std::vector<QWidget*> order{temp->InputEdit(), calculate, ok, cancel, help,
                                      alt->InputEdit()};
    for (QWidget* next : order) {
      QTest::keyClick(d.focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(d.focusWidget(), next) << next->objectName().toStdString();
    }

    // Mnemonics of the captions and buttons.
    const std::pair<Qt::Key, QWidget*> mnemonics[] = {{Qt::Key_T, temp->InputEdit()},
                                                      {Qt::Key_A, alt->InputEdit()}};
    for (const auto& [key, target] : mnemonics) {
      QTest::keyClick(d.focusWidget(), key, Qt::AltModifier);
      EXPECT_EQ(d.focusWidget(), target);
    }
    EXPECT_EQ(Child<QLabel>(d, "AltLb")->text(), "&Altitude");
    EXPECT_EQ(Child<QLabel>(d, "TempLb")->text(), "&Temperature outdoor");

    // Enter finishes the input in an edit and keeps the wizard open; on a button it clicks.
    Retype(alt, QStringLiteral("1000"));
    QTest::keyClick(alt->InputEdit(), Qt::Key_Return);
    EXPECT_EQ(alt->Text(), "1000.0");
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(Child<TEditReal>(d, "ResultEd")->Enabled());
    Retype(temp, QStringLiteral("20"));
    QTest::keyClick(d.focusWidget(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(calculate->isDown());
    // A mnemonic's click comes after the button's short animation.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !calculate->isDown(); }));
    EXPECT_EQ(TextOf(d, "ResultEd"), "903");
    EXPECT_TRUE(Child<TEditReal>(d, "ResultEd")->Enabled());
    Retype(alt, QStringLiteral("0"));
    calculate->setFocus(Qt::TabFocusReason);
    QTest::keyClick(calculate, Qt::Key_Return);
    EXPECT_EQ(TextOf(d, "ResultEd"), "1013");

    // Esc cancels.
    alt->InputEdit()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    rejected = !d.isVisible() && d.result() == QDialog::Rejected;
  });
  EXPECT_TRUE(rejected);
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(StoredAtmPress(), stored);

  // Alt+U uses the result.
  RunWizard(f, [&](QDialog& d) {
    ASSERT_TRUE(ActivateDialog(d));
    Retype(Child<TEditReal>(d, "AltEd"), QStringLiteral("5000"));
    Retype(Child<TEditReal>(d, "TempEd"), QStringLiteral("0"));
    QTest::keyClick(d.focusWidget(), Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }));
  });
  EXPECT_EQ(f.AtmPressEd->Text(), "561");
}

TEST_F(AtmPressTest, HelpButtonF1AndTheCaptionHelpShowTheWizardsTopics) {
  InstallHelpKey();
  TMainForm& f = OpenOn(10, unit::hPa);
  RunWizard(f, [&](QDialog& d) {
    ASSERT_TRUE(ActivateDialog(d));
    Click(d, "HelpBtn");
    THelpForm* sub = FindHelpWindow(QString::fromLatin1(SubHelpWindow));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->CurrentContext(), 7000);
    EXPECT_TRUE(sub->CurrentTopicFound());

    // F1 in an input shows the main help window at the input's place in the topic.
    d.activateWindow();
    ASSERT_TRUE(ActivateDialog(d));
    TEditReal* temp = Child<TEditReal>(d, "TempEd");
    temp->InputEdit()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(temp->InputEdit(), Qt::Key_F1);
    THelpForm* main = FindHelpWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->CurrentTopicId(), "ctx7000");
    EXPECT_EQ(main->CurrentContext(), 7020);

    // The caption's help button, then a click on a control.
    const std::pair<const char*, int> controls[] = {
        {"CalculateBtn", 7030}, {"OkBtn", 7040}, {"AltLb", 7010}, {"ResultLb", 7000}};
    for (const auto& [name, context] : controls) {
      SCOPED_TRACE(name);
      QWidget* target = d.findChild<QWidget*>(QLatin1String(name));
      ASSERT_NE(target, nullptr);
      QHelpEvent click(QEvent::WhatsThis, target->mapTo(&d, target->rect().center()),
                       target->mapToGlobal(target->rect().center()));
      QCoreApplication::sendEvent(&d, &click);
      EXPECT_EQ(main->CurrentContext(), context);
    }
    Click(d, "CancelBtn");
  });
  CloseHelpWindows();
}

} // namespace
} // namespace dtool::test
