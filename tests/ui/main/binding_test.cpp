// Settings into the controls and back, for every bound control and every instrument family:
// units, decimals, lists, radio groups, the velocity mode, the switch's alarms and delays.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <iterator>
#include <vector>

#include "mainform_fixture.h"
#include "ui/controls/editreal.h"
#include "ui/controls/radiogroup.h"

namespace dtool::test {
namespace {

// Instrument families a binding applies to.
enum TFamily { Static = 1, Transmitter = 2, Switch = 4 };

int FamilyOf(int type) {
  if (type >= 1 && type <= 8)
    return Static;
  if (type == 10 || type == 11)
    return Transmitter;
  return Switch;
}

constexpr int AllTypes[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 9};

// A numeric field of the settings object, whatever its stored type.
struct TField {
  std::function<double(const TSettings&)> get;
  std::function<void(TSettings&, double)> set;
};

template <typename Rec, typename T> TField Field(Rec TSettings::*rec, T Rec::*member) {
  return {[=](const TSettings& s) { return static_cast<double>(s.*rec.*member); },
          [=](TSettings& s, double v) { (s.*rec).*member = static_cast<T>(v); }};
}

TField Alarm(TAlarmGroup TClass23Params::*group, double TAlarmGroup::*member) {
  return {[=](const TSettings& s) { return s.Class23.*group.*member; },
          [=](TSettings& s, double v) { s.Class23.*group.*member = v; }};
}

// Which unit a control shows its field in.
enum class TShown { None, Press, Atm, Hose, AnalogOut, Offset };

std::vector<TUnit> UnitsOf(TShown shown) {
  switch (shown) {
  case TShown::Press:
  case TShown::AnalogOut:
    return {1, 2, 3, 4, 5, 6, 7};
  case TShown::Atm:
    return {0, 2, 3, 6};
  case TShown::Hose:
    return {8, 9};
  case TShown::Offset:
    return {unit::V, unit::mA};
  case TShown::None:
    break;
  }
  return {unit::None};
}

struct TEditRow {
  const char* name;
  int families;
  TField field;
  TUnit storage;
  TShown shown;
  int decimals; // for TShown::None
  const char* unitLabel;
  double value; // stored
  double typed; // typed in the shown unit
};

const std::vector<TEditRow>& EditRows() {
  using S = TSettings;
  static const std::vector<TEditRow> rows = {
      {"HoseLenEd", Static | Transmitter, Field(&S::Class1, &TClass1Params::Hose_length), unit::m,
       TShown::Hose, 0, "HoseLenEdUnitLb", 2.5, 1.25},
      {"HoseLenEd", Switch, Field(&S::Switch, &TSwitchParams::Hose_length), unit::m, TShown::Hose,
       0, "HoseLenEdUnitLb", 2.5, 1.25},
      {"AtmPressEd", Static | Transmitter, Field(&S::Class1, &TClass1Params::Atm_Press), unit::hPa,
       TShown::Atm, 0, "AtmPressEdUnitLb", 1003.7, 950},
      {"AtmPressEd", Switch, Field(&S::Switch, &TSwitchParams::Atm_Press), unit::hPa, TShown::Atm,
       0, "AtmPressEdUnitLb", 1003.7, 950},
      {"GainSensEd", Static | Transmitter, Field(&S::Class1, &TClass1Params::Gain_Sens), unit::None,
       TShown::None, 4, nullptr, 1.23456, 0.9875},
      {"GainSensEd", Switch, Field(&S::Switch, &TSwitchParams::Gain_Sens), unit::None, TShown::None,
       4, nullptr, 1.23456, 0.9875},
      {"EdrGainSensStatic", Static | Transmitter, Field(&S::Class23, &TClass23Params::Gain_Sens),
       unit::None, TShown::None, 4, nullptr, 1.1, 1.0125},
      {"VelocityCEd", Static | Transmitter, Field(&S::Class1, &TClass1Params::Velocity_C),
       unit::None, TShown::None, 6, nullptr, 0.71875, 0.8125},
      {"EdrVelocityCPstat", Static | Transmitter, Field(&S::Class23, &TClass23Params::Velocity_C),
       unit::None, TShown::None, 6, nullptr, 0.71875, 0.8125},
      {"VelocityNEd", Static | Transmitter, Field(&S::Class1, &TClass1Params::Velocity_n),
       unit::None, TShown::None, 1, nullptr, 1.5, 1.7},
      {"EdrVelocityNPstat", Static | Transmitter, Field(&S::Class23, &TClass23Params::Velocity_n),
       unit::None, TShown::None, 1, nullptr, 1.5, 1.7},
      {"AnFromEd", Static, Field(&S::Class23, &TClass23Params::An_from), unit::Pa,
       TShown::AnalogOut, 0, "AnFromEdUnitLb", -12.5, -3.5},
      {"AnFromEd", Transmitter, Field(&S::Class1, &TClass1Params::An_from), unit::Pa,
       TShown::AnalogOut, 0, "AnFromEdUnitLb", -12.5, -3.5},
      {"AnToEd", Static, Field(&S::Class23, &TClass23Params::An_to), unit::Pa, TShown::AnalogOut, 0,
       "AnToEdUnitLb", 125, 7.25},
      {"AnToEd", Transmitter, Field(&S::Class1, &TClass1Params::An_to), unit::Pa, TShown::AnalogOut,
       0, "AnToEdUnitLb", 125, 7.25},
      {"AnOffsetEd", Static, Field(&S::Class23, &TClass23Params::An_offset), unit::AnalogOffset,
       TShown::Offset, 0, nullptr, 0.125, -0.25},
      {"AnOffsetEd", Transmitter, Field(&S::Class1, &TClass1Params::An_offset), unit::AnalogOffset,
       TShown::Offset, 0, nullptr, 0.125, -0.25},
      {"AnGainEd", Static, Field(&S::Class23, &TClass23Params::An_gain), unit::None, TShown::None,
       4, nullptr, 1.0625, 0.95},
      {"AnGainEd", Transmitter, Field(&S::Class1, &TClass1Params::An_gain), unit::None,
       TShown::None, 4, nullptr, 1.0625, 0.95},
      {"ContrastEd", Static, Field(&S::Class23, &TClass23Params::Disp_contr), unit::None,
       TShown::None, 0, nullptr, 9, 12},
      {"ContrastEd", Transmitter, Field(&S::Class1, &TClass1Params::Disp_contr), unit::None,
       TShown::None, 0, nullptr, 9, 12},
      {"EdrAl1ThreStatic", Static | Transmitter,
       Alarm(&TClass23Params::AL1, &TAlarmGroup::ThresPress), unit::Pa, TShown::Press, 0,
       "LbAl1ThreEdrUnitStatic", -150, 40.5},
      {"EdrAl2ThreStatic", Static | Transmitter,
       Alarm(&TClass23Params::AL2, &TAlarmGroup::ThresPress), unit::Pa, TShown::Press, 0,
       "LbAl2ThreEdrUnitStatic", 275, -40.5},
      {"EdrAl1HysStatic", Static | Transmitter, Alarm(&TClass23Params::AL1, &TAlarmGroup::HysPress),
       unit::Pa, TShown::Press, 0, "LbAl1HysEdrUnit", 2.5, 0.75},
      {"EdrAl2HysStatic", Static | Transmitter, Alarm(&TClass23Params::AL2, &TAlarmGroup::HysPress),
       unit::Pa, TShown::Press, 0, "LbAl2HysEdrUnit", 2.5, 0.75},
      {"EdrAl1DlyStatic", Static | Transmitter,
       Alarm(&TClass23Params::AL1, &TAlarmGroup::DelayPress), unit::None, TShown::None, 0, nullptr,
       12, 30},
      {"EdrAl2DlyStatic", Static | Transmitter,
       Alarm(&TClass23Params::AL2, &TAlarmGroup::DelayPress), unit::None, TShown::None, 0, nullptr,
       12, 30},
      {"Al1ThreEdr", Switch, Field(&S::Switch, &TSwitchParams::Al1Thre), unit::Pa, TShown::Press, 0,
       "Al1ThreEdrUnitLb", 150, 60.5},
      {"Al2ThreEdr", Switch, Field(&S::Switch, &TSwitchParams::Al2Thre), unit::Pa, TShown::Press, 0,
       "Al2ThreEdrUnitLb", 150, 60.5},
      {"Al1HysEdr", Switch, Field(&S::Switch, &TSwitchParams::Al1Hys), unit::Pa, TShown::Press, 0,
       "Al1HysEdrUnitLb", 3.5, 1.75},
      {"Al2HysEdr", Switch, Field(&S::Switch, &TSwitchParams::Al2Hys), unit::Pa, TShown::Press, 0,
       "Al2HysEdrUnitLb", 3.5, 1.75},
  };
  return rows;
}

// Makes the unit of a kind the shown one.
void ShowIn(TMainForm& f, TShown shown, TUnit u) {
  switch (shown) {
  case TShown::Press:
  case TShown::AnalogOut:
    f.Prefs().PressUnit = u;
    break;
  case TShown::Atm:
    f.Prefs().AtmUnit = u;
    break;
  case TShown::Hose:
    f.Prefs().HoseUnit = u;
    break;
  case TShown::Offset:
    f.sett->SetAnOffsetUnit(u);
    break;
  case TShown::None:
    break;
  }
}

int DecimalsIn(TShown shown, TUnit u, int fixed) {
  if (shown == TShown::None)
    return fixed;
  return UnitDecimals(u, shown == TShown::Atm ? 2 : 1);
}

// Replaces an edit's text as typing does.
void Type(TEditReal* ed, const QString& text) {
  ed->InputEdit()->selectAll();
  ed->InputEdit()->insert(text);
}

class BindingTest : public MainFormTest {
protected:
  TEditReal* Edit(const char* name) {
    auto* ed = form->findChild<TEditReal*>(QString::fromLatin1(name));
    EXPECT_NE(ed, nullptr) << name;
    return ed;
  }
  QComboBox* Combo(const char* name) {
    auto* combo = form->findChild<QComboBox*>(QString::fromLatin1(name));
    EXPECT_NE(combo, nullptr) << name;
    return combo;
  }
  // The operator picks an item of a list.
  static void Pick(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  static QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
      items << combo->itemText(i);
    return items;
  }
};

// Every edit, every family it serves, every unit it can show: the setting shows converted
// with the unit's decimals, and what is typed is stored converted back.
TEST_F(BindingTest, EveryEditShowsItsSettingInEachUnitAndStoresWhatIsTyped) {
  for (int type : AllTypes) {
    Open(type);
    for (const TEditRow& row : EditRows()) {
      if ((row.families & FamilyOf(type)) == 0)
        continue;
      TEditReal* ed = Edit(row.name);
      for (TUnit u : UnitsOf(row.shown)) {
        SCOPED_TRACE(testing::Message()
                     << "type " << type << ", " << row.name << ", unit " << int(u));
        ShowIn(*form, row.shown, u);
        row.field.set(*form->sett, row.value);
        form->WriteSetToField_(true);
        const double expected = ConvertUnit(u, row.storage, row.field.get(*form->sett));
        EXPECT_EQ(ed->Text(), FormatFixed(expected, DecimalsIn(row.shown, u, row.decimals)));
        EXPECT_EQ(ed->Nachkomma(), DecimalsIn(row.shown, u, row.decimals));
        if (row.unitLabel) {
          auto* label = form->findChild<QLabel*>(QString::fromLatin1(row.unitLabel));
          ASSERT_NE(label, nullptr);
          EXPECT_EQ(label->text().toStdString(), UnitText(u));
        }
        if (row.shown == TShown::Offset) {
          EXPECT_EQ(form->AnOffsetEdUnitLb->text().toStdString(), UnitText(u));
        }

        form->Session().SetLastTransferForTest(true);
        Type(ed, QString::number(row.typed));
        EXPECT_DOUBLE_EQ(row.field.get(*form->sett), [&] {
          TSettings scratch(nullptr);
          row.field.set(scratch, ConvertUnit(row.storage, u, row.typed));
          return row.field.get(scratch);
        }());
        EXPECT_FALSE(form->PrintAllowed());
      }
    }
  }
  EXPECT_TRUE(port.messages.empty()) << port.Texts().front();
}

struct TListRow {
  const char* name;
  int families;
  TField field;
  int offset; // stored value of item 0
  QStringList items;
};

QStringList Numbers(int from, int to) {
  QStringList list;
  for (int i = from; i <= to; ++i)
    list << QString::number(i);
  return list;
}

const std::vector<TListRow>& ListRows() {
  using S = TSettings;
  const QStringList intervals = {"0.150", "0.300", "0.450", "0.600", "0.750",
                                 "0.900", "1.050", "1.200", "1.350"};
  static const std::vector<TListRow> rows = {
      {"IntCb", Static | Transmitter, Field(&S::Class1, &TClass1Params::Speed), 1, intervals},
      {"MovAverCb", Static | Transmitter, Field(&S::Class1, &TClass1Params::Moving_Average), 1,
       QStringList{"1 (Filter off)"} + Numbers(2, 20)},
      {"CbFiltLevPstat", Static | Transmitter, Field(&S::Class23, &TClass23Params::Filter_level), 0,
       QStringList{"0 (Filter off)"} + Numbers(1, 20)},
      {"AlIntCb", Switch, Field(&S::Switch, &TSwitchParams::AlInt), 1, intervals},
      {"CbA1GrKlStatic",
       Static | Transmitter,
       {[](const S& s) { return double(s.Class23.AL1.PressOver); },
        [](S& s, double v) { s.Class23.AL1.PressOver = std::uint8_t(v); }},
       0,
       {"<", ">"}},
      {"CbA2GrKlStatic",
       Static | Transmitter,
       {[](const S& s) { return double(s.Class23.AL2.PressOver); },
        [](S& s, double v) { s.Class23.AL2.PressOver = std::uint8_t(v); }},
       0,
       {"<", ">"}},
  };
  return rows;
}

TEST_F(BindingTest, EveryListShowsItsSettingAndStoresThePickedItem) {
  for (int type : {3, 10, 9}) {
    Open(type);
    for (const TListRow& row : ListRows()) {
      if ((row.families & FamilyOf(type)) == 0)
        continue;
      SCOPED_TRACE(testing::Message() << "type " << type << ", " << row.name);
      QComboBox* combo = Combo(row.name);
      EXPECT_EQ(Items(combo), row.items);
      for (int i = 0; i < row.items.size(); ++i) {
        row.field.set(*form->sett, i + row.offset);
        form->WriteSetToField_(true);
        EXPECT_EQ(combo->currentIndex(), i);
      }
      Pick(combo, 1);
      EXPECT_EQ(row.field.get(*form->sett), 1 + row.offset);
    }
  }
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(BindingTest, HumiditySnapsToTheNearestBandAndStoresItsCentre) {
  const struct {
    double humidity;
    QString band;
  } cases[] = {{15, "10..30"},   {95, "80..100"}, {5, "0..20"},   {50, "40..60"},
               {54.9, "40..60"}, {55, "50..70"},  {-20, "0..20"}, {1e9, "80..100"}};
  for (int type : {10, 9}) {
    TMainForm& f = Open(type);
    EXPECT_EQ(Items(f.HumCB), (QStringList{"0..20", "10..30", "20..40", "30..50", "40..60",
                                           "50..70", "60..80", "70..90", "80..100"}));
    double& humidity = type == 9 ? f.sett->Switch.Humidity : f.sett->Class1.Humidity;
    for (const auto& c : cases) {
      SCOPED_TRACE(c.humidity);
      humidity = c.humidity;
      f.WriteSetToField_(true);
      EXPECT_EQ(f.HumCB->currentText(), c.band);
    }
    Pick(f.HumCB, 2);
    EXPECT_EQ(humidity, 30.0);
  }
}

TEST_F(BindingTest, RadioGroupsShowAndStoreSignalAndDisplayUnits) {
  for (int type : {2, 11}) {
    SCOPED_TRACE(type);
    TMainForm& f = Open(type, 1);
    // The record of the type: class 2/3 or class 1.
    auto withRecord = [&](auto fn) {
      if (type == 2)
        fn(f.sett->Class23);
      else
        fn(f.sett->Class1);
    };
    EXPECT_EQ(f.DisplPressUnitGr->Items(),
              (QStringList{"Pa", "mbar", "mmHg", "mmH20", "psi", "inchHg", "inchH2O"}));
    EXPECT_EQ(f.DisplVelocityUnitGr->Items(), (QStringList{"m/s", "km/h", "feet/s", "knots"}));
    EXPECT_EQ(f.AnSigRg->Items(),
              (QStringList{"0 .. 20 mA / 0 .. 10 V", "4 .. 20 mA / 2 .. 10 V"}));

    withRecord([](auto& rec) {
      rec.An_4_20 = 0;
      rec.DispPressUnit = rec.Disp_unit = unit::inchHg;
      rec.DispVelocityUnit = unit::knots;
    });
    f.WriteSetToField_(true);
    EXPECT_EQ(f.AnSigRg->ItemIndex(), 0);
    EXPECT_EQ(f.DisplPressUnitGr->ItemText(), QStringLiteral("inchHg"));
    EXPECT_EQ(f.DisplVelocityUnitGr->ItemText(), QStringLiteral("knots"));

    f.AnSigRg->SetItemIndex(1);
    f.DisplPressUnitGr->SetItemIndex(1);    // mbar
    f.DisplVelocityUnitGr->SetItemIndex(1); // km/h
    withRecord([](const auto& rec) {
      EXPECT_EQ(rec.An_4_20, 1);
      EXPECT_EQ(rec.DispPressUnit, unit::mbar);
      EXPECT_EQ(rec.Disp_unit, unit::mbar) << "outside velocity mode the display shows pressure";
      EXPECT_EQ(rec.DispVelocityUnit, unit::km_h);
    });
  }
}

// The switch keeps a signed threshold: the list shows the sign, the edit the magnitude.
TEST_F(BindingTest, SwitchAlarmDirectionListsCarryTheThresholdsSign) {
  TMainForm& f = Open(9);
  f.Prefs().PressUnit = unit::mbar;
  f.sett->Switch.Al1Thre = 150;
  f.sett->Switch.Al2Thre = -150;
  f.WriteSetToField_(true);
  EXPECT_EQ(f.Al1ThreEdr->Text(), QStringLiteral("1.5000"));
  EXPECT_EQ(f.A1GrKlCb->currentText(), QStringLiteral(">"));
  EXPECT_EQ(f.Al2ThreEdr->Text(), QStringLiteral("1.5000"));
  EXPECT_EQ(f.A2GrKlCb->currentText(), QStringLiteral("<"));
  EXPECT_EQ(f.Al1ThreEdrUnitLb->text(), QStringLiteral("mbar"));

  Pick(f.A1GrKlCb, 0);
  EXPECT_EQ(f.sett->Switch.Al1Thre, -150);
  Pick(f.A1GrKlCb, 1);
  EXPECT_EQ(f.sett->Switch.Al1Thre, 150);
  Pick(f.A2GrKlCb, 1);
  EXPECT_EQ(f.sett->Switch.Al2Thre, 150);
  // A typed value takes the direction of its list.
  Pick(f.A2GrKlCb, 0);
  Type(f.Al2ThreEdr, QStringLiteral("2"));
  EXPECT_DOUBLE_EQ(f.sett->Switch.Al2Thre, -200);
  Type(f.Al2ThreEdr, QStringLiteral("-3"));
  EXPECT_DOUBLE_EQ(f.sett->Switch.Al2Thre, -300);
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(BindingTest, DelayBetweenStandardDelaysGetsAnItemOfItsOwn) {
  TMainForm& f = Open(9);
  f.sett->Switch.AlInt = 2;
  f.sett->Switch.Al1Dly = 3;
  f.sett->Switch.Al2Dly = 8;
  f.WriteSetToField_(true);
  EXPECT_EQ(Items(f.Al2DlyCb), (QStringList{"0.0", "0.6", "1.2", "2.4", "3.6", "4.8", "6.0", "12.0",
                                            "18.0", "24.0", "36.0", "48.0", "60.0", "72.0"}));
  EXPECT_EQ(f.Al2DlyCb->currentText(), QStringLiteral("2.4"));
  EXPECT_EQ(Items(f.Al1DlyCb).mid(0, 4), (QStringList{"0.0", "0.6", "0.9", "1.2"}));
  EXPECT_EQ(f.Al1DlyCb->count(), 15);
  EXPECT_EQ(f.Al1DlyCb->currentText(), QStringLiteral("0.9"));
  EXPECT_EQ(f.GetDelayField(f.Al1DlyCb), 3);

  // Picking the inserted item stores its count; picking a standard one stores that.
  Pick(f.Al1DlyCb, 2);
  EXPECT_EQ(f.sett->Switch.Al1Dly, 3);
  Pick(f.Al1DlyCb, 4);
  EXPECT_EQ(f.sett->Switch.Al1Dly, 8);

  // Beyond the last standard delay and above the largest the switch allows (the bench's
  // switch allows 60 intervals): nothing is selected.
  f.sett->Switch.Al1Dly = 250;
  f.WriteSetToField_(true);
  EXPECT_EQ(f.Al1DlyCb->currentIndex(), -1);
  EXPECT_EQ(f.Al1DlyCb->count(), 14);
  f.sett->Switch.Al1Dly = 61;
  f.WriteSetToField_(true);
  EXPECT_EQ(f.Al1DlyCb->currentText(), QStringLiteral("18.3"));
  EXPECT_EQ(f.Al1DlyCb->itemText(f.Al1DlyCb->currentIndex() - 1), QStringLiteral("18.0"));
}

// Every standard delay at every sampling interval, with a decimal point and a decimal comma:
// the list keeps its standard items and selects the one the count stands for.
TEST_F(BindingTest, EveryStandardDelaySelectsItsOwnItem) {
  constexpr int Standard[] = {0, 2, 4, 8, 12, 16, 20, 40, 60, 80, 120, 160, 200, 240};
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
    QLocale::setDefault(locale);
    TMainForm& f = Open(9);
    for (int interval = 1; interval <= 10; ++interval)
      for (int i = 0; i < static_cast<int>(std::size(Standard)); ++i) {
        f.sett->Switch.AlInt = static_cast<std::uint8_t>(interval);
        f.sett->Switch.Al1Dly = static_cast<std::uint8_t>(Standard[i]);
        f.WriteSetToField_(true);
        ASSERT_EQ(f.Al1DlyCb->count(), 14) << locale.name().toStdString() << " " << interval;
        EXPECT_EQ(f.Al1DlyCb->currentIndex(), i)
            << locale.name().toStdString() << " interval " << interval << " delay " << Standard[i];
        EXPECT_EQ(f.GetDelayField(f.Al1DlyCb), Standard[i]);
      }
  }
}

TEST_F(BindingTest, ChangingTheSamplingIntervalChangesTheSecondsOfEveryDelay) {
  TMainForm& f = Open(9);
  f.sett->Switch.AlInt = 1;
  f.sett->Switch.Al1Dly = 4;
  f.sett->Switch.Al2Dly = 20;
  f.WriteSetToField_(true);
  EXPECT_EQ(f.Al1DlyCb->currentText(), QStringLiteral("0.6"));
  EXPECT_EQ(f.Al2DlyCb->currentText(), QStringLiteral("3.0"));
  Pick(f.AlIntCb, 1);
  EXPECT_EQ(f.sett->Switch.AlInt, 2);
  EXPECT_EQ(f.Al1DlyCb->currentText(), QStringLiteral("1.2"));
  EXPECT_EQ(f.Al2DlyCb->currentText(), QStringLiteral("6.0"));
  EXPECT_EQ(f.sett->Switch.Al1Dly, 4);
  EXPECT_EQ(f.sett->Switch.Al2Dly, 20);
}

// The velocity mode switches the analog range and the static alarms between their pressure
// and velocity fields; each set keeps its own values.
TEST_F(BindingTest, VelocityModeSwitchKeepsBothSetsOfValues) {
  for (int type : {4, 11}) {
    SCOPED_TRACE(type);
    TSetFileRecords r = RecordsFor(type, 1);
    r.Prefs.PressUnit = unit::mbar;
    r.Prefs.VelocityUnit = unit::km_h;
    r.Class1.An_from = -100;
    r.Class1.An_to = 200;
    r.Class1.An_velocity_from = 1;
    r.Class1.An_velocity_to = 10;
    r.Class23.An_from = -100;
    r.Class23.An_to = 200;
    r.Class23.An_velocity_from = 1;
    r.Class23.An_velocity_to = 10;
    r.Class23.AL1.ThresPress = -50;
    r.Class23.AL1.ThresVelocity = 5;
    r.Class23.AL1.VelocityOver = 1;
    TMainForm& f = Open(r);
    EXPECT_EQ(f.AnToEd->Text(), QStringLiteral("2.0000"));
    EXPECT_EQ(f.AnToEdUnitLb->text(), QStringLiteral("mbar"));
    EXPECT_EQ(f.EdrAl1ThreStatic->Text(), QStringLiteral("-0.5000"));
    EXPECT_EQ(f.CbA1GrKlStatic->currentText(), QStringLiteral("<"));
    EXPECT_FALSE(f.VelocityCEd->Enabled());
    EXPECT_TRUE(f.DisplPressUnitGr->isEnabled());

    QCheckBox* box = type == 11 ? f.VelocityChB : f.ChBVelocity;
    box->click();
    EXPECT_TRUE(f.sett->GetVelocityMode());
    EXPECT_TRUE(f.VelocityChB->isChecked());
    EXPECT_TRUE(f.ChBVelocity->isChecked());
    EXPECT_EQ(f.AnToEd->Text(), QStringLiteral("36.000"));
    EXPECT_EQ(f.AnToEdUnitLb->text(), QStringLiteral("km/h"));
    EXPECT_EQ(f.EdrAl1ThreStatic->Text(), QStringLiteral("18.000"));
    EXPECT_EQ(f.LbAl1ThreEdrUnitStatic->text(), QStringLiteral("km/h"));
    EXPECT_EQ(f.CbA1GrKlStatic->currentText(), QStringLiteral(">"));
    EXPECT_TRUE(f.VelocityCEd->Enabled());
    EXPECT_TRUE(f.EdrVelocityNPstat->Enabled());
    EXPECT_TRUE(f.DisplVelocityUnitGr->isEnabled());
    EXPECT_FALSE(f.DisplPressUnitGr->isEnabled());

    Type(f.AnToEd, QStringLiteral("72"));
    Type(f.EdrAl1ThreStatic, QStringLiteral("9"));
    Pick(f.CbA1GrKlStatic, 0);
    const auto& rec1 = f.sett->Class1;
    const auto& rec23 = f.sett->Class23;
    EXPECT_DOUBLE_EQ(type == 11 ? rec1.An_velocity_to : rec23.An_velocity_to, 20);
    EXPECT_DOUBLE_EQ(type == 11 ? rec1.An_to : rec23.An_to, 200);
    EXPECT_DOUBLE_EQ(rec23.AL1.ThresVelocity, 2.5);
    EXPECT_EQ(rec23.AL1.VelocityOver, 0);
    EXPECT_DOUBLE_EQ(rec23.AL1.ThresPress, -50);
    EXPECT_EQ(rec23.AL1.PressOver, 0);
    EXPECT_EQ(type == 11 ? rec1.Disp_unit : rec23.Disp_unit, unit::m_s)
        << "the display shows the velocity unit in velocity mode";

    box->click();
    EXPECT_FALSE(f.sett->GetVelocityMode());
    EXPECT_FALSE(f.VelocityChB->isChecked());
    EXPECT_FALSE(f.ChBVelocity->isChecked());
    EXPECT_EQ(f.AnToEd->Text(), QStringLiteral("2.0000"));
    EXPECT_EQ(f.EdrAl1ThreStatic->Text(), QStringLiteral("-0.5000"));
    EXPECT_EQ(type == 11 ? rec1.Disp_unit : rec23.Disp_unit, unit::Pa);
    // Both flags of the mode follow.
    EXPECT_EQ(type == 11 ? rec1.Velocity_to_AnOut : rec23.Velocity_to_AnOut, 0);
  }
}

// Program code that sets a check box runs its click handler; program code that sets an edit
// or a list does not, and a radio group only when its selection changes.
TEST_F(BindingTest, OnlyChecksAndChangedRadioGroupsReactToProgramCode) {
  TMainForm& f = Open(11, 1);
  f.Session().SetLastTransferForTest(true);
  f.WriteSetToField_(true);
  EXPECT_TRUE(f.PrintAllowed()) << "nothing shown changed";
  f.sett->Class1.Hose_length = 7;
  f.sett->Class1.Speed = 2;
  f.WriteSetToField_(true);
  EXPECT_TRUE(f.PrintAllowed());
  f.sett->Class1.Disp_contr = 3;
  f.WriteSetToField_(true);
  EXPECT_FALSE(f.PrintAllowed()) << "the contrast edit is set directly";
  EXPECT_EQ(f.sett->Class1.Disp_contr, 3);

  f.Session().SetLastTransferForTest(true);
  f.SetVmode(true);
  EXPECT_TRUE(f.ChBVelocity->isChecked()) << "the click handler ran";
  EXPECT_FALSE(f.PrintAllowed());
  EXPECT_TRUE(f.sett->GetVelocityMode());
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(BindingTest, AnalogOffsetShowsInVoltsOrMilliamperes) {
  TMainForm& f = Open(10);
  f.sett->SetAnOffsetUnit(unit::V);
  f.sett->Class1.An_offset = 4;
  f.WriteSetToField_(true);
  EXPECT_EQ(f.AnOffsetEd->Text(), QStringLiteral("2.0000"));
  Type(f.AnOffsetEd, QStringLiteral("2"));
  EXPECT_DOUBLE_EQ(f.sett->Class1.An_offset, 4);
  Type(f.AnOffsetEd, QStringLiteral("1.5"));
  EXPECT_DOUBLE_EQ(f.sett->Class1.An_offset, 3);

  f.Session().SetLastTransferForTest(true);
  f.AnOffsetEdUnitLb->click();
  EXPECT_EQ(f.sett->AnOffsetUnit(), unit::mA);
  EXPECT_EQ(f.AnOffsetEd->Text(), QStringLiteral("3.0000"));
  EXPECT_EQ(f.AnOffsetEdUnitLb->text(), QStringLiteral("mA"));
  EXPECT_FALSE(f.PrintAllowed());
  f.AnOffsetEdUnitLb->click();
  EXPECT_EQ(f.sett->AnOffsetUnit(), unit::V);
  EXPECT_EQ(f.AnOffsetEd->Text(), QStringLiteral("1.5000"));
}

TEST_F(BindingTest, NegativeVelocityConstantBecomesZero) {
  TMainForm& f = Open(10);
  Type(f.VelocityCEd, QStringLiteral("-1"));
  EXPECT_EQ(f.VelocityCEd->Text(), QStringLiteral("0.000000"));
  EXPECT_EQ(f.sett->Class1.Velocity_C, 0.0f);
  Type(f.EdrVelocityCPstat, QStringLiteral("-0.5"));
  EXPECT_EQ(f.sett->Class23.Velocity_C, 0.0f);
  EXPECT_TRUE(port.messages.empty());
}

// What cannot be stored is refused with a message, and the field keeps its value.
TEST_F(BindingTest, InvalidInputIsRefusedAndTheFieldKept) {
  const struct {
    int type;
    const char* edit;
    const char* text;
    TField field;
  } cases[] = {
      {10, "HoseLenEd", "abc", Field(&TSettings::Class1, &TClass1Params::Hose_length)},
      {10, "AtmPressEd", "1,5", Field(&TSettings::Class1, &TClass1Params::Atm_Press)},
      {9, "Al1HysEdr", "1x", Field(&TSettings::Switch, &TSwitchParams::Al1Hys)},
      {10, "VelocityCEd", "1e300", Field(&TSettings::Class1, &TClass1Params::Velocity_C)},
      {11, "ContrastEd", "3e10", Field(&TSettings::Class1, &TClass1Params::Disp_contr)},
      {2, "EdrAl1ThreStatic", "--1", Alarm(&TClass23Params::AL1, &TAlarmGroup::ThresPress)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edit);
    Open(c.type);
    port.Clear();
    const double before = c.field.get(*form->sett);
    Type(Edit(c.edit), QString::fromLatin1(c.text));
    EXPECT_EQ(c.field.get(*form->sett), before);
    EXPECT_EQ(port.messages,
              (std::vector<ScriptedPort::Message>{{"Error", "You entered an invalid value! "}}));
  }
}

// A number that overflows on its way into the storage unit is refused like text that is no
// number: the record keeps its value, and the settings file the window saves at its end is
// taken by the next start.
TEST_F(BindingTest, ANumberTheRecordCannotHoldIsRefusedAndTheSettingsFileStaysUsable) {
  const struct {
    int type;
    const char* edit;
    const char* text;
    TField field;
  } cases[] = {
      {9, "Al1ThreEdr", "1e305", Field(&TSettings::Switch, &TSwitchParams::Al1Thre)},
      {9, "Al2HysEdr", "1e305", Field(&TSettings::Switch, &TSwitchParams::Al2Hys)},
      {9, "AtmPressEd", "1e307", Field(&TSettings::Switch, &TSwitchParams::Atm_Press)},
      {2, "EdrAl1ThreStatic", "-1e305", Alarm(&TClass23Params::AL1, &TAlarmGroup::ThresPress)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edit);
    TSetFileRecords r = RecordsFor(c.type);
    r.Prefs.PressUnit = unit::psi;
    r.Prefs.AtmUnit = unit::inchHg;
    Open(r);
    port.Clear();
    const double before = c.field.get(*form->sett);
    Type(Edit(c.edit), QString::fromLatin1(c.text));
    EXPECT_EQ(port.messages,
              (std::vector<ScriptedPort::Message>{{"Error", "You entered an invalid value! "}}));
    EXPECT_EQ(c.field.get(*form->sett), before);
    form.reset();
    port.Clear();
    form = std::make_unique<TMainForm>(SetFile());
    EXPECT_EQ(port.messages, std::vector<ScriptedPort::Message>{}) << "the settings file was kept";
    EXPECT_EQ(c.field.get(*form->sett), before);
  }
}

TEST_F(BindingTest, LeavingAnInvalidEditReportsItAndReturnsTheFocus) {
  TMainForm& f = Open(10);
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  f.PageControl->setCurrentWidget(f.EnvirPg);
  f.HoseLenEd->InputEdit()->setFocus();
  f.sett->Class1.Hose_length = 0.3;
  Type(f.HoseLenEd, QStringLiteral("2x"));
  port.Clear();
  f.AtmPressEd->InputEdit()->setFocus();
  EXPECT_EQ(port.Texts(), std::vector<std::string>{"You entered an invalid value! "});
  EXPECT_TRUE(f.HoseLenEd->InputEdit()->hasFocus());
  EXPECT_EQ(f.HoseLenEd->Text(), QStringLiteral("0.30"));
  EXPECT_EQ(f.HoseLenEd->InputEdit()->selectedText(), QStringLiteral("0.30"));
  EXPECT_EQ(f.sett->Class1.Hose_length, 0.3);

  // A valid entry is shown in the edit's format when it is left; a range-limited one clamped.
  f.SetVmode(true);
  f.PageControl->setCurrentWidget(f.MeasPg);
  f.VelocityNEd->InputEdit()->setFocus();
  Type(f.VelocityNEd, QStringLiteral("2.7"));
  port.Clear();
  f.VelocityCEd->InputEdit()->setFocus();
  EXPECT_EQ(f.VelocityNEd->Text(), QStringLiteral("2.0"));
  EXPECT_EQ(f.sett->Class1.Velocity_n, 2.0);
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(BindingTest, StaticDelaySpinButtonsClampToTheirRange) {
  TMainForm& f = Open(3);
  f.sett->Class23.AL2.DelayPress = 0;
  f.WriteSetToField_(true);
  f.EdrAl2DlyStatic->DownButton()->click();
  EXPECT_EQ(f.EdrAl2DlyStatic->Text(), QStringLiteral("0"));
  EXPECT_EQ(f.sett->Class23.AL2.DelayPress, 0);
  f.EdrAl2DlyStatic->UpButton()->click();
  EXPECT_EQ(f.sett->Class23.AL2.DelayPress, 1);
  f.sett->Class23.AL2.DelayPress = 3000;
  f.WriteSetToField_(true);
  f.EdrAl2DlyStatic->UpButton()->click();
  EXPECT_EQ(f.EdrAl2DlyStatic->Text(), QStringLiteral("3000"));
  EXPECT_EQ(f.sett->Class23.AL2.DelayPress, 3000);
}

// The switch has no display: its edits leave the transmitter record's display unit alone.
TEST_F(BindingTest, SwitchEditsLeaveTheTransmittersDisplayUnit) {
  TSetFileRecords r = RecordsFor(9);
  r.Class1.DispPressUnit = r.Class1.Disp_unit = unit::mbar;
  TMainForm& f = Open(r);
  Type(f.HoseLenEd, QStringLiteral("0.5"));
  EXPECT_EQ(f.sett->Switch.Hose_length, 0.5);
  EXPECT_EQ(f.sett->Class1.Disp_unit, unit::mbar);
  f.sett->SetInstType(10);
  EXPECT_EQ(f.sett->Class1.DispPressUnit, unit::mbar);
  EXPECT_EQ(f.DisplPressUnitGr->ItemText(), QStringLiteral("mbar"));
}

TEST_F(BindingTest, NumbersFollowTheOperatorsLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TMainForm& f = Open(9);
  f.sett->Switch.AlInt = 1;
  f.sett->Switch.Al1Dly = 5;
  f.sett->Switch.Hose_length = 1.5;
  f.WriteSetToField_(true);
  EXPECT_EQ(f.HoseLenEd->Text(), QStringLiteral("1,50"));
  EXPECT_EQ(f.AlIntCb->itemText(0), QStringLiteral("0,150"));
  EXPECT_EQ(f.Al1DlyCb->currentText(), QStringLiteral("0,8"));
  Pick(f.Al1DlyCb, f.Al1DlyCb->currentIndex());
  EXPECT_EQ(f.sett->Switch.Al1Dly, 5);
  Type(f.HoseLenEd, QStringLiteral("2,25"));
  EXPECT_EQ(f.sett->Switch.Hose_length, 2.25);
  Type(f.HoseLenEd, QStringLiteral("1.500"));
  EXPECT_EQ(f.sett->Switch.Hose_length, 2.25) << "no group separators";
  EXPECT_EQ(port.Texts(), std::vector<std::string>{"You entered an invalid value! "});
}

TEST_F(BindingTest, DisplayUnitOutsideBothSetsAndDelayTextThatIsNoNumberAreFatal) {
  const struct {
    int type;
    TUnit unit;
    const char* text;
  } cases[] = {{10, unit::m, "TMainForm.SetDispUnit: Unit unknown! #1"},
               {6, unit::V, "TMainForm.SetDispUnit: Unit unknown! #2"},
               {9, unit::Pa, "TMainForm.SetDispUnit: instClass unknown!"},
               {0, unit::Pa, "TMainForm.SetDispUnit: instClass unknown!"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    TMainForm& f = Open(c.type);
    try {
      f.SetDispUnit(c.unit);
      ADD_FAILURE() << "no fatal stop";
    } catch (const FatalError& e) {
      EXPECT_STREQ(e.what(), c.text);
    }
  }
  // A delay list's text is always one of its numbers; anything else is a fault of the program.
  TMainForm& sw = Open(9);
  sw.Al1DlyCb->addItem(QStringLiteral("x"));
  sw.Al1DlyCb->setCurrentIndex(sw.Al1DlyCb->count() - 1);
  try {
    sw.GetDelayField(sw.Al1DlyCb);
    ADD_FAILURE() << "no fatal stop";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), "TMainForm.GetDelayField()!");
  }
  // Showing the settings files the display unit first.
  TMainForm& f = Open(11);
  f.sett->Class1.Disp_unit = unit::hPa;
  EXPECT_THROW(f.WriteSetToField_(true), FatalError);
}

// The pages' controls: each in its group on its page, with the group's caption, the captions
// beside it, and for the number edits their kind, decimals, button width and step.
TEST_F(BindingTest, ControlsSitInTheirGroupsWithTheirCaptionsKindsAndDecimals) {
  TMainForm& f = Open(3);
  struct TGroupRow {
    const char *page, *group;
    QString caption;
    QStringList labels; // fixed captions of its labels, in any order
    QStringList controls;
  };
  const TGroupRow groups[] = {
      {"MeasPg", "SamplingTimeGb", "Sampling time", {"Interval", "s"}, {"IntCb"}},
      {"MeasPg", "CBFiltDyn", "Filter (moving average)", {"Reading", "Samples"}, {"MovAverCb"}},
      {"MeasPg",
       "VelocityGrBox",
       "Velocity",
       {"C", "n"},
       {"VelocityCEd", "VelocityCEdLb", "VelocityNEd", "VelocityNEdLb", "VelocityChB"}},
      {"MeasPgStatic", "GbLpSt", "Filter (low pass)", {"Level"}, {"CbFiltLevPstat"}},
      {"MeasPgStatic", "GbSensCalSt", "Sensor Calibration", {"Gain Sensor"}, {"EdrGainSensStatic"}},
      {"MeasPgStatic",
       "GbVeloSt",
       "Velocity",
       {"C", "n"},
       {"EdrVelocityCPstat", "dLbVelocityCEPstat", "EdrVelocityNPstat", "LbVelocityNEPstat",
        "ChBVelocity"}},
      {"AnaOutPg",
       "GbRangeAnal",
       "Range",
       {"From", "To"},
       {"AnFromEd", "AnToEd", "AnFromEdUnitLb", "AnToEdUnitLb"}},
      {"AnaOutPg", "AnSigRg", "Signal", {}, {}},
      {"AnaOutPg",
       "GbAnalCal",
       "Analog Signal Calibration",
       {"Offset", "Gain"},
       {"AnOffsetEd", "AnOffsetEdUnitLb", "AnGainEd"}},
      {"AlarmPg", "SampTimeGb", "Sampling time", {"Interval", "s"}, {"AlIntCb", "AlIntLb"}},
      {"AlarmPg",
       "Alarm1Gb",
       "Alarm 1",
       {"Threshold", "Hysteresis", "Delay", "s"},
       {"A1GrKlCb", "Al1ThreEdr", "Al1ThreEdrUnitLb", "Al1HysEdr", "Al1HysEdrUnitLb", "Al1DlyCb"}},
      {"AlarmPg",
       "Alarm2Gb",
       "Alarm 2",
       {"Threshold", "Hysteresis", "Delay", "s"},
       {"A2GrKlCb", "Al2ThreEdr", "Al2ThreEdrUnitLb", "Al2HysEdr", "Al2HysEdrUnitLb", "Al2DlyCb"}},
      {"AlarmPgStatic",
       "GbAl1St",
       "Alarm 1",
       {"Threshold", "Hysteresis", "Delay", "s"},
       {"CbA1GrKlStatic", "EdrAl1ThreStatic", "LbAl1ThreEdrUnitStatic", "EdrAl1HysStatic",
        "LbAl1HysEdrUnit", "EdrAl1DlyStatic"}},
      {"AlarmPgStatic",
       "GbAl2St",
       "Alarm 2",
       {"Threshold", "Hysteresis", "Delay", "s"},
       {"CbA2GrKlStatic", "EdrAl2ThreStatic", "LbAl2ThreEdrUnitStatic", "EdrAl2HysStatic",
        "LbAl2HysEdrUnit", "EdrAl2DlyStatic"}},
      {"EnvirPg",
       "GbHose",
       "Hose",
       {"Std. Hose length"},
       {"HoseLenEd", "HoseLenEdUnitLb", "BitBtn1"}},
      {"EnvirPg",
       "GbAtmos",
       "Atmosphere",
       {"Atm. pressure", "Humidity", "%RH"},
       {"AtmPressEd", "AtmPressEdUnitLb", "HumCB"}},
      {"EnvirPg", "GbSensorCal", "Sensor Calibration", {"Gain Sensor"}, {"GainSensEd"}},
      {"DispPg", "DisplPressUnitGr", "Unit differential pressure", {}, {}},
      {"DispPg", "DisplVelocityUnitGr", "Unit Velocity", {}, {}},
      {"DispPg", "ContrastGrBox", "Display", {"Contrast"}, {"ContrastEd"}},
  };
  for (const TGroupRow& row : groups) {
    SCOPED_TRACE(row.group);
    auto* page = f.findChild<QWidget*>(QString::fromLatin1(row.page));
    auto* group = f.findChild<QGroupBox*>(QString::fromLatin1(row.group));
    ASSERT_NE(page, nullptr);
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(page->isAncestorOf(group));
    EXPECT_EQ(group->title().toStdString(), row.caption.toStdString());
    QStringList texts;
    for (const QLabel* label : group->findChildren<QLabel*>())
      texts << label->text();
    for (const QString& text : row.labels)
      EXPECT_TRUE(texts.contains(text)) << text.toStdString();
    for (const QString& name : row.controls) {
      auto* control = f.findChild<QWidget*>(name);
      ASSERT_NE(control, nullptr) << name.toStdString();
      EXPECT_TRUE(group->isAncestorOf(control)) << name.toStdString();
    }
  }
  const std::pair<const QLabel*, const char*> named[] = {{f.VelocityCEdLb, "C"},
                                                         {f.VelocityNEdLb, "n"},
                                                         {f.dLbVelocityCEPstat, "C"},
                                                         {f.LbVelocityNEPstat, "n"},
                                                         {f.AlIntLb, "Interval"}};
  for (const auto& [label, text] : named)
    EXPECT_EQ(label->text(), QString::fromLatin1(text)) << label->objectName().toStdString();
  for (QCheckBox* box : {f.VelocityChB, f.ChBVelocity})
    EXPECT_EQ(box->text(), QStringLiteral("&Velocity mode"));
  EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("&Nozzle compensation info"));
  EXPECT_EQ(f.AnSigRg->Items(), QStringList({"0 .. 20 mA / 0 .. 10 V", "4 .. 20 mA / 2 .. 10 V"}));

  // Number edits; decimals -1: set by the unit shown.
  struct TEditKind {
    const char* name;
    TControlStyle style;
    int decimals;
    double step; // 0: not an up-down edit
  };
  const TEditKind edits[] = {
      {"VelocityCEd", csButton, 6, 0},
      {"VelocityNEd", csUpDown, 1, 0.1},
      {"EdrGainSensStatic", csButton, 4, 0},
      {"EdrVelocityCPstat", csButton, 6, 0},
      {"EdrVelocityNPstat", csUpDown, 1, 0.1},
      {"AnFromEd", csNone, -1, 0},
      {"AnToEd", csNone, -1, 0},
      {"AnOffsetEd", csButton, -1, 0},
      {"AnGainEd", csButton, 4, 0},
      {"Al1ThreEdr", csNone, -1, 0},
      {"Al1HysEdr", csNone, -1, 0},
      {"Al2ThreEdr", csNone, -1, 0},
      {"Al2HysEdr", csNone, -1, 0},
      {"EdrAl1ThreStatic", csNone, -1, 0},
      {"EdrAl1HysStatic", csNone, -1, 0},
      {"EdrAl1DlyStatic", csUpDown, 0, 1.0},
      {"EdrAl2ThreStatic", csNone, -1, 0},
      {"EdrAl2HysStatic", csNone, -1, 0},
      {"EdrAl2DlyStatic", csUpDown, 0, 1.0},
      {"HoseLenEd", csButton, -1, 0},
      {"AtmPressEd", csButton, -1, 0},
      {"GainSensEd", csButton, 4, 0},
      {"ContrastEd", csButton, 0, 0},
  };
  for (const TEditKind& row : edits) {
    SCOPED_TRACE(row.name);
    TEditReal* ed = Edit(row.name);
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->ControlStyle(), row.style);
    EXPECT_EQ(ed->GetButWidth(), 17);
    if (row.decimals >= 0) {
      EXPECT_EQ(ed->Nachkomma(), row.decimals);
    }
    if (row.step > 0) {
      EXPECT_EQ(ed->IncVal, row.step);
    }
  }
  for (const QComboBox* combo : f.findChildren<QComboBox*>())
    EXPECT_FALSE(combo->isEditable()) << combo->objectName().toStdString();
}

} // namespace
} // namespace dtool::test
