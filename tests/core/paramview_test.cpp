#include "core/paramview.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/insttypes.h"
#include "core/settings.h"

namespace dtool {
namespace {

using enum TParamId;

template <std::size_t N>
void ExpectEveryRowOnce(const std::array<TParamRow, N>& table, TRecordKind kind) {
  const auto fields = ConfigFields(kind);
  for (const TParamRow& row : table) {
    if (row.Id == C1_Velocity_C_Hi || row.Id == C23_Velocity_C_Hi)
      continue; // one key carries the whole float
    SCOPED_TRACE(row.Field);
    int found = 0;
    for (const TConfigField& f : fields)
      if (f.Row == row.Id) {
        ++found;
        EXPECT_STREQ(f.Name, row.Field);
        EXPECT_STREQ(f.Caption, row.Caption);
        EXPECT_EQ(f.Offset, row.Offset);
        EXPECT_EQ(f.Record, kind);
      }
    EXPECT_EQ(found, 1);
  }
  EXPECT_EQ(fields.size(), N - 1);
}

TEST(ConfigFields, CarryEveryAnalogParameterOnceWithItsRow) {
  ExpectEveryRowOnce(Class1ParamTable, TRecordKind::Class1);
  ExpectEveryRowOnce(Class23ParamTable, TRecordKind::Class23);
}

TEST(ConfigFields, AValueShownInAPreferredUnitIsStoredInItsBaseUnit) {
  auto base = [](TUnitKind k) {
    switch (k) {
    case TUnitKind::Pressure:
      return unit::Pa;
    case TUnitKind::Velocity:
      return unit::m_s;
    case TUnitKind::AtmPressure:
      return unit::hPa;
    case TUnitKind::HoseLength:
      return unit::m;
    case TUnitKind::AnalogSignal:
      return unit::AnalogOffset;
    case TUnitKind::None:
      break;
    }
    return TUnit{255};
  };
  for (TRecordKind kind : {TRecordKind::Class1, TRecordKind::Class23, TRecordKind::Switch})
    for (const TConfigField& f : ConfigFields(kind))
      if (f.Kind != TUnitKind::None) {
        SCOPED_TRACE(f.Name);
        EXPECT_EQ(f.StorageUnit, base(f.Kind));
      }
  EXPECT_EQ(ParamViewOf(RangeMax).StorageUnit, unit::Pa);
  EXPECT_EQ(ParamViewOf(C23_AL2_DelayVelocity).StorageUnit, unit::s);
}

TEST(ConfigFields, TheSwitchRecordInRecordOrder) {
  const std::vector<std::pair<std::string, std::size_t>> expected = {
      {"Hose_length", 0}, {"Atm_Press", 8}, {"Humidity", 16}, {"Gain_Sens", 24},
      {"AlInt", 32},      {"Al1Dly", 33},   {"Al2Dly", 34},   {"Al1Hys", 40},
      {"Al2Hys", 48},     {"Al1Thre", 56},  {"Al2Thre", 64}};
  const auto fields = ConfigFields(TRecordKind::Switch);
  ASSERT_EQ(fields.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(fields[i].Name, expected[i].first);
    EXPECT_EQ(fields[i].Offset, expected[i].second);
  }
}

const TConfigField& Field(TRecordKind kind, const std::string& name) {
  for (const TConfigField& f : ConfigFields(kind))
    if (name == f.Name)
      return f;
  throw std::runtime_error("no field " + name);
}

const TParamRow& Row(TParamId id) {
  return ParamRowOf(TParam::Working(id));
}

TEST(RegisterCounts, TakeWhatTheRegisterHoldsAfterRounding) {
  struct Case {
    const char* what;
    TParamId id;
    double value;
    std::optional<std::int32_t> counts;
  };
  const Case cases[] = {
      {"hose length in mm", C1_Hose_length, 0.3, 300},
      {"the largest hose length", C1_Hose_length, 65.535, 65535},
      {"half a count above it rounds to the even neighbour outside", C1_Hose_length, 65.5355,
       std::nullopt},
      {"a velocity read back as 32.767 m/s goes out as 32767 again", C1_An_velocity_to, 32.767,
       32767},
      {"the lowest pressure", C23_AL1_ThresPress, -327.68, -32768},
      {"half a count below it rounds to the even -32768", C23_AL1_ThresPress, -327.685, -32768},
      {"a count below that", C23_AL1_ThresPress, -327.69, std::nullopt},
      {"a negative word", C1_An_gain, -0.0001, std::nullopt},
      {"delay of 1 s counts 20 periods", C23_AL1_DelayPress, 1.0, 20},
      {"not a number", C1_Atm_Press, std::nan(""), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RegisterCounts(Row(c.id), c.value), c.counts);
  }
  const TLimits hose = RegisterLimits(Row(C1_Hose_length));
  EXPECT_EQ(hose.Min, 0);
  EXPECT_EQ(hose.Max, 65.535);
  EXPECT_EQ(hose.Source, TLimitSource::Register);
  EXPECT_EQ(RegisterLimits(Row(C23_AL2_PressOver)).Max, 255) << "booleans are not scaled";
}

TEST(ShownValue, InTheOperatorsUnitOfTheFieldsKind) {
  TViewUnits units;
  units.Press = unit::mbar;
  units.Velocity = unit::km_h;
  units.Atm = unit::inchHg;
  units.Hose = unit::inch;
  units.AnalogSignal = unit::V;
  struct Case {
    TRecordKind kind;
    const char* field;
    double stored;
    TUnit shownUnit;
    double shown;
  };
  const Case cases[] = {
      {TRecordKind::Switch, "Al1Thre", -150, unit::mbar, -1.5},
      {TRecordKind::Class23, "AL1_ThresVelocity", 10, unit::km_h, 36},
      {TRecordKind::Class1, "Atm_Press", 966, unit::inchHg, 966 * 100 / 3386.38815789},
      {TRecordKind::Class1, "Hose_length", 0.0254, unit::inch, 1},
      {TRecordKind::Class1, "An_offset", 4, unit::V, 2},
      {TRecordKind::Class23, "AL1_DelayPress", 2.5, unit::s, 2.5},
      {TRecordKind::Class1, "Humidity", 50, unit::RH, 50},
      {TRecordKind::Class1, "Velocity_n", 2, unit::None, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    const TConfigField& f = Field(c.kind, c.field);
    EXPECT_EQ(ShownUnit(f, units), c.shownUnit);
    EXPECT_NEAR(ShownValue(f, c.stored, units), c.shown, 1e-12);
  }
}

TParamRecords Defaults() {
  TSettings sett(nullptr);
  sett.InstInfo.InstType = 10;
  sett.SetClass1Defaults();
  sett.SetClass23Defaults();
  TParamRecords r{sett.Class1, sett.Class23, {}};
  SetSwitchDefaults(r.Switch);
  return r;
}

TEST(DiffConfig, ComparesWhatTheInstrumentHolds) {
  struct Case {
    const char* what;
    int instClass;
    std::function<void(TParamRecords&)> a, b;
    std::vector<std::string> differing;
  };
  auto none = [](TParamRecords&) {};
  const Case cases[] = {
      {"the same hose length to the millimetre",
       ClassTransmitter,
       [](TParamRecords& r) { r.Class1.Hose_length = 0.3; },
       [](TParamRecords& r) { r.Class1.Hose_length = 0.30000000001; },
       {}},
      {"a millimetre more",
       ClassTransmitter,
       none,
       [](TParamRecords& r) { r.Class1.Hose_length = 0.301; },
       {"Hose_length"}},
      {"C by one step of its single",
       ClassTransmitter,
       none,
       [](TParamRecords& r) { r.Class1.Velocity_C = std::nextafter(0.6125f, 1.0f); },
       {"Velocity_C"}},
      {"a flag byte 2 is set like 1",
       ClassTransmitter,
       [](TParamRecords& r) { r.Class1.An_4_20 = 1; },
       [](TParamRecords& r) { r.Class1.An_4_20 = 2; },
       {}},
      {"display unit and interval",
       ClassTransmitter,
       none,
       [](TParamRecords& r) {
         r.Class1.Disp_unit = unit::knots;
         r.Class1.Speed = 9;
       },
       {"Disp_unit", "Speed"}},
      {"the class-2/3 record is not the transmitter's",
       ClassTransmitter,
       none,
       [](TParamRecords& r) { r.Class23.Filter_level = 3; },
       {}},
      {"0.99 s and 1 s are both 20 delay periods",
       ClassStaticZ,
       [](TParamRecords& r) { r.Class23.AL1.DelayPress = 1.0; },
       [](TParamRecords& r) { r.Class23.AL1.DelayPress = 0.99; },
       {}},
      {"1.03 s is 21",
       ClassStatic,
       [](TParamRecords& r) { r.Class23.AL1.DelayPress = 1.0; },
       [](TParamRecords& r) { r.Class23.AL1.DelayPress = 1.03; },
       {"AL1_DelayPress"}},
      {"an over-flag of 2 is the boolean 1",
       ClassStatic,
       none,
       [](TParamRecords& r) { r.Class23.AL2.PressOver = 2; },
       {}},
      {"alarm 2 threshold and level",
       ClassStatic,
       none,
       [](TParamRecords& r) {
         r.Class23.AL2.ThresVelocity = -1;
         r.Class23.Filter_level = 20;
       },
       {"Filter_level", "AL2_ThresVelocity"}},
      {"switch reals in single precision",
       ClassSwitch,
       [](TParamRecords& r) { r.Switch.Al1Thre = 10; },
       [](TParamRecords& r) { r.Switch.Al1Thre = 10.0000001; },
       {}},
      {"switch threshold direction and delay",
       ClassSwitch,
       none,
       [](TParamRecords& r) {
         r.Switch.Al1Thre = -r.Switch.Al1Thre;
         r.Switch.Al2Dly = 4;
       },
       {"Al2Dly", "Al1Thre"}},
      {"no instrument, no record",
       ClassNone,
       none,
       [](TParamRecords& r) { r.Class1.Hose_length = 9; },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TParamRecords a = Defaults(), b = Defaults();
    c.a(a);
    c.a(b);
    c.b(b);
    std::vector<std::string> names;
    for (const TParamDiff& d : DiffConfig(c.instClass, a, b))
      names.push_back(d.Field->Name);
    EXPECT_EQ(names, c.differing);
  }
}

TEST(DiffConfig, NamesBothStoredValuesWithCaptionAndKind) {
  TParamRecords a = Defaults(), b = Defaults();
  b.Class23.AL1.ThresPress = -250.5;
  const auto diffs = DiffConfig(ClassStatic, a, b);
  ASSERT_EQ(diffs.size(), 1u);
  EXPECT_STREQ(diffs[0].Field->Caption, "ALARM threshold (pressure)");
  EXPECT_EQ(diffs[0].Field->Kind, TUnitKind::Pressure);
  EXPECT_EQ(diffs[0].A, -300.0);
  EXPECT_EQ(diffs[0].B, -250.5);
}

} // namespace
} // namespace dtool
