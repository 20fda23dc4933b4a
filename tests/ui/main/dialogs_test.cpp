// The dialogs of the Options and Help menus on the bench, through the real link libraries:
// Preferences (units, port, test mode, a port that cannot be opened), the type of instrument,
// the switch's moving-average filter and About; every way of closing each of them.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <iterator>
#include <map>

#include "benchform.h"
#include "dialogscript.h"
#include "link/instlink.h"
#include "tools/options.h"
#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/movaver.h"
#include "ui/help/helpsystem.h"

namespace dtool::test {

void PrintTo(const ScriptedPort::Message& m, std::ostream* os);

namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;

const TCloseWay NotOk[] = {TCloseWay::Cancel, TCloseWay::Esc, TCloseWay::CloseBox};

// Replaces an edit's text as typing does; the window stores it at once.
void Enter(TEditReal* ed, const QString& text) {
  ed->InputEdit()->selectAll();
  ed->InputEdit()->insert(text);
}

QString Selected(QDialog& d, const char* group) {
  auto* g = Child<TRadioGroup>(d, group);
  return g ? g->ItemText() : QString();
}

class DialogsTest : public BenchFormTest {
protected:
  // Runs the command; the step plays its dialog, which must open.
  void Run(QAction* command, const char* dialog, std::function<void(QDialog&)> step) {
    TDialogScript script;
    script.On(QLatin1String(dialog), std::move(step));
    command->trigger();
    EXPECT_EQ(script.Played(), 1);
  }
  // The settings file as the window left it.
  TSetFileRecords SavedFile() {
    form.reset();
    std::ifstream in(SetFile(), std::ios::binary);
    TSetFileImage image{};
    in.read(reinterpret_cast<char*>(image.data()), std::streamsize(image.size()));
    EXPECT_EQ(in.gcount(), std::streamsize(image.size()));
    return ParseSetFileImage(image);
  }
  // The SetMovAverFilt calls as "COMn length=l status".
  std::vector<std::string> FilterCalls() const {
    std::vector<std::string> calls;
    for (const TBenchCall& c : CallsOf("SetMovAverFilt"))
      calls.push_back(c.Port + " " + c.Request + " " + std::to_string(c.Status));
    return calls;
  }
};

// --- Preferences --------------------------------------------------------------------------

TEST_F(DialogsTest, PreferencesOfferTheUnitSetsAndPortsAndShowTheStoredChoices) {
  StartBench(Com(3, "Instrument = DravonDat"));
  TSetFileRecords r = RecordsFor(10);
  r.Prefs.ComPort = 3;
  r.Prefs.PressUnit = unit::mmH20;
  r.Prefs.VelocityUnit = unit::knots;
  r.Prefs.AtmUnit = unit::inchHg;
  r.Prefs.HoseUnit = unit::inch;
  TMainForm& f = Open(r);
  Run(f.ActPreferences, "PrefForm", [](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(HelpContextOf(&d), 2001);
    EXPECT_GE(d.width(), 341);
    EXPECT_GE(d.height(), 435);
    struct TGroup {
      const char* name;
      QString caption;
      QStringList items;
      QString selected;
      int help;
    };
    const TGroup groups[] = {
        {"PressUnitGr",
         "Unit &differential pressure",
         {"Pa", "mbar", "mmHg", "mmH20", "psi", "inchHg", "inchH2O"},
         "mmH20",
         2000},
        {"VelocityUnitGr", "Unit &Velocity", {"m/s", "km/h", "feet/s", "knots"}, "knots", 2005},
        {"AtmUnitGr",
         "Unit &atmospheric pressure",
         {"hPa", "mbar", "mmHg", "inchHg"},
         "inchHg",
         2010},
        {"HoseUnitGr", "Unit &hose length", {"m", "inch"}, "inch", 2020},
        {"ComPortGr",
         "&COM Port",
         {"COM-1", "COM-2", "COM-3", "COM-4", "COM-5", "COM-6", "COM-7", "COM-8"},
         "COM-3",
         2030},
    };
    for (const TGroup& g : groups) {
      SCOPED_TRACE(g.name);
      auto* group = Child<TRadioGroup>(d, g.name);
      ASSERT_NE(group, nullptr);
      EXPECT_EQ(group->title(), g.caption);
      EXPECT_EQ(group->Items(), g.items);
      EXPECT_EQ(group->ItemText(), g.selected);
      EXPECT_EQ(group->Columns(), 2);
      EXPECT_TRUE(group->isEnabled());
      EXPECT_EQ(HelpContextOf(group), g.help);
    }
    EXPECT_EQ(Child<QPushButton>(d, "OkBtn")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(Child<QPushButton>(d, "OkBtn")->isDefault());
    EXPECT_EQ(Child<QPushButton>(d, "BitBtn1")->text(), QStringLiteral("Cancel"));
    // The mnemonic of a group takes the focus to its chosen item.
    EXPECT_TRUE(ActivateDialog(d));
    QTest::keyClick(&d, Qt::Key_H, Qt::AltModifier);
    ASSERT_NE(d.focusWidget(), nullptr);
    EXPECT_EQ(d.focusWidget()->parentWidget(), Child<TRadioGroup>(d, "HoseUnitGr"));
    d.reject();
  });
}

// Each unit of each group, chosen in the Preferences, is what every control of its quantity
// shows afterwards, with the unit's decimals.
TEST_F(DialogsTest, ChosenUnitsAreShownByEveryControlOfTheirQuantity) {
  struct TShown {
    const char* edit;
    const char* unitLabel;
    QString text;
  };
  struct TCase {
    const char* group;
    QString item;
    std::vector<TShown> shown;
  };
  // Stored: output range to 250 Pa and 12.5 m/s, switch threshold 250 Pa, static threshold
  // -120 Pa, atmospheric pressure 966 hPa, hose 2 m.
  const TCase cases[] = {
      {"PressUnitGr",
       "mbar",
       {{"AnToEd", "AnToEdUnitLb", "2.5000"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "2.5000"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-1.2000"}}},
      {"PressUnitGr",
       "mmHg",
       {{"AnToEd", "AnToEdUnitLb", "1.87515"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "1.87515"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-0.90007"}}},
      {"PressUnitGr",
       "mmH20",
       {{"AnToEd", "AnToEdUnitLb", "25.518"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "25.518"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-12.249"}}},
      {"PressUnitGr",
       "psi",
       {{"AnToEd", "AnToEdUnitLb", "0.036259"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "0.036259"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-0.017405"}}},
      {"PressUnitGr",
       "inchHg",
       {{"AnToEd", "AnToEdUnitLb", "0.073825"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "0.073825"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-0.035436"}}},
      {"PressUnitGr",
       "inchH2O",
       {{"AnToEd", "AnToEdUnitLb", "1.00466"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "1.00466"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-0.48224"}}},
      {"PressUnitGr",
       "Pa",
       {{"AnToEd", "AnToEdUnitLb", "250.00"},
        {"Al1ThreEdr", "Al1ThreEdrUnitLb", "250.00"},
        {"EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "-120.00"}}},
      {"AtmUnitGr", "mbar", {{"AtmPressEd", "AtmPressEdUnitLb", "966"}}},
      {"AtmUnitGr", "mmHg", {{"AtmPressEd", "AtmPressEdUnitLb", "724.6"}}},
      {"AtmUnitGr", "inchHg", {{"AtmPressEd", "AtmPressEdUnitLb", "28.53"}}},
      {"AtmUnitGr", "hPa", {{"AtmPressEd", "AtmPressEdUnitLb", "966"}}},
      {"HoseUnitGr", "inch", {{"HoseLenEd", "HoseLenEdUnitLb", "78.7"}}},
      {"HoseUnitGr", "m", {{"HoseLenEd", "HoseLenEdUnitLb", "2.00"}}},
      // In velocity mode the output range is a velocity.
      {"VelocityUnitGr", "km/h", {{"AnToEd", "AnToEdUnitLb", "45.000"}}},
      {"VelocityUnitGr", "feet/s", {{"AnToEd", "AnToEdUnitLb", "41.010"}}},
      {"VelocityUnitGr", "knots", {{"AnToEd", "AnToEdUnitLb", "24.298"}}},
      {"VelocityUnitGr", "m/s", {{"AnToEd", "AnToEdUnitLb", "12.500"}}},
  };
  StartBench(Com(1, "Instrument = none"));
  TSetFileRecords r = RecordsFor(11);
  r.Class1.An_to = 250;
  r.Class1.An_velocity_to = 12.5;
  r.Switch.Al1Thre = 250;
  r.Class23.AL1.ThresPress = -120;
  r.Class1.Atm_Press = 966;
  r.Class1.Hose_length = 2;
  TMainForm& f = Open(r);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.group + std::string(" ") + c.item.toStdString());
    f.SetVmode(std::string(c.group) == "VelocityUnitGr");
    Run(f.ActPreferences, "PrefForm", [&](QDialog& d) {
      ChooseItem(d, c.group, c.item);
      Click(d, "OkBtn");
    });
    for (const TShown& s : c.shown) {
      SCOPED_TRACE(s.edit);
      EXPECT_EQ(f.findChild<TEditReal*>(QLatin1String(s.edit))->Text(), s.text);
      EXPECT_EQ(f.findChild<QLabel*>(QLatin1String(s.unitLabel))->text(), c.item);
    }
  }
  EXPECT_EQ(port.messages, Msgs{});
  // The last choices are kept in the settings file.
  const TPreferences saved = SavedFile().Prefs;
  EXPECT_EQ(saved.PressUnit, unit::Pa);
  EXPECT_EQ(saved.AtmUnit, unit::hPa);
  EXPECT_EQ(saved.HoseUnit, unit::m);
  EXPECT_EQ(saved.VelocityUnit, unit::m_s);
}

TEST_F(DialogsTest, PreferencesChangeThePortOnlyWhenAnotherOneIsChosen) {
  struct TCase {
    const char* name;
    QString port;
    TCloseWay way;
    std::int32_t comPort; // afterwards
    TUnit pressUnit;      // after choosing mbar
    bool reopened;
  };
  const TCase cases[] = {
      {"same port, OK", "COM-1", TCloseWay::Ok, 1, unit::mbar, false},
      {"same port, Enter", "COM-1", TCloseWay::Enter, 1, unit::mbar, false},
      {"another port", "COM-2", TCloseWay::Ok, 2, unit::mbar, true},
      {"another port, Cancel", "COM-2", TCloseWay::Cancel, 1, unit::Pa, false},
      {"another port, Esc", "COM-2", TCloseWay::Esc, 1, unit::Pa, false},
      {"another port, close box", "COM-2", TCloseWay::CloseBox, 1, unit::Pa, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartBench(Com(1, "Instrument = DravonDat") + Com(2, "Instrument = DravonDat"));
    TMainForm& f = Open(10);
    ClearTrace();
    Run(f.ActPreferences, "PrefForm", [&](QDialog& d) {
      ChooseItem(d, "ComPortGr", c.port);
      ChooseItem(d, "PressUnitGr", "mbar");
      CloseBy(d, c.way, "OkBtn", "BitBtn1");
      EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(f.Prefs().ComPort, c.comPort);
    EXPECT_EQ(f.Prefs().PressUnit, c.pressUnit);
    EXPECT_TRUE(f.Link()->IsCommOpen(c.comPort));
    EXPECT_EQ(CallsOf("OpenCom").size(), c.reopened ? 1u : 0u);
    EXPECT_EQ(CallsOf("CloseCom").empty(), !c.reopened);
    if (c.reopened) {
      EXPECT_EQ(CallsOf("OpenCom")[0].Port, "COM2");
    }
    EXPECT_TRUE(f.CheckInstTim->isActive());
  }
}

// The old preferences stay in force when the port chosen cannot be opened, and so does the
// link: the live reading goes on with the old port.
TEST_F(DialogsTest, APortThatCannotBeOpenedKeepsTheDialogOpenThePreferencesAndTheLink) {
  const Msg cannotOpen{"Info", "COMPORT 6 could not be opened! \rSelect an other COMPORT! "};
  for (bool timerRunning : {true, false}) {
    SCOPED_TRACE(timerRunning);
    port.Clear();
    StartBench(Com(1, "Instrument = DravonDat") + Com(6, "Available = no"));
    TMainForm& f = Open(10);
    if (!timerRunning)
      f.CheckInstTim->stop();
    Run(f.ActPreferences, "PrefForm", [&](QDialog& d) {
      ChooseItem(d, "ComPortGr", "COM-6");
      ChooseItem(d, "PressUnitGr", "mbar");
      Click(d, "OkBtn");
      EXPECT_EQ(port.messages, Msgs{cannotOpen});
      EXPECT_TRUE(d.isVisible());
      EXPECT_EQ(Selected(d, "ComPortGr"), QStringLiteral("COM-6")) << "the choices stay";
      EXPECT_EQ(Selected(d, "PressUnitGr"), QStringLiteral("mbar"));
      EXPECT_EQ(f.Prefs().ComPort, 1);
      EXPECT_EQ(f.Prefs().PressUnit, unit::Pa);
      EXPECT_EQ(f.CheckInstTim->isActive(), timerRunning);
      Click(d, "BitBtn1");
    });
    EXPECT_EQ(f.Prefs().ComPort, 1);
    EXPECT_EQ(f.CheckInstTim->isActive(), timerRunning);
    EXPECT_TRUE(f.Link()->IsCommOpen(1));
    TBenchControl::Get().Advance(3000);
    ClearTrace();
    f.ShowLiveReading();
    const std::vector<TBenchCall> readings = CallsOf("GetPressInst");
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings.back().Port, "COM1");
    EXPECT_EQ(readings.back().Status, 0);
    // A valid reading; its value is shown once the configuration has been read.
    EXPECT_EQ(f.PressEd->text(), QStringLiteral("No Config"));
  }
}

TEST_F(DialogsTest, InTestModeThePortIsLockedButTheUnitsCanBeChanged) {
  SetCommandLine({"/k58"});
  StartBench(Com(1, "Instrument = DravonDat"));
  TMainForm& f = Open(10);
  Run(f.ActPreferences, "PrefForm", [](QDialog& d) {
    EXPECT_FALSE(Child<TRadioGroup>(d, "ComPortGr")->isEnabled());
    ChooseItem(d, "ComPortGr", "COM-2");
    ChooseItem(d, "HoseUnitGr", "inch");
    EXPECT_EQ(Selected(d, "ComPortGr"), QStringLiteral("COM-1"));
    Click(d, "OkBtn");
  });
  EXPECT_EQ(f.Prefs().ComPort, 1);
  EXPECT_EQ(f.Prefs().HoseUnit, unit::inch);
  EXPECT_EQ(f.HoseLenEdUnitLb->text(), QStringLiteral("inch"));
}

// A unit the group does not offer ("hPa" as pressure unit) is shown as no selection, and OK
// keeps it rather than storing a unit nobody chose.
TEST_F(DialogsTest, AStoredUnitOutsideItsGroupShowsNoSelectionAndIsKept) {
  StartBench(Com(1, "Instrument = DravonDat"));
  TMainForm& f = Open(10);
  f.Prefs().PressUnit = unit::hPa;
  Run(f.ActPreferences, "PrefForm", [](QDialog& d) {
    EXPECT_EQ(Child<TRadioGroup>(d, "PressUnitGr")->ItemIndex(), -1);
    ChooseItem(d, "VelocityUnitGr", "km/h");
    Click(d, "OkBtn");
  });
  EXPECT_EQ(f.Prefs().PressUnit, unit::hPa);
  EXPECT_EQ(f.Prefs().VelocityUnit, unit::km_h);
  EXPECT_EQ(port.messages, Msgs{});
}

// --- Type of instrument -------------------------------------------------------------------

TEST_F(DialogsTest, TheTypeDialogPreparesADravonVisionWithNothingConnected) {
  StartBench(Com(1, "Instrument = none"));
  TMainForm& f = Open(0);
  Run(f.ActTypeOfInstrument, "TyOfInstFrm_", [](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Type of Instrument"));
    EXPECT_EQ(HelpContextOf(&d), 10800);
    EXPECT_GE(d.width(), 341);
    EXPECT_GE(d.height(), 143);
    auto* group = Child<TRadioGroup>(d, "InstTypeGr");
    EXPECT_EQ(group->Items(),
              (QStringList{"Dravon-STD", "Dravon-STV", "Dravon-STS", "Dravon-STVS", "Dravon-STD Z",
                           "Dravon-STV Z", "Dravon-STS Z", "Dravon-STVS Z", "DravonSwitch",
                           "DravonDat", "DravonVision"}));
    EXPECT_EQ(group->Columns(), 3);
    EXPECT_EQ(group->ItemIndex(), -1) << "no type stored";
    EXPECT_TRUE(group->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(d, "OkBtn")->isEnabled());
    EXPECT_EQ(Child<QPushButton>(d, "cancelBtn")->text(), QStringLiteral("Cancel"));
    ChooseItem(d, "InstTypeGr", "DravonVision");
    Click(d, "OkBtn");
  });
  EXPECT_EQ(port.messages, Msgs{});
  EXPECT_EQ(f.InstTypeEd->text(), QStringLiteral("DravonVision"));
  EXPECT_EQ(f.SerialEd->text(), QString());
  EXPECT_EQ(ShownPages(f), (std::set<QString>{"MeasPg", "AnaOutPg", "EnvirPg", "DispPg"}));
  EXPECT_TRUE(f.WriteBtn->isEnabled());
  EXPECT_TRUE(f.Link()->IsCommOpen(1)) << "the link is reopened for the analog family";
  Enter(f.HoseLenEd, QStringLiteral("3.5"));
  Enter(f.ContrastEd, QStringLiteral("9"));
  const TSetFileRecords saved = SavedFile();
  EXPECT_EQ(saved.InstInfo.InstType, 11);
  EXPECT_EQ(saved.InstInfo.TypeWithoutInfo, 1);
  EXPECT_EQ(saved.Prefs.LastInstType, 11);
  EXPECT_EQ(saved.Class1.Hose_length, 3.5);
  EXPECT_EQ(saved.Class1.Disp_contr, 9);
}

TEST_F(DialogsTest, TheTypeDialogPreselectsTheLastTypeAndSetsTheChoiceOnlyOnOk) {
  struct TCase {
    std::uint8_t lastType;
    int preselected;
    TCloseWay way;
    int typeAfter; // the window has type 10 before
  };
  const TCase cases[] = {
      {0, -1, TCloseWay::Ok, 0},       // nothing selected: OK sets no type
      {9, 8, TCloseWay::Enter, 9},     //
      {2, 1, TCloseWay::Cancel, 10},   //
      {11, 10, TCloseWay::Esc, 10},    //
      {1, 0, TCloseWay::CloseBox, 10}, //
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.lastType) + ", " + WayName(c.way));
    StartBench(Com(1, "Instrument = none"));
    TSetFileRecords r = RecordsFor(10);
    r.Prefs.LastInstType = c.lastType;
    TMainForm& f = Open(r);
    Run(f.ActTypeOfInstrument, "TyOfInstFrm_", [&](QDialog& d) {
      EXPECT_EQ(Child<TRadioGroup>(d, "InstTypeGr")->ItemIndex(), c.preselected);
      CloseBy(d, c.way, "OkBtn", "cancelBtn");
      EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(f.sett->InstType(), c.typeAfter);
    EXPECT_EQ(f.InstTypeEd->text().toStdString(), InstTypeName(c.typeAfter));
    EXPECT_EQ(ShownPages(f).empty(), c.typeAfter == 0);
    EXPECT_EQ(f.WriteBtn->isEnabled(), c.typeAfter != 0);
    EXPECT_EQ(port.messages, Msgs{});
  }
}

// --- Moving-average filter ----------------------------------------------------------------

TEST_F(DialogsTest, SetFilterSendsTheChosenLengthToTheSwitch) {
  StartBench(Com(1, "Instrument = DravonSwitch"));
  TSetFileRecords r = RecordsFor(9);
  r.Prefs.MovAverFilt = 7;
  TMainForm& f = Open(r);
  // As the application does at start.
  auto* filter = new TMovAverForm(f, &f);
  f.SetMovAverForm(filter);
  for (TCloseWay way : NotOk) {
    SCOPED_TRACE(WayName(way));
    ClearTrace();
    Run(f.ActSetFilter, "MovAverForm", [&](QDialog& d) {
      Child<QComboBox>(d, "MovAverCb")->setCurrentIndex(11);
      CloseBy(d, way, "OkBtn", "CancelBtn");
    });
    EXPECT_EQ(f.Prefs().MovAverFilt, 7);
    EXPECT_EQ(FilterCalls(), std::vector<std::string>{});
  }
  for (TCloseWay way : {TCloseWay::Ok, TCloseWay::Enter}) {
    SCOPED_TRACE(WayName(way));
    ClearTrace();
    Run(f.ActSetFilter, "MovAverForm", [&](QDialog& d) {
      EXPECT_EQ(&d, filter) << "the window made at start";
      EXPECT_EQ(d.windowTitle(), QStringLiteral("Filter (moving average)"));
      EXPECT_GE(d.width(), 276);
      EXPECT_GE(d.height(), 93);
      auto* list = Child<QComboBox>(d, "MovAverCb");
      ASSERT_EQ(list->count(), 20);
      EXPECT_EQ(list->itemText(0), QStringLiteral("1 (Filter off)"));
      EXPECT_EQ(list->itemText(1), QStringLiteral("2"));
      EXPECT_EQ(list->itemText(19), QStringLiteral("20"));
      EXPECT_EQ(HelpContextOf(list), 11);
      EXPECT_EQ(Child<QLabel>(d, "MovAverCbUnit")->text(), QStringLiteral("Samples"));
      // The stored length, also after a change by the last opening.
      EXPECT_EQ(list->currentText(), QString::number(f.Prefs().MovAverFilt));
      list->setCurrentIndex(way == TCloseWay::Ok ? 11 : 4);
      CloseBy(d, way, "OkBtn", "CancelBtn");
    });
    const int length = way == TCloseWay::Ok ? 12 : 5;
    EXPECT_EQ(f.Prefs().MovAverFilt, length);
    EXPECT_EQ(FilterCalls(),
              std::vector<std::string>{"COM1 length=" + std::to_string(length) + " 0"});
  }
  EXPECT_EQ(port.messages, Msgs{});
  // The help button shows the filter's topic in the dialogs' help window.
  CloseHelpWindows();
  Run(f.ActSetFilter, "MovAverForm", [](QDialog& d) {
    Click(d, "HelpBtn");
    EXPECT_NE(FindHelpWindow(QLatin1String(SubHelpWindow)), nullptr);
    d.reject();
  });
  CloseHelpWindows();
}

// A length outside the switch library's bounds in the settings file would fail every opening
// of the switch port: the window starts with the nearest bound.
TEST_F(DialogsTest, AStoredFilterLengthOutsideTheBoundsIsBroughtToTheNearestAtStart) {
  for (const auto& [stored, limited] : std::map<std::int32_t, std::int32_t>{{0, 1}, {50, 20}}) {
    SCOPED_TRACE(stored);
    TDialogScript noDialog; // the Preferences are not offered
    StartBench(Com(1, "Instrument = DravonSwitch"));
    TSetFileRecords r = RecordsFor(9);
    r.Prefs.MovAverFilt = stored;
    TMainForm& f = Open(r);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_FALSE(f.Terminated());
    EXPECT_EQ(f.Prefs().MovAverFilt, limited);
    EXPECT_EQ(FilterCalls(),
              std::vector<std::string>{"COM1 length=" + std::to_string(limited) + " 0"});
    EXPECT_TRUE(f.Link()->IsCommOpen(1));
  }
}

TEST_F(DialogsTest, TheFilterWindowSelectsTheNearestLengthItOffers) {
  StartBench(Com(1, "Instrument = DravonSwitch"));
  TMainForm& f = Open(9);
  for (const auto& [stored, shown] :
       std::map<std::int32_t, QString>{{50, "20"}, {-4, "1 (Filter off)"}}) {
    SCOPED_TRACE(stored);
    f.Prefs().MovAverFilt = stored;
    ClearTrace();
    Run(f.ActSetFilter, "MovAverForm", [&, shown = shown](QDialog& d) {
      EXPECT_EQ(Child<QComboBox>(d, "MovAverCb")->currentText(), shown);
      Click(d, "OkBtn");
    });
    const std::string length = shown.section(' ', 0, 0).toStdString();
    EXPECT_EQ(f.Prefs().MovAverFilt, std::stoi(length));
    EXPECT_EQ(FilterCalls(), std::vector<std::string>{"COM1 length=" + length + " 0"});
  }
  EXPECT_EQ(port.messages, Msgs{});
}

TEST_F(DialogsTest, ALengthTheSwitchRefusesIsReportedAndTheOldOneKept) {
  StartBench(Com(1, "Instrument = DravonSwitch"));
  TSetFileRecords r = RecordsFor(9);
  r.Prefs.MovAverFilt = 7;
  TMainForm& f = Open(r);
  // From now on the library refuses the filter with a transmission error.
  StartBench(Com(1, "Instrument = DravonSwitch\nFaultLinkError = SetMovAverFilt:3"));
  Run(f.ActSetFilter, "MovAverForm", [](QDialog& d) {
    Child<QComboBox>(d, "MovAverCb")->setCurrentIndex(2);
    Click(d, "OkBtn");
  });
  EXPECT_EQ(
      port.messages,
      (Msgs{{"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 3"}}));
  const std::vector<TBenchCall> calls = CallsOf("SetMovAverFilt");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Status, 3);
  EXPECT_EQ(f.Prefs().MovAverFilt, 7);
  EXPECT_FALSE(f.Terminated());
}

// A switch library that does not tell its filter bounds: the command says so instead of
// showing an empty list, and the program goes on.
TEST_F(DialogsTest, FilterBoundsTheLibraryRefusesAreReportedBySetFilter) {
  // The real libraries, whose tables the window's link borrows, outlive the window.
  std::unique_ptr<TInstLink> real;
  struct TRestore {
    std::unique_ptr<TMainForm>& window;
    ~TRestore() { window.reset(); }
  } restore{form};
  sessionSetup.LoadLink = [&real](TSettings& s, ILinkOwner& o, TLinkLoadError& err) {
    real = TInstLink::Load(s, o, std::string(), err);
    TSwitchLinkApi sw = real->Switch();
    static swlink::FnGetIConst* library = nullptr;
    library = sw.GetIConst;
    sw.GetIConst = [](std::int32_t* value, std::int32_t id) -> std::int32_t {
      return id == swiconst::I_MAVR_MIN || id == swiconst::I_MAVR_MAX ? 4 : library(value, id);
    };
    return std::make_unique<TInstLink>(s, o, real->Analog(), sw);
  };
  StartBench(Com(1, "Instrument = DravonSwitch"));
  TSetFileRecords r = RecordsFor(9);
  r.Prefs.MovAverFilt = 7;
  TMainForm& f = Open(r);
  EXPECT_EQ(f.Prefs().MovAverFilt, 7);
  f.SetMovAverForm(new TMovAverForm(f, &f));
  EXPECT_EQ(port.messages, Msgs{}) << "nothing is said before the command";
  TDialogScript noDialog;
  f.ActSetFilter->trigger();
  EXPECT_EQ(
      port.messages,
      (Msgs{{"Error", "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 4"}}));
  EXPECT_EQ(FilterCalls().size(), 1u) << "only the opening's";
  EXPECT_FALSE(f.Terminated());
}

// --- About --------------------------------------------------------------------------------

struct TAboutCase {
  const char* name;
  const char* bench;
  std::vector<QString> captions; // of the six lines
  std::vector<QString> values;
  bool sensorLine; // the sixth line is shown
};

const QString Version = QStringLiteral("DravonTool - Win V4.11");

// The identity lines after a read of each family, and the edge cases of their texts.
TEST_F(DialogsTest, AboutShowsTheIdentityOfTheInstrumentRead) {
  const std::vector<QString> analog = {"Instrument: ",
                                       "Serial no: ",
                                       "dP range: ",
                                       "Output: ",
                                       "Firmware main controller: ",
                                       "Firmware sensor controller: "};
  const std::vector<QString> sw = {"Instrument: ", "Serial no: ",      "dP range: ",
                                   "Output: ",     "Version instr.: ", "Version comp.: "};
  const TAboutCase cases[] = {
      {"DravonDat",
       "Instrument = DravonDat\nSerial = 1001010\nRangeMax = 250\nFirmware = 01.12\n"
       "SensorFirmware = 01.3\nCapLevel = 2\nOutput = current",
       analog,
       {"DravonDat", "1001010", "-250 .. 250 Pa", "Current", "V01.12 (Cap. level 002)", "V01.3"},
       true},
      {"Dravon-STV",
       "Instrument = Dravon-STV\nSerial = 2002002\nRangeMax = 100\nFirmware = 01.05\n"
       "CapLevel = 3\nOutput = voltage",
       analog,
       {"Dravon-STV", "2002002", "-100 .. 100 Pa", "Voltage", "V01.05 (Cap. level 003)", ""},
       false},
      {"Dravon-STVS Z",
       "Instrument = Dravon-STVS Z\nSerial = 3003008\nRangeMax = 50\nFirmware = 02.07\n"
       "CapLevel = 0",
       analog,
       {"Dravon-STVS Z", "3003008", "-50 .. 50 Pa", "2 Alarm relays", "V02.07 (Cap. level 000)",
        ""},
       false},
      {"DravonSwitch",
       "Instrument = DravonSwitch\nSerial = 4004009\nRangeMax = 500\nFirmware = 1.2\n"
       "SecondFirmware = 3.4\nComponentVersion = 5",
       sw,
       {"DravonSwitch", "4004009", "0 .. 500 Pa", "2 Alarm relays", "1.2/3.4", "05"},
       true},
      // An instrument without serial number still has its identity.
      {"DravonDat without serial number",
       "Instrument = DravonDat\nSerial = none\nRangeMax = 250\nFirmware = 01.12\n"
       "SensorFirmware = 01.3\nCapLevel = 2\nOutput = voltage",
       analog,
       {"DravonDat", "", "-250 .. 250 Pa", "Voltage", "V01.12 (Cap. level 002)", "V01.3"},
       true},
  };
  const TCloseWay ways[] = {TCloseWay::Ok, TCloseWay::Enter, TCloseWay::Esc, TCloseWay::CloseBox,
                            TCloseWay::Ok};
  int i = 0;
  for (const TAboutCase& c : cases) {
    const TCloseWay way = ways[i++];
    SCOPED_TRACE(c.name + std::string(", ") + WayName(way));
    StartBench(Com(1, c.bench));
    TMainForm& f = Open(0);
    f.ReadBtn->click();
    ASSERT_TRUE(f.sett->ConfigRead()) << (port.messages.empty() ? "" : port.Texts().front());
    Run(f.ActAbout, "AboutForm", [&](QDialog& d) {
      EXPECT_EQ(&d, f.AboutForm()) << "the window made with the main window";
      EXPECT_EQ(d.windowTitle(), QStringLiteral("About"));
      EXPECT_EQ(HelpContextOf(&d), 10900);
      EXPECT_EQ(Child<QLabel>(d, "NameLb")->text(), Version);
      EXPECT_FALSE(Child<QLabel>(d, "LogoImg")->pixmap().isNull());
      const char* captions[] = {"InstrumentLb", "SerialNrLb", "RangeLb",
                                "AnOutLb",      "firmMainLb", "FirmSensLb"};
      const char* values[] = {"InstrumentValLb", "SerialNrValLb", "RangeValLb",
                              "AnaOutValLb",     "firmMainValLb", "FirmSensValLb"};
      for (int line = 0; line < 6; ++line) {
        SCOPED_TRACE(values[line]);
        auto* caption = Child<QLabel>(d, captions[line]);
        auto* value = Child<QLabel>(d, values[line]);
        EXPECT_EQ(caption->text(), c.captions[line]);
        const bool shown = line < 5 || c.sensorLine;
        EXPECT_EQ(caption->isVisible(), shown);
        EXPECT_EQ(value->isVisible(), shown);
        if (shown) {
          EXPECT_EQ(value->text(), c.values[line]);
        }
      }
      CloseBy(d, way, "CloseBtn", "CloseBtn");
      EXPECT_FALSE(d.isVisible());
      EXPECT_EQ(d.result(), QDialog::Rejected);
    });
  }
}

TEST_F(DialogsTest, AboutWithoutAnInstrumentReadShowsOnlyTheCaptions) {
  struct TCase {
    const char* name;
    int type;
    bool byHand;
    bool testMode;
    QString firmCaption;
  };
  const TCase cases[] = {
      {"no type", 0, false, false, "Version instr.: "},
      {"DravonDat set by hand", 10, true, false, "Firmware main controller: "},
      {"DravonSwitch set by hand, test mode", 9, true, true, "Version instr.: "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetCommandLine(c.testMode ? std::vector<std::string>{"/K58"} : std::vector<std::string>{});
    StartBench(Com(1, "Instrument = none"));
    TSetFileRecords r = RecordsFor(c.type);
    r.InstInfo.TypeWithoutInfo = c.byHand ? 1 : 0;
    TMainForm& f = Open(r);
    Run(f.ActAbout, "AboutForm", [&](QDialog& d) {
      EXPECT_EQ(Child<QLabel>(d, "NameLb")->text(),
                c.testMode ? Version + QStringLiteral(" -> TEST 33 MODE") : Version);
      EXPECT_EQ(Child<QLabel>(d, "InstrumentLb")->text(), QStringLiteral("Instrument: "));
      EXPECT_EQ(Child<QLabel>(d, "firmMainLb")->text(), c.firmCaption);
      for (const char* value : {"InstrumentValLb", "SerialNrValLb", "RangeValLb", "AnaOutValLb",
                                "firmMainValLb", "FirmSensValLb"})
        EXPECT_EQ(Child<QLabel>(d, value)->text(), QString()) << value;
      Click(d, "CloseBtn");
    });
  }
}

} // namespace
} // namespace dtool::test
