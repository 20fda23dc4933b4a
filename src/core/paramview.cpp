#include "core/paramview.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "core/conversion.h"
#include "core/insttypes.h"
#include "core/settings.h"
#include "tools/fatal.h"
#include "tools/numeric.h"

namespace dtool {

namespace {

using enum TParamId;
using K = TUnitKind;

constexpr TLimits NoLimits{};
constexpr TLimits ProgramList(double lo, double hi) {
  return {lo, hi, TLimitSource::ProgramList, false};
}

// Every row of the parameter table, in id order.
// clang-format off
constexpr std::array<TParamView, ParamRowCount> ParamViewTable{{
  {C1_Velocity_to_AnOut,  unit::None,         K::None,         NoLimits},
  {C1_Hose_length,        unit::m,            K::HoseLength,   NoLimits},
  {C1_Atm_Press,          unit::hPa,          K::AtmPressure,  NoLimits},
  {C1_Humidity,           unit::RH,           K::None,         NoLimits},
  {C1_Gain_Sens,          unit::None,         K::None,         NoLimits},
  {C1_Disp_contr,         unit::None,         K::None,         NoLimits},
  {C1_An_from,            unit::Pa,           K::Pressure,     NoLimits},
  {C1_An_to,              unit::Pa,           K::Pressure,     NoLimits},
  {C1_An_4_20,            unit::None,         K::None,         NoLimits},
  {C1_An_offset,          unit::AnalogOffset, K::AnalogSignal, NoLimits},
  {C1_An_gain,            unit::None,         K::None,         NoLimits},
  {C1_Disp_unit,          unit::None,         K::None,         NoLimits},
  // The interval list offers 1..9 times 0.15 s, the filter list 1..20 readings.
  {C1_Speed,              unit::None,         K::None,         ProgramList(1, 9)},
  {C1_Moving_Average,     unit::None,         K::None,         ProgramList(1, 20)},
  {C1_Velocity_to_RS232,  unit::None,         K::None,         NoLimits},
  {C1_Velocity_C_Lo,      unit::None,         K::None,         NoLimits},
  {C1_Velocity_C_Hi,      unit::None,         K::None,         NoLimits},
  {C1_Velocity_n,         unit::None,         K::None,         NoLimits},
  {C1_An_velocity_from,   unit::m_s,          K::Velocity,     NoLimits},
  {C1_An_velocity_to,     unit::m_s,          K::Velocity,     NoLimits},

  {C23_Gain_Sens,         unit::None,         K::None,         NoLimits},
  {C23_Disp_unit,         unit::None,         K::None,         NoLimits},
  {C23_Disp_contr,        unit::None,         K::None,         NoLimits},
  {C23_An_from,           unit::Pa,           K::Pressure,     NoLimits},
  {C23_An_to,             unit::Pa,           K::Pressure,     NoLimits},
  {C23_An_velocity_from,  unit::m_s,          K::Velocity,     NoLimits},
  {C23_An_velocity_to,    unit::m_s,          K::Velocity,     NoLimits},
  {C23_An_4_20,           unit::None,         K::None,         NoLimits},
  {C23_An_offset,         unit::AnalogOffset, K::AnalogSignal, NoLimits},
  {C23_An_gain,           unit::None,         K::None,         NoLimits},
  // The low-pass list offers the levels 0 (off) to 20.
  {C23_Filter_level,      unit::None,         K::None,         ProgramList(0, 20)},
  {C23_Velocity_to_RS232, unit::None,         K::None,         NoLimits},
  {C23_Velocity_to_AnOut, unit::None,         K::None,         NoLimits},
  {C23_Velocity_C_Lo,     unit::None,         K::None,         NoLimits},
  {C23_Velocity_C_Hi,     unit::None,         K::None,         NoLimits},
  {C23_Velocity_n,        unit::None,         K::None,         NoLimits},
  {C23_AL1_PressOver,     unit::None,         K::None,         NoLimits},
  {C23_AL1_VelocityOver,  unit::None,         K::None,         NoLimits},
  {C23_AL1_ThresPress,    unit::Pa,           K::Pressure,     NoLimits},
  {C23_AL1_ThresVelocity, unit::m_s,          K::Velocity,     NoLimits},
  {C23_AL1_HysPress,      unit::Pa,           K::Pressure,     NoLimits},
  {C23_AL1_HysVelocity,   unit::m_s,          K::Velocity,     NoLimits},
  {C23_AL1_DelayPress,    unit::s,            K::None,         NoLimits},
  {C23_AL1_DelayVelocity, unit::s,            K::None,         NoLimits},
  {C23_AL2_PressOver,     unit::None,         K::None,         NoLimits},
  {C23_AL2_VelocityOver,  unit::None,         K::None,         NoLimits},
  {C23_AL2_ThresPress,    unit::Pa,           K::Pressure,     NoLimits},
  {C23_AL2_ThresVelocity, unit::m_s,          K::Velocity,     NoLimits},
  {C23_AL2_HysPress,      unit::Pa,           K::Pressure,     NoLimits},
  {C23_AL2_HysVelocity,   unit::m_s,          K::Velocity,     NoLimits},
  {C23_AL2_DelayPress,    unit::s,            K::None,         NoLimits},
  {C23_AL2_DelayVelocity, unit::s,            K::None,         NoLimits},

  {RangeMax,              unit::Pa,           K::Pressure,     NoLimits},
  {RangeMin,              unit::Pa,           K::Pressure,     NoLimits},
}};
// clang-format on

constexpr bool InIdOrder() {
  for (std::size_t i = 0; i < ParamViewTable.size(); ++i)
    if (static_cast<std::size_t>(ParamViewTable[i].Id) != i)
      return false;
  return true;
}
static_assert(InIdOrder());

struct TEditRange {
  TParamId Id;
  TLimits Range;
};
constexpr TLimits Edit(double lo, double hi) {
  return {lo, hi, TLimitSource::EditRange, false};
}
// VelocityNEd and EdrVelocityNPstat; EdrAl1DlyStatic and EdrAl2DlyStatic, which show the
// pressure or the velocity delay after the mode.
constexpr TEditRange EditRanges[] = {
    {C1_Velocity_n, Edit(1, 2)},         {C23_Velocity_n, Edit(1, 2)},
    {C23_AL1_DelayPress, Edit(0, 3000)}, {C23_AL1_DelayVelocity, Edit(0, 3000)},
    {C23_AL2_DelayPress, Edit(0, 3000)}, {C23_AL2_DelayVelocity, Edit(0, 3000)},
};

// The analog parameters in the order of the configuration file. Velocity_C is one key: its
// lower half's row stands for the whole float.
constexpr std::array Class1FileOrder{
    C1_Hose_length,       C1_Atm_Press,  C1_Humidity,
    C1_Gain_Sens,         C1_Disp_unit,  C1_Disp_contr,
    C1_An_from,           C1_An_to,      C1_An_velocity_from,
    C1_An_velocity_to,    C1_An_4_20,    C1_An_offset,
    C1_An_gain,           C1_Speed,      C1_Moving_Average,
    C1_Velocity_C_Lo,     C1_Velocity_n, C1_Velocity_to_RS232,
    C1_Velocity_to_AnOut,
};
constexpr std::array Class23FileOrder{
    C23_Gain_Sens,
    C23_Disp_unit,
    C23_Disp_contr,
    C23_An_from,
    C23_An_to,
    C23_An_velocity_from,
    C23_An_velocity_to,
    C23_An_4_20,
    C23_An_offset,
    C23_An_gain,
    C23_Filter_level,
    C23_Velocity_C_Lo,
    C23_Velocity_n,
    C23_Velocity_to_RS232,
    C23_Velocity_to_AnOut,
    C23_AL1_PressOver,
    C23_AL1_VelocityOver,
    C23_AL1_ThresPress,
    C23_AL1_ThresVelocity,
    C23_AL1_HysPress,
    C23_AL1_HysVelocity,
    C23_AL1_DelayPress,
    C23_AL1_DelayVelocity,
    C23_AL2_PressOver,
    C23_AL2_VelocityOver,
    C23_AL2_ThresPress,
    C23_AL2_ThresVelocity,
    C23_AL2_HysPress,
    C23_AL2_HysVelocity,
    C23_AL2_DelayPress,
    C23_AL2_DelayVelocity,
};
static_assert(Class1FileOrder.size() == Class1ParamCount - 1);
static_assert(Class23FileOrder.size() == Class23ParamCount - 1);

constexpr TLimits SwitchRecord(double lo, double hi) {
  return {lo, hi, TLimitSource::SwitchRecord, false};
}
#define SW(f) TRecordKind::Switch, offsetof(TSwitchParams, f)
using T = TValueType;
using S = TStorage;
using L = TSwitchLimitId;

// The switch record in record order. Its reals are finite numbers with no fixed range of their
// own; the switch library's bounds apply where it reports them. The captions are the main
// window's labels, with their group where two fields share a label.
// clang-format off
constexpr std::array<TConfigField, 11> SwitchFieldTable{{
  {"Hose_length", "Std. Hose length",         SW(Hose_length), T::Real, S::F64, unit::m,    K::HoseLength,  std::nullopt, NoLimits, NoLimits, L::HoseLength},
  {"Atm_Press",   "Atm. pressure",            SW(Atm_Press),   T::Real, S::F64, unit::hPa,  K::AtmPressure, std::nullopt, NoLimits, NoLimits, L::AtmPress},
  {"Humidity",    "Humidity",                 SW(Humidity),    T::Real, S::F64, unit::RH,   K::None,        std::nullopt, NoLimits, NoLimits, L::None},
  {"Gain_Sens",   "Gain Sensor",              SW(Gain_Sens),   T::Real, S::F64, unit::None, K::None,        std::nullopt, NoLimits, NoLimits, L::Gain},
  // The alarm sampling interval is 1..9 times 0.15 s; the delays count sampling intervals.
  {"AlInt",       "Interval (Sampling time)", SW(AlInt),   T::Integer, S::U8, unit::None, K::None, std::nullopt, SwitchRecord(1, 9), NoLimits,   L::None},
  {"Al1Dly",      "Delay (Alarm 1)",          SW(Al1Dly),  T::Integer, S::U8, unit::None, K::None, std::nullopt, SwitchRecord(0, 255), NoLimits, L::Delay},
  {"Al2Dly",      "Delay (Alarm 2)",          SW(Al2Dly),  T::Integer, S::U8, unit::None, K::None, std::nullopt, SwitchRecord(0, 255), NoLimits, L::Delay},
  {"Al1Hys",      "Hysteresis (Alarm 1)",     SW(Al1Hys),  T::Real, S::F64, unit::Pa, K::Pressure, std::nullopt, NoLimits, NoLimits, L::Hysteresis},
  {"Al2Hys",      "Hysteresis (Alarm 2)",     SW(Al2Hys),  T::Real, S::F64, unit::Pa, K::Pressure, std::nullopt, NoLimits, NoLimits, L::Hysteresis},
  {"Al1Thre",     "Threshold (Alarm 1)",      SW(Al1Thre), T::Real, S::F64, unit::Pa, K::Pressure, std::nullopt, NoLimits, NoLimits, L::Threshold},
  {"Al2Thre",     "Threshold (Alarm 2)",      SW(Al2Thre), T::Real, S::F64, unit::Pa, K::Pressure, std::nullopt, NoLimits, NoLimits, L::Threshold},
}};
// clang-format on
#undef SW

TValueType TypeOfPartype(int partype) {
  switch (partype) {
  case partype::Half:
    return TValueType::Single;
  case partype::Int32:
    return TValueType::Integer;
  case partype::F64:
    return TValueType::Real;
  case partype::DispUnit:
    return TValueType::Unit;
  case partype::Flag:
    return TValueType::Flag;
  case partype::Bool:
    return TValueType::Boolean;
  default:
    FatalStop("ConfigFields: Partype unknown! ");
  }
}

TStorage StorageOf(TValueType type) {
  switch (type) {
  case TValueType::Real:
    return TStorage::F64;
  case TValueType::Single:
    return TStorage::F32;
  case TValueType::Integer:
    return TStorage::I32;
  default:
    return TStorage::U8;
  }
}

template <std::size_t N>
std::vector<TConfigField> AnalogFields(TRecordKind kind, const std::array<TParamId, N>& order) {
  std::vector<TConfigField> fields;
  fields.reserve(N);
  for (TParamId id : order) {
    const TParamRow& row = ParamRowOf(TParam::Working(id));
    const TParamView& view = ParamViewOf(id);
    const TValueType type = TypeOfPartype(row.Partype);
    fields.push_back(TConfigField{row.Field, row.Caption, kind, row.Offset, type, StorageOf(type),
                                  view.StorageUnit, view.Kind, id, view.Fixed, ParamEditRange(id),
                                  TSwitchLimitId::None});
  }
  return fields;
}

std::uint8_t* RecordBytes(TRecordKind kind, TParamRecords& r) {
  switch (kind) {
  case TRecordKind::Switch:
    return reinterpret_cast<std::uint8_t*>(&r.Switch);
  case TRecordKind::Class1:
    return reinterpret_cast<std::uint8_t*>(&r.Class1);
  case TRecordKind::Class23:
    break;
  }
  return reinterpret_cast<std::uint8_t*>(&r.Class23);
}
const std::uint8_t* RecordBytes(TRecordKind kind, const TParamRecords& r) {
  return RecordBytes(kind, const_cast<TParamRecords&>(r));
}

// The range of a register in counts.
TLimits CountLimits(const TParamRow& row) {
  switch (row.Insttype) {
  case insttype::Word:
    return {0, 65535, TLimitSource::Register, false};
  case insttype::Signed:
    return {-32768, 32767, TLimitSource::Register, false};
  case insttype::Byte:
    return {0, 255, TLimitSource::Register, false};
  default:
    FatalStop("RegisterLimits: Insttype without a range! ");
  }
}

// Booleans go to the instrument unscaled.
double CountsPerUnit(const TParamRow& row) {
  return row.Partype == partype::Bool ? 1.0 : row.Factor;
}

template <typename V> V LoadAt(const std::uint8_t* at) {
  V v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
template <typename V> void StoreAt(std::uint8_t* at, V v) {
  std::memcpy(at, &v, sizeof v);
}

} // namespace

std::optional<TRecordKind> RecordKindOfClass(int instClass) {
  switch (instClass) {
  case ClassSwitch:
    return TRecordKind::Switch;
  case ClassTransmitter:
    return TRecordKind::Class1;
  case ClassStatic:
  case ClassStaticZ:
    return TRecordKind::Class23;
  default:
    return std::nullopt;
  }
}

const TParamView& ParamViewOf(TParamId id) {
  const auto i = static_cast<std::size_t>(id);
  if (i >= ParamViewTable.size())
    FatalStop("ParamViewOf: Wrong parameter! ");
  return ParamViewTable[i];
}

TLimits ParamEditRange(TParamId id) {
  for (const TEditRange& e : EditRanges)
    if (e.Id == id)
      return e.Range;
  return NoLimits;
}

TLimits RegisterLimits(const TParamRow& row) {
  const TLimits counts = CountLimits(row);
  const double factor = CountsPerUnit(row);
  return {counts.Min / factor, counts.Max / factor, TLimitSource::Register, false};
}

std::optional<std::int32_t> RegisterCounts(const TParamRow& row, double value) {
  if (!std::isfinite(value))
    return std::nullopt;
  const TLimits counts = CountLimits(row);
  const double rounded = RoundHalfEven(value * CountsPerUnit(row));
  if (!(rounded >= counts.Min && rounded <= counts.Max))
    return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::span<const TConfigField> ConfigFields(TRecordKind kind) {
  static const std::vector<TConfigField> class1 =
      AnalogFields(TRecordKind::Class1, Class1FileOrder);
  static const std::vector<TConfigField> class23 =
      AnalogFields(TRecordKind::Class23, Class23FileOrder);
  switch (kind) {
  case TRecordKind::Switch:
    return SwitchFieldTable;
  case TRecordKind::Class1:
    return class1;
  case TRecordKind::Class23:
    break;
  }
  return class23;
}

double FieldValue(const TConfigField& field, const TParamRecords& records) {
  const std::uint8_t* at = RecordBytes(field.Record, records) + field.Offset;
  switch (field.Storage) {
  case TStorage::F64:
    return LoadAt<double>(at);
  case TStorage::F32:
    return LoadAt<float>(at);
  case TStorage::I32:
    return LoadAt<std::int32_t>(at);
  case TStorage::U8:
    break;
  }
  return *at;
}

void SetFieldValue(const TConfigField& field, TParamRecords& records, double value) {
  std::uint8_t* at = RecordBytes(field.Record, records) + field.Offset;
  switch (field.Storage) {
  case TStorage::F64:
    StoreAt<double>(at, value);
    break;
  case TStorage::F32:
    StoreAt<float>(at, static_cast<float>(value));
    break;
  case TStorage::I32:
    StoreAt<std::int32_t>(at, static_cast<std::int32_t>(value));
    break;
  case TStorage::U8:
    *at = static_cast<std::uint8_t>(value);
    break;
  }
}

TViewUnits TViewUnits::Of(const TPreferences& prefs, TUnit analogSignal) {
  return TViewUnits{prefs.PressUnit, prefs.VelocityUnit, prefs.AtmUnit, prefs.HoseUnit,
                    analogSignal};
}

TUnit ShownUnit(const TConfigField& field, const TViewUnits& units) {
  switch (field.Kind) {
  case TUnitKind::Pressure:
    return units.Press;
  case TUnitKind::Velocity:
    return units.Velocity;
  case TUnitKind::AtmPressure:
    return units.Atm;
  case TUnitKind::HoseLength:
    return units.Hose;
  case TUnitKind::AnalogSignal:
    return units.AnalogSignal;
  case TUnitKind::None:
    break;
  }
  return field.StorageUnit;
}

double ShownValue(const TConfigField& field, double stored, const TViewUnits& units) {
  if (field.Kind == TUnitKind::None)
    return stored;
  return ConvertUnit(ShownUnit(field, units), field.StorageUnit, stored);
}

TLimits TSwitchLimits::Of(TSwitchLimitId id) const {
  const auto library = [](double lo, double hi, bool magnitude = false) {
    return TLimits{lo, hi, TLimitSource::SwitchLibrary, magnitude};
  };
  switch (id) {
  case TSwitchLimitId::HoseLength:
    return library(HoseMin, HoseMax);
  case TSwitchLimitId::AtmPress:
    return library(AtmMin, AtmMax);
  case TSwitchLimitId::Gain:
    return library(GainMin, GainMax);
  case TSwitchLimitId::Hysteresis:
    return library(HysMin, HysMax);
  case TSwitchLimitId::Threshold:
    return library(ThreMin, ThreMax, true);
  case TSwitchLimitId::Delay:
    return library(0, MaxDelay);
  case TSwitchLimitId::None:
    break;
  }
  return NoLimits;
}

namespace {

// What the instrument gets for an analog parameter: the register word (both halves of
// Velocity_C), the flag bit, or, for a value no register takes, the stored value itself.
struct TInstrumentValue {
  bool Converted;
  double Value;
  bool operator==(const TInstrumentValue&) const = default;
};

TInstrumentValue InstrumentValue(TSettings& sett, const TConfigField& field,
                                 const TParamRecords& records) {
  const TParamId id = *field.Row;
  switch (field.Type) {
  case TValueType::Flag:
    return {true, FieldValue(field, records) != 0 ? 1.0 : 0.0};
  case TValueType::Single: {
    TransRec lo{}, hi{};
    sett.ConvInst(lo, TParam::Working(id), true);
    sett.ConvInst(hi, TParam::Working(static_cast<TParamId>(static_cast<int>(id) + 1)), true);
    return {true, lo.BBAA + 65536.0 * hi.BBAA};
  }
  default: {
    TransRec rec{};
    if (sett.ConvInst(rec, TParam::Working(id), true) == TConvResult::Invalid)
      return {false, FieldValue(field, records)};
    return {true, static_cast<double>(rec.BBAA)};
  }
  }
}

bool SwitchValuesDiffer(const TConfigField& field, double a, double b) {
  if (field.Type == TValueType::Real)
    return !(static_cast<float>(a) == static_cast<float>(b));
  return a != b;
}

} // namespace

std::vector<TParamDiff> DiffConfig(int instClass, const TParamRecords& a, const TParamRecords& b) {
  const std::optional<TRecordKind> kind = RecordKindOfClass(instClass);
  if (!kind)
    return {};
  // The register conversion is the settings object's; two scratch objects hold the records.
  TSettings sa(nullptr), sb(nullptr);
  sa.Class1 = a.Class1;
  sa.Class23 = a.Class23;
  sb.Class1 = b.Class1;
  sb.Class23 = b.Class23;
  std::vector<TParamDiff> diffs;
  for (const TConfigField& field : ConfigFields(*kind)) {
    const double va = FieldValue(field, a), vb = FieldValue(field, b);
    const bool differ = field.Row
                            ? !(InstrumentValue(sa, field, a) == InstrumentValue(sb, field, b))
                            : SwitchValuesDiffer(field, va, vb);
    if (differ)
      diffs.push_back(TParamDiff{&field, va, vb});
  }
  return diffs;
}

} // namespace dtool
